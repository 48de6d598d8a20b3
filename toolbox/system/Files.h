#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

#include "toolbox/base/String.h"

namespace toolbox {

// The program's one way to its files: opening without ever waiting, reading a file whole,
// writing a file safely (FileReplacement, which flushes the folder too), and clearing away the
// temporary files of replaces that a crash cut short. The program's files (repository,
// trips, configuration, log) are opened, written, renamed and removed only through it.
//
// A path is judged once, on descriptors: its folder is held open, the name in it looked at
// without following it, a link followed only as its own descriptor says (see MayFollowLink)
// from the folder that holds it, and what is decided (kind, owner, permissions) comes from
// fstat of what was opened, so that another user who renames things in a shared folder
// between two looks cannot have one file judged and another acted on. A name that changed
// between its look and its opening is looked at anew, a few times, then refused (EAGAIN).
//
// Failures are answers, never exceptions (an exhausted heap excepted: EOutOfMemory). They
// come as an error number: the system's (errno), or kNotRegularFile.

// The path names something that is neither a regular file nor a link to one: a FIFO, a
// device, a socket. (A directory is the system's EISDIR.) No error number of the system has
// this value.
inline constexpr int kNotRegularFile = 0x10000;
// The path is a link that someone else made, in a folder of a third: the program does not
// follow it (see MayFollowLink). No error number of the system has this value.
inline constexpr int kForeignLink = 0x10001;

// The reason an error number stands for: the system's own text, "Not a regular file" for
// kNotRegularFile, "A link that another user made" for kForeignLink.
const char* DescribeFileError(int error);

// Whether the program may go through what is at path: anything but a link, and a link
// whose owner is the user, root, or the owner of the folder that holds it (who could put
// anything there anyway). Another user's link in a folder that others may write (a shared
// program folder) could send the user's writes into the user's own files, or read them
// into a shared one: it is not followed, as the kernel's protected_symlinks refuses such
// links in sticky folders, on systems where that is switched off and in every folder. A
// path that cannot be looked at is no link to refuse: its opening tells what is wrong.
bool MayFollowLink(const char* path);

// What the file at path is (kind, owner, permissions), through the links MayFollowLink
// allows (kForeignLink for one it refuses), as fstat tells it of what the path was found to
// name. False with the error (ENOENT for nothing there).
[[nodiscard]] bool LookAtFile(const char* path, struct stat& info, int& error);

// Opens the file at path with open's flags (O_RDONLY, O_WRONLY or O_RDWR, with O_CREAT,
// O_EXCL, O_TRUNC, O_APPEND or O_NOFOLLOW as wanted), close-on-exec; a file it creates gets
// mode less the umask. A link is gone through only where MayFollowLink allows it, and so is
// each further link it leads to, judged in the folder that holds it (kForeignLink), up to 40
// links in a row (ELOOP). The opening itself never waits, so a FIFO with nobody at its other
// end cannot hang it; the descriptor then blocks as usual. Unless anyKind is set, what is not a regular file is
// closed again and refused (EISDIR, kNotRegularFile). The descriptor, or -1 with the error.
[[nodiscard]] int OpenFile(const char* path, int flags, int& error, bool anyKind = false, unsigned mode = 0666);
// Opens the file for reading and writing (flags may add O_CREAT and O_NOFOLLOW), or, where
// the user may not write it (EACCES, EPERM, EROFS), for reading alone; writable tells which.
// Where there is no file to read either, the error stays the first one: it cannot be made.
[[nodiscard]] int OpenForWritingElseReading(const char* path, int flags, int& error, bool& writable,
                                            unsigned mode = 0666);
// Reads up to max bytes; how many, 0 at the end of the file, -1 on failure.
[[nodiscard]] long ReadFromFile(int descriptor, void* buffer, std::size_t max, int& error);
// Writes all count bytes, piece by piece where the system takes less at a time.
[[nodiscard]] bool WriteToFile(int descriptor, const void* bytes, std::size_t count, int& error);
// Appends the bytes in a single write, so that on a file opened with O_APPEND by several
// processes (a shared log) they land whole after what the others appended: a short write
// is not continued, since another process's record could come before the rest. How many
// bytes the system took (fewer than count only where the disk is full), -1 on failure.
[[nodiscard]] long AppendToFile(int descriptor, const void* bytes, std::size_t count, int& error);
// Hands what was written to the disk (fsync).
[[nodiscard]] bool SyncFile(int descriptor, int& error);
// Closes the descriptor; it is closed even when the answer is false.
[[nodiscard]] bool CloseFile(int descriptor, int& error);
// Takes the exclusive advisory lock of the whole open file, failing at once (EWOULDBLOCK)
// while another open file holds it; it never waits. It is an open-file-description lock
// (fcntl F_OFD_SETLK), which network file systems (NFS) carry out as well: it needs a
// descriptor open for writing (EBADF otherwise), and a file system without locks says
// ENOLCK or EOPNOTSUPP (see IsLockingUnsupported). It binds only those who ask for it and
// ends when the descriptor is closed, also when its process is killed.
[[nodiscard]] bool LockFile(int descriptor, int& error);
// Whether the error of LockFile means that the file cannot be locked at all (no locks on
// that file system, or a descriptor that may not write), rather than that someone holds it.
bool IsLockingUnsupported(int error);
// The mode a new file gets from the user's umask: 0666 less it. The umask is read once,
// at the first call, which comes before any thread writes files.
unsigned NewFileMode();
[[nodiscard]] bool RenameFile(const char* from, const char* to, int& error);
// Removes a file, or an empty folder, as remove does.
[[nodiscard]] bool RemoveFile(const char* path, int& error);

// The whole content of the regular file at path as a new heap text that the caller frees
// with std::free, with a NUL byte after the content (which may itself hold NUL bytes); its
// length, without that byte, goes to length. Files of /proc and /sys, which tell no size,
// are read whole too. With userOnly, only a file of the user's own is read, never through a
// link (ELOOP; EPERM for a file someone else made): what another user planted in a shared
// folder is not taken for the user's. Null, with the error, when the file cannot be opened
// or read.
[[nodiscard]] char* ReadWholeFile(const char* path, std::size_t& length, int& error, bool userOnly = false);

// Writes the bytes as the whole file at path, a file of the user's alone (mode 0600): a
// FileReplacement begun userOnly, written and committed. False with the error.
[[nodiscard]] bool WriteUserFile(const char* path, const void* bytes, std::size_t count, int& error);

// Removes what replaces of the file at path (or of the file a link there points to) left
// behind when their process died before the rename: the files ".NAME.PID-X.tmp" beside it
// (X a random number in hexadecimal, or in decimal as older versions named them) whose
// process PID no longer exists. A file whose PID runs (also as another program, the number
// having been given again) is kept. Answers how many were removed.
int RemoveStaleTemporaries(const char* path);

// Writes a file as a whole or not at all. The bytes go into a new temporary file beside the
// target, ".NAME.PID-X.tmp" with a random X that nobody can make in advance, readable by the
// user alone while it is written; Commit gives it the target's permissions (a new file's:
// NewFileMode), flushes it to the disk, renames it over the target and flushes the folder,
// so the target is always the old file or the complete new one. Begin holds the target's
// folder open, and the temporary file, the rename, the flush and the clearing away of stale
// temporary files all work in that folder, whatever is renamed meanwhile. A link is replaced
// through the file it points to, so it stays a link (a link of the user's that points to
// nothing has that file made); a link that MayFollowLink refuses is refused (kForeignLink).
// Where no temporary file can be made beside an existing target (a folder the user may not
// write in, a name too long for the suffix), the target is rewritten in place instead (and a
// new file whose name is too long for the suffix is made under its own name): the bytes are
// kept in memory, and Commit first
// reserves the disk space of the new length, so that a full disk fails before any byte of
// the target changes, then writes them over the old ones, cuts the file to their length and
// flushes it. A failure after that first byte leaves the target damaged
// (IsTargetDamaged): the caller still has what it meant to write and should keep it
// elsewhere.
//
// Begun privateFile (the settings), the file is the user's alone: a new one is made 0600
// whatever the umask, and an existing one keeps only its owner's permissions; a link is still
// replaced through, as above.
//
// Begun userOnly, the file is the user's alone (mode 0600 whatever it had), such as what is
// kept of the user's items in a folder that others may use too: a link at the path is itself
// replaced, never followed, a file that another user owns is refused (EPERM), and the file is
// never rewritten in place: where no temporary file can be made, Begin fails.
//
// A target that is not a regular file, or that the user may not write (a read-only file), is
// refused, as a truncating write would refuse it. A replacement that is destroyed or abandoned
// before Commit removes its temporary file and leaves the target untouched. Owns two
// descriptors (the file's and its folder's) and the kept bytes while it is active.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement() { Abandon(); }
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Whose the file is once committed (see above).
  enum Kind {
    keepMode,     // its own permissions, a new file's from the umask
    privateFile,  // the user's alone, a link replaced through
    userOnly,     // the user's alone, a link replaced itself
  };

