#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/Scratch.h"
#include "toolbox/Exception.h"
#include "toolbox/Path.h"
#include "toolbox/ProcessArguments.h"
#include "toolbox/config/Config.h"
#include "WorkedExample.h"

using namespace toolbox;

namespace {

// A folder with the configuration file's path and its companions.
struct ConfigFileTest : ::testing::Test {
  std::string Saved(int xPos) {
    Config config;
    config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", xPos);
    EXPECT_TRUE(config.SaveFile(path.c_str()));
    return scratch::ReadFile(path);
  }

  // XPos as a fresh Config loads it, or -1 when the load fails.
  int LoadedXPos() {
    Config config;
    if (!config.LoadFile(path.c_str())) return -1;
    return config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", -2);
  }

  bool Exists(const std::string& file) { return std::filesystem::exists(file); }

  scratch::Folder folder;
  std::string path = (folder / "voyanta.cfg");
  std::string newPath = path + ".new";
  std::string oldPath = path + ".old";
};

}  // namespace

TEST_F(ConfigFileTest, SavesTheWorkedExampleByteForByte) {
  Config config;
  ConfigSection& root = config.GetRoot();
  root.GetSubsection("Application").GetSubsection("OnceActions").GetBool("FirstRun", false);
  ConfigSection& frame = root.GetSubsection("MainFrame");
  frame.GetBool("Maximized", false);
  frame.GetLong("XPos", 50);
  frame.GetLong("YPos", 50);
  frame.GetLong("XSize", 500);
  frame.GetLong("YSize", 300);
  ASSERT_TRUE(config.SaveFile(path.c_str()));
  EXPECT_EQ(scratch::ReadFile(path), kWorkedExample);
  EXPECT_FALSE(Exists(newPath));
}

TEST_F(ConfigFileTest, FirstSaveLeavesNoOldCopyAndSecondKeepsTheFirstContents) {
  std::string first = Saved(1);
  EXPECT_FALSE(Exists(oldPath));
  std::string second = Saved(2);
  EXPECT_NE(first, second);
  EXPECT_EQ(scratch::ReadFile(oldPath), first);
  EXPECT_EQ(LoadedXPos(), 2);
  Saved(3);
  EXPECT_EQ(scratch::ReadFile(oldPath), second);
}

TEST_F(ConfigFileTest, SaveCollectsTheRegisteredSettingsFirst) {
  struct Window : Configurable {
    void ExchangeConfiguration(ConfigSection& section, bool store) override {
      if (store) section.GetParameter("Maximized").SetBool(true);
    }
  } window;
  Config config;
  config.Register("MainFrame", window);
  ASSERT_TRUE(config.SaveFile(path.c_str()));
  EXPECT_EQ(scratch::ReadFile(path), "<MainFrame>\n\t<Maximized>1</>\n</MainFrame>\n");
}

TEST_F(ConfigFileTest, LoadReadsTheOldCopyWhenTheFileIsMissing) {
  scratch::WriteFile(oldPath, "<MainFrame>\n<XPos>7</>\n</MainFrame>\n");
  scratch::WriteFile(newPath, "<MainFrame>\n<XPos>8</>\n</MainFrame>\n");
  EXPECT_EQ(LoadedXPos(), 7);
  // The file itself wins over its old copy; the new one is never read.
  scratch::WriteFile(path, "<MainFrame>\n<XPos>9</>\n</MainFrame>\n");
  EXPECT_EQ(LoadedXPos(), 9);
}

TEST_F(ConfigFileTest, LoadWithoutAnyFileLeavesTheTreeAsItWas) {
  Config config;
  config.GetRoot().GetLong("Kept", 1);
  EXPECT_FALSE(config.LoadFile(path.c_str()));
  EXPECT_TRUE(config.GetRoot().HasParameter("Kept"));
  // A folder in the file's place cannot be read either.
  std::filesystem::create_directory(path);
  EXPECT_FALSE(config.LoadFile(path.c_str()));
  EXPECT_TRUE(config.GetRoot().HasParameter("Kept"));
}

TEST_F(ConfigFileTest, MalformedFileEmptiesTheTree) {
  scratch::WriteFile(path, "<MainFrame>\n<XPos>9</>\n");
  Config config;
  config.GetRoot().GetLong("Old", 1);
  EXPECT_FALSE(config.LoadFile(path.c_str()));
  EXPECT_EQ(config.GetRoot().GetParameterCount(), 0);
  EXPECT_EQ(config.GetRoot().GetSubsectionCount(), 0);
}

