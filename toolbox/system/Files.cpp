#include "toolbox/system/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
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

// How many links one opening follows at most, as the kernel's own bound (MAXSYMLINKS).
constexpr int kLinkBound = 40;
// How often a name that changed between its look and its opening is looked at anew.
constexpr int kLookAttempts = 8;

// Whether a link that info describes (from fstat of the link itself) may be followed out of
// the held folder: see MayFollowLink.
bool LinkMayBeFollowed(const struct stat& info, int folder) {
  if (info.st_uid == geteuid() || info.st_uid == 0) return true;
  struct stat holder;
  return fstat(folder, &holder) == 0 && holder.st_uid == info.st_uid;
}

// Opens the folder that holds the last name of path, looked up from the folder at
// (AT_FDCWD: the working folder), for lookups only (O_PATH), and sets name to that last
// name ("." for a path that ends in "/"). The descriptor, or -1 with the error.
int OpenFolderOf(int at, const char* path, String& name, int& error) {
  const char* slash = std::strrchr(path, '/');
  name = String(slash == nullptr ? path : slash + 1);
  if (name.Length() == 0) name = String(".");
  const String folder = slash == nullptr ? String(".") : slash == path ? String("/") : String(path, 0, static_cast<int>(slash - path));
  const int opened = openat(at, folder.Text(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (opened < 0) error = errno;
  return opened;
}

// What a link holds, read from the link's own descriptor (O_PATH | O_NOFOLLOW), so that it
// is the link that was judged. False with the error.
bool ReadLink(int link, String& content, int& error) {
  char text[PATH_MAX + 1];
  const ssize_t length = readlinkat(link, "", text, sizeof text);
  if (length < 0 || length == static_cast<ssize_t>(sizeof text)) {
    error = length < 0 ? errno : ENAMETOOLONG;
    return false;
  }
  content = String(text, 0, static_cast<int>(length));
  return true;
}

// A name judged once, on descriptors: the folder that holds it, held open for lookups, and
// the name in it. Owns the folder's descriptor.
struct Place {
  Place() = default;
  Place(const Place&) = delete;
  Place& operator=(const Place&) = delete;
  ~Place() { Hold(-1); }
  void Hold(int descriptor) {
    if (folder >= 0) close(folder);
    folder = descriptor;
  }
  int Release() {
    const int held = folder;
    folder = -1;
    return held;
  }
  int folder = -1;
  String name;
  bool exists = false;
  // The name is a link of the process's own descriptors (/proc/self/fd), which nobody else
  // can change and only the kernel can follow (to a memory file, a pipe, a deleted file).
  bool kernelFollows = false;
  struct stat look {};  // of what the name shows (never a link when followed), where it exists
};

// Whether the folder is one of the process file system's (/proc).
bool IsProcessFolder(int folder) {
  struct statfs system {};
  return fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
}

// Looks at path from its held folder: the name is looked at without following it (O_PATH |
// O_NOFOLLOW, fstat); where it is a link and follow is set, the link is followed as its own
// descriptor says (its owner judged by LinkMayBeFollowed, its content read from it) from the
// folder that holds it, up to kLinkBound links. place then holds the folder of what is no
// link (or is missing) and its look. False with the error (kForeignLink, ELOOP, or the
// system's).
bool Judge(const char* path, bool follow, Place& place, int& error) {
  place.Hold(OpenFolderOf(AT_FDCWD, path, place.name, error));
  if (place.folder < 0) return false;
  for (int links = 0;; ++links) {
    const int entry = openat(place.folder, place.name.Text(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (entry < 0 && errno == ENOENT) {
      place.exists = false;
      return true;
    }
    if (entry < 0 || fstat(entry, &place.look) != 0) {
      error = errno;
      if (entry >= 0) close(entry);
      return false;
    }
    place.exists = true;
    if (!S_ISLNK(place.look.st_mode) || !follow) {
      close(entry);
      return true;
    }
    if (IsProcessFolder(place.folder)) {
      close(entry);
      place.kernelFollows = true;
      if (fstatat(place.folder, place.name.Text(), &place.look, 0) == 0) return true;
      error = errno;
      return false;
    }
    String content;
    error = links >= kLinkBound ? ELOOP : LinkMayBeFollowed(place.look, place.folder) ? 0 : kForeignLink;
    const bool read = error == 0 && ReadLink(entry, content, error);
    close(entry);
    if (!read) return false;
    // A relative link goes on from the folder that holds it.
    place.Hold(OpenFolderOf(place.folder, content.Text(), place.name, error));
    if (place.folder < 0) return false;
  }
}

// Whether the file opened is the one its look showed.
bool IsSameFile(const struct stat& look, const struct stat& opened) {
  return look.st_dev == opened.st_dev && look.st_ino == opened.st_ino;
}

// Opens what path names through its links, each judged once (Judge), from the folder that
// holds the last one. A name that changed after its look (a link, or another file, put in
// its place) is looked at anew, a few times, then refused (EAGAIN): what is opened is always
// what was judged. The descriptor, or -1 with the error.
int OpenThroughLinks(const char* path, int flags, mode_t mode, int& error) {
  for (int attempt = 0; attempt < kLookAttempts; ++attempt) {
    Place place;
    if (!Judge(path, true, place, error)) return -1;
    // A file the look found is opened as it is, cut only once it is known to be that one; a
    // missing one is made only where nothing has come since.
    const int how = place.exists ? flags & ~(O_CREAT | O_EXCL | O_TRUNC) : (flags & O_CREAT) != 0 ? flags | O_EXCL : flags;
    const int follow = place.kernelFollows ? 0 : O_NOFOLLOW;
    const int descriptor = openat(place.folder, place.name.Text(), how | follow | O_NONBLOCK | O_CLOEXEC, mode);
    if (descriptor < 0) {
      if (errno == ELOOP || (place.exists ? errno == ENOENT : errno == EEXIST)) continue;
      error = errno;
      return -1;
    }
    struct stat opened;
    if (fstat(descriptor, &opened) != 0) {
      error = errno;
      close(descriptor);
      return -1;
    }
    if (place.exists && !IsSameFile(place.look, opened)) {
      close(descriptor);
      continue;
    }
    if ((flags & O_TRUNC) != 0 && place.exists && S_ISREG(opened.st_mode) && ftruncate(descriptor, 0) != 0) {
      error = errno;
      close(descriptor);
      return -1;
    }
    return descriptor;
  }
  error = EAGAIN;
  return -1;
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

// Flushes the held folder to disk, so that a rename in it is durable. Best effort: some file
// systems cannot sync a folder, and the rename has happened all the same; another failure
// is logged, naming the file (path) whose folder it is.
void SyncFolder(int folder, const char* path) {
  // The held descriptor only looks up names; the folder itself is opened to be flushed.
  const int descriptor = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  // A file system that cannot sync a folder says EINVAL; any other failure leaves the
  // rename at the mercy of a crash, which is worth a word in the log.
  if (fsync(descriptor) != 0 && errno != EINVAL) {
    LogToCurrent("toolbox::SyncFolder", __LINE__, LogError, "The folder of %s could not be flushed to the disk: %s",
                 path, DescribeFileError(errno));
  }
  close(descriptor);
}

// RemoveStaleTemporaries for the file name in the held folder; path names it in the log.
int RemoveStaleTemporariesIn(int folder, const char* name, const char* path) {
  const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* entries = listing < 0 ? nullptr : fdopendir(listing);
  if (entries == nullptr) {
    if (listing >= 0) close(listing);
    return 0;
  }
  int removed = 0;
  while (const dirent* entry = readdir(entries)) {
    const pid_t owner = TemporaryOwner(entry->d_name, name);
    struct stat info;
    if (owner <= 0 || !ProcessIsGone(owner) ||
        fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        unlinkat(folder, entry->d_name, 0) != 0) {
      continue;
    }
    ++removed;
    LogToCurrent("toolbox::RemoveStaleTemporaries", __LINE__, LogInfo,
                 "Removed %s beside %s, left behind by a save that did not end", entry->d_name, path);
  }
  closedir(entries);
  return removed;
}

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
  Place place;
  int error = 0;
  return !Judge(path, false, place, error) || !place.exists || !S_ISLNK(place.look.st_mode) ||
         LinkMayBeFollowed(place.look, place.folder);
}

bool LookAtFile(const char* path, struct stat& info, int& error) {
  Place place;
  if (!Judge(path, true, place, error)) return false;
  if (!place.exists) {
    error = ENOENT;
    return false;
  }
  info = place.look;
  return true;
}

int OpenFile(const char* path, int flags, int& error, bool anyKind, unsigned mode) {
  // What is no link at the name is opened as it is, in one look, so that a plain file costs
  // no more than its opening. A link (open says ELOOP under O_NOFOLLOW) is followed only as
  // its own descriptor says, where it may be.
  int descriptor = open(path, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
  if (descriptor < 0 && errno == ELOOP && (flags & O_NOFOLLOW) == 0) {
    descriptor = OpenThroughLinks(path, flags, static_cast<mode_t>(mode), error);
    if (descriptor < 0) return -1;
  } else if (descriptor < 0) {
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

int OpenForWritingElseReading(const char* path, int flags, int& error, bool& writable, unsigned mode) {
  int opened = OpenFile(path, flags | O_RDWR, error, false, mode);
  writable = opened >= 0;
  if (!writable && (error == EACCES || error == EPERM || error == EROFS)) {
    int readError = 0;
    opened = OpenFile(path, (flags & O_NOFOLLOW) | O_RDONLY, readError);
    if (opened < 0 && readError != ENOENT) error = readError;
  }
  return opened;
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
  Place place;
  int error = 0;
  if (!Judge(path, true, place, error)) return 0;
  return RemoveStaleTemporariesIn(place.folder, place.name.Text(), path);
}

bool FileReplacement::Fail(int cause) {
  error = cause;
  Abandon();
  return false;
}

bool WriteUserFile(const char* path, const void* bytes, std::size_t count, int& error) {
  FileReplacement file;
  if (file.Begin(path, FileReplacement::userOnly) && file.Write(bytes, count) && file.Commit()) return true;
  error = file.GetError();
  return false;
}

bool FileReplacement::Begin(const char* path, Kind kind) {
  Abandon();
  damaged = false;
  shownAs = String(path);
  if (kind == userOnly) return BeginUserOnly(path);
  for (int attempt = 0; attempt < kLookAttempts; ++attempt) {
    Place place;
    if (!Judge(path, true, place, error)) return Fail(error);
    folder = place.Release();
    name = place.name;
    if (!place.exists) return BeginNew(kind == privateFile ? 0600 : NewFileMode());
    if (!S_ISREG(place.look.st_mode)) return Fail(KindError(place.look.st_mode));
    bool changed = false;
    struct stat opened;
    const int existing = OpenExisting(place.look, opened, changed);
    if (existing >= 0) return BeginExisting(existing, opened, kind);
    if (!changed) return Fail(error);
    Abandon();  // another file came under the name since its look: it is looked at anew
  }
  return Fail(EAGAIN);
}

int FileReplacement::OpenExisting(const struct stat& look, struct stat& info, bool& changed) {
  // The system decides whether the user may write the file: a read-only one is refused, as
  // a truncating write would refuse it.
  const int opened = openat(folder, name.Text(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (opened < 0) {
    error = errno;
    changed = error == ELOOP || error == ENOENT;
    return -1;
  }
  const bool known = fstat(opened, &info) == 0;
  if (!known || !IsSameFile(look, info)) {
    error = known ? EAGAIN : errno;
    changed = known;
    close(opened);
    return -1;
  }
  return opened;
}

bool FileReplacement::BeginExisting(int existing, const struct stat& info, Kind kind) {
  // A private file keeps only its owner's permissions: the new file is the user's, and one
  // rewritten in place can be made so only by its owner.
  const unsigned kept = info.st_mode & 07777;
  mode = kind == privateFile ? kept & 0700 : kept;
  if (CreateTemporary()) {
    close(existing);
    return true;
  }
  if (!NoTemporaryCanBeMade(error)) {
    close(existing);
    return Fail(error);
  }
  if (info.st_uid != geteuid()) mode = kept;
  descriptor = existing;
  inPlace = true;
  error = 0;
  return true;
}

bool FileReplacement::BeginNew(unsigned newMode) {
  mode = newMode;
  if (CreateTemporary()) return true;
  if (!NoTemporaryCanBeMade(error)) return Fail(error);
  // A name too long for the temporary suffix: with no old file to keep, the new one is made
  // under its own name and written in place.
  descriptor = openat(folder, name.Text(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(mode));
  if (descriptor < 0) return Fail(errno);
  inPlace = true;
  error = 0;
  return true;
}

bool FileReplacement::BeginUserOnly(const char* path) {
  mode = 0600;
  // A link is taken as the file it is, so that the rename replaces the link itself.
  Place place;
  if (!Judge(path, false, place, error)) return Fail(error);
  folder = place.Release();
  name = place.name;
  if (place.exists && S_ISDIR(place.look.st_mode)) return Fail(EISDIR);
  if (place.exists && place.look.st_uid != geteuid()) return Fail(EPERM);
  return CreateTemporary() || Fail(error);
}

bool FileReplacement::CreateTemporary() {
  // In the target's folder, so that the rename never crosses file systems. A name taken
  // already (by chance, or made by someone else) is passed over.
  for (int attempt = 0; attempt < 10; ++attempt) {
    char random[17];
    std::snprintf(random, sizeof random, "%016" PRIx64, RandomNumber());
    temporary = String(".");
    temporary.Append(name.Text());
    temporary.Append('.');
    temporary.AppendNumber(static_cast<int>(getpid()));
    temporary.Append('-');
    temporary.Append(random);
    temporary.Append(".tmp");
    // The user's alone until Commit gives it the target's permissions.
    descriptor = openat(folder, temporary.Text(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
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
  if (renameat(folder, temporary.Text(), folder, name.Text()) != 0) {
    error = errno;
    return false;
  }
  temporary.Release();
  SyncFolder(folder, shownAs.Text());
  RemoveStaleTemporariesIn(folder, name.Text(), shownAs.Text());
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
  // A file of the user's alone (privateFile) made so, before its new bytes are in it.
  if ((old.st_mode & 07777) != mode && fchmod(descriptor, static_cast<mode_t>(mode)) != 0) {
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
  if (temporary.Length() > 0) unlinkat(folder, temporary.Text(), 0);
  temporary.Release();
  if (folder >= 0) close(folder);
  folder = -1;
  std::free(kept);
  kept = nullptr;
  keptLength = 0;
  keptCapacity = 0;
  inPlace = false;
}

}  // namespace toolbox
