#pragma once

// The disk is "full" for this process: while a limit is imposed, a write that would take a
// file beyond it fails with EFBIG (instead of the process being killed by SIGXFSZ). Root
// is bound by it too. The previous limit comes back when it is lifted or goes.

#include <sys/resource.h>

#include <csignal>

namespace support {

class FileSizeLimit {
 public:
  FileSizeLimit() {
    getrlimit(RLIMIT_FSIZE, &previous);
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGXFSZ, previousHandler);
  }
  ~FileSizeLimit() { Lift(); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  void Impose(rlim_t bytes) {
    struct rlimit limit = previous;
    limit.rlim_cur = bytes;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  void Lift() {
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
  }

 private:
  struct rlimit previous;
  void (*previousHandler)(int);
};

}  // namespace support
