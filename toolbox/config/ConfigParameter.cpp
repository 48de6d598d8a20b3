#include "toolbox/config/ConfigParameter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "toolbox/base/Memory.h"

namespace toolbox {

namespace {

// A null text counts as the empty text.
char* CopyText(const char* text) { return CopyTextOrThrow(text != nullptr ? text : ""); }

// The leading decimal number of a text, as the C library's atol reads it, except that a
// number beyond the 32-bit range gives the nearest limit instead of undefined behaviour.
std::int32_t DecimalValue(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(value < kLimit ? value : kLimit - 1);
}

// Truncation toward zero, with out-of-range values held at the limits and NaN read as 0,
// where a plain conversion would be undefined.
std::int32_t Truncate(double value) {
  if (std::isnan(value)) return 0;
  if (value <= std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (value >= std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

ConfigParameter::ConfigParameter(bool value) : kind(kBoolean) { payload.boolean = value; }

ConfigParameter::ConfigParameter(std::int32_t value) : kind(kInteger) { payload.integer = value; }

ConfigParameter::ConfigParameter(const char* text) : kind(kText) { payload.text = CopyText(text); }

ConfigParameter::ConfigParameter(double value) : kind(kReal) { payload.real = value; }

ConfigParameter::ConfigParameter(char character) : kind(kCharacter) {
  payload.character = character;
}

ConfigParameter::~ConfigParameter() { FreeText(); }

bool ConfigParameter::GetBool() const {
  switch (kind) {
    case kBoolean:
      return payload.boolean;
    case kReal:
      return payload.real != 0.0;
    case kInteger:
      return payload.integer != 0;
    case kText:
      return DecimalValue(payload.text) != 0;
    case kCharacter:
      return payload.character != '\0' && std::strchr("1yYtT", payload.character) != nullptr;
    case kNone:
      break;
  }
  return false;
}

std::int32_t ConfigParameter::GetLong() const {
  switch (kind) {
    case kBoolean:
      return payload.boolean ? 1 : 0;
    case kReal:
      return Truncate(payload.real);
    case kInteger:
      return payload.integer;
    case kText:
      return DecimalValue(payload.text);
    case kCharacter:
      return payload.character >= '0' && payload.character <= '9' ? payload.character - '0' : 0;
    case kNone:
      break;
  }
  return 0;
}

const char* ConfigParameter::GetText() const {
  switch (kind) {
    case kBoolean:
      return payload.boolean ? "1" : "0";
    case kText:
      return payload.text;
    default:
      return "";
  }
}

void ConfigParameter::SetBool(bool value) {
  FreeText();
  payload.boolean = value;
  kind = kBoolean;
}

void ConfigParameter::SetLong(std::int32_t value) {
  FreeText();
  payload.integer = value;
  kind = kInteger;
}

void ConfigParameter::SetText(const char* text) {
  // The copy is made before the old text goes, since the new text may be the old one.
  char* copy;
  try {
    copy = CopyText(text);
  } catch (...) {
    FreeText();
    throw;
  }
  FreeText();
  payload.text = copy;
  kind = kText;
}

bool ConfigParameter::Write(Writer& writer) const {
  char formatted[64] = "";
  const char* value = formatted;
  switch (kind) {
    case kBoolean:
      value = payload.boolean ? "1" : "0";
      break;
    case kReal:
      std::snprintf(formatted, sizeof formatted, "%lg", payload.real);
      break;
    case kInteger:
      std::snprintf(formatted, sizeof formatted, "%ld", static_cast<long>(payload.integer));
      break;
    case kText:
      value = payload.text;
      break;
    case kCharacter:
      formatted[0] = payload.character;
      formatted[1] = '\0';
      break;
    case kNone:
      break;
  }
  // The reader trims white space from both ends of a value before it unescapes it, and a
  // space is written as it is. A space at either end is therefore shielded by the empty
  // marker "\0" beyond it, which keeps the space inside the value and reads as nothing.
  std::size_t length = std::strlen(value);
  bool leadingSpace = length > 0 && value[0] == ' ';
  bool trailingSpace = length > 0 && value[length - 1] == ' ';
  if (leadingSpace && !writer.Write("\\0")) return false;
  if (!WriteEscaped(writer, value)) return false;
  return !trailingSpace || writer.Write("\\0");
}

void ConfigParameter::FreeText() {
  if (kind == kText) std::free(payload.text);
  // Whatever happens next, the pointer must not be freed twice.
  kind = kNone;
}

}  // namespace toolbox
