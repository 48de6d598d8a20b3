#pragma once

#include <cstdarg>

namespace toolbox {

// Levels of a log entry; a higher level is more severe.
enum LogLevel {
  LogDebug = 1,
  LogInfo = 2,
  LogWarn = 3,
  LogError = 4,
  LogException = 5,
  LogFatal = 6,
};

// Where the process's log entries go. The program's one logger installs itself as the
// current sink while it lives; before it exists and after it is gone there is none, and
// entries (such as those of exceptions raised during static initialisation) are dropped,
// except those made through LogToCurrentOrKeep.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void LogV(const char* location, int line, int level, const char* format, va_list args) = 0;
};

// A location as entries and exceptions show it: the part after its last backslash.
const char* ShortLocation(const char* location);

LogSink* CurrentLogSink();
void SetCurrentLogSink(LogSink* sink);

// Writes one entry to the current sink, if there is one. Best effort: an entry that cannot
// be made (the sink ran out of memory formatting it, say) is dropped, so that logging never
// replaces what its caller was doing, such as raising an exception, by a failure of its own.
void LogToCurrent(const char* location, int line, int level, const char* format, ...) noexcept
    __attribute__((format(printf, 4, 5)));

// As LogToCurrent, but an entry made while there is no sink is kept for the next logger,
// which writes it when it starts: so what the program finds during static initialisation
// (the configuration is loaded before the logger exists) reaches the log. Up to
// kKeptEntries are kept; more are dropped, and so is an entry whose memory cannot be had.
inline constexpr int kKeptEntries = 16;
void LogToCurrentOrKeep(const char* location, int line, int level, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Writes the kept entries to the sink, in the order they were made, and forgets them.
void WriteKeptEntries(LogSink& sink);

}  // namespace toolbox
