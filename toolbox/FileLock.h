#pragma once

namespace toolbox {

// An exclusive lock that tells processes apart: while one process holds it, no other can
// take it. It lives in a lock file of its own, which only the user may open (created 0600,
// made so if it was not, never through a link), so that nobody else can hold it and make
// the user's program wait. The lock is the system's advisory lock on the open file (see
// LockFile, which NFS carries out too), so it binds only those who ask for it and ends with
// its holder: released by Release or the object's destruction, and by the system when the
// holding process ends in any way (also when it is killed), so a dead holder never keeps
// the file locked.
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
  // ELOOP.
  [[nodiscard]] Result Acquire(const char* path, int waitMilliseconds = 0);
  void Release();
  bool IsHeld() const { return fd >= 0; }
  // The error number of the last Acquire that did not acquire.
  int GetError() const { return error; }

 private:
  // Opens the lock file for writing where the file allows it (a lock needs that), else for
  // reading, which then tells that the file cannot be locked. The descriptor, or -1.
  int OpenLockFile(const char* path);

  int fd = -1;
  int error = 0;
};

}  // namespace toolbox
