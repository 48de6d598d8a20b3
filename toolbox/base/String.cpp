#include "toolbox/base/String.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "toolbox/base/Exception.h"
#include "toolbox/base/Memory.h"

namespace toolbox {

namespace {

// Formatting gives up once its buffer has reached this size.
constexpr int kFormatLimit = 536870912;

// A size in bytes as a String can hold it. Lengths and capacities are signed 32-bit values,
// so anything larger is a request that cannot be served.
int SizeOrThrow(std::int64_t size) {
  if (size > INT_MAX) throw EOutOfMemory();
  return static_cast<int>(size);
}

// Length of a raw-text argument; null counts as empty.
int TextLength(const char* text) {
  if (text == nullptr) return 0;
  return SizeOrThrow(static_cast<std::int64_t>(std::strlen(text)));
}

bool EqualIgnoreCase(const char* left, const char* right, int count) {
  for (int i = 0; i < count; ++i) {
    if (String::FoldAscii(left[i]) != String::FoldAscii(right[i])) return false;
  }
  return true;
}

}  // namespace

bool String::IsWhiteSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f'; }

String::String() {
  Reserve(0, false);
  cachedLength = 0;
}

String::String(const char* source) {
  int length = TextLength(source);
  Reserve(SizeOrThrow(std::int64_t{length} + 1), false);
  if (length > 0) std::memcpy(text, source, length);
  text[length] = '\0';
  cachedLength = length;
}

String::String(const char* source, int start, int count) {
  if (start < 0) start = 0;
  if (count < 0) count = 0;
  // Clamping needs the length only up to the end of the range, so a range near the front
  // of a long text is cheap to take.
  std::size_t end = std::size_t(start) + std::size_t(count);
  std::size_t length = source != nullptr ? strnlen(source, end) : 0;
  std::size_t first = std::min<std::size_t>(start, length);
  int taken = static_cast<int>(std::min<std::size_t>(count, length - first));
  Reserve(SizeOrThrow(std::int64_t{taken} + 1), false);
  if (taken > 0) std::memcpy(text, source + first, taken);
  text[taken] = '\0';
  cachedLength = taken;
}

String::String(char character) {
  Reserve(2, false);
  text[0] = character;
  text[1] = '\0';
  cachedLength = character != '\0' ? 1 : 0;
}

String::String(const String& other) {
  JoinAfter(other);
}

String::~String() { Release(); }

void String::JoinAfter(const String& source) {
  text = source.text;
  capacity = source.capacity;
  cachedLength = source.cachedLength;
  previousSharer = const_cast<String*>(&source);
  nextSharer = source.nextSharer;
  if (nextSharer != nullptr) nextSharer->previousSharer = this;
  source.nextSharer = this;
}

void String::LeaveChain() {
  if (previousSharer != nullptr) previousSharer->nextSharer = nextSharer;
  if (nextSharer != nullptr) nextSharer->previousSharer = previousSharer;
  previousSharer = nullptr;
  nextSharer = nullptr;
}

bool String::HoldsPointer(const char* pointer) const {
  std::less<const char*> before;
  return text != nullptr && pointer != nullptr && !before(pointer, text) &&
         before(pointer, text + capacity);
}

void String::Measure() const {
  cachedLength = text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
}

void String::Assign(const String& other) {
  if (text == other.text) return;
  Release();
  JoinAfter(other);
}

void String::Assign(const char* source) {
  int length = TextLength(source);
  // A shared buffer stays with the sharers, and an alone one holding source is already
  // large enough, so source survives the reservation; it may overlap the destination.
  Reserve(SizeOrThrow(std::int64_t{length} + 1), false);
  if (length > 0) std::memmove(text, source, length);
  text[length] = '\0';
  cachedLength = length;
}

void String::Release() {
  if (IsAlone()) std::free(text);
  LeaveChain();
  text = nullptr;
  capacity = 0;
  cachedLength = -1;
}

String* String::Clone() const { return NewOrThrow<String>(*this); }

int String::Find(char character) const {
  if (character == '\0') return -1;
  const char* found = static_cast<const char*>(std::memchr(Text(), character, Length()));
  return found != nullptr ? static_cast<int>(found - Text()) : -1;
}

int String::Find(const char* sought) const { return Find(sought, 0); }

int String::Find(const char* sought, int from) const {
  if (from > Length()) return -1;
  if (from < 0) from = 0;
  int soughtLength = TextLength(sought);
  if (soughtLength == 0) return from;
  // Jump from one occurrence of the first character to the next: memchr scans far faster
  // than a general substring search, and the sought texts are short.
  const char* rest = Text() + from;
  const char* end = Text() + Length();
  while (end - rest >= soughtLength) {
    const char* candidate =
        static_cast<const char*>(std::memchr(rest, sought[0], end - rest - soughtLength + 1));
    if (candidate == nullptr) return -1;
    if (std::memcmp(candidate + 1, sought + 1, soughtLength - 1) == 0) {
      return static_cast<int>(candidate - Text());
    }
    rest = candidate + 1;
  }
  return -1;
}

int String::FindIgnoreCase(const char* sought, int from) const {
  int length = Length();
  if (length < from) return -1;
  int soughtLength = TextLength(sought);
  if (soughtLength == 0) return 0;
  if (length < soughtLength) return -1;
  for (int i = std::max(from, 0); i <= length - soughtLength; ++i) {
    if (EqualIgnoreCase(Text() + i, sought, soughtLength)) return i;
  }
  return -1;
}

bool String::EndsWith(const char* suffix) const {
  int length = Length();
  int suffixLength = TextLength(suffix);
  if (suffixLength == 0) return true;
  if (suffixLength > length) return false;
  return std::memcmp(Text() + length - suffixLength, suffix, suffixLength) == 0;
}

String String::Substring(int start, int count) const {
  int length = Length();
  if (count < 0 || start > length) return String();
  if (start < 0) start = 0;
  return String(Text(), start, std::min(count, length - start));
}

int String::Compare(const char* left, const char* right) {
  return std::strcmp(left != nullptr ? left : "", right != nullptr ? right : "");
}

int String::CompareIgnoreCase(const char* left, const char* right) {
  // Texts that share a buffer (copies of one text) are equal without a look at them.
  if (left == right) return 0;
  const unsigned char* l = reinterpret_cast<const unsigned char*>(left != nullptr ? left : "");
  const unsigned char* r = reinterpret_cast<const unsigned char*>(right != nullptr ? right : "");
  // Equal bytes need no folding: texts sorted side by side mostly share their beginnings.
  for (;; ++l, ++r) {
    if (*l == *r) {
      if (*l == '\0') return 0;
      continue;
    }
    const int difference = FoldAscii(*l) - FoldAscii(*r);
    if (difference != 0) return difference;
  }
}

void String::Append(const char* source) {
  int length = Length();
  int added = TextLength(source);
  // Appending a piece of this very text: the reservation may move the buffer, but it keeps
  // the text, so the piece is found at the same offset afterwards.
  std::ptrdiff_t offset = HoldsPointer(source) ? source - text : -1;
  Reserve(SizeOrThrow(std::int64_t{length} + added + 1), true);
  if (offset >= 0) source = text + offset;
  if (added > 0) std::memmove(text + length, source, added);
  text[length + added] = '\0';
  cachedLength = length + added;
}

void String::Append(char character) {
  if (character == '\0') return;
  int length = Length();
  Reserve(SizeOrThrow(std::int64_t{length} + 2), true);
  text[length] = character;
  text[length + 1] = '\0';
  cachedLength = length + 1;
}

void String::AppendNumber(int value) {
  int length = Length();
  // Eleven characters at most ("-2147483648") and the NUL.
  Reserve(SizeOrThrow(std::int64_t{length} + 12), true);
  std::snprintf(text + length, 12, "%d", value);
  cachedLength = -1;
}

void String::Truncate(int pos) {
  if (pos > Length()) return;
  if (pos < 0) pos = 0;
  Reserve(capacity, true);
  text[pos] = '\0';
  cachedLength = pos;
}

void String::Erase(int pos, int count) {
  if (count < 0) count = 0;
  int length = Length();
  if (pos > length || count == 0) return;
  if (pos < 0) pos = 0;
  count = std::min(count, length - pos);
  Reserve(capacity, true);
  std::memmove(text + pos, text + pos + count, length - pos - count + 1);
  cachedLength = length - count;
}

void String::RemoveLast(int count) {
  if (count < 0) return;
  int length = Length();
  count = std::min(count, length);
  Reserve(capacity, true);
  text[length - count] = '\0';
  cachedLength = length - count;
}

void String::ToLower() {
  int length = Length();
  Reserve(capacity, true);
  for (int i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    // ASCII capitals, and the Latin-1 capitals 0xC0-0xDE around the multiplication sign.
    if ((c >= 0x41 && c <= 0x5A) || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
      text[i] = static_cast<char>(c + 0x20);
    }
  }
}

void String::Trim() {
  int length = Length();
  const char* current = Text();
  int first = 0;
  while (first < length && IsWhiteSpace(current[first])) ++first;
  int last = length - 1;
  while (last >= first && IsWhiteSpace(current[last])) --last;
  if (first == 0 && last == length - 1) return;
  int kept = last - first + 1;
  Reserve(capacity, true);
  std::memmove(text, text + first, kept);
  text[kept] = '\0';
  cachedLength = kept;
}

void String::Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  try {
    FormatFromVargs(format, arguments);
  } catch (...) {
    va_end(arguments);
    throw;
  }
  va_end(arguments);
}

