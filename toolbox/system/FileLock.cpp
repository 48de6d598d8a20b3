#include "toolbox/system/FileLock.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "toolbox/base/LogSink.h"
#include "toolbox/system/Clock.h"
#include "toolbox/system/Files.h"

namespace toolbox {

namespace {

constexpr int kPauseMilliseconds = 50;
// User numbers are 32 bits wide; the largest is no user (-1 as uid_t).
constexpr long kLargestUserId = 0xFFFFFFFEL;

void Pause() {
  const timespec pause{0, kPauseMilliseconds * 1000000L};
  nanosleep(&pause, nullptr);
}

}  // namespace

int FileLock::OpenLockFile(const char* path) {
  bool writable = false;
  const int opened = OpenForWritingElseReading(path, O_CREAT | O_NOFOLLOW, error, writable, 0600);
  if (opened < 0) return -1;
  // A lock file that others may open could be held by them: it is made the user's alone.
  struct stat info;
  if (fstat(opened, &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 077) != 0) {
    static_cast<void>(fchmod(opened, info.st_mode & 0700));
  }
  return opened;
}

bool FileLock::SharedAccess(const char* guarded, Access& access) {
  // Judged as the file layer judges a path, so that a link put in the guarded file's place
  // cannot lend the lock file the permissions of a file of the user's elsewhere.
  struct stat info;
  if (!LookAtFile(guarded, info, error)) return false;
  access.mode = 0;
  if ((info.st_mode & S_IWUSR) != 0) access.mode |= 0600;
  if ((info.st_mode & S_IWGRP) != 0) access.mode |= 0060;
  if ((info.st_mode & S_IWOTH) != 0) access.mode |= 0006;
  access.group = (info.st_mode & S_IWGRP) != 0 ? info.st_gid : static_cast<gid_t>(-1);
  access.writerOwner = info.st_uid;
  access.writerMode = info.st_mode;
  return true;
}

bool FileLock::MayWrite(uid_t user, const Access& access) {
  if (user == 0) return true;
  if (user == access.writerOwner) return (access.writerMode & S_IWUSR) != 0;
  if ((access.writerMode & S_IWOTH) != 0) return true;
  if ((access.writerMode & S_IWGRP) == 0) return false;
  const passwd* account = getpwuid(user);
  if (account == nullptr) return false;
  gid_t groups[256];
  int count = 256;
  if (getgrouplist(account->pw_name, account->pw_gid, groups, &count) < 0) return false;
  for (int i = 0; i < count; ++i) {
    if (groups[i] == access.group) return true;
  }
  return false;
}

bool FileLock::KeepsTo(int descriptor, const Access& access) {
  struct stat info;
  if (fstat(descriptor, &info) != 0) return false;
  const bool groupKept = (info.st_mode & 0070) == 0 || info.st_gid == access.group;
  return (info.st_mode & 0777 & ~access.mode) == 0 && groupKept && MayWrite(info.st_uid, access);
}

int FileLock::OpenSharedLockFile(const char* path, const Access& access) {
  int opened = OpenFile(path, O_RDWR | O_NOFOLLOW, error);
  if (opened < 0 && error == ENOENT) return MakeSharedLockFile(path, access, false);
  if (opened < 0 && error != EACCES) return -1;
  if (opened >= 0) {
    struct stat info;
    if (fstat(opened, &info) == 0 && info.st_uid == geteuid()) {
      // Kept to the repository's writers by its owner, as they change.
      if ((info.st_mode & 0777) != access.mode) static_cast<void>(fchmod(opened, access.mode));
      if (access.group != static_cast<gid_t>(-1) && info.st_gid != access.group) {
        static_cast<void>(fchown(opened, static_cast<uid_t>(-1), access.group));
      }
      return opened;
    }
    if (KeepsTo(opened, access)) return opened;
    close(opened);
  } else {
    // A lock file that keeps to the writers and does not let this user in: its owner must
    // open it, which happens at the owner's next start.
    const int looked = OpenFile(path, O_RDONLY | O_NOFOLLOW, error);
    if (looked < 0) return -1;  // no file at all (a FIFO), or none to look at either
    const bool kept = KeepsTo(looked, access);
    close(looked);
    if (kept) {
      error = EACCES;
      return -1;
    }
  }
  LogToCurrent("toolbox::FileLock::Acquire", __LINE__, LogWarn,
               "The lock file %s is open to users who may not write the file it guards: it is made anew", path);
  return MakeSharedLockFile(path, access, true);
}

int FileLock::MakeSharedLockFile(const char* path, const Access& access, bool replace) {
  if (replace && !RemoveFile(path, error)) return -1;
  const int made = OpenFile(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, error, false, access.mode);
  // Made by another start meanwhile: that one is taken part in.
  if (made < 0 && error == EEXIST) return OpenFile(path, O_RDWR | O_NOFOLLOW, error);
  if (made < 0) return -1;
  // The umask has taken the group's permissions away from the new file.
  static_cast<void>(fchmod(made, access.mode));
  if (access.group != static_cast<gid_t>(-1)) static_cast<void>(fchown(made, static_cast<uid_t>(-1), access.group));
  return made;
}

FileLock::Result FileLock::Acquire(const char* path, int waitMilliseconds, const char* guarded) {
  Release();
  const bool shared = guarded != nullptr;
  holder.Release();
  holderId = -1;
  Access access;
  if (shared && !SharedAccess(guarded, access)) return failed;
  const int opened = shared ? OpenSharedLockFile(path, access) : OpenLockFile(path);
  if (opened < 0) return failed;
  const std::int64_t deadline = MonotonicMilliseconds() + waitMilliseconds;
  for (;;) {
    if (LockFile(opened, error)) {
      fd = opened;
      if (shared) WriteHolder();
      return acquired;
    }
    if (error != EWOULDBLOCK || MonotonicMilliseconds() >= deadline) break;
    Pause();
  }
  if (error == EWOULDBLOCK && shared) ReadHolder(opened, access);
  close(opened);
  if (error == EWOULDBLOCK) return held;
  return IsLockingUnsupported(error) ? unsupported : failed;
}

void FileLock::WriteHolder() {
  String record;
  const passwd* user = getpwuid(geteuid());
  record.Format("%ld %s\n", static_cast<long>(geteuid()), user != nullptr ? user->pw_name : "");
  // Only a help for the message of a later start: a disk too full for it changes nothing.
  if (ftruncate(fd, 0) == 0) static_cast<void>(pwrite(fd, record.Text(), static_cast<std::size_t>(record.Length()), 0));
}

void FileLock::ReadHolder(int descriptor, const Access& access) {
  // "uid name\n", as WriteHolder wrote it: anyone who may hold the lock may write it.
  char record[256];
  const ssize_t got = pread(descriptor, record, sizeof record - 1, 0);
  if (got <= 0) return;
  record[got] = '\0';
  char* end = nullptr;
  const long id = record[0] >= '0' && record[0] <= '9' ? std::strtol(record, &end, 10) : -1;
  if (end == nullptr || *end != ' ' || id > kLargestUserId) return;
  // Only a user who may write the guarded file can hold its lock: a record naming another is
  // not believed. (Of a user the system does not know, it cannot tell the groups.)
  const passwd* user = getpwuid(static_cast<uid_t>(id));
  const String known(user != nullptr ? user->pw_name : "");
  if (user != nullptr && !MayWrite(static_cast<uid_t>(id), access)) return;
  holderId = id;
  // The name this system knows the user by, where it knows one; else the record's.
  if (user != nullptr) {
    holder = known;
    return;
  }
  const char* name = end + 1;
  const std::size_t length = std::strcspn(name, "\n");
  if (length > 0) {
    holder = String(name, 0, static_cast<int>(length));
  } else {
    holder.Format("%ld", id);
  }
}

void FileLock::Release() {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace toolbox
