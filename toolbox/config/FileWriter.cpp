#include "toolbox/config/FileWriter.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "toolbox/system/Files.h"

namespace toolbox {

FileWriter::~FileWriter() {
  if (descriptor < 0) return;
  static_cast<void>(Flush());
  int ignored;
  static_cast<void>(CloseFile(descriptor, ignored));
}

bool FileWriter::Open(const char* path) {
  if (descriptor >= 0) {
    int ignored;
    static_cast<void>(CloseFile(descriptor, ignored));
  }
  buffered = 0;
  failed = false;
  // Any kind of file, as a plain creating write takes it: a device is written too. A link
  // is not followed: whoever put it there would have the text written where it points. It
  // is removed, and the file made anew in its place.
  const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW;
  descriptor = OpenFile(path, flags, error, true);
  int ignored;
  if (descriptor < 0 && error == ELOOP && RemoveFile(path, ignored)) descriptor = OpenFile(path, flags, error, true);
  return descriptor >= 0;
}

bool FileWriter::Write(const char* text) { return Put(text, std::strlen(text)); }

bool FileWriter::WriteChar(char character) { return Put(&character, 1); }

bool FileWriter::Put(const char* bytes, std::size_t count) {
  if (descriptor < 0 || failed) return false;
  while (count > 0) {
    if (buffered == kBufferSize && !Flush()) return false;
    const std::size_t part = count < kBufferSize - buffered ? count : kBufferSize - buffered;
    std::memcpy(buffer + buffered, bytes, part);
    buffered += part;
    bytes += part;
    count -= part;
  }
  return true;
}

bool FileWriter::Flush() {
  if (failed) return false;
  const std::size_t count = buffered;
  buffered = 0;
  failed = !WriteToFile(descriptor, buffer, count, error);
  return !failed;
}

bool FileWriter::Close() {
  if (descriptor < 0) {
    error = EBADF;
    return false;
  }
  bool ok = Flush() && SyncFile(descriptor, error);
  ok = CloseFile(descriptor, error) && ok;
  descriptor = -1;
  return ok;
}

}  // namespace toolbox
