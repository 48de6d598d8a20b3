#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "WorkedExample.h"
#include "support/CapturedLog.h"
#include "support/FileSizeLimit.h"
#include "support/Scratch.h"
#include "toolbox/base/Exception.h"
#include "toolbox/config/Config.h"
#include "toolbox/system/Files.h"
#include "toolbox/system/Path.h"
#include "toolbox/system/ProcessArguments.h"

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

  // The folder's entries, sorted: what a save left behind.
  std::vector<std::string> Entries() {
    std::vector<std::string> names = folder.Entries();
    std::sort(names.begin(), names.end());
    return names;
  }

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

TEST_F(ConfigFileTest, WriteThatCannotReachTheDiskLeavesTheOldFileWhole) {
  const std::string zeroth = Saved(0);
  const std::string first = Saved(1);
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
  // Neither a ".new" file nor the temporary file of the replace stays behind.
  EXPECT_EQ(Entries(), (std::vector<std::string>{"voyanta.cfg", "voyanta.cfg.lock", "voyanta.cfg.old"}));
  EXPECT_EQ(scratch::ReadFile(oldPath), zeroth);
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
    Make make;
    const char* reason;
  };
  const std::vector<Row> rows = {
      {"folder as the file", kFolder, "Is a directory"},
      {"fifo as the file", kFifo, "Not a regular file"},
      {"link to a device as the file", kDevice, "Not a regular file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove_all(folder.Path());
    std::filesystem::create_directory(folder.Path());
    row.make(path);
    const auto kind = std::filesystem::symlink_status(path).type();
    for (int attempt = 0; attempt < 2; ++attempt) {
      support::CapturedLog log;
      Config config;
      config.GetRoot().GetSubsection("MainFrame").GetLong("XPos", 2);
      EXPECT_FALSE(config.SaveFile(path.c_str()));
      EXPECT_STREQ(DescribeFileError(config.GetSaveError()), row.reason);
      EXPECT_NE(EntryWith(log, toolbox::LogError, {"The configuration file " + path + " could not be saved: " +
                                                       path + ": " + row.reason}),
                "")
          << testing::PrintToString(log.Entries(0));
    }
    EXPECT_EQ(std::filesystem::symlink_status(path).type(), kind);  // left where the user put it
    EXPECT_EQ(Entries(), (std::vector<std::string>{"voyanta.cfg", "voyanta.cfg.lock"}));
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
  EXPECT_EQ(Entries(), (std::vector<std::string>{"voyanta.cfg", "voyanta.cfg.lock"}));
  EXPECT_NE(EntryWith(log, toolbox::LogWarn, {path, "without its lock"}), "") << testing::PrintToString(log.Entries(0));
}

namespace {

constexpr uid_t kOtherUser = 65534;
const std::string kSecond = "<MainFrame>\n\t<XPos>2</>\n</MainFrame>\n";

// Another user's: the file itself, or a link itself, not what it points to.
void GiveAway(const std::string& path) { ASSERT_EQ(lchown(path.c_str(), kOtherUser, kOtherUser), 0); }

const Make kOthersFile = [](const std::string& path) {
  scratch::WriteFile(path, kGood);
  chmod(path.c_str(), 0644);
  GiveAway(path);
};

Make LinkTo(const std::string& target, bool others) {
  return [target, others](const std::string& path) {
    std::filesystem::create_symlink(target, path);
    if (others) GiveAway(path);
  };
}

struct stat Info(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

std::filesystem::file_type Kind(const std::string& path) { return std::filesystem::symlink_status(path).type(); }

}  // namespace

TEST_F(ConfigFileTest, SaveKeepsTheLinkAndMakesTheFileAndItsOldCopyTheUsersAloneWhateverTheUmask) {
  struct Row {
    const char* what;
    bool link;      // the settings file is a link to a file in another folder
    unsigned mode;  // of the file the settings are in; 0: none yet
    mode_t mask;    // the umask of the save
  };
  const std::vector<Row> rows = {
      {"file of the user's alone", false, 0600, 022},
      {"file the group may read", false, 0640, 022},
      {"file open to everybody", false, 0666, 0},
      {"new file, umask 022", false, 0, 022},
      {"new file, umask 000", false, 0, 0},
      {"link to a file of the user's alone", true, 0600, 022},
      {"link to a file the group may read", true, 0644, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove_all(folder.Path());
    std::filesystem::create_directories(folder / "profile");
    const std::string target = row.link ? folder / "profile/settings" : path;
    if (row.mode != 0) {
      scratch::WriteFile(target, kGood);
      ASSERT_EQ(chmod(target.c_str(), row.mode), 0);
    }
    if (row.link) std::filesystem::create_symlink(target, path);

    const mode_t mask = umask(row.mask);
    EXPECT_EQ(Saved(2), kSecond);
    umask(mask);
    EXPECT_EQ(Kind(path), row.link ? std::filesystem::file_type::symlink : std::filesystem::file_type::regular);
    EXPECT_EQ(scratch::ReadFile(target), kSecond);
    EXPECT_EQ(Info(target).st_mode & 07777, 0600u);
    std::vector<std::string> entries{"profile", "voyanta.cfg", "voyanta.cfg.lock"};
    if (row.mode != 0) {
      EXPECT_EQ(scratch::ReadFile(oldPath), kGood);
      EXPECT_EQ(Kind(oldPath), std::filesystem::file_type::regular);
      EXPECT_EQ(Info(oldPath).st_mode & 07777, 0600u);
      entries.push_back("voyanta.cfg.old");
    }
    EXPECT_EQ(Info(path + ".lock").st_mode & 07777, 0600u);
    // No temporary file stays behind, beside the link or beside the file it points to.
    EXPECT_EQ(Entries(), entries);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "profile"), {}), row.link ? 1 : 0);
  }
}

