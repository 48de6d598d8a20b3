#include "toolbox/system/ProcessArguments.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "toolbox/base/Memory.h"
#include "toolbox/system/Files.h"

namespace toolbox {

namespace {

// Plain pointers and counts, zero before any constructor runs, so that the vector can be
// filled on demand from the constructor of any global object.
struct Storage {
  bool loaded;
  int count;
  char* texts;  // the arguments one after another, each ending in a NUL byte
  const char** vector;
  char* programPath;  // null when it is the first argument itself
};
Storage storage;

// The executable's real location as a heap text, or null when the system cannot say.
char* ExecutableLocation() {
  std::size_t size = 256;
  for (;;) {
    char* buffer = static_cast<char*>(AllocateOrThrow(size));
    ssize_t length = readlink("/proc/self/exe", buffer, size);
    if (length < 0) {
      std::free(buffer);
      return nullptr;
    }
    if (static_cast<std::size_t>(length) < size) {
      buffer[length] = '\0';
      return buffer;
    }
    std::free(buffer);  // possibly cut off: try again with more room
    size *= 2;
  }
}

// Whether the path names the program that is running (the same file, whatever the way to
// it: relative, or through a symbolic link).
bool NamesThisExecutable(const char* path) {
  struct stat named, running;
  return stat(path, &named) == 0 && stat("/proc/self/exe", &running) == 0 && named.st_dev == running.st_dev &&
         named.st_ino == running.st_ino;
}

// Takes over a block of NUL-terminated texts as the new vector. Every way of filling the
// vector ends here, so the system's arguments and a test's are treated alike.
void Adopt(char* texts, std::size_t size) {
  int count = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (texts[i] == '\0') ++count;
  }
  const char** vector;
  char* programPath = nullptr;
  try {
    vector = static_cast<const char**>(AllocateOrThrow((count + 1) * sizeof(const char*)));
    const char* next = texts;
    for (int i = 0; i < count; ++i) {
      vector[i] = next;
      next += std::strlen(next) + 1;
    }
    vector[count] = nullptr;
    // A bare name was found through PATH, and a path to this very program may pass through
    // links or be relative: either way the program's real location is what counts, so that
    // its files are the same however it was started.
    if (count > 0 && (std::strchr(vector[0], '/') == nullptr || NamesThisExecutable(vector[0]))) {
      try {
        programPath = ExecutableLocation();
      } catch (...) {
        std::free(vector);
        throw;
      }
    }
  } catch (...) {
    std::free(texts);
    throw;
  }
  std::free(storage.texts);
  std::free(storage.vector);
  std::free(storage.programPath);
  storage.loaded = true;
  storage.count = count;
  storage.texts = texts;
  storage.vector = vector;
  storage.programPath = programPath;
}

void EnsureLoaded() {
  if (!storage.loaded) ProcessArguments::ReadFromSystem();
}

}  // namespace

int ProcessArguments::Count() {
  EnsureLoaded();
  return storage.count;
}

const char* const* ProcessArguments::Vector() {
  EnsureLoaded();
  return storage.vector;
}

const char* ProcessArguments::ProgramPath() {
  EnsureLoaded();
  if (storage.programPath != nullptr) return storage.programPath;
  return storage.count > 0 ? storage.vector[0] : "";
}

void ProcessArguments::Set(int count, const char* const* arguments) {
  std::size_t size = 0;
  for (int i = 0; i < count; ++i) size += std::strlen(arguments[i]) + 1;
  char* texts = static_cast<char*>(AllocateOrThrow(size));
  char* next = texts;
  for (int i = 0; i < count; ++i) {
    std::size_t length = std::strlen(arguments[i]) + 1;
    std::memcpy(next, arguments[i], length);
    next += length;
  }
  Adopt(texts, size);
}

void ProcessArguments::ReadFromSystem() {
  std::size_t size = 0;
  int error;
  char* texts = ReadWholeFile("/proc/self/cmdline", size, error);
  if (texts == nullptr) {
    texts = static_cast<char*>(AllocateOrThrow(1));
    size = 0;
  }
  // A process that rewrote its own arguments may leave the last one unterminated; the NUL
  // byte after the content ends it.
  if (size > 0 && texts[size - 1] != '\0') ++size;
  Adopt(texts, size);
}

}  // namespace toolbox
