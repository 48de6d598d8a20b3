#include "framework/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "framework/Exceptions.h"
#include "framework/Paths.h"
#include "toolbox/Path.h"

namespace framework {

namespace {

// A symbolic link is replaced through the file it points to, so the link stays a link.
std::string ResolveTarget(const std::string& path) {
  char resolved[PATH_MAX];
  struct stat info;
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && realpath(path.c_str(), resolved) != nullptr) {
    return resolved;
  }
  return path;
}

}  // namespace

File::File(const char* path, OpenMode mode) { Open(path, mode); }

File::~File() { Abort(); }

void File::Throw(int error) const {
  throw FileException(FileException::CauseFromErrno(error), error, path);
}

void File::Open(const char* newPath, OpenMode newMode) {
  Abort();
  path = newPath == nullptr ? "" : newPath;
  mode = newMode;
  if (path.empty()) Throw(ENOENT);
  switch (mode) {
    case modeRead:
      fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
      break;
    case modeCreate:
      fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      break;
    case modeReplace: {
      target = ResolveTarget(path);
      struct stat existing;
      const bool exists = stat(target.c_str(), &existing) == 0;
      if (exists && !S_ISREG(existing.st_mode)) Throw(EISDIR);
      static std::atomic<unsigned> counter{0};
      // ".NAME.PID-N.tmp" in the target's folder, so the rename never crosses file systems.
      const std::string folder = FolderOf(target);  // with its "/"
      const std::string name = FileNameOf(target);
      for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
      }
      if (fd >= 0 && exists) fchmod(fd, existing.st_mode & 07777);
      if (fd < 0) {
        const int error = errno;
        temporary.clear();
        Throw(error);
      }
      break;
    }
  }
  if (fd < 0) Throw(errno);
  struct stat info;
  if (mode == modeRead && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    fd = -1;
    Throw(EISDIR);
  }
}

std::uint64_t File::GetLength() const {
  FileStatus status;
  if (!GetStatus(status)) Throw(fd < 0 ? EBADF : errno);
  return status.m_size;
}

bool File::GetStatus(FileStatus& status) const {
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) return false;
  status.m_size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

std::size_t File::Read(void* buffer, std::size_t max) {
  if (fd < 0) Throw(EBADF);
  for (;;) {
    const ssize_t got = read(fd, buffer, max);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) Throw(errno);
  }
}

void File::Write(const void* buffer, std::size_t count) {
  if (fd < 0) Throw(EBADF);
  const char* bytes = static_cast<const char*>(buffer);
  while (count > 0) {
    const ssize_t written = write(fd, bytes, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      Throw(errno);
    }
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
}

void File::Commit() {
  if (fsync(fd) != 0) Throw(errno);
  const int closed = close(fd);
  fd = -1;
  if (closed != 0) Throw(errno);
  if (rename(temporary.c_str(), target.c_str()) != 0) Throw(errno);
  temporary.clear();
  toolbox::Path::SyncFolderOf(target.c_str());
}

void File::Close() {
  if (fd < 0) return;
  if (mode == modeReplace) {
    try {
      Commit();
    } catch (...) {
      Abort();
      throw;
    }
    return;
  }
  const int closed = close(fd);
  fd = -1;
  if (closed != 0 && errno != EINTR) Throw(errno);
}

void File::Abort() {
  if (fd >= 0) close(fd);
  fd = -1;
  if (!temporary.empty()) unlink(temporary.c_str());
  temporary.clear();
}

}  // namespace framework
