#include "toolbox/base/LogSink.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace toolbox {

namespace {

LogSink* currentSink = nullptr;

// An entry kept for the logger: its texts on the heap.
struct KeptEntry {
  char* location;
  int line;
  int level;
  char* message;
};
KeptEntry kept[kKeptEntries];
int keptCount = 0;

void Forward(LogSink& sink, const char* location, int line, int level, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

void Forward(LogSink& sink, const char* location, int line, int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  sink.LogV(location, line, level, format, args);
  va_end(args);
}

// Keeps the entry; best effort, so no allocation failure escapes.
void Keep(const char* location, int line, int level, const char* format, va_list args) {
  if (keptCount == kKeptEntries) return;
  va_list measuring;
  va_copy(measuring, args);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length < 0) return;
  auto* message = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
  char* where = location != nullptr ? strdup(location) : nullptr;
  if (message == nullptr || (location != nullptr && where == nullptr)) {
    std::free(message);
    std::free(where);
    return;
  }
  std::vsnprintf(message, static_cast<std::size_t>(length) + 1, format, args);
  kept[keptCount++] = {where, line, level, message};
}

}  // namespace

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

void LogToCurrentOrKeep(const char* location, int line, int level, const char* format, ...) {
  LogSink* sink = currentSink;
  va_list args;
  va_start(args, format);
  if (sink != nullptr) {
    sink->LogV(location, line, level, format, args);
  } else {
    Keep(location, line, level, format, args);
  }
  va_end(args);
}

void WriteKeptEntries(LogSink& sink) {
  const int count = keptCount;
  keptCount = 0;
  for (int i = 0; i < count; ++i) {
    KeptEntry entry = kept[i];
    try {
      Forward(sink, entry.location, entry.line, entry.level, "%s", entry.message);
    } catch (...) {
      // Dropped like an entry that cannot be written; the others still get their turn.
    }
    std::free(entry.location);
    std::free(entry.message);
  }
}

}  // namespace toolbox
