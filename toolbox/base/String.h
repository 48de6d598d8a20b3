#pragma once

#include <cstdarg>

namespace toolbox {

// The program's text type: 8-bit text ending in a NUL byte, copied on write.
//
// Copies are cheap. A copy does not count references; it joins the sharing chain of its
// source, a doubly linked list of every String that uses the same buffer, and takes over the
// buffer's pointer, capacity and cached length. A String may write into its buffer only while
// it is alone (no sharer on either side); every changing operation first makes it alone
// through Reserve, so its former sharers keep the old text. The last member of a chain to let
// go of the buffer frees it.
//
// Positions and counts are clamped to the text, never rejected. The failures are an
// exhausted heap (EOutOfMemory, also for a text that would exceed a signed 32-bit length) and
// a formatting result beyond 512 MiB (EIllegalArgument).
//
// A null raw-text argument counts as the empty text. Strings that share a buffer must be
// used from one thread.
class String {
 public:
  // Empty text in a 4-byte buffer.
  String();
  String(const char* text);
  // The range [start, start + count) of text, both clamped to the text.
  String(const char* text, int start, int count);
  // The NUL character gives the empty text.
  explicit String(char character);
  // Joins other's sharing chain; allocates nothing.
  String(const String& other);
  ~String();

  String& operator=(const String& other) {
    Assign(other);
    return *this;
  }
  String& operator=(const char* text) {
    Assign(text);
    return *this;
  }

  // Shares other's buffer, unless both already use the same one (assignment to itself).
  void Assign(const String& other);
  // The argument may be this string's own text.
  void Assign(const char* text);

  // The text; an empty text after Release.
  const char* Text() const { return text != nullptr ? text : ""; }
  // Measured once and cached until an operation writes text of untracked length.
  int Length() const {
    if (cachedLength < 0) Measure();
    return cachedLength;
  }

  // Index of the first occurrence, or -1.
  int Find(char character) const;
  int Find(const char* sought) const;
  // Searches from max(from, 0); -1 when from lies beyond the end.
  int Find(const char* sought, int from) const;
  // As Find, with ASCII letters matched regardless of case. An empty sought text is found at
  // 0 whatever from is, provided from does not lie beyond the end.
  int FindIgnoreCase(const char* sought, int from) const;
  bool EndsWith(const char* suffix) const;
  // Empty when count < 0 or start lies beyond the end; otherwise clamped to the text.
  String Substring(int start, int count) const;

  // Byte-wise, bytes taken as unsigned; negative, 0 or positive as strcmp.
  static int Compare(const char* left, const char* right);
  // As Compare, with ASCII letters folded to lower case on both sides.
  static int CompareIgnoreCase(const char* left, const char* right);
  // The byte as CompareIgnoreCase and the other ...IgnoreCase operations take it: A to Z
  // folded to a to z, every other byte as it is.
  static unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

  // The argument may be this string's own text.
  void Append(const char* text);
  // Appending the NUL character changes nothing: it cannot be part of the text.
  void Append(char character);
  // Appends the value in decimal; leaves the length to be measured.
  void AppendNumber(int value);
  // Cuts the text at pos (negative counts as 0); a pos beyond the end changes nothing.
  void Truncate(int pos);
  // Removes count characters at pos, clamped to the text.
  void Erase(int pos, int count);
  void RemoveFirst(int count) { Erase(0, count); }
  void RemoveLast(int count);
  // ASCII and Latin-1 capital letters to lower case, in place; the multiplication sign 0xD7
  // stays.
  void ToLower();
  // Strips white space from both ends. A string with nothing to strip stays shared.
  void Trim();
  // White space of the program's texts: space, line feed, carriage return, tab and form
  // feed (not the vertical tab).
  static bool IsWhiteSpace(char c);

  // Replaces the text with the formatted result. The arguments must not point into this
  // string's own buffer, which is written while they are read. The buffer starts at 4/3 of
  // the format's length and doubles until the result fits; when that would take 512 MiB or
  // more, the text is emptied and EIllegalArgument thrown. A result that fits the buffer
  // already there is always taken.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void FormatFromVargs(const char* format, va_list arguments);

  // The only place where buffers are allocated. Makes the string alone with a buffer of at
  // least required bytes; an alone string whose buffer is large enough keeps it. A new
  // buffer grows geometrically from the old capacity (16, then x2 below 16,384, x1.5 above)
  // and is always a multiple of 4 strictly larger than asked for. With preserve the text is
  // kept (cut if it does not fit), otherwise a new buffer starts empty. On failure
  // (EOutOfMemory) the string is unchanged.
  void Reserve(int required, bool preserve) {
    if (text != nullptr && IsAlone() && capacity >= required) return;
    Reallocate(required, preserve);
  }
  // Lets go of the buffer (freed when no sharer is left) and the chain. The string then
  // reads as empty and can be used again.
  void Release();
  // A new heap String sharing this one's text; the caller deletes it.
  String* Clone() const;

  // For observing the buffer rules.
  int GetCapacity() const { return capacity; }
  int GetCachedLength() const { return cachedLength; }
  const String* GetNextSharer() const { return nextSharer; }
  const String* GetPreviousSharer() const { return previousSharer; }

 private:
  bool IsAlone() const { return nextSharer == nullptr && previousSharer == nullptr; }
  // Reserve's work when the buffer cannot stay as it is.
  void Reallocate(int required, bool preserve);
  // Inserts this string into source's chain, directly after source, taking its buffer.
  void JoinAfter(const String& source);
  // Links the neighbours to each other; this string's links become null.
  void LeaveChain();
  // Whether pointer lies inside this string's buffer.
  bool HoldsPointer(const char* pointer) const;
  void Measure() const;
  // Formats the arguments from their beginning into the buffer, at most capacity - 1
  // bytes; answers the formatter's result.
  int FormatAttempt(const char* format, va_list arguments);

  // The two numbers sit together: on a 64-bit system each would otherwise be padded to the
  // size of a pointer, a third more memory for every text of the program.
  char* text = nullptr;
  mutable int cachedLength = -1;
  int capacity = 0;
  // Copying changes the source's links, which are no part of its value.
  mutable String* nextSharer = nullptr;
  mutable String* previousSharer = nullptr;
};

}  // namespace toolbox
