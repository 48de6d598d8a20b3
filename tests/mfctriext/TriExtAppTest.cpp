#include "mfctriext/TriExtApp.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "support/FileSizeLimit.h"
#include "support/Scratch.h"
#include "toolbox/config/ConfigParameter.h"

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

  // Saves as the program's exit processing does.
  static void Save(mfctriext::TriExtApp& app) {
    std::string path, reason;
    EXPECT_TRUE(app.SaveConfiguration(path, reason)) << path << ": " << reason;
  }

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
    Save(app);
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
    Save(app);
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
    Save(app);
  }
  EXPECT_NE(std::string::npos, scratch::ReadFile(BesideFile()).find("<FirstRun>0</>"));
}

TEST_F(TriExtAppTest, SaveThatFailsNamesTheFileAndTheSystemsReasonAndKeepsThePreviousFile) {
  {
    mfctriext::TriExtApp first;
    Save(first);
  }
  const std::string previous = scratch::ReadFile(UserFile());
  mfctriext::TriExtApp app;
  app.GetConfigRoot()->GetSubsection("MainFrame").GetParameter("XPos").SetLong(70);
  std::string path, reason;
  {
    support::FileSizeLimit full;
    full.Impose(8);
    EXPECT_FALSE(app.SaveConfiguration(path, reason));
  }
  EXPECT_EQ(UserFile(), path);
  EXPECT_EQ(std::strerror(EFBIG), reason);
  EXPECT_EQ(previous, scratch::ReadFile(UserFile()));

  // A run that leaves the configuration unsaved writes nothing and has nothing to report.
  app.LeaveConfigurationUnsaved();
  path.clear();
  EXPECT_TRUE(app.SaveConfiguration(path, reason));
  EXPECT_EQ("", path);
  EXPECT_EQ(previous, scratch::ReadFile(UserFile()));
}
