#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/CapturedLog.h"
#include "support/FileSizeLimit.h"
#include "support/Scratch.h"
#include "toolbox/Exception.h"
#include "toolbox/Files.h"
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
  Config config;
  config.GetRoot().GetLong("XPos", 2);
  {
    support::FileSizeLimit full;
    full.Impose(4);
    EXPECT_FALSE(config.SaveFile(path.c_str()));
  }
  EXPECT_EQ(config.GetSaveError(), EFBIG);
  EXPECT_EQ(scratch::ReadFile(path), first);
  EXPECT_EQ(LoadedXPos(), 1);
}

TEST_F(ConfigFileTest, ALinkWhereTheNewFileGoesIsReplacedNeverWrittenThrough) {
  static_cast<void>(Saved(1));
  const std::string elsewhere = folder / "elsewhere.txt";
  scratch::WriteFile(elsewhere, "someone else's");
  std::filesystem::create_symlink(elsewhere, newPath);
  Config config;
  config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", 2);
  EXPECT_TRUE(config.SaveFile(path.c_str()));
  EXPECT_EQ(scratch::ReadFile(elsewhere), "someone else's");
  EXPECT_EQ(LoadedXPos(), 2);
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
  EXPECT_THROW(static_cast<void>(config.LoadFromFolder(where)), EIllegalState);
  EXPECT_THROW(static_cast<void>(config.SaveToFolder(where)), EIllegalState);
}

namespace {

using Make = std::function<void(const std::string& path)>;

Make Content(const std::string& text) {
  return [text](const std::string& path) { scratch::WriteFile(path, text); };
}
const Make kNone = [](const std::string&) {};
const Make kFolder = [](const std::string& path) { std::filesystem::create_directories(path + "/inside"); };
const Make kFifo = [](const std::string& path) { mkfifo(path.c_str(), 0644); };
const Make kDevice = [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); };

const std::string kMalformed = "<MainFrame>\n<XPos>9</>\n";
const std::string kGood = "<MainFrame>\n<XPos>7</>\n</MainFrame>\n";
const char* const kKept = "is not well formed; it is kept as";

// The first entry of at least the level that holds every part, or "" when none does.
std::string EntryWith(const support::CapturedLog& log, int level, const std::vector<std::string>& parts) {
  for (const std::string& entry : log.Entries(level)) {
    bool all = true;
    for (const std::string& part : parts) all = all && entry.find(part) != std::string::npos;
    if (all) return entry;
  }
  return "";
}

}  // namespace

