#include "mfctriext/TriExtApp.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>

#include "support/Scratch.h"

const char* mfctriext::GetApplicationName() { return "Voyanta"; }

namespace {

// A program at <folder>/prog/Voyanta.exe whose user keeps settings in <folder>/config.
class TriExtAppTest : public ::testing::Test {
 protected:
  TriExtAppTest()
      : program(folder / "prog/Voyanta.exe"),
        arguments({program}),
        configHome("XDG_CONFIG_HOME", folder / "config") {
    mkdir((folder / "prog").c_str(), 0755);
  }

  std::string UserFile() const { return folder / "config/Quorvane/Voyanta/Voyanta.cfg"; }
  std::string BesideFile() const { return folder / "prog/Voyanta.cfg"; }

  scratch::Folder folder;
  std::string program;
  scratch::Arguments arguments;
  scratch::Environment configHome;
};

}  // namespace

TEST_F(TriExtAppTest, FirstRunIsRecordedInTheApplicationDataFolder) {
  {
    mfctriext::TriExtApp app;
    EXPECT_TRUE(app.IsFirstRun());
    ASSERT_NE(nullptr, app.GetConfigRoot());
  }
  EXPECT_EQ("<Application>\n\t<OnceActions>\n\t\t<FirstRun>0</>\n\t</OnceActions>\n</Application>\n",
            scratch::ReadFile(UserFile()));
  mfctriext::TriExtApp second;
  EXPECT_FALSE(second.IsFirstRun());
}

TEST_F(TriExtAppTest, FileBesideTheProgramSeedsTheUsersConfigurationAndStaysUnchanged) {
  const std::string seed = "<MainFrame>\n\t<XPos>70</>\n</MainFrame>\n";
  scratch::WriteFile(BesideFile(), seed);
  {
    mfctriext::TriExtApp app;
    EXPECT_EQ(70, app.GetConfigRoot()->GetSubsection("MainFrame").GetLong("XPos", 50));
  }
  EXPECT_EQ(seed, scratch::ReadFile(BesideFile()));
  EXPECT_NE(std::string::npos, scratch::ReadFile(UserFile()).find("<XPos>70</>"));
}

TEST_F(TriExtAppTest, OnceActionIsDoneOnlyOnce) {
  mfctriext::TriExtApp app;
  EXPECT_FALSE(app.CheckOnceAction("ShowTips"));
  EXPECT_TRUE(app.CheckOnceAction("ShowTips"));
  EXPECT_FALSE(app.GetConfigRoot()->GetSubsection("Application").GetSubsection("OnceActions").GetBool("ShowTips", true));
}

TEST_F(TriExtAppTest, WithoutAUsableDataFolderTheProgramFolderServes) {
  // The configuration home is a file: no folder can be made below it.
  scratch::WriteFile(folder / "config", "");
  scratch::WriteFile(BesideFile(), "<A>1</>\n");
  {
    std::unique_ptr<toolbox::Path> data(mfctriext::TriExtApp::GetApplicationDataFolder());
    std::unique_ptr<char, decltype(&std::free)> text(data->ToText(false), &std::free);
    EXPECT_EQ(folder / "prog", text.get());
    mfctriext::TriExtApp app;
    EXPECT_TRUE(app.GetConfigRoot()->GetBool("A", false));
  }
  EXPECT_NE(std::string::npos, scratch::ReadFile(BesideFile()).find("<FirstRun>0</>"));
}
