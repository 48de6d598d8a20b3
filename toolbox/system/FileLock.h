#pragma once

#include <sys/types.h>

#include "toolbox/base/String.h"

namespace toolbox {

// An exclusive lock that tells processes apart: while one process holds it, no other can
// take it. It lives in a lock file of its own, never a link. The lock is the system's
// advisory lock on the open file (see LockFile, which NFS carries out too), so it binds only
// those who ask for it and ends with its holder: released by Release or the object's
// destruction, and by the system when the holding process ends in any way (also when it is
// killed), so a dead holder never keeps the file locked.
//
// Who may open the lock file may hold it, and so keep everybody else waiting: the file is
// open to exactly those who may take part. A private lock (a file of the user's, such as the
// settings) has a lock file only the user may open (made 0600, made so if it was not). The
// lock of a file that several users may write (a repository in a shared folder, the guarded
// file) is open to exactly those who may write that file: its lock file has the read and
// write permissions of each class of users (owner, group, others) that may write the
// guarded file, and the guarded file's group. It is made by whoever takes the lock first,
// and kept so by its owner at every start. A lock file that does not keep to that (its owner
// may not write the guarded file, or it lets others in, such as one made open to everybody
// by a user who may only read the guarded file) is not taken part in: it is made anew in
// its place, where the folder allows. The holder of a shared lock writes its user into the
// lock file, so that a start that finds it held can say who holds it (GetHolder).
//
// Owns one descriptor while held. Failures are results, never exceptions: Acquire answers
// why it holds nothing, with the system's error number in GetError.
class FileLock {
 public:
  enum Result {
    acquired,     // this object holds the lock now
    held,         // another process holds it (past the wait, if there was one)
    unsupported,  // the file system gives no locks (NFS without its lock service, some FUSE)
    failed,       // the lock file cannot be opened or made: GetError tells why
  };

  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens the lock file at path (created empty when missing, never truncated; the opening
  // never waits, see OpenFile) and locks it, trying again for up to waitMilliseconds while
  // another process holds it: no wait is without end. An object that holds a lock releases
  // it first. Anything but a regular file fails with EISDIR or kNotRegularFile, a link with
  // ELOOP. With guarded (an existing file's path) it is that file's shared lock (see above);
  // a lock file the user cannot open for writing fails with EACCES.
  [[nodiscard]] Result Acquire(const char* path, int waitMilliseconds = 0, const char* guarded = nullptr);
  void Release();
  bool IsHeld() const { return fd >= 0; }
  // The error number of the last Acquire that did not acquire.
  int GetError() const { return error; }
  // After a shared lock was found held: the user who holds it as the lock file names them
  // (the login name this system knows for the user number, else the record's own name, else
  // the number); empty where it does not say, or names a user who may not write the guarded
  // file. The record is another user's text: shown, it must be shown as text.
  const String& GetHolder() const { return holder; }
  // After a shared lock was found held: the holder's user number, or -1 where not known.
  long GetHolderId() const { return holderId; }

 private:
  // The permissions and group a shared lock file must have.
  struct Access {
    mode_t mode = 0600;
    gid_t group = static_cast<gid_t>(-1);  // -1: the file's own
    uid_t writerOwner = static_cast<uid_t>(-1);  // the guarded file's owner and mode, to
    mode_t writerMode = 0;                       // tell who may write it
  };
  // Opens the lock file for writing where the file allows it (a lock needs that), else for
  // reading, which then tells that the file cannot be locked. The descriptor, or -1.
  int OpenLockFile(const char* path);
  // Opens, or makes, the shared lock file for writing. The descriptor, or -1.
  int OpenSharedLockFile(const char* path, const Access& access);
  // Whether an open shared lock file keeps to the access: its owner may write the guarded
  // file, and it lets nobody else in.
  static bool KeepsTo(int descriptor, const Access& access);
  // Whether the user may write the guarded file, as the system would decide by its owner,
  // group and mode (root may).
  static bool MayWrite(uid_t user, const Access& access);
  // Makes the shared lock file anew: the descriptor, or -1.
  int MakeSharedLockFile(const char* path, const Access& access, bool replace);
  // The guarded file's lock: false (with the error) when it cannot be looked at.
  bool SharedAccess(const char* guarded, Access& access);
  void WriteHolder();
  void ReadHolder(int descriptor, const Access& access);

  int fd = -1;
  int error = 0;
  String holder;
  long holderId = -1;
};

}  // namespace toolbox