TEST_F(ConfigFileTest, LoadReadsBytesUnchangedUpToANulByte) {
  scratch::WriteFile(path, std::string("<A>\xE9\r\n</>\n<B>2</>", 17) + std::string(1, '\0') + "junk<");
  Config config;
  ASSERT_TRUE(config.LoadFile(path.c_str()));
  EXPECT_STREQ(config.GetRoot().FindParameter("A")->GetText(), "\xE9");
  EXPECT_STREQ(config.GetRoot().FindParameter("B")->GetText(), "2");
}

TEST_F(ConfigFileTest, NewFileThatCannotBeMadeLeavesTheOldFileWhole) {
  std::string first = Saved(1);
  std::filesystem::create_directory(newPath);
  Config config;
  config.GetRoot().GetLong("XPos", 2);
  EXPECT_FALSE(config.SaveFile(path.c_str()));
  EXPECT_EQ(scratch::ReadFile(path), first);
  EXPECT_FALSE(Exists(oldPath));
  EXPECT_EQ(LoadedXPos(), 1);
}

TEST_F(ConfigFileTest, WriteThatCannotReachTheDiskLeavesTheOldFileWhole) {
  std::string first = Saved(1);
  std::filesystem::create_symlink("/dev/full", newPath);
  Config config;
  config.GetRoot().GetLong("XPos", 2);
  EXPECT_FALSE(config.SaveFile(path.c_str()));
  EXPECT_EQ(scratch::ReadFile(path), first);
  EXPECT_EQ(LoadedXPos(), 1);
}

TEST_F(ConfigFileTest, FailedMoveToTheOldCopyKeepsTheFileAndTheNewContents) {
  std::string first = Saved(1);
  // A folder that cannot be deleted stands where the old copy goes.
  std::filesystem::create_directories(oldPath + "/inside");
  Config config;
  config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", 2);
  EXPECT_FALSE(config.SaveFile(path.c_str()));
  EXPECT_EQ(scratch::ReadFile(path), first);
  EXPECT_EQ(scratch::ReadFile(newPath), "<MainFrame>\n\t<XPos>2</>\n</MainFrame>\n");
  EXPECT_EQ(LoadedXPos(), 1);
}

TEST_F(ConfigFileTest, SaveIntoAMissingFolderFails) {
  Config config;
  std::string missing = (folder / "missing/voyanta.cfg");
  EXPECT_FALSE(config.SaveFile(missing.c_str()));
  EXPECT_FALSE(Exists((folder / "missing")));
}

namespace {

// Runs the test as a program at the given path; the real arguments come back afterwards.

}  // namespace

TEST_F(ConfigFileTest, FolderFileIsNamedAfterTheProgram) {
  scratch::Arguments program({"/opt/trips/voyanta.bin"});
  Path where(folder.Path().c_str());
  Config config;
  config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", 12);
  ASSERT_TRUE(config.SaveToFolder(where));
  EXPECT_EQ(scratch::ReadFile(folder / "voyanta.cfg"), "<MainFrame>\n\t<XPos>12</>\n</MainFrame>\n");
  Config loaded;
  ASSERT_TRUE(loaded.LoadFromFolder(where));
  EXPECT_EQ(loaded.GetRoot().GetSubsection("MainFrame").GetLong("XPos", 0), 12);
}

TEST_F(ConfigFileTest, StartingConfigurationLiesBesideTheProgram) {
  std::filesystem::create_directory((folder / "bin"));
  scratch::WriteFile((folder / "bin/voyanta.cfg"), "<MainFrame>\n<XPos>5</>\n</MainFrame>\n");
  scratch::Arguments program({(folder / "bin/voyanta.exe")});
  Config config;
  ASSERT_TRUE(config.LoadFromProgramFolder());
  EXPECT_EQ(config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", 0), 5);
}

TEST_F(ConfigFileTest, ProgramPathWithoutFileNameFindsNoConfiguration) {
  scratch::Arguments program({"/"});
  Config config;
  config.GetRoot().GetLong("Kept", 1);
  EXPECT_FALSE(config.LoadFromProgramFolder());
  EXPECT_TRUE(config.GetRoot().HasParameter("Kept"));
  Path where(folder.Path().c_str());
  EXPECT_THROW(config.LoadFromFolder(where), EIllegalState);
  EXPECT_THROW(config.SaveToFolder(where), EIllegalState);
}
