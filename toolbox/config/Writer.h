#pragma once

namespace toolbox {

// Where the configuration writer sends its output: a file, or memory.
class Writer {
 public:
  virtual ~Writer() = default;
  // Appends a NUL-terminated text; true on success.
  [[nodiscard]] virtual bool Write(const char* text) = 0;
  // Appends one byte; true on success.
  [[nodiscard]] virtual bool WriteChar(char character) = 0;
};

// Writes a name or a value so that the configuration parser reads it back byte for byte:
// TAB, LF, FF and CR as "\t", "\n", "\f" and "\r"; "/", "<", ">" and the backslash behind
// a backslash; every other byte as it is. The empty text (and null) is written as "\0", so
// that an empty value still stands between its tags. Stops at the first failed write and
// answers false.
[[nodiscard]] bool WriteEscaped(Writer& writer, const char* text);

// Writes depth TABs.
[[nodiscard]] bool WriteIndent(Writer& writer, int depth);

}  // namespace toolbox
