#include "toolbox/system/Logger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "toolbox/base/ArrayList.h"
#include "toolbox/base/Exception.h"
#include "toolbox/base/String.h"
#include "toolbox/system/Clock.h"
#include "toolbox/system/CommandLine.h"
#include "toolbox/system/Files.h"
#include "toolbox/system/Path.h"
#include "toolbox/system/ProcessArguments.h"

namespace toolbox {

namespace {

// Values of "/log", in level order from LogDebug on.
const char* const kLevelValues[] = {"debug", "info", "warn", "error", "exception", "fatal"};
const char* const kLevelNames[] = {"Debug", "Info", "Warn", "Error", "Exception", "Fatal"};

// A threshold above every level: nothing is written.
constexpr int kSilent = 127;

const char* LevelName(int level) {
  return level >= LogDebug && level <= LogFatal ? kLevelNames[level - LogDebug] : "Unknown";
}

// The threshold chosen with "/log" on the process's command line.
int ThresholdFromCommandLine() {
  CommandLine commandLine;
  commandLine.AddOption("/log", 1);
  commandLine.Parse(ProcessArguments::Count(), ProcessArguments::Vector());
  const ArrayList<String>* values = commandLine.GetOptionArguments("/log");
  if (values == nullptr || values->GetCount() == 0) return LogError;
  String value(*values->First());
  value.ToLower();
  for (int i = 0; i < LogFatal; ++i) {
    if (String::Compare(value.Text(), kLevelValues[i]) == 0) return LogDebug + i;
  }
  return kSilent;
}

// Put before the first entry of each opening, so that runs can be told apart.
constexpr char kSeparator[] =
    "\n-------------------------------------------------------------------------------\n";
static_assert(sizeof kSeparator == 79 + 3);

// The lines the log has always given for the logger's own entries (not this file's), so
// that old and new logs name them alike.
constexpr int kLoggedLineBadProgramPath = 39;
constexpr int kLoggedLineStart = 83;

}  // namespace

std::uint32_t Logger::Tick() { return static_cast<std::uint32_t>(MonotonicMilliseconds()); }

Logger::Logger() : startTick(Tick()) {
  std::unique_ptr<Path> program(Path::ProgramPath());
  String* name = program->Last();
  if (name == nullptr) {
    throw EIllegalArgument("__argv[0] contains an illegal program path", "toolbox::Logger::Logger",
                           kLoggedLineBadProgramPath);
  }
  Path::SetExtension(*name, "log");
  Path folder;
  if (!folder.FromKnownFolder(Path::DocumentsFolder, true)) {
    std::unique_ptr<Path> programFolder(Path::ProgramFolder());
    folder = *programFolder;
  }
  folder.AddText(name->Text());
  fileName = folder.ToText(false);
  try {
    threshold = ThresholdFromCommandLine();
    SetCurrentLogSink(this);
    Log("toolbox::Logger::Logger", kLoggedLineStart, LogInfo, "Logger initialized");
    // What was found before the logger existed (the configuration's load) comes next.
    WriteKeptEntries(*this);
  } catch (...) {
    Release();
    throw;
  }
}

Logger::~Logger() {
  try {
    Log("toolbox::Logger::~Logger", 90, LogInfo, "Shutting down logger");
  } catch (...) {
    // A destructor must not throw; an entry that cannot be formatted for want of memory is
    // dropped like any entry that cannot be written.
  }
  Release();
}

void Logger::Release() {
  if (CurrentLogSink() == this) SetCurrentLogSink(nullptr);
  Close();
  std::free(fileName);
  fileName = nullptr;
}

void Logger::Log(const char* location, int line, int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    LogV(location, line, level, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
}

void Logger::LogV(const char* location, int line, int level, const char* format, va_list args) {
  if (level < threshold) return;
  const std::lock_guard<std::mutex> one(writing);
  if (!Open()) return;
  String message;
  message.FormatFromVargs(format != nullptr ? format : "", args);

  std::uint32_t elapsed = Tick() - startTick;
  // Local time with daylight saving, as the clocks around the user show it.
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  // The whole record in one buffer, the separator of a new opening included: one write.
  String entry;
  entry.Format("%s[%04d-%02d-%02d %02d:%02d:%02d (T+%u.%03u)] %s (%s:%d) %s\n",
               separatorPending ? kSeparator : "", local.tm_year + 1900, local.tm_mon + 1,
               local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, elapsed / 1000,
               elapsed % 1000, LevelName(level),
               location != nullptr ? ShortLocation(location) : "", line, message.Text());
  // A log that cannot be written is not worth failing for.
  int ignored;
  if (AppendToFile(file, entry.Text(), static_cast<std::size_t>(entry.Length()), ignored) > 0) separatorPending = false;
}

bool Logger::Open() {
  if (file >= 0) return true;
  if (fileName == nullptr || fileName[0] == '\0') return false;
  int error;
  // The entries name the user's files: the log is the user's alone, whatever the umask.
  const int opened = OpenFile(fileName, O_WRONLY | O_APPEND | O_CREAT, error, false, 0600);
  if (opened < 0) return false;
  // Beside a program that several users share, the log may be another user's file, who
  // would read this user's entries (the trips' paths) there.
  struct stat info;
  if (fstat(opened, &info) != 0 || info.st_uid != geteuid()) {
    static_cast<void>(CloseFile(opened, error));
    return false;
  }
  // One made by an older version, or under a lax umask, is made the user's alone.
  if ((info.st_mode & 077) != 0) static_cast<void>(fchmod(opened, info.st_mode & 0700));
  file = opened;
  separatorPending = true;
  return true;
}

void Logger::Close() {
  if (file < 0) return;
  int ignored;
  static_cast<void>(CloseFile(file, ignored));
  file = -1;
}

}  // namespace toolbox
