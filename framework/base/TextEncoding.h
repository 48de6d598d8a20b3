#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace framework {

// The program's texts are bytes. On screen a text is decoded as UTF-8, or, when its bytes
// are not valid UTF-8 (a file written on Windows), as Windows-1252. A null text is empty.
QString ToQString(const char* bytes);
QString ToQString(const char* bytes, std::size_t length);

// What the user typed, as the program's bytes: UTF-8.
std::string ToBytes(const QString& text);

// A text of the program as UTF-8, read the way ToQString reads it: unchanged when it is
// valid UTF-8, else its Windows-1252 reading. Texts of both kinds can so be joined.
std::string ToUtf8(const char* bytes, std::size_t length);

// A text that someone else wrote (another user's name in a lock file), made safe to show in a
// message or on a terminal: read as ToQString reads it, every character that does not print
// (control and format characters, such as a terminal's escape or a reversal of the writing
// direction) written as a visible escape ("\x1b", "\u202e"), and cut after max characters.
// UTF-8.
std::string ShownAsText(std::string_view bytes, std::size_t max);

// Whether the byte goes on with a UTF-8 character (10xxxxxx) rather than starting one.
constexpr bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }
// How many of the bytes to keep so that at most max remain and the cut falls between two
// UTF-8 characters. A character has at most three bytes after its first, so a text of
// another encoding is cut at most three bytes short of max.
std::size_t CharacterEnd(std::string_view bytes, std::size_t max);

}  // namespace framework
