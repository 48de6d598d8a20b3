#include "toolbox/base/Exception.h"

#include <cstdlib>

#include "toolbox/base/LogSink.h"
#include "toolbox/base/Memory.h"

namespace toolbox {

namespace {

// A heap copy of length + 1 bytes, or null for null.
char* CopyText(const char* text) { return text != nullptr ? CopyTextOrThrow(text) : nullptr; }

}  // namespace

Exception::Exception(const char* typeName) noexcept
    : typeName(typeName), line(0), message(nullptr), location(nullptr) {}

Exception::Exception(const char* typeName, const char* message, const char* location, int line)
    : typeName(typeName), line(line), message(nullptr), location(nullptr) {
  this->message = CopyText(message);
  if (location != nullptr) {
    try {
      this->location = CopyText(ShortLocation(location));
    } catch (...) {
      std::free(this->message);
      throw;
    }
  }
  if (location != nullptr && line != 0) {
    // The full location goes to the log; the logger shortens it the same way.
    LogToCurrent(location, line, LogException, "%s.\nMessage: %s", typeName,
                 message != nullptr ? message : "(null)");
  }
}

Exception::Exception(const Exception& other)
    : typeName(other.typeName), line(other.line), message(nullptr), location(nullptr) {
  message = CopyText(other.message);
  try {
    location = CopyText(other.location);
  } catch (...) {
    std::free(message);
    throw;
  }
}

Exception& Exception::operator=(const Exception& other) {
  if (this == &other) return *this;
  char* newMessage = CopyText(other.message);
  char* newLocation;
  try {
    newLocation = CopyText(other.location);
  } catch (...) {
    std::free(newMessage);
    throw;
  }
  std::free(message);
  std::free(location);
  typeName = other.typeName;
  line = other.line;
  message = newMessage;
  location = newLocation;
  return *this;
}

Exception::~Exception() {
  std::free(message);
  std::free(location);
}

}  // namespace toolbox
