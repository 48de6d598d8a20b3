#pragma once

namespace toolbox {

// Root of the library's exceptions, thrown by value. An exception built with a location
// and a line records itself in the log as it is constructed, since nothing in the program
// catches these exceptions and the log is the only trace of them.
class Exception {
 public:
  // Line 0, no message, no location; nothing is logged and nothing is allocated.
  explicit Exception(const char* typeName) noexcept;
  // Copies the message and the part of the location after its last backslash. Throws
  // EOutOfMemory when a copy cannot be allocated.
  Exception(const char* typeName, const char* message, const char* location, int line);
  Exception(const Exception& other);
  Exception& operator=(const Exception& other);
  virtual ~Exception();

  const char* GetTypeName() const { return typeName; }
  int GetLine() const { return line; }
  const char* GetMessage() const { return message; }    // null when none was given
  const char* GetLocation() const { return location; }  // null when none was given

 private:
  const char* typeName;
  int line;
  char* message;
  char* location;
};

// Common base of the exceptions that report programming errors.
class EAutoBreaking : public Exception {
 public:
  EAutoBreaking(const char* typeName, const char* message, const char* location, int line)
      : Exception(typeName, message, location, line) {}
};

class EIllegalArgument : public EAutoBreaking {
 public:
  EIllegalArgument(const char* message, const char* location, int line)
      : EAutoBreaking("EIllegalArgument", message, location, line) {}
};

class EIllegalState : public EAutoBreaking {
 public:
  EIllegalState(const char* message, const char* location, int line)
      : EAutoBreaking("EIllegalState", message, location, line) {}
};

// A heap allocation returned nothing. Building one allocates nothing, so it can be
// raised when the heap is exhausted.
class EOutOfMemory : public Exception {
 public:
  EOutOfMemory() noexcept : Exception("EOutOfMemory") {}
};

}  // namespace toolbox
