#pragma once

#include <span>
#include <string>

#include "framework/base/Resources.h"

namespace framework {

// The program registers its string table once at start-up (the table is not copied).
// Looking up an id searches the program's table first, then the framework's own messages.
void RegisterStringTable(std::span<const StringEntry> table);

// A text is shown in the user's language (see Translation.h): the program's table is marked
// with the context "StringTable", the framework's own with "FrameworkStrings".

// The text of a string id; the empty text when neither table has the id.
const char* LoadString(unsigned id);

// The text of a string id, or null when neither table has it.
const char* FindString(unsigned id);

// The string's text with every "%1" replaced by the argument.
std::string FormatString(unsigned id, const char* argument);

}  // namespace framework