  // Begins replacing the file at path; a replacement begun before is abandoned.
  [[nodiscard]] bool Begin(const char* path, Kind kind = keepMode);
  [[nodiscard]] bool Write(const void* bytes, std::size_t count);
  // Puts the written bytes in the target's place and ends the replacement, also when it
  // fails (the target is then as it was, except after a failed write in place).
  [[nodiscard]] bool Commit();
  // Ends without touching the target. Never fails.
  void Abandon();

  bool IsActive() const { return descriptor >= 0; }
  bool IsInPlace() const { return inPlace; }
  // The last Commit failed after it had begun to change the target in place.
  bool IsTargetDamaged() const { return damaged; }
  // The error number of the last failure.
  int GetError() const { return error; }

 private:
  bool Fail(int cause);
  bool BeginUserOnly(const char* path);
  // Opens the existing target that look describes for writing, info its fstat: the
  // descriptor, or -1 with the error, changed set where another file has come under the
  // name since the look.
  int OpenExisting(const struct stat& look, struct stat& info, bool& changed);
  // Begins on the opened existing target (info its fstat), whose descriptor it takes.
  bool BeginExisting(int existing, const struct stat& info, Kind kind);
  bool BeginNew(unsigned newMode);
  bool CreateTemporary();
  bool CommitTemporary();
  bool CommitInPlace();
  // Reserves the new length and writes the kept bytes over the old ones; false (with the
  // target damaged once a byte of it changed) when that failed.
  bool WriteInPlace(off_t oldLength);
  // A failure before any byte changed: the file is cut back to its old length.
  bool CutBack(off_t oldLength, int cause);
  bool Damaged(int cause);

  int descriptor = -1;
  int folder = -1;  // the target's folder, held for lookups while active
  bool inPlace = false;
  bool damaged = false;
  int error = 0;
  unsigned mode = 0;  // the permissions the file has once committed
  String name;       // the target's name in that folder: a link resolved
  String shownAs;    // the path begun with, for the log
  String temporary;  // while one exists
  // The bytes of a replace in place, until Commit.
  char* kept = nullptr;
  std::size_t keptLength = 0;
  std::size_t keptCapacity = 0;
};

}  // namespace toolbox
