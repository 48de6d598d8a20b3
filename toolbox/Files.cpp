#include "toolbox/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolbox/LogSink.h"
#include "toolbox/Memory.h"

namespace toolbox {

namespace {

// The error of a file that was opened but is of the wrong kind.
int KindError(mode_t mode) { return S_ISDIR(mode) ? EISDIR : kNotRegularFile; }

// A link is replaced through the file it points to; anything else is its own target.
String ResolveTarget(const char* path) {
  struct stat info;
  if (lstat(path, &info) != 0 || !S_ISLNK(info.st_mode)) return String(path);
  char* resolved = realpath(path, nullptr);
  if (resolved == nullptr) return String(path);
  String target(resolved);
  std::free(resolved);
  return target;
}

// Where the file name of path begins: after its last "/".
int NameStart(const String& path) {
  const char* slash = std::strrchr(path.Text(), '/');
  return slash == nullptr ? 0 : static_cast<int>(slash - path.Text()) + 1;
}

// Whether text is a decimal number as the program writes one: digits, no leading zero.
bool IsNumber(const char* text, std::size_t length) {
  if (length == 0 || length > 9 || (text[0] == '0' && length > 1)) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// The process whose number a temporary name for the file name holds (".NAME.PID-N.tmp"),
// or 0 when the entry is no such name.
pid_t TemporaryOwner(const char* entry, const char* name) {
  const std::size_t nameLength = std::strlen(name);
  if (entry[0] != '.' || std::strncmp(entry + 1, name, nameLength) != 0 || entry[1 + nameLength] != '.') return 0;
  const char* pid = entry + nameLength + 2;
  const char* dash = std::strchr(pid, '-');
  const std::size_t length = std::strlen(pid);
  if (dash == nullptr || length < 4 || std::strcmp(pid + length - 4, ".tmp") != 0) return 0;
  const char* counter = dash + 1;
  if (!IsNumber(pid, static_cast<std::size_t>(dash - pid)) ||
      !IsNumber(counter, static_cast<std::size_t>(pid + length - 4 - counter))) {
    return 0;
  }
  return static_cast<pid_t>(std::atol(pid));
}

bool ProcessIsGone(pid_t pid) { return pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH; }

// Errors of making the temporary file that leave writing in place as the way out: the
// folder may not be written, or the name with its suffix is too long.
bool NoTemporaryCanBeMade(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == ENAMETOOLONG;
}

}  // namespace

const char* DescribeFileError(int error) {
  return error == kNotRegularFile ? "Not a regular file" : std::strerror(error);
}

int OpenFile(const char* path, int flags, int& error, bool anyKind) {
  const int descriptor = open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    error = errno;
    return -1;
  }
  struct stat info;
  const bool known = fstat(descriptor, &info) == 0;
  if (!known || (!anyKind && !S_ISREG(info.st_mode))) {
    error = known ? KindError(info.st_mode) : errno;
    close(descriptor);
    return -1;
  }
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  return descriptor;
}

long ReadFromFile(int descriptor, void* buffer, std::size_t max, int& error) {
  for (;;) {
    const ssize_t got = read(descriptor, buffer, max);
    if (got >= 0) return static_cast<long>(got);
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

bool WriteToFile(int descriptor, const void* bytes, std::size_t count, int& error) {
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    const ssize_t written = write(descriptor, next, count);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) {
      error = errno;
      return false;
    }
    next += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

bool SyncFile(int descriptor, int& error) {
  if (fsync(descriptor) == 0) return true;
  error = errno;
  return false;
}

bool CloseFile(int descriptor, int& error) {
  // After EINTR the descriptor is closed all the same on Linux.
  if (close(descriptor) == 0 || errno == EINTR) return true;
  error = errno;
  return false;
}

bool LockFile(int descriptor, bool wait, int& error) {
  for (;;) {
    if (flock(descriptor, wait ? LOCK_EX : LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EINTR) break;
  }
  error = errno;
  return false;
}

bool RenameFile(const char* from, const char* to, int& error) {
  if (rename(from, to) == 0) return true;
  error = errno;
  return false;
}

bool RemoveFile(const char* path, int& error) {
  if (std::remove(path) == 0) return true;
  error = errno;
  return false;
}

void SyncFolderOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  String folder(".");
  if (slash != nullptr) folder = String(path, 0, slash == path ? 1 : static_cast<int>(slash - path));
  const int descriptor = open(folder.Text(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  // A file system that cannot sync a folder says EINVAL; any other failure leaves the
  // rename at the mercy of a crash, which is worth a word in the log.
  if (fsync(descriptor) != 0 && errno != EINVAL) {
    LogToCurrent("toolbox::SyncFolderOf", __LINE__, LogError, "The folder %s could not be flushed to the disk: %s",
                 folder.Text(), DescribeFileError(errno));
  }
  close(descriptor);
}

char* ReadWholeFile(const char* path, std::size_t& length, int& error) {
  const int descriptor = OpenFile(path, O_RDONLY, error);
  if (descriptor < 0) return nullptr;
  // Files of /proc and /sys report no size, so the buffer grows as the reading goes.
  std::size_t size = 0;
  std::size_t capacity = 4096;
  char* text = nullptr;
  try {
    text = static_cast<char*>(AllocateOrThrow(capacity));
    for (;;) {
      if (size == capacity - 1) {
        text = static_cast<char*>(ReallocateOrThrow(text, capacity * 2));
        capacity *= 2;
      }
      const long got = ReadFromFile(descriptor, text + size, capacity - 1 - size, error);
      if (got < 0) {
        std::free(text);
        close(descriptor);
        return nullptr;
      }
      if (got == 0) break;
      size += static_cast<std::size_t>(got);
    }
  } catch (...) {
    std::free(text);
    close(descriptor);
    throw;
  }
  close(descriptor);
  text[size] = '\0';
  length = size;
  return text;
}

int RemoveStaleTemporaries(const char* path) {
  const String target = ResolveTarget(path);
  const int nameStart = NameStart(target);
  const String folder = nameStart == 0 ? String(".") : String(target.Text(), 0, nameStart);
  const char* name = target.Text() + nameStart;
  DIR* entries = opendir(folder.Text());
  if (entries == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = readdir(entries)) {
    const pid_t owner = TemporaryOwner(entry->d_name, name);
    struct stat info;
    if (owner <= 0 || !ProcessIsGone(owner) ||
        fstatat(dirfd(entries), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        unlinkat(dirfd(entries), entry->d_name, 0) != 0) {
      continue;
    }
    ++removed;
    LogToCurrent("toolbox::RemoveStaleTemporaries", __LINE__, LogInfo,
                 "Removed %s%s, left behind by a save that did not end", folder.Text(), entry->d_name);
  }
  closedir(entries);
  return removed;
}

bool FileReplacement::Fail(int cause) {
  error = cause;
  Abandon();
  return false;
}

bool FileReplacement::Begin(const char* path) {
  Abandon();
  target = ResolveTarget(path);
  struct stat existing;
  if (stat(target.Text(), &existing) != 0) {
    // A missing file is made; one that cannot be looked at (a loop of links) is not.
    if (errno != ENOENT) return Fail(errno);
    return CreateTemporary(false, 0) || Fail(error);
  }
  if (!S_ISREG(existing.st_mode)) return Fail(KindError(existing.st_mode));
  // A file the user made read-only keeps its content, as it would from a truncating write.
  if (faccessat(AT_FDCWD, target.Text(), W_OK, AT_EACCESS) != 0) return Fail(errno);
  if (CreateTemporary(true, existing.st_mode & 07777)) return true;
  if (!NoTemporaryCanBeMade(error)) return Fail(error);
  descriptor = OpenFile(target.Text(), O_WRONLY, error);
  if (descriptor < 0) return Fail(error);
  inPlace = true;
  error = 0;
  return true;
}

bool FileReplacement::CreateTemporary(bool keepMode, unsigned mode) {
  static std::atomic<unsigned> counter{0};
  // In the target's folder, so that the rename never crosses file systems.
  const int nameStart = NameStart(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = String(target.Text(), 0, nameStart);
    temporary.Append('.');
    temporary.Append(target.Text() + nameStart);
    temporary.Append('.');
    temporary.AppendNumber(static_cast<int>(getpid()));
    temporary.Append('-');
    temporary.AppendNumber(static_cast<int>(counter++ & INT_MAX));
    temporary.Append(".tmp");
    descriptor = open(temporary.Text(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      if (keepMode) fchmod(descriptor, mode);
      return true;
    }
    if (errno != EEXIST) break;
  }
  error = errno;
  temporary.Release();
  return false;
}

bool FileReplacement::Write(const void* bytes, std::size_t count) {
  if (descriptor < 0) return Fail(EBADF);
  if (!inPlace) return WriteToFile(descriptor, bytes, count, error) || Fail(error);
  if (keptLength + count > keptCapacity) {
    const std::size_t capacity = keptLength + count > 2 * keptCapacity ? keptLength + count : 2 * keptCapacity;
    kept = static_cast<char*>(ReallocateOrThrow(kept, capacity));
    keptCapacity = capacity;
  }
  if (count > 0) std::memcpy(kept + keptLength, bytes, count);
  keptLength += count;
  return true;
}

bool FileReplacement::Commit() {
  if (descriptor < 0) return Fail(EBADF);
  if (!(inPlace ? CommitInPlace() : CommitTemporary())) return Fail(error);
  Abandon();
  return true;
}

bool FileReplacement::CommitTemporary() {
  const bool synced = SyncFile(descriptor, error);
  const int closing = descriptor;
  descriptor = -1;
  if (!CloseFile(closing, error) || !synced) return false;
  if (!RenameFile(temporary.Text(), target.Text(), error)) return false;
  temporary.Release();
  SyncFolderOf(target.Text());
  RemoveStaleTemporaries(target.Text());
  return true;
}

bool FileReplacement::CommitInPlace() {
  if (ftruncate(descriptor, 0) != 0) {
    error = errno;
    return false;
  }
  if (!WriteToFile(descriptor, kept, keptLength, error) || !SyncFile(descriptor, error)) return false;
  const int closing = descriptor;
  descriptor = -1;
  return CloseFile(closing, error);
}

void FileReplacement::Abandon() {
  if (descriptor >= 0) close(descriptor);
  descriptor = -1;
  if (temporary.Length() > 0) unlink(temporary.Text());
  temporary.Release();
  std::free(kept);
  kept = nullptr;
  keptLength = 0;
  keptCapacity = 0;
  inPlace = false;
}

}  // namespace toolbox
