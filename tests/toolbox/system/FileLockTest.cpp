#include "toolbox/system/FileLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "support/Scratch.h"
#include "toolbox/system/Files.h"

using toolbox::FileLock;

namespace {

// A killed holder is left to the program's end-to-end test, which kills a real one.
TEST(FileLockTest, ARegularFileIsLockedByOneHolderAtATimeOnlyTheUserMayOpenItAndAnythingElseIsRefused) {
  struct Row {
    const char* what;
    const char* name;
    std::function<void(const std::string& path)> make;
    int error;            // 0: the lock is taken
    const char* content;  // of the file once locked
  };
  const std::vector<Row> rows = {
      {"missing: created empty", "voyanta.vyr", [](const std::string&) {}, 0, ""},
      {"with items: not truncated", "voyanta.vyr",
       [](const std::string& path) { scratch::WriteFile(path, "0\t\tSocks\tClothes\t\n"); }, 0,
       "0\t\tSocks\tClothes\t\n"},
      {"folder", "voyanta.vyr", [](const std::string& path) { mkdir(path.c_str(), 0755); }, EISDIR, nullptr},
      // Opened without waiting for a writer, then refused.
      {"fifo", "voyanta.vyr", [](const std::string& path) { mkfifo(path.c_str(), 0644); }, toolbox::kNotRegularFile,
       nullptr},
      // Never through a link, which another user could have put there.
      {"link to a file", "voyanta.vyr", [](const std::string& path) { symlink("/etc/hostname", path.c_str()); },
       ELOOP, nullptr},
      {"in a missing folder", "gone/voyanta.vyr", [](const std::string&) {}, ENOENT, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch::Folder folder;
    const std::string path = folder / row.name;
    row.make(path);
    FileLock first;
    FileLock second;
    if (row.error != 0) {
      EXPECT_EQ(first.Acquire(path.c_str()), FileLock::failed);
      EXPECT_EQ(first.GetError(), row.error);
      continue;
    }
    ASSERT_EQ(first.Acquire(path.c_str()), FileLock::acquired);
    EXPECT_EQ(scratch::ReadFile(path), row.content);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(second.Acquire(path.c_str()), FileLock::held);
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_EQ(second.Acquire(path.c_str()), FileLock::acquired);
  }
}

TEST(FileLockTest, AWaitForAHolderEndsAfterItsTime) {
  scratch::Folder folder;
  const std::string path = folder / "voyanta.cfg.lock";
  FileLock holder;
  ASSERT_EQ(holder.Acquire(path.c_str()), FileLock::acquired);
  FileLock waiting;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(waiting.Acquire(path.c_str(), 300), FileLock::held);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_LT(waited, std::chrono::seconds(5));
}

// The holder writes "uid name" into a shared lock file; a start that finds the lock held
// reads it back. Anyone who may hold the lock may write that record.
TEST(FileLockTest, TheHolderRecordIsBelievedOnlyWhereItCanBeTrue) {
  struct Row {
    const char* what;
    const char* record;
    mode_t guardedMode;  // of the guarded file, the test's own
    const char* holder;
    long id;
  };
  const std::vector<Row> rows = {
      {"a user it knows: the system's name", "0 mallory\n", 0644, "root", 0},
      {"a number alone", "4242 \n", 0666, "4242", 4242},
      {"without its blank", "4242\n", 0666, "", -1},
      {"no number", "alice 4242\n", 0666, "", -1},
      {"a negative number", "-4242 alice\n", 0666, "", -1},
      {"beyond any user number", "99999999999 alice\n", 0666, "", -1},
      {"a user who may not write the guarded file", "1 daemon\n", 0644, "", -1},
      {"a user it does not know, who may be in the group", "4242 alice\n", 0664, "alice", 4242},
      {"empty", "", 0666, "", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch::Folder folder;
    const std::string guarded = folder / "voyanta.vyr";
    const std::string path = guarded + ".lock";
    scratch::WriteFile(guarded, "");
    ASSERT_EQ(chmod(guarded.c_str(), row.guardedMode), 0);
    FileLock holder;
    ASSERT_EQ(holder.Acquire(path.c_str(), 0, guarded.c_str()), FileLock::acquired);
    scratch::WriteFile(path, row.record);
    FileLock later;
    ASSERT_EQ(later.Acquire(path.c_str(), 0, guarded.c_str()), FileLock::held);
    EXPECT_EQ(later.GetHolder().Text(), std::string(row.holder));
    EXPECT_EQ(later.GetHolderId(), row.id);
  }
}

}  // namespace
