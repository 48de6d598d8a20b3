#include "toolbox/system/Files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "support/FileSizeLimit.h"
#include "support/Scratch.h"

using namespace toolbox;

namespace {

using Make = std::function<void(const std::string& path)>;

const Make kNothing = [](const std::string&) {};
const Make kFile = [](const std::string& path) { scratch::WriteFile(path, "old"); };
const Make kFolder = [](const std::string& path) { mkdir(path.c_str(), 0755); };
const Make kFifo = [](const std::string& path) { mkfifo(path.c_str(), 0644); };
const Make kDevice = [](const std::string& path) { symlink("/dev/zero", path.c_str()); };

ino_t Inode(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST(FilesTest, OpeningNeverWaitsAndTakesOnlyARegularFileOrALinkToOne) {
  struct Row {
    const char* what;
    Make make;
    int flags;
    bool anyKind;
    int error;  // 0: opened
  };
  const std::vector<Row> rows = {
      {"file", kFile, O_RDONLY, false, 0},
      {"link to a file",
       [](const std::string& path) {
         kFile(path + ".real");
         symlink((path + ".real").c_str(), path.c_str());
       },
       O_RDONLY, false, 0},
      {"missing", kNothing, O_RDONLY, false, ENOENT},
      {"missing, created", kNothing, O_WRONLY | O_CREAT, false, 0},
      {"folder", kFolder, O_RDONLY, false, EISDIR},
      {"fifo without a writer", kFifo, O_RDONLY, false, kNotRegularFile},
      {"fifo without a reader", kFifo, O_WRONLY | O_APPEND | O_CREAT, false, ENXIO},
      {"link to a device", kDevice, O_RDONLY, false, kNotRegularFile},
      {"fifo, any kind", kFifo, O_RDONLY, true, 0},
      {"device, any kind", kDevice, O_WRONLY | O_CREAT | O_TRUNC, true, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch::Folder folder;
    const std::string path = folder / "trip.vyt";
    row.make(path);
    int error = 0;
    const int descriptor = OpenFile(path.c_str(), row.flags, error, row.anyKind);
    if (row.error != 0) {
      EXPECT_EQ(descriptor, -1);
      EXPECT_EQ(error, row.error) << DescribeFileError(error);
      continue;
    }
    ASSERT_GE(descriptor, 0) << DescribeFileError(error);
    EXPECT_EQ(fcntl(descriptor, F_GETFL) & O_NONBLOCK, 0);  // reads and writes wait as usual
    EXPECT_NE(fcntl(descriptor, F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_TRUE(CloseFile(descriptor, error));
  }
  EXPECT_STREQ(DescribeFileError(kNotRegularFile), "Not a regular file");
  EXPECT_STREQ(DescribeFileError(EIO), "Input/output error");
}

// Whether a folder or file can be written is the system's decision, which root overrides:
// the rows that rest on permission bits are left out for root here, and the test program
// runs once more as an unprivileged user (FilesTestAsUser).
//
// While it is written, the temporary file beside the target is the user's alone, and its
// name has a part nobody could have foretold to make it first.
void ExpectPrivateTemporary(const scratch::Folder& folder, const std::string& name) {
  const std::regex pattern("\\." + std::regex_replace(name, std::regex("\\."), "\\.") + "\\." +
                           std::to_string(getpid()) + "-[0-9a-f]{16}\\.tmp");
  int temporaries = 0;
  for (const std::string& entry : folder.Entries()) {
    if (!std::regex_match(entry, pattern)) continue;
    ++temporaries;
    struct stat info;
    ASSERT_EQ(stat((folder / entry).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u) << entry;
  }
  EXPECT_EQ(temporaries, 1) << testing::PrintToString(folder.Entries());
}

TEST(FilesTest, ReplaceGoesThroughATemporaryFileInPlaceWhereNoneCanBeMadeAndNotIntoAReadOnlyFile) {
  enum Way { replaced, inPlace, refused };
  struct Row {
    const char* what;
    mode_t folderMode;
    mode_t fileMode;  // 0: no file yet
    std::string name;
    Way way;
    int error;
    bool permissionsOnly;
  };
  const std::string longName(250, 'n');
  const std::vector<Row> rows = {
      {"file in a folder the user may write", 0755, 0640, "trip.vyt", replaced, 0, false},
      {"new file", 0755, 0, "trip.vyt", replaced, 0, false},
      {"name too long for a temporary name", 0755, 0644, longName, inPlace, 0, false},
      {"file in a folder the user may not write", 0555, 0644, "voyanta.vyr", inPlace, 0, true},
      {"new file in a folder the user may not write", 0555, 0, "voyanta.vyr", refused, EACCES, true},
      {"read-only file", 0755, 0444, "trip.vyt", refused, EACCES, true},
      {"read-only file in a folder the user may not write", 0555, 0444, "trip.vyt", refused, EACCES, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.permissionsOnly && geteuid() == 0) continue;
    scratch::Folder program;
    const std::string& folder = program.Path();
    const std::string target = program / row.name;
    if (row.fileMode != 0) {
      scratch::WriteFile(target, "old");
      chmod(target.c_str(), row.fileMode);
    }
    chmod(folder.c_str(), row.folderMode);
    const ino_t before = Inode(target);

    FileReplacement replacement;
    const bool begun = replacement.Begin(target.c_str());
    if (begun) {
      EXPECT_TRUE(replacement.Write("new ", 4));
      EXPECT_TRUE(replacement.Write("content", 7));
      EXPECT_EQ(scratch::ReadFile(target), row.fileMode != 0 ? "old" : "");  // nothing shows before the commit
      EXPECT_EQ(replacement.IsInPlace(), row.way == inPlace);
      if (row.way == replaced) ExpectPrivateTemporary(program, row.name);
      EXPECT_TRUE(replacement.Commit()) << DescribeFileError(replacement.GetError());
    }
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(begun, row.way != refused);
    EXPECT_EQ(replacement.GetError(), row.error) << DescribeFileError(replacement.GetError());
    EXPECT_EQ(scratch::ReadFile(target), row.way == refused ? (row.fileMode != 0 ? "old" : "") : "new content");
    if (row.fileMode != 0) {
      EXPECT_EQ(Inode(target) == before, row.way != replaced);
      struct stat info;
      ASSERT_EQ(stat(target.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, row.fileMode);
    }
    std::vector<std::string> only;
    if (row.way != refused || row.fileMode != 0) only.push_back(row.name);
    EXPECT_EQ(program.Entries(), only);  // no temporary file stays behind
  }
}

TEST(FilesTest, AnInPlaceRewriteThatTheDiskCannotHoldFailsBeforeAnyByteChanges) {
  scratch::Folder folder;
  const std::string target = folder / std::string(250, 'n');  // no room for a temporary name
  scratch::WriteFile(target, "old items");
  FileReplacement replacement;
  ASSERT_TRUE(replacement.Begin(target.c_str()));
  ASSERT_TRUE(replacement.IsInPlace());
  const std::string longer(4096, 'x');
  ASSERT_TRUE(replacement.Write(longer.data(), longer.size()));
  {
    support::FileSizeLimit full;
    full.Impose(1024);
    EXPECT_FALSE(replacement.Commit());
  }
  EXPECT_EQ(replacement.GetError(), EFBIG);
  EXPECT_FALSE(replacement.IsTargetDamaged());
  EXPECT_EQ(scratch::ReadFile(target), "old items");
}

TEST(FilesTest, TemporaryFilesOfAFileWhoseProcessEndedAreRemovedAndNothingElse) {
  const std::string ended = std::to_string(scratch::EndedProcess());
  struct Row {
    std::string name;
    bool removed;
  };
  const std::vector<Row> rows = {
      {".trip.vyt." + ended + "-0.tmp", true},
      {".trip.vyt." + ended + "-17.tmp", true},
      {".trip.vyt." + ended + "-0123456789abcdef.tmp", true},
      {".trip.vyt." + ended + "-0123456789ABCDEF.tmp", false},
      {".trip.vyt.1-0.tmp", false},  // the process runs
      {".trip.vyt." + std::to_string(getpid()) + "-0.tmp", false},
      {".other.vyt." + ended + "-0.tmp", false},
      {".trip.vyt." + ended + "-0.tmp.bak", false},
      {".trip.vyt.0" + ended + "-0.tmp", false},
      {".trip.vyt." + ended + "-x.tmp", false},
      {".trip.vyt." + ended + ".tmp", false},
      {"trip.vyt." + ended + "-0.tmp", false},
      {"trip.vyt", false},
  };
  scratch::Folder folder;
  for (const Row& row : rows) scratch::WriteFile(folder / row.name, "partial");
  // A folder of that name is not one of the program's files.
  mkdir((folder / (".trip.vyt." + ended + "-1.tmp")).c_str(), 0755);
  // A link names the file it points to; its temporary files lie beside that file.
  symlink("trip.vyt", (folder / "link.vyt").c_str());

  EXPECT_EQ(RemoveStaleTemporaries((folder / "link.vyt").c_str()), 3);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(access((folder / row.name).c_str(), F_OK) != 0, row.removed);
  }
  EXPECT_EQ(access((folder / (".trip.vyt." + ended + "-1.tmp")).c_str(), F_OK), 0);
}

}  // namespace

TEST(FilesTest, AUserFileIsTheUsersAloneAndNeverWrittenOrReadThroughALinkOrAnotherUsersFile) {
  enum Before { none, ownFile, linkToOwnFile, othersFile };
  struct Row {
    const char* what;
    Before before;
    int writeError;  // 0: written
    int readError;   // of the file as it was before: 0 read
  };
  const std::vector<Row> rows = {
      {"new file", none, 0, ENOENT},
      {"the user's file, open to others", ownFile, 0, 0},
      {"a link to another file", linkToOwnFile, 0, ELOOP},
      {"another user's file", othersFile, EPERM, EPERM},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.before == othersFile && geteuid() != 0) continue;  // only root can make one
    scratch::Folder folder;
    const std::string path = folder / "voyanta.vyr.1234.rescue";
    const std::string elsewhere = folder / "profile";
    scratch::WriteFile(elsewhere, "mine");
    if (row.before == ownFile || row.before == othersFile) {
      scratch::WriteFile(path, "old");
      chmod(path.c_str(), 0644);
      if (row.before == othersFile) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
      }
    }
    if (row.before == linkToOwnFile) std::filesystem::create_symlink(elsewhere, path);

    std::size_t length = 0;
    int error = 0;
    char* text = ReadWholeFile(path.c_str(), length, error, true);
    EXPECT_EQ(text == nullptr ? error : 0, row.readError);
    std::free(text);

    error = 0;
    EXPECT_EQ(WriteUserFile(path.c_str(), "new", 3, error), row.writeError == 0);
    EXPECT_EQ(error, row.writeError);
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(scratch::ReadFile(path), row.writeError == 0 ? "new" : "old");
    if (row.writeError == 0) {
      EXPECT_EQ(info.st_mode & 07777, 0600u);
    }
    EXPECT_EQ(scratch::ReadFile(elsewhere), "mine");  // never written through the link
    EXPECT_EQ(folder.Entries().size(), 2u);           // no temporary file stays behind
  }
}

namespace {

TEST(FilesTest, ALinkIsGoneThroughOnlyWhenTheUserTheFoldersOwnerOrRootMadeIt) {
  if (geteuid() != 0) GTEST_SKIP() << "links of other users are made as root";
  struct Row {
    const char* what;
    uid_t linkOwner;    // kUser: whoever runs the test
    uid_t folderOwner;  // of the folder that holds the link
    bool followed;
  };
  constexpr uid_t kUser = static_cast<uid_t>(-1);
  const std::vector<Row> rows = {
      {"the user's own link", kUser, 65534, true},
      {"another user's link in the user's folder", 65534, kUser, false},
      {"a link of the folder's owner", 65534, 65534, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch::Folder folder;
    const std::string shared = folder / "shared";
    ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
    const std::string target = folder / "mine";
    scratch::WriteFile(target, "mine");
    const std::string link = shared + "/voyanta.vyr";
    std::filesystem::create_symlink(target, link);
    const uid_t linkOwner = row.linkOwner == kUser ? geteuid() : row.linkOwner;
    const uid_t folderOwner = row.folderOwner == kUser ? geteuid() : row.folderOwner;
    ASSERT_EQ(lchown(link.c_str(), linkOwner, linkOwner), 0);
    ASSERT_EQ(chown(shared.c_str(), folderOwner, folderOwner), 0);

    EXPECT_EQ(MayFollowLink(link.c_str()), row.followed);
    int error = 0;
    const int opened = OpenFile(link.c_str(), O_RDONLY, error);
    EXPECT_EQ(opened >= 0, row.followed);
    if (opened >= 0) close(opened);
    EXPECT_EQ(error, row.followed ? 0 : kForeignLink);
    FileReplacement replacement;
    EXPECT_EQ(replacement.Begin(link.c_str()), row.followed);
    EXPECT_EQ(replacement.GetError(), row.followed ? 0 : kForeignLink);
    replacement.Abandon();
    EXPECT_EQ(scratch::ReadFile(target), "mine");
  }
}

}  // namespace
