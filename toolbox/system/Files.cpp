#include "toolbox/system/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cinttypes>
#include <cstdint>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolbox/base/LogSink.h"
#include "toolbox/base/Memory.h"

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

// Whether text is a temporary name's random part: 16 hexadecimal digits, or the decimal
// counter that older versions wrote there.
bool IsRandomPart(const char* text, std::size_t length) {
  if (IsNumber(text, length)) return true;
  if (length != 16) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (!((text[i] >= '0' && text[i] <= '9') || (text[i] >= 'a' && text[i] <= 'f'))) return false;
  }
  return true;
}

// 64 bits nobody can foretell, from the system's random source; where that fails (a very
// old kernel), from the clock and a counter, which still differ from run to run.
std::uint64_t RandomNumber() {
  std::uint64_t number = 0;
  if (getrandom(&number, sizeof number, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof number)) return number;
  static std::atomic<std::uint64_t> counter{0};
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return (static_cast<std::uint64_t>(now.tv_nsec) << 32) ^ static_cast<std::uint64_t>(now.tv_sec) ^ ++counter;
}

// The process whose number a temporary name for the file name holds (".NAME.PID-X.tmp"),
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
      !IsRandomPart(counter, static_cast<std::size_t>(pid + length - 4 - counter))) {
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
  if (error == kNotRegularFile) return "Not a regular file";
  if (error == kForeignLink) return "A link that another user made";
  return std::strerror(error);
}

bool MayFollowLink(const char* path) {
  struct stat link;
  if (lstat(path, &link) != 0 || !S_ISLNK(link.st_mode)) return true;
  if (link.st_uid == geteuid() || link.st_uid == 0) return true;
  const char* slash = std::strrchr(path, '/');
  const String folder = slash == nullptr ? String(".") : slash == path ? String("/") : String(path, 0, static_cast<int>(slash - path));
  struct stat holder;
  return stat(folder.Text(), &holder) == 0 && holder.st_uid == link.st_uid;
}

