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

}  // namespace
