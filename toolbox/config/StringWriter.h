#pragma once

#include "toolbox/base/String.h"
#include "toolbox/config/Writer.h"

namespace toolbox {

// A Writer that collects the output in memory. Its writes succeed or throw EOutOfMemory.
class StringWriter : public Writer {
 public:
  [[nodiscard]] bool Write(const char* text) override {
    written.Append(text);
    return true;
  }
  // A NUL byte cannot be part of the text and is dropped.
  [[nodiscard]] bool WriteChar(char character) override {
    written.Append(character);
    return true;
  }
  const String& GetText() const { return written; }

 private:
  String written;
};

}  // namespace toolbox