TEST_F(ConfigFileTest, WhateverLiesUnderTheNewNameIsLeftAlone) {
  const std::string elsewhere = folder / "elsewhere.txt";
  struct Row {
    const char* what;
    Make make;
    bool others;  // only root can make another user's file
  };
  const std::vector<Row> rows = {
      {"folder", kFolder, false},
      {"link to another file", LinkTo(elsewhere, false), false},
      {"another user's file", kOthersFile, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.others && geteuid() != 0) continue;
    std::filesystem::remove_all(folder.Path());
    std::filesystem::create_directory(folder.Path());
    scratch::WriteFile(elsewhere, "someone else's");
    row.make(newPath);
    const uid_t owner = Info(newPath).st_uid;
    const std::string before = Kind(newPath) == std::filesystem::file_type::directory ? "" : scratch::ReadFile(newPath);

    EXPECT_NE(Saved(1), "");
    EXPECT_EQ(Saved(2), kSecond);
    EXPECT_EQ(LoadedXPos(), 2);
    EXPECT_EQ(Info(newPath).st_uid, owner);
    if (!before.empty()) {
      EXPECT_EQ(scratch::ReadFile(newPath), before);
    }
    EXPECT_EQ(scratch::ReadFile(elsewhere), "someone else's");
  }
}

TEST_F(ConfigFileTest, OldCopyThatIsALinkOrNotTheUsersIsNeitherReadNorWrittenThrough) {
  const std::string elsewhere = folder / "elsewhere.cfg";
  const char* const kNotRead = "is not read: it is a link or another user's file";
  struct Row {
    const char* what;
    Make make;
    const char* loadEntry;  // names the old copy
    bool replaced;          // by the user's own copy at the second save; else it stays as it was
    bool others;            // only root can make another user's file
  };
  const std::vector<Row> rows = {
      {"the user's link", LinkTo(elsewhere, false), kNotRead, true, false},
      {"another user's link", LinkTo(elsewhere, true), kNotRead, false, true},
      {"another user's file", kOthersFile, kNotRead, false, true},
      {"folder", kFolder, "cannot be read: Is a directory", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.others && geteuid() != 0) continue;
    std::filesystem::remove_all(folder.Path());
    std::filesystem::create_directory(folder.Path());
    scratch::WriteFile(elsewhere, kGood);
    row.make(oldPath);
    const auto kind = Kind(oldPath);
    const uid_t owner = Info(oldPath).st_uid;
    {
      support::CapturedLog log;
      EXPECT_EQ(LoadedXPos(), -1);
      EXPECT_NE(EntryWith(log, toolbox::LogError, {oldPath, row.loadEntry}), "")
          << testing::PrintToString(log.Entries(0));
    }
    support::CapturedLog log;
    const std::string first = Saved(1);
    EXPECT_EQ(Saved(2), kSecond);
    EXPECT_EQ(LoadedXPos(), 2);
    EXPECT_EQ(scratch::ReadFile(elsewhere), kGood);
    if (row.replaced) {
      EXPECT_EQ(Kind(oldPath), std::filesystem::file_type::regular);
      EXPECT_EQ(scratch::ReadFile(oldPath), first);
      continue;
    }
    EXPECT_EQ(Kind(oldPath), kind);
    EXPECT_EQ(Info(oldPath).st_uid, owner);
    if (kind == std::filesystem::file_type::regular) {
      EXPECT_EQ(scratch::ReadFile(oldPath), kGood);
    }
    EXPECT_NE(EntryWith(log, toolbox::LogWarn, {path, "is saved without its old copy", oldPath}), "")
        << testing::PrintToString(log.Entries(0));
  }
}
