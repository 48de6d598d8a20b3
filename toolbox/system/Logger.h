#pragma once

#include <cstdarg>
#include <cstdint>
#include <mutex>

#include "toolbox/base/LogSink.h"

namespace toolbox {

// Appends diagnostic entries to the log file, named like the program with the extension
// "log", in the user's documents folder (else beside the program). The process has one
// logger, a global object made after the application object; while it lives it is the
// current log sink, so exceptions record themselves through it.
//
// The threshold comes from the command line: "/log" with debug, info, warn, error,
// exception or fatal (in any letter case); any other word silences the log. Without the
// option Error and above are written.
//
// The logger owns the file's descriptor and name. The file is opened for appending at the first
// entry that passes the threshold and stays open until the logger goes; it is the user's alone
// (made 0600 whatever the umask, an existing one of the user's narrowed to that); a file that cannot be
// opened (or is not a regular file, is another user's, or a link another user made, see
// OpenFile) drops the entry, and the next entry tries again. Every copy of
// the program appends to the same file, unlocked: each entry, with the separator line before the
// first one of an opening, is built whole and handed to the system in a single write, so the
// entries of two copies follow each other but never mix inside a line. The log is never rotated or
// truncated, so no copy needs to hold it to itself. Each entry is written at once, so the file is
// complete whenever the process dies; an entry that the system refuses (a full disk) is lost, and
// of one it takes only in part the rest is dropped rather than written later, where it could land
// inside another copy's line. The logger starts with the entries kept while there was none
// (LogToCurrentOrKeep). Entries may come from any thread of the process (the saves that run
// behind the window log their failures): they are written one at a time.
class Logger : public LogSink {
 public:
  // Throws EIllegalArgument when the program path has no file name.
  Logger();
  // Logs "Shutting down logger" at level Info, closes the file and stops being the sink.
  ~Logger() override;
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  // Writes one entry when level reaches the threshold and the file is open or can be
  // opened. The message is formatted from the format and the arguments; the location is the
  // logging operation's name, shown from after its last backslash.
  void Log(const char* location, int line, int level, const char* format, ...)
      __attribute__((format(printf, 5, 6)));
  void LogV(const char* location, int line, int level, const char* format, va_list args) override;

  // True when the file is open or could be opened now. Each opening puts a separator line
  // before its first entry, in that entry's write.
  [[nodiscard]] bool Open();
  void Close();
  bool IsOpen() const { return file >= 0; }

  // The full path of the log file; null once the logger has closed for good.
  const char* GetFileName() const { return fileName; }
  int GetThreshold() const { return threshold; }
  // The tick count the entries' times since start are measured from: the logger's
  // construction, unless a test moves it to see other times in the entries.
  std::uint32_t GetStartTick() const { return startTick; }
  void SetStartTick(std::uint32_t tick) { startTick = tick; }

  // The system's monotonic clock in milliseconds, wrapping around in 32 bits.
  static std::uint32_t Tick();

 private:
  // Undo the construction: close, forget the file name, stop being the sink.
  void Release();

  // The open log file's descriptor, -1 while closed. Entries go straight to the system in
  // one write each, so there is no buffer to flush.
  int file = -1;
  // Held while an entry is made, so that entries of two threads neither mix nor both carry
  // the separator.
  std::mutex writing;
  // The file was opened and no entry has been written since: the next one carries the
  // separator.
  bool separatorPending = false;
  char* fileName = nullptr;
  int threshold = LogError;
  std::uint32_t startTick;
};

}  // namespace toolbox
