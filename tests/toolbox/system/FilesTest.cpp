#include "toolbox/system/Files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
#include "toolbox/system/FileLock.h"

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
    FileReplacement::Kind kind = FileReplacement::keepMode;
    mode_t mask = 022;  // the umask of the replace
    unsigned after = 0;  // the file's mode once written; 0: as before
  };
  const std::string longName(250, 'n');
  constexpr FileReplacement::Kind kPrivate = FileReplacement::privateFile;
  const std::vector<Row> rows = {
      {"file in a folder the user may write", 0755, 0640, "trip.vyt", replaced, 0, false},
      {"new file", 0755, 0, "trip.vyt", replaced, 0, false},
      {"name too long for a temporary name", 0755, 0644, longName, inPlace, 0, false},
      {"file in a folder the user may not write", 0555, 0644, "voyanta.vyr", inPlace, 0, true},
      {"new file in a folder the user may not write", 0555, 0, "voyanta.vyr", refused, EACCES, true},
      {"read-only file", 0755, 0444, "trip.vyt", refused, EACCES, true},
      {"read-only file in a folder the user may not write", 0555, 0444, "trip.vyt", refused, EACCES, true},
      // The settings: the user's alone whatever the umask, and made so when they were not.
      {"private file open to others", 0755, 0666, "voyanta.cfg", replaced, 0, false, kPrivate, 0, 0600},
      {"new private file, umask 000", 0755, 0, "voyanta.cfg", replaced, 0, false, kPrivate, 0, 0600},
      {"new private file, umask 022", 0755, 0, "voyanta.cfg", replaced, 0, false, kPrivate, 022, 0600},
      {"new private file, name too long", 0755, 0, longName, inPlace, 0, false, kPrivate, 0, 0600},
      {"private file in a folder the user may not write", 0555, 0644, "voyanta.cfg", inPlace, 0, true, kPrivate, 0,
       0600},
  };
  NewFileMode();  // read from the test's own umask, before the rows change it
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
    const mode_t mask = umask(row.mask);
    const bool begun = replacement.Begin(target.c_str(), row.kind);
    if (begun) {
      EXPECT_TRUE(replacement.Write("new ", 4));
      EXPECT_TRUE(replacement.Write("content", 7));
      EXPECT_EQ(scratch::ReadFile(target), row.fileMode != 0 ? "old" : "");  // nothing shows before the commit
      EXPECT_EQ(replacement.IsInPlace(), row.way == inPlace);
      if (row.way == replaced) ExpectPrivateTemporary(program, row.name);
      EXPECT_TRUE(replacement.Commit()) << DescribeFileError(replacement.GetError());
    }
    umask(mask);
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(begun, row.way != refused);
    EXPECT_EQ(replacement.GetError(), row.error) << DescribeFileError(replacement.GetError());
    EXPECT_EQ(scratch::ReadFile(target), row.way == refused ? (row.fileMode != 0 ? "old" : "") : "new content");
    if (row.fileMode != 0) {
      EXPECT_EQ(Inode(target) == before, row.way != replaced);
    }
    if (row.fileMode != 0 || row.after != 0) {
      struct stat info;
      ASSERT_EQ(stat(target.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, row.after != 0 ? row.after : row.fileMode);
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
    bool behindOwnLink = false;  // reached through a link of the user's in another folder
  };
  constexpr uid_t kUser = static_cast<uid_t>(-1);
  const std::vector<Row> rows = {
      {"the user's own link", kUser, 65534, true},
      {"another user's link in the user's folder", 65534, kUser, false},
      {"a link of the folder's owner", 65534, 65534, true},
      // Each link on the way is judged where it lies, not only the first.
      {"another user's link behind the user's own", 65534, kUser, false, true},
      {"the folder owner's link behind the user's own", 65534, 65534, true, true},
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
    const std::string path = row.behindOwnLink ? folder / "own.vyr" : link;
    if (row.behindOwnLink) std::filesystem::create_symlink(link, path);
    int error = 0;
    const int opened = OpenFile(path.c_str(), O_RDONLY, error);
    EXPECT_EQ(opened >= 0, row.followed);
    if (opened >= 0) close(opened);
    EXPECT_EQ(error, row.followed ? 0 : kForeignLink);
    struct stat info;
    error = 0;
    EXPECT_EQ(LookAtFile(path.c_str(), info, error), row.followed);
    EXPECT_EQ(error, row.followed ? 0 : kForeignLink);
    FileReplacement replacement;
    EXPECT_EQ(replacement.Begin(path.c_str()), row.followed);
    EXPECT_EQ(replacement.GetError(), row.followed ? 0 : kForeignLink);
    EXPECT_EQ(replacement.Write("new", 3), row.followed);
    EXPECT_EQ(replacement.Commit(), row.followed);
    EXPECT_EQ(scratch::ReadFile(target), row.followed ? "new" : "mine");
    EXPECT_TRUE(std::filesystem::is_symlink(link));  // replaced through, not itself
  }
}

}  // namespace