int OpenFile(const char* path, int flags, int& error, bool anyKind, unsigned mode) {
  int descriptor = open(path, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
  // The path is a link (open says ELOOP for a link under O_NOFOLLOW): gone through only
  // where it may be, so that a plain file costs no more than its opening.
  if (descriptor < 0 && errno == ELOOP && (flags & O_NOFOLLOW) == 0) {
    if (!MayFollowLink(path)) {
      error = kForeignLink;
      return -1;
    }
    descriptor = open(path, flags | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
  }
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
  const int status = fcntl(descriptor, F_GETFL);
  if (status >= 0) fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK);
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

long AppendToFile(int descriptor, const void* bytes, std::size_t count, int& error) {
  for (;;) {
    const ssize_t written = write(descriptor, bytes, count);
    if (written >= 0) return static_cast<long>(written);
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
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

bool LockFile(int descriptor, int& error) {
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;  // from the start, to the end however long the file grows
  for (;;) {
    if (fcntl(descriptor, F_OFD_SETLK, &whole) == 0) return true;
    if (errno != EINTR) break;  // a network file system's lock call may still be interrupted
  }
  // A lock held elsewhere is EAGAIN, or EACCES on some systems.
  error = errno == EACCES ? EWOULDBLOCK : errno;
  return false;
}

bool IsLockingUnsupported(int error) { return error == ENOLCK || error == EBADF || error == EOPNOTSUPP; }

unsigned NewFileMode() {
  // The umask can only be read by setting it, and while it is 0 a file made on another
  // thread would be open to everyone: it is read once, while the program starts on one
  // thread, and the program never changes it.
  static const mode_t mask = [] {
    const mode_t current = umask(0);
    umask(current);
    return current;
  }();
  return 0666 & ~mask;
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

char* ReadWholeFile(const char* path, std::size_t& length, int& error, bool userOnly) {
  const int descriptor = OpenFile(path, O_RDONLY | (userOnly ? O_NOFOLLOW : 0), error);
  if (descriptor < 0) return nullptr;
  struct stat info;
  if (userOnly && (fstat(descriptor, &info) != 0 || info.st_uid != geteuid())) {
    error = EPERM;
    close(descriptor);
    return nullptr;
  }
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

bool WriteUserFile(const char* path, const void* bytes, std::size_t count, int& error) {
  FileReplacement file;
  if (file.Begin(path, true) && file.Write(bytes, count) && file.Commit()) return true;
  error = file.GetError();
  return false;
}

bool FileReplacement::Begin(const char* path, bool userOnly) {
  Abandon();
  if (userOnly) return BeginUserOnly(path);
  if (!MayFollowLink(path)) return Fail(kForeignLink);
  target = ResolveTarget(path);
  struct stat existing;
  damaged = false;
  if (stat(target.Text(), &existing) != 0) {
    // A missing file is made; one that cannot be looked at (a loop of links) is not.
    if (errno != ENOENT) return Fail(errno);
    mode = NewFileMode();
    if (CreateTemporary()) return true;
    if (!NoTemporaryCanBeMade(error)) return Fail(error);
    // A name too long for the temporary suffix: with no old file to keep, the new one is
    // made under its own name and written in place.
    descriptor = OpenFile(target.Text(), O_WRONLY | O_CREAT | O_EXCL, error, false, mode);
    if (descriptor < 0) return Fail(error);
    inPlace = true;
    error = 0;
    return true;
  }
  if (!S_ISREG(existing.st_mode)) return Fail(KindError(existing.st_mode));
  // A file the user made read-only keeps its content, as it would from a truncating write.
  if (faccessat(AT_FDCWD, target.Text(), W_OK, AT_EACCESS) != 0) return Fail(errno);
  mode = existing.st_mode & 07777;
  if (CreateTemporary()) return true;
  if (!NoTemporaryCanBeMade(error)) return Fail(error);
  descriptor = OpenFile(target.Text(), O_WRONLY, error);
  if (descriptor < 0) return Fail(error);
  inPlace = true;
  error = 0;
  return true;
}

bool FileReplacement::BeginUserOnly(const char* path) {
  target = String(path);
  damaged = false;
  mode = 0600;
  // A link is taken as the file it is, so that the rename replaces the link itself.
  struct stat existing;
  if (lstat(path, &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) return Fail(EISDIR);
    if (existing.st_uid != geteuid()) return Fail(EPERM);
  } else if (errno != ENOENT) {
    return Fail(errno);
  }
  return CreateTemporary() || Fail(error);
}

bool FileReplacement::CreateTemporary() {
  // In the target's folder, so that the rename never crosses file systems. A name taken
  // already (by chance, or made by someone else) is passed over.
  const int nameStart = NameStart(target);
  for (int attempt = 0; attempt < 10; ++attempt) {
    char random[17];
    std::snprintf(random, sizeof random, "%016" PRIx64, RandomNumber());
    temporary = String(target.Text(), 0, nameStart);
    temporary.Append('.');
    temporary.Append(target.Text() + nameStart);
    temporary.Append('.');
    temporary.AppendNumber(static_cast<int>(getpid()));
    temporary.Append('-');
    temporary.Append(random);
    temporary.Append(".tmp");
    // The user's alone until Commit gives it the target's permissions.
    descriptor = open(temporary.Text(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor >= 0) return true;
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
  if (fchmod(descriptor, static_cast<mode_t>(mode)) != 0) {
    error = errno;
    return false;
  }
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
  // The new length is reserved first: a disk too full for it fails here, the old file whole.
  // Reserving may lengthen the file (with zeros, or where the file system cannot reserve
  // with single zero bytes the C library writes): until a byte of the new text is written,
  // any failure cuts it back to its old length.
  struct stat old;
  if (fstat(descriptor, &old) != 0) {
    error = errno;
    return false;
  }
  if (!WriteInPlace(old.st_size)) return false;
  if (ftruncate(descriptor, static_cast<off_t>(keptLength)) != 0) {
    error = errno;
    return false;
  }
  if (!SyncFile(descriptor, error)) return false;
  damaged = false;
  const int closing = descriptor;
  descriptor = -1;
  return CloseFile(closing, error);
}

bool FileReplacement::WriteInPlace(off_t oldLength) {
  if (keptLength > 0) {
    const int reserved = posix_fallocate(descriptor, 0, static_cast<off_t>(keptLength));
    if (reserved != 0) return CutBack(oldLength, reserved);
  }
  std::size_t done = 0;
  while (done < keptLength) {
    const ssize_t written = pwrite(descriptor, kept + done, keptLength - done, static_cast<off_t>(done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return done == 0 ? CutBack(oldLength, written < 0 ? errno : EIO) : Damaged(errno);
    damaged = true;  // from the first byte written on, until the file is whole again
    done += static_cast<std::size_t>(written);
  }
  return true;
}

bool FileReplacement::CutBack(off_t oldLength, int cause) {
  static_cast<void>(ftruncate(descriptor, oldLength));
  error = cause;
  return false;
}

bool FileReplacement::Damaged(int cause) {
  damaged = true;
  error = cause;
  return false;
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
