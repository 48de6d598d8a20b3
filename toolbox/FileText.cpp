#include "toolbox/FileText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "toolbox/Memory.h"

namespace toolbox {

char* ReadFileText(const char* path, std::size_t& length) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  // Files of /proc and /sys report no size, so the buffer grows as the reading goes.
  std::size_t size = 0;
  std::size_t capacity = 4096;
  char* text = nullptr;
  try {
    text = static_cast<char*>(AllocateOrThrow(capacity));
    for (;;) {
      if (size == capacity - 1) {
        text = static_cast<char*>(ReallocateOrThrow(text, capacity * 2));
        capacity *= 2;
      }
      ssize_t got = read(fd, text + size, capacity - 1 - size);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        std::free(text);
        close(fd);
        return nullptr;
      }
      if (got == 0) break;
      size += static_cast<std::size_t>(got);
    }
  } catch (...) {
    std::free(text);
    close(fd);
    throw;
  }
  close(fd);
  text[size] = '\0';
  length = size;
  return text;
}

}  // namespace toolbox
