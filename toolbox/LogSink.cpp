#include "toolbox/LogSink.h"

namespace toolbox {

namespace {
LogSink* currentSink = nullptr;
}

LogSink* CurrentLogSink() { return currentSink; }

void SetCurrentLogSink(LogSink* sink) { currentSink = sink; }

void LogToCurrent(const char* location, int line, int level, const char* format, ...) {
  LogSink* sink = currentSink;
  if (sink == nullptr) return;
  va_list args;
  va_start(args, format);
  sink->LogV(location, line, level, format, args);
  va_end(args);
}

}  // namespace toolbox
