#pragma once

#include <string>

#include "core/Item.h"
#include "framework/system/File.h"
#include "toolbox/base/String.h"

// The item list file, shared by the repository file and trip documents: one line per item,
// "check<TAB>quantity<TAB>name<TAB>group<TAB><LF>", the check mark "1" or "0", texts stored
// as their bytes without any escaping.

// Cuts the next field off the front of line: the text before the first tab, after which the
// tab is removed too. Without a tab the result is empty and the line stays as it is, so text
// after the last tab of a line is never a field.
toolbox::String NextField(toolbox::String& line);

// Appends one line per item in repository order to text; with checkedOnly, only the checked
// items. A memory failure passes out as framework::MemoryException, with text as it was.
void AppendItemList(const Repository& repository, bool checkedOnly, std::string& text);

// Writes the lines of AppendItemList to the file. File errors pass out as
// framework::FileException and memory failures as framework::MemoryException.
void WriteItemList(const Repository& repository, framework::File& file, bool checkedOnly);

// Merges the lines of the text (an item list without NUL bytes) into the repository, as
// ReadItemList does with a file's text, and sorts it where that is needed.
void MergeItemList(Repository& repository, const toolbox::String& text);

// Merges the file's lines into the repository, then sorts it. Each line's item is looked up
// by name and group (byte for byte, first match from the front) or appended, and takes the
// line's check mark (exactly "1" is checked) and quantity. A 0-byte file, or one whose
// status cannot be had, changes nothing and does not sort; a last line without its line
// feed is ignored. A file holding a NUL byte is no item list: framework::FileException
// (invalidFile), with nothing merged. File errors pass out as framework::FileException
// and memory failures as framework::MemoryException, leaving the lines merged so far in
// the (then unsorted) repository.
void ReadItemList(Repository& repository, framework::File& file);
