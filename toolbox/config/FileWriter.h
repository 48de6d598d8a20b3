#pragma once

#include <cstdio>

#include "toolbox/config/Writer.h"

namespace toolbox {

// A Writer into a file opened in text mode, so that every LF reaches the file as the
// platform's line end (LF here, CR LF on Windows). The file library buffers the output.
class FileWriter : public Writer {
 public:
  FileWriter() = default;
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;
  // Closes the file if it is still open, without waiting for the disk.
  ~FileWriter() override;

  // Creates or truncates the file; a file this writer had open is closed first.
  bool Open(const char* path);
  // False when no file is open or the file library did not take the whole text.
  bool Write(const char* text) override;
  bool WriteChar(char character) override;
  // Hands everything written to the disk (flush and fsync) and closes the file; true only
  // if all of that succeeded, so that a full disk is not mistaken for a finished file.
  bool Close();

 private:
  std::FILE* file = nullptr;
};

}  // namespace toolbox