namespace {

// Runs the operation in a child process and, before each system call of the child from the
// first on, exchanges the names a and b (as another user who may write their folder can, in
// a loop): every look of the child at a name and every use of it see another file there.
// The worst a race can do, made the same at every run. The child's exit status: 0 where the
// operation answered true.
int ExchangingBeforeEachSystemCall(const std::function<bool()>& operation, const std::string& a,
                                   const std::string& b) {
  const pid_t child = fork();
  if (child == 0) {
    ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    raise(SIGSTOP);
    _exit(operation() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
  bool entering = true;
  int signal = 0;
  for (;;) {
    ptrace(PTRACE_SYSCALL, child, nullptr, signal);
    if (waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) break;
    signal = 0;
    if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
      signal = WSTOPSIG(status);
      continue;
    }
    if (entering) renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
    entering = !entering;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Another user swaps a link to a private file of the user's in and out of the repository's
// name in a folder open to everybody, while the user reads, replaces, appends to and locks
// it. Whatever the file layer answers, it acts only on what it judged: the private file
// keeps its bytes and mode, and its mode is copied onto nothing.
TEST(FilesTest, ANameSwappedForAnotherUsersLinkBetweenTwoLooksIsNeverActedOnThroughIt) {
  if (geteuid() != 0) GTEST_SKIP() << "links of other users are made as root";
  // Whether what the operation got is no private file's.
  using Operation = std::function<bool(const std::string& repository)>;
  struct Row {
    const char* what;
    Operation operation;
  };
  const std::vector<Row> rows = {
      {"read",
       [](const std::string& repository) {
         std::size_t length = 0;
         int error = 0;
         char* text = ReadWholeFile(repository.c_str(), length, error);
         const bool secret = text != nullptr && std::string(text) == "secret";
         std::free(text);
         return !secret;
       }},
      {"replace",
       [](const std::string& repository) {
         FileReplacement replacement;
         if (replacement.Begin(repository.c_str()) && replacement.Write("new", 3)) {
           static_cast<void>(replacement.Commit());
         }
         return true;
       }},
      {"append as the log",
       [](const std::string& repository) {
         int error = 0;
         const int log = OpenFile(repository.c_str(), O_WRONLY | O_APPEND | O_CREAT, error, false, 0600);
         if (log >= 0) static_cast<void>(AppendToFile(log, "entry", 5, error));
         if (log >= 0) close(log);
         return true;
       }},
      {"lock",
       [](const std::string& repository) {
         FileLock lock;
         static_cast<void>(lock.Acquire((repository + ".lock").c_str(), 0, repository.c_str()));
         return true;
       }},
  };
  for (const Row& row : rows) {
    for (const bool linkFirst : {false, true}) {
      SCOPED_TRACE(std::string(row.what) + (linkFirst ? ", the link there first" : ", the file there first"));
      scratch::Folder folder;
      const std::string privateFolder = folder / "home";
      const std::string secret = privateFolder + "/secret";
      ASSERT_EQ(mkdir(privateFolder.c_str(), 0700), 0);
      scratch::WriteFile(secret, "secret");
      ASSERT_EQ(chmod(secret.c_str(), 0640), 0);
      const std::string shared = folder / "shared";
      ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
      const std::string repository = shared + "/voyanta.vyr";
      const std::string swap = shared + "/swap";
      scratch::WriteFile(repository, "items");
      ASSERT_EQ(chmod(repository.c_str(), 0664), 0);
      ASSERT_EQ(symlink(secret.c_str(), swap.c_str()), 0);
      ASSERT_EQ(lchown(swap.c_str(), 65534, 65534), 0);
      if (linkFirst) {
        ASSERT_EQ(renameat2(AT_FDCWD, repository.c_str(), AT_FDCWD, swap.c_str(), RENAME_EXCHANGE), 0);
      }

      EXPECT_EQ(ExchangingBeforeEachSystemCall([&] { return row.operation(repository); }, repository, swap), 0)
          << "the private file was read";

      EXPECT_EQ(scratch::ReadFile(secret), "secret");
      struct stat info;
      ASSERT_EQ(stat(secret.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, 0640u);
      // The repository keeps its mode, and its lock file has the permissions of its writers.
      for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(shared)) {
        if (!std::filesystem::is_regular_file(entry.symlink_status())) continue;
        SCOPED_TRACE(entry.path().filename().string());
        ASSERT_EQ(stat(entry.path().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, entry.path().extension() == ".lock" ? 0660u : 0664u);
      }
    }
  }
}

}  // namespace
