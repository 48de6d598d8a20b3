#include "toolbox/LogSink.h"

#include <cstring>

namespace toolbox {

namespace {
LogSink* currentSink = nullptr;
}

const char* ShortLocation(const char* location) {
  const char* last = std::strrchr(location, '\\');
  return last != nullptr ? last + 1 : location;
}

LogSink* CurrentLogSink() { return currentSink; }

void SetCurrentLogSink(LogSink* sink) { currentSink = sink; }

void LogToCurrent(const char* location, int line, int level, const char* format, ...) noexcept {
  LogSink* sink = currentSink;
  if (sink == nullptr) return;
  va_list args;
  va_start(args, format);
  try {
    sink->LogV(location, line, level, format, args);
  } catch (...) {
    // Dropped, as an entry the log file cannot take is.
  }
  va_end(args);
}

}  // namespace toolbox
