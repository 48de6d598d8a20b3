#pragma once

#include <cstddef>

namespace toolbox {

// The whole content of a file as a new heap text that the caller frees with std::free, with
// a NUL byte after the content (which may itself contain NUL bytes); its length, without that
// byte, goes to length. Null when the file cannot be opened or read. Meant for the small files
// of the system (/proc, /sys, configuration files); an exhausted heap throws EOutOfMemory.
char* ReadFileText(const char* path, std::size_t& length);

}  // namespace toolbox
