#include "toolbox/FileLock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/Scratch.h"

using toolbox::FileLock;

namespace {

TEST(FileLockTest, AcquireTakesARegularFileCreatingItUnchangedAndRefusesAnythingElse) {
  struct Row {
    const char* what;
    std::function<void(const std::string& path)> make;
    FileLock::Result result;
    int error;
    const char* content;  // of the file afterwards; null: no regular file there
  };
  const std::vector<Row> rows = {
      {"missing", [](const std::string&) {}, FileLock::acquired, 0, ""},
      {"with items", [](const std::string& path) { scratch::WriteFile(path, "0\t\tSocks\tClothes\t\n"); },
       FileLock::acquired, 0, "0\t\tSocks\tClothes\t\n"},
      {"folder", [](const std::string& path) { mkdir(path.c_str(), 0755); }, FileLock::failed, EISDIR, nullptr},
      // Opened without waiting for a writer, then refused.
      {"fifo", [](const std::string& path) { mkfifo(path.c_str(), 0644); }, FileLock::failed, EINVAL, nullptr},
      {"link to itself", [](const std::string& path) { symlink(path.c_str(), path.c_str()); }, FileLock::failed, ELOOP,
       nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch::Folder folder;
    const std::string path = folder / "voyanta.vyr";
    row.make(path);
    FileLock lock;
    ASSERT_EQ(lock.Acquire(path.c_str()), row.result);
    EXPECT_EQ(lock.IsHeld(), row.result == FileLock::acquired);
    if (row.error != 0) {
      EXPECT_EQ(lock.GetError(), row.error);
    }
    if (row.content != nullptr) {
      EXPECT_EQ(scratch::ReadFile(path), row.content);
    }
  }
  scratch::Folder folder;
  FileLock lock;
  EXPECT_EQ(lock.Acquire((folder / "gone/voyanta.vyr").c_str()), FileLock::failed);
  EXPECT_EQ(lock.GetError(), ENOENT);
}

TEST(FileLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  scratch::Folder folder;
  const std::string path = folder / "voyanta.vyr";
  FileLock second;
  {
    FileLock first;
    ASSERT_EQ(first.Acquire(path.c_str()), FileLock::acquired);
    EXPECT_EQ(second.Acquire(path.c_str()), FileLock::held);
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_EQ(second.Acquire(path.c_str()), FileLock::acquired);
    second.Release();
    ASSERT_EQ(first.Acquire(path.c_str()), FileLock::acquired);
  }
  EXPECT_EQ(second.Acquire(path.c_str()), FileLock::acquired);  // the first went with its object
}

TEST(FileLockTest, FileReplacedByItsHolderIsFreeForTheNext) {
  scratch::Folder folder;
  const std::string path = folder / "voyanta.vyr";
  FileLock holder;
  ASSERT_EQ(holder.Acquire(path.c_str()), FileLock::acquired);
  scratch::WriteFile(folder / "new", "0\t\tTent\tCamping\t\n");
  ASSERT_EQ(std::rename((folder / "new").c_str(), path.c_str()), 0);
  FileLock next;
  EXPECT_EQ(next.Acquire(path.c_str()), FileLock::acquired);
  EXPECT_EQ(scratch::ReadFile(path), "0\t\tTent\tCamping\t\n");
}

TEST(FileLockTest, LockOfAKilledProcessIsGoneWithIt) {
  scratch::Folder folder;
  const std::string path = folder / "voyanta.vyr";
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    FileLock lock;
    const char taken = lock.Acquire(path.c_str()) == FileLock::acquired ? 'y' : 'n';
    if (write(ready[1], &taken, 1) != 1) _exit(1);
    for (;;) pause();
  }
  close(ready[1]);
  char taken = 0;
  ASSERT_EQ(read(ready[0], &taken, 1), 1);
  close(ready[0]);
  ASSERT_EQ(taken, 'y');

  FileLock lock;
  EXPECT_EQ(lock.Acquire(path.c_str()), FileLock::held);
  ASSERT_EQ(kill(holder, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(waitpid(holder, &status, 0), holder);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(lock.Acquire(path.c_str()), FileLock::acquired);
}

}  // namespace
