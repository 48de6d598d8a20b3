#include "toolbox/FileLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "toolbox/Files.h"

namespace toolbox {

namespace {

constexpr int kReplaced = -1;
// A holder replaces its file once, at its end; a few attempts reach the file that stays.
constexpr int kAttempts = 10;

}  // namespace

FileLock::Result FileLock::Acquire(const char* path, bool wait) {
  Release();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int result = TryOnce(path, wait);
    if (result != kReplaced) return static_cast<Result>(result);
  }
  error = EAGAIN;
  return failed;
}

int FileLock::TryOnce(const char* path, bool wait) {
  // Read-only, since the lock needs no more and a read-only file is still the user's.
  const int opened = OpenFile(path, O_RDONLY | O_CREAT, error);
  if (opened < 0) return failed;
  int cause = 0;
  if (!LockFile(opened, wait, cause)) {
    close(opened);
    if (cause == EWOULDBLOCK) return held;
    error = cause;
    return failed;
  }
  // The holder may have replaced the file between the open and the lock, and then ended:
  // this lock is then on a file that no longer bears the name.
  struct stat own;
  struct stat named;
  if (fstat(opened, &own) != 0 || stat(path, &named) != 0 || named.st_dev != own.st_dev ||
      named.st_ino != own.st_ino) {
    close(opened);
    return kReplaced;
  }
  fd = opened;
  return acquired;
}

void FileLock::Release() {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace toolbox
