#include "toolbox/FileLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "toolbox/Files.h"

namespace toolbox {

namespace {

constexpr int kPauseMilliseconds = 50;

long MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

void Pause() {
  const timespec pause{0, kPauseMilliseconds * 1000000L};
  nanosleep(&pause, nullptr);
}

}  // namespace

int FileLock::OpenLockFile(const char* path) {
  int opened = OpenFile(path, O_RDWR | O_CREAT | O_NOFOLLOW, error, false, 0600);
  if (opened < 0 && (error == EACCES || error == EROFS)) {
    // A lock file that exists but may not be written; where there is none, the reason
    // stays that it cannot be made.
    int readError = 0;
    opened = OpenFile(path, O_RDONLY | O_NOFOLLOW, readError);
    if (opened < 0 && readError != ENOENT) error = readError;
  }
  if (opened < 0) return -1;
  // A lock file that others may open could be held by them: it is made the user's alone.
  struct stat info;
  if (fstat(opened, &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 077) != 0) {
    static_cast<void>(fchmod(opened, info.st_mode & 0700));
  }
  return opened;
}

FileLock::Result FileLock::Acquire(const char* path, int waitMilliseconds) {
  Release();
  const int opened = OpenLockFile(path);
  if (opened < 0) return failed;
  const long deadline = MonotonicMilliseconds() + waitMilliseconds;
  for (;;) {
    if (LockFile(opened, error)) {
      fd = opened;
      return acquired;
    }
    if (error != EWOULDBLOCK || MonotonicMilliseconds() >= deadline) break;
    Pause();
  }
  close(opened);
  if (error == EWOULDBLOCK) return held;
  return IsLockingUnsupported(error) ? unsupported : failed;
}

void FileLock::Release() {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace toolbox
