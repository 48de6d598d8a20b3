#include "toolbox/config/FileWriter.h"

#include <unistd.h>

namespace toolbox {

FileWriter::~FileWriter() {
  if (file != nullptr) std::fclose(file);
}

bool FileWriter::Open(const char* path) {
  if (file != nullptr) {
    std::fclose(file);
    file = nullptr;
  }
  file = std::fopen(path, "wt");
  return file != nullptr;
}

bool FileWriter::Write(const char* text) {
  return file != nullptr && std::fputs(text, file) >= 0;
}

bool FileWriter::WriteChar(char character) {
  return file != nullptr && std::fputc(static_cast<unsigned char>(character), file) != EOF;
}

bool FileWriter::Close() {
  if (file == nullptr) return false;
  bool ok = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
  ok = std::fclose(file) == 0 && ok;
  file = nullptr;
  return ok;
}

}  // namespace toolbox
