#pragma once

#include <cstddef>

#include "toolbox/config/Writer.h"

namespace toolbox {

// A Writer into a file, created or truncated by Open. The text is stored as it is given: the
// line end of this platform is the LF itself. The output is gathered in a buffer of the
// writer's own and reaches the file in pieces of its size, and whole at Close.
//
// Owns the open file's descriptor until Close or destruction. Failures are answers; GetError
// tells the system's reason for the last one.
class FileWriter : public Writer {
 public:
  FileWriter() = default;
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;
  // Closes the file if it is still open, without waiting for the disk.
  ~FileWriter() override;

  // Creates or truncates the file; a file this writer had open is closed first. The opening
  // never waits (a FIFO without a reader fails at once). A link at path is replaced by the
  // new file, never written through.
  [[nodiscard]] bool Open(const char* path);
  // False when no file is open or the file did not take the text.
  [[nodiscard]] bool Write(const char* text) override;
  [[nodiscard]] bool WriteChar(char character) override;
  // Hands everything written to the disk (fsync) and closes the file; true only if all of
  // that succeeded, so that a full disk is not mistaken for a finished file.
  [[nodiscard]] bool Close();
  // The error number of the last failure (see Files.h).
  int GetError() const { return error; }

 private:
  bool Put(const char* bytes, std::size_t count);
  bool Flush();

  static constexpr std::size_t kBufferSize = 4096;
  int descriptor = -1;
  int error = 0;
  // A failed write is not tried again: the file is not what was meant any more.
  bool failed = false;
  std::size_t buffered = 0;
  char buffer[kBufferSize];
};

}  // namespace toolbox
