#pragma once

namespace toolbox {

// An exclusive lock on a file that tells processes apart: while one process holds it, no
// other can take it. It is the system's advisory lock (flock) on the file itself, so it
// binds only those who ask for it and ends with its holder: released by Release or the
// object's destruction, and by the system when the holding process ends in any way (also
// when it is killed), so a dead holder never keeps the file locked.
//
// The lock belongs to the file the path named when it was taken. A holder that replaces the
// file (a new file renamed over it) has done with it; a later Acquire takes the new file.
//
// Owns one descriptor while held. Failures are results, never exceptions: Acquire answers
// why it holds nothing, with the system's error number in GetError.
class FileLock {
 public:
  enum Result {
    acquired,  // this object holds the lock now
    held,      // another process holds it
    failed,    // the file cannot be opened, created or locked: GetError tells why
  };

  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens the regular file at path (created empty when missing, never truncated; the
  // opening never waits, see OpenFile) and locks it, without waiting for another holder
  // unless wait is set. An object that holds a lock releases it first. Anything but a
  // regular file fails with EISDIR or kNotRegularFile.
  [[nodiscard]] Result Acquire(const char* path, bool wait = false);
  void Release();
  bool IsHeld() const { return fd >= 0; }
  // The error number of the last failed Acquire.
  int GetError() const { return error; }

 private:
  // One attempt: acquired, held, failed, or -1 when the file was replaced while it was
  // being locked (the lock then sits on a file that no longer has the name).
  [[nodiscard]] int TryOnce(const char* path, bool wait);

  int fd = -1;
  int error = 0;
};

}  // namespace toolbox
