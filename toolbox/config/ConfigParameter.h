#pragma once

#include <cstdint>

#include "toolbox/config/Writer.h"

namespace toolbox {

// One setting: a value of one of a few kinds, read as a boolean, a number or a text
// whatever it holds. Every parameter read from a file is a text; the program stores
// booleans, integers and texts.
//
// Readings by kind:
//   kind        GetBool                  GetLong                   GetText
//   none        false                    0                         ""
//   boolean     the value                1 or 0                    "1" or "0"
//   real        value != 0.0             truncated toward zero     ""
//   integer     value != 0               the value                 ""
//   text        decimal value != 0       decimal value             the text
//   character   one of "1yYtT"           digit value, else 0       ""
// The decimal value of a text skips leading white space, takes an optional sign and the
// digits up to the first other character (none gives 0), so the texts 1 and 12 read true and
// 0, yes and true read false.
class ConfigParameter {
 public:
  enum Kind : std::int32_t {
    kNone = 0,
    kBoolean = 1,
    kReal = 2,
    kInteger = 3,
    kText = 4,
    kCharacter = 5,
  };

  ConfigParameter() = default;
  explicit ConfigParameter(bool value);
  explicit ConfigParameter(std::int32_t value);
  // Copies the text; null counts as the empty text.
  explicit ConfigParameter(const char* text);
  explicit ConfigParameter(double value);
  explicit ConfigParameter(char character);
  ConfigParameter(const ConfigParameter&) = delete;
  ConfigParameter& operator=(const ConfigParameter&) = delete;
  ~ConfigParameter();

  Kind GetKind() const { return kind; }
  bool GetBool() const;
  std::int32_t GetLong() const;
  // The parameter's own text (or a constant), valid until the parameter changes or goes.
  const char* GetText() const;

  void SetBool(bool value);
  void SetLong(std::int32_t value);
  // Copies the text, which may be this parameter's own; null counts as the empty text. If
  // the copy cannot be allocated the parameter becomes kind none and EOutOfMemory is thrown.
  void SetText(const char* text);

  // Writes the value as the file holds it: a boolean as 1 or 0, a real with "%lg", an
  // integer in decimal, a text as it is, a character as a one-byte text, none as the empty
  // text; escaped (WriteEscaped).
  [[nodiscard]] bool Write(Writer& writer) const;

 private:
  void FreeText();

  union {
    bool boolean;
    double real;
    std::int32_t integer;
    char* text;
    char character;
  } payload{};
  Kind kind = kNone;
};

}  // namespace toolbox
