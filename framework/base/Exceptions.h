#pragma once

#include <new>
#include <string>
#include <utility>

#include "toolbox/base/Memory.h"

namespace framework {

// Root of the framework's own exceptions (files, memory), thrown by value. Command and
// document code of the framework catches them and reports them with a message box.
class Exception {
 public:
  virtual ~Exception() = default;
  // A sentence for the user.
  virtual std::string GetErrorMessage() const = 0;
};

// Memory for a framework object could not be had.
class MemoryException : public Exception {
 public:
  std::string GetErrorMessage() const override;
};

// A file operation failed: the cause, the system's error number and the file's path.
class FileException : public Exception {
 public:
  enum Cause {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    diskFull,
    endOfFile,
    notRegularFile,  // a FIFO, a device or a socket where a file was expected
    foreignLink,     // a link that another user made, not followed (toolbox::MayFollowLink)
  };

  FileException(Cause cause, int osError, std::string path);

  // The cause that matches a POSIX error number, or the file layer's toolbox::kNotRegularFile
  // or toolbox::kForeignLink.
  static Cause CauseFromErrno(int error);

  Cause GetCause() const { return cause; }
  int GetOsError() const { return osError; }
  const std::string& GetFileName() const { return path; }
  std::string GetErrorMessage() const override;
  // The system's own words for the error number; empty without one.
  std::string GetSystemReason() const;
  // Why, in the fewest words: the system's reason, or the sentence for the user where the
  // failure has no error number.
  std::string GetReason() const;

 private:
  Cause cause;
  int osError;
  std::string path;
};

// new for the framework's and the program's objects: running out of memory is the
// framework's MemoryException, never std::bad_alloc.
template <class T, class... Args>
T* New(Args&&... args) {
  T* made = new (std::nothrow) T(std::forward<Args>(args)...);
  if (made == nullptr) throw MemoryException();
  return made;
}

// Runs work that allocates through the standard library or the general library (containers,
// strings) and answers its result: running out of memory there (bad_alloc, EOutOfMemory) is
// the framework's MemoryException too.
template <class F>
auto Allocating(F&& work) {
  try {
    return toolbox::Allocating(std::forward<F>(work));
  } catch (const toolbox::EOutOfMemory&) {
    throw MemoryException();
  }
}

}  // namespace framework
