#include "toolbox/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace toolbox {

namespace {

constexpr int kReplaced = -1;
// A holder replaces its file once, at its end; a few attempts reach the file that stays.
constexpr int kAttempts = 10;

}  // namespace

FileLock::Result FileLock::Acquire(const char* path) {
  Release();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int result = TryOnce(path);
    if (result != kReplaced) return static_cast<Result>(result);
  }
  error = EAGAIN;
  return failed;
}

int FileLock::TryOnce(const char* path) {
  // Without blocking, so that a FIFO at the path cannot stall the open; read-only, since
  // the lock needs no more and a read-only file is still the user's repository.
  const int opened = open(path, O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (opened < 0) {
    error = errno;
    return failed;
  }
  struct stat own {};
  if (fstat(opened, &own) != 0 || !S_ISREG(own.st_mode)) {
    error = S_ISDIR(own.st_mode) ? EISDIR : EINVAL;
    close(opened);
    return failed;
  }
  int locked;
  do {
    locked = flock(opened, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int cause = errno;
    close(opened);
    if (cause == EWOULDBLOCK) return held;
    error = cause;
    return failed;
  }
  // The holder may have replaced the file between the open and the lock, and then ended:
  // this lock is then on a file that no longer bears the name.
  struct stat named;
  if (stat(path, &named) != 0 || named.st_dev != own.st_dev || named.st_ino != own.st_ino) {
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
