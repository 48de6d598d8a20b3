#pragma once

#include <string>

namespace framework {

// Path texts as bytes, POSIX grammar.

// The path made absolute against the current folder, with "." and ".." resolved by name.
std::string FullPath(const std::string& path);
// The part after the last "/".
std::string FileNameOf(const std::string& path);
// The part up to and including the last "/"; empty when there is none.
std::string FolderOf(const std::string& path);
// True when the file name has an extension (a "." after its first character).
bool HasExtension(const std::string& path);
// The current folder with a trailing "/"; just "/" when it cannot be had.
std::string CurrentFolder();

}  // namespace framework