void String::FormatFromVargs(const char* format, va_list arguments) {
  std::size_t guess = std::strlen(format) * 4 / 3;
  Reserve(static_cast<int>(std::min<std::size_t>(guess, kFormatLimit)), false);
  int written = FormatAttempt(format, arguments);
  cachedLength = -1;
  if (written >= 0 && written < capacity - 1) return;
  // The buffer doubles until the result fits. The formatter has already told the result's
  // length, so the doublings are made without formatting into each of them. Once a doubling
  // would reach 512 MiB the result counts as too large; a negative answer (an encoding
  // error) never fits either.
  while (written >= 0 && written >= capacity - 1 && capacity < kFormatLimit / 2) {
    Reserve(capacity * 2, false);
  }
  if (written >= 0 && written < capacity - 1) {
    FormatAttempt(format, arguments);
    cachedLength = -1;
    return;
  }
  text[0] = '\0';
  cachedLength = 0;
  // The line the log has always given for this failure (not this file's), so that old and
  // new logs name it alike.
  constexpr int kLoggedLine = 1147;
  throw EIllegalArgument("Formatted string requires too much space (>512MB)", "toolbox::String::FormatFromVargs",
                         kLoggedLine);
}

int String::FormatAttempt(const char* format, va_list arguments) {
  va_list attempt;
  va_copy(attempt, arguments);
  int written = std::vsnprintf(text, capacity - 1, format, attempt);
  va_end(attempt);
  return written;
}

void String::Reallocate(int required, bool preserve) {
  if (required < 0) required = 0;

  std::int64_t wanted = required;
  if (capacity > 0 && capacity < required) {
    std::int64_t old = capacity;
    std::int64_t grown = old < 16 ? 16 : old < 16384 ? old * 2 : old + old / 2;
    wanted = std::max(wanted, grown);
  }
  // Always a multiple of 4 and at least one byte more than asked for.
  int newCapacity = SizeOrThrow((wanted + 4) / 4 * 4);
  // Allocate before touching anything, so that a failure leaves the string as it was.
  char* buffer = static_cast<char*>(AllocateOrThrow(newCapacity));

  bool shared = !IsAlone();
  LeaveChain();
  int kept = preserve && text != nullptr ? std::min(required, capacity) : 0;
  if (kept > 0) std::memcpy(buffer, text, kept);
  // The new buffer always holds a terminated text; one cut short must be measured again.
  buffer[kept] = '\0';
  if (kept == 0) {
    cachedLength = 0;
  } else if (cachedLength >= kept) {
    cachedLength = -1;
  }
  // A shared buffer stays with the remaining sharers.
  if (!shared) std::free(text);
  text = buffer;
  capacity = newCapacity;
}

}  // namespace toolbox
