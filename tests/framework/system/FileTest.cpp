#include "framework/system/File.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/base/Exceptions.h"
#include "support/Scratch.h"

using namespace framework;

namespace {

FileException::Cause CauseOfOpening(const std::string& path, File::OpenMode mode) {
  try {
    File file(path.c_str(), mode);
  } catch (const FileException& e) {
    EXPECT_EQ(e.GetFileName(), path);
    EXPECT_FALSE(e.GetErrorMessage().empty());
    return e.GetCause();
  }
  return FileException::none;
}

}  // namespace

TEST(FileTest, ReadsInChunksAndReportsLength) {
  scratch::Folder folder;
  scratch::WriteFile(folder / "a.txt", "0123456789");
  File file((folder / "a.txt").c_str(), File::modeRead);
  EXPECT_EQ(file.GetLength(), 10u);
  char buffer[8];
  EXPECT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(file.Read(buffer, 8), 6u);
  EXPECT_EQ(file.Read(buffer, 8), 0u);
}

TEST(FileTest, CreateTruncatesAnExistingFile) {
  scratch::Folder folder;
  scratch::WriteFile(folder / "a.txt", "old content");
  File file((folder / "a.txt").c_str(), File::modeCreate);
  file.Write("new", 3);
  file.Close();
  EXPECT_EQ(scratch::ReadFile(folder / "a.txt"), "new");
}

TEST(FileTest, OpenFailuresThrowWithCauseAndPath) {
  scratch::Folder folder;
  EXPECT_EQ(CauseOfOpening(folder / "missing.vyt", File::modeRead), FileException::fileNotFound);
  EXPECT_EQ(CauseOfOpening(folder / "no/such/folder.vyt", File::modeCreate), FileException::fileNotFound);
  EXPECT_EQ(CauseOfOpening(folder.Path(), File::modeRead), FileException::badPath);
  EXPECT_EQ(CauseOfOpening(folder.Path(), File::modeReplace), FileException::badPath);
  EXPECT_EQ(CauseOfOpening("", File::modeRead), FileException::fileNotFound);
  // Opened without waiting for a writer, then refused; a device likewise.
  ASSERT_EQ(mkfifo((folder / "fifo.vyt").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", (folder / "zero.vyt").c_str()), 0);
  for (const char* name : {"fifo.vyt", "zero.vyt"}) {
    EXPECT_EQ(CauseOfOpening(folder / name, File::modeRead), FileException::notRegularFile) << name;
    EXPECT_EQ(CauseOfOpening(folder / name, File::modeReplace), FileException::notRegularFile) << name;
  }
  if (geteuid() != 0) {  // root may write anywhere
    chmod(folder.Path().c_str(), 0500);
    EXPECT_EQ(CauseOfOpening(folder / "new.vyt", File::modeReplace), FileException::accessDenied);
    chmod(folder.Path().c_str(), 0700);
  }
}

TEST(FileTest, ClosedFileRefusesReadAndWriteAndHasNoStatus) {
  File file;
  char buffer[4];
  EXPECT_THROW(file.Read(buffer, 4), FileException);
  EXPECT_THROW(file.Write("x", 1), FileException);
  FileStatus status;
  EXPECT_FALSE(file.GetStatus(status));
  file.Close();  // closing a closed file does nothing
}

TEST(FileTest, WriteToFullDiskThrowsDiskFull) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  File file("/dev/full", File::modeCreate);
  try {
    file.Write("x", 1);
    ADD_FAILURE() << "write to /dev/full succeeded";
  } catch (const FileException& e) {
    EXPECT_EQ(e.GetCause(), FileException::diskFull);
  }
}

TEST(FileTest, ReplaceCommitsOnCloseAndLeavesNoTemporaryFile) {
  scratch::Folder folder;
  const std::string target = folder / "trip.vyt";
  scratch::WriteFile(target, "old");
  chmod(target.c_str(), 0640);
  File file(target.c_str(), File::modeReplace);
  file.Write("new content", 11);
  EXPECT_EQ(scratch::ReadFile(target), "old");  // nothing visible before the commit
  file.Close();
  EXPECT_EQ(scratch::ReadFile(target), "new content");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"trip.vyt"});
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);  // the replaced file keeps its permissions
}

TEST(FileTest, ReplaceAbandonedWithoutCloseKeepsTheOldFile) {
  scratch::Folder folder;
  const std::string target = folder / "trip.vyt";
  scratch::WriteFile(target, "old");
  {
    File file(target.c_str(), File::modeReplace);
    file.Write("half", 4);
  }
  EXPECT_EQ(scratch::ReadFile(target), "old");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"trip.vyt"});

  File aborted(target.c_str(), File::modeReplace);
  aborted.Write("half", 4);
  aborted.Abort();
  aborted.Close();
  EXPECT_EQ(scratch::ReadFile(target), "old");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"trip.vyt"});
}

TEST(FileTest, ReplaceCreatesAMissingTargetAndKeepsASymbolicLink) {
  scratch::Folder folder;
  File created((folder / "new.vyt").c_str(), File::modeReplace);
  created.Close();
  EXPECT_EQ(scratch::ReadFile(folder / "new.vyt"), "");

  scratch::WriteFile(folder / "real.vyt", "old");
  ASSERT_EQ(symlink("real.vyt", (folder / "link.vyt").c_str()), 0);
  File linked((folder / "link.vyt").c_str(), File::modeReplace);
  linked.Write("via link", 8);
  linked.Close();
  struct stat info;
  ASSERT_EQ(lstat((folder / "link.vyt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(scratch::ReadFile(folder / "real.vyt"), "via link");
}