TEST_F(ConfigFileTest, FileThatIsMalformedOrCannotBeReadGivesWayToTheOldCopyAndAMalformedOneIsKeptAside) {
  struct Row {
    const char* what;
    Make file;
    Make old;
    int xPos;                  // as loaded; -1: the load fails
    const char* warning;       // in the entry that names the file
    bool fileKept;             // as ".bad"
    bool oldKept;              // as ".old.bad"
  };
  const std::vector<Row> rows = {
      {"malformed, whole old copy", Content(kMalformed), Content(kGood), 7, kKept, true, false},
      {"malformed, no old copy", Content(kMalformed), kNone, -1, kKept, true, false},
      {"missing, malformed old copy", kNone, Content(kMalformed), -1, kKept, false, true},
      {"both malformed", Content(kMalformed), Content(kMalformed), -1, kKept, true, true},
      {"fifo", kFifo, Content(kGood), 7, "cannot be read: Not a regular file", false, false},
      {"link to a device", kDevice, Content(kGood), 7, "cannot be read: Not a regular file", false, false},
      {"folder", kFolder, Content(kGood), 7, "cannot be read: Is a directory", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove_all(folder.Path());
    std::filesystem::create_directory(folder.Path());
    row.file(path);
    row.old(oldPath);
    support::CapturedLog log;
    EXPECT_EQ(LoadedXPos(), row.xPos);
    const std::string named = row.fileKept || !row.oldKept ? path : oldPath;
    EXPECT_NE(EntryWith(log, toolbox::LogError, {named, row.warning}), "") << testing::PrintToString(log.Entries(0));
    EXPECT_EQ(Exists(path + ".bad"), row.fileKept);
    EXPECT_EQ(Exists(oldPath + ".bad"), row.oldKept);
    if (row.fileKept) {
      EXPECT_EQ(scratch::ReadFile(path + ".bad"), kMalformed);
    }
    if (row.oldKept) {
      EXPECT_EQ(scratch::ReadFile(oldPath + ".bad"), kMalformed);
    }
    if (!row.fileKept && !row.oldKept) continue;
    // The kept files are no part of the saves that follow.
    Saved(1);
    Saved(2);
    EXPECT_EQ(LoadedXPos(), 2);
    if (row.fileKept) {
      EXPECT_EQ(scratch::ReadFile(path + ".bad"), kMalformed);
    }
    if (row.oldKept) {
      EXPECT_EQ(scratch::ReadFile(oldPath + ".bad"), kMalformed);
    }
  }
}

TEST_F(ConfigFileTest, StartingConfigurationBesideTheProgramIsOnlyReadEvenWhenMalformed) {
  std::filesystem::create_directory(folder / "bin");
  scratch::WriteFile(folder / "bin/voyanta.cfg", kMalformed);
  scratch::Arguments program({folder / "bin/voyanta"});
  support::CapturedLog log;
  Config config;
  EXPECT_FALSE(config.LoadFromProgramFolder());
  EXPECT_EQ(scratch::ReadFile(folder / "bin/voyanta.cfg"), kMalformed);
  EXPECT_EQ(std::filesystem::directory_iterator(folder / "bin")->path().filename(), "voyanta.cfg");
  EXPECT_NE(EntryWith(log, toolbox::LogError, {folder / "bin/voyanta.cfg", "is not well formed"}), "");
}

TEST_F(ConfigFileTest, SomethingOtherThanAFileInTheWayFailsEverySaveNamingItAndTheReason) {
  struct Row {
    const char* what;
    std::string where;
    Make make;
    const char* reason;
  };
  const std::vector<Row> rows = {
      {"folder as the file", path, kFolder, "Is a directory"},
      {"fifo as the file", path, kFifo, "Not a regular file"},
      {"folder as the new file", newPath, kFolder, "Is a directory"},
      {"folder as the old copy", oldPath, kFolder, "Is a directory"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove_all(folder.Path());
    std::filesystem::create_directory(folder.Path());
    const std::string first = row.where == path ? "" : Saved(1);
    row.make(row.where);
    const auto kind = std::filesystem::symlink_status(row.where).type();
    for (int attempt = 0; attempt < 2; ++attempt) {
      support::CapturedLog log;
      Config config;
      config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", 2);
      EXPECT_FALSE(config.SaveFile(path.c_str()));
      EXPECT_STREQ(DescribeFileError(config.GetSaveError()), row.reason);
      EXPECT_NE(EntryWith(log, toolbox::LogError, {"The configuration file " + path + " could not be saved: " +
                                                       row.where + ": " + row.reason}),
                "")
          << testing::PrintToString(log.Entries(0));
    }
    EXPECT_EQ(std::filesystem::symlink_status(row.where).type(), kind);  // left where the user put it
    if (!first.empty()) {
      EXPECT_EQ(scratch::ReadFile(path), first);
    }
  }
}

TEST_F(ConfigFileTest, SavesOfSeveralProcessesTakeTurnsSoEachLeavesAWholeFileAndAWholeOldCopy) {
  constexpr int kProcesses = 3;
  constexpr int kSaves = 40;
  std::vector<pid_t> children;
  for (int process = 0; process < kProcesses; ++process) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool all = true;
      for (int save = 0; save < kSaves; ++save) {
        Config config;
        ConfigSection& frame = config.GetRoot().GetSubsection("MainFrame");
        frame.GetLong("XPos", process * 1000 + save);
        // Several pieces of writing each, so that saves overlap.
        frame.GetText("Padding", std::string(20000, static_cast<char>('a' + process)).c_str());
        all = config.SaveFile(path.c_str()) && all;
      }
      _exit(all ? 0 : 1);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  for (const std::string& file : {path, oldPath}) {
    SCOPED_TRACE(file);
    Config config;
    const std::string text = scratch::ReadFile(file);
    ASSERT_TRUE(config.Parse(text.c_str())) << text.size() << " bytes";
    ConfigSection& frame = config.GetRoot().GetSubsection("MainFrame");
    const int xPos = frame.GetLong("XPos", -1);
    ASSERT_GE(xPos, 0);
    // The save that came last is the last one of its process.
    if (file == path) {
      EXPECT_EQ(xPos % 1000, kSaves - 1);
    }
    EXPECT_EQ(std::string(frame.GetText("Padding", "")), std::string(20000, static_cast<char>('a' + xPos / 1000)));
  }
  EXPECT_FALSE(Exists(newPath));
}

TEST_F(ConfigFileTest, ALockHeldPastTheWaitIsDoneWithoutThroughATemporaryFileOfTheSavesOwn) {
  static_cast<void>(Saved(1));
  FileLock holder;  // another process's, as far as locks go: another open file
  ASSERT_EQ(holder.Acquire((path + ".lock").c_str()), FileLock::acquired);
  support::CapturedLog log;
  Config config;
  config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", 2);
  EXPECT_TRUE(config.SaveFile(path.c_str()));
  EXPECT_EQ(scratch::ReadFile(path), "<MainFrame>\n\t<XPos>2</>\n</MainFrame>\n");
  EXPECT_FALSE(Exists(oldPath));  // only a save that took turns keeps one
  EXPECT_FALSE(Exists(newPath));
  EXPECT_NE(EntryWith(log, toolbox::LogWarn, {path, "without its lock"}), "") << testing::PrintToString(log.Entries(0));
}
