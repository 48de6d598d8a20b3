#include "toolbox/system/Logger.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/Scratch.h"
#include "toolbox/base/Exception.h"
#include "toolbox/base/LogSink.h"

using namespace toolbox;
namespace fs = std::filesystem;

namespace {

const std::string kSeparator = "\n" + std::string(79, '-') + "\n";

// A program in a folder of its own and a home folder for the documents; the log of a run is
// expected in home/Documents.
class LoggerTest : public ::testing::Test {
 protected:
  scratch::Folder temp;
  scratch::Environment home{"HOME", temp / "home"};
  scratch::Environment config{"XDG_CONFIG_HOME", std::nullopt};
  std::string program = temp / "bin/voyanta.bin";
  std::string logFile = temp / "home/Documents/voyanta.log";
  std::unique_ptr<scratch::Arguments> arguments;

  void SetUp() override {
    SetCurrentLogSink(nullptr);
    fs::create_directories(temp / "home");
    fs::create_directories(temp / "bin");
    SetOptions({});
  }

  // The process's arguments after the program's path.
  void SetOptions(std::initializer_list<std::string> options) {
    std::vector<std::string> vector{program};
    vector.insert(vector.end(), options);
    arguments.reset();
    arguments = std::make_unique<scratch::Arguments>(vector);
  }

  static std::string Read(const std::string& file) {
    std::ifstream stream(file);
    std::stringstream content;
    content << stream.rdbuf();
    return content.str();
  }

  static int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++count;
    }
    return count;
  }
};

// The write calls this thread has made, as the system counts them; -1 where it does not.
long WriteCalls() {
  std::ifstream io("/proc/thread-self/io");
  std::string key;
  long value;
  while (io >> key >> value) {
    if (key == "syscw:") return value;
  }
  return -1;
}

// The entry prefix as the logger writes it, for the given time.
std::string Stamp(time_t when) {
  tm local;
  localtime_r(&when, &local);
  char text[32];
  strftime(text, sizeof text, "[%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace

TEST_F(LoggerTest, EntryCarriesLocalTimeElapsedTimeLevelShortLocationAndMessage) {
  {
    Logger logger;
    EXPECT_EQ(logFile, logger.GetFileName());
    time_t before = time(nullptr);
    logger.Log("c:\\src\\toolbox::X::Y", 12, LogError, "value %d", 42);
    time_t after = time(nullptr);
    std::string text = Read(logFile);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(
        text, match,
        std::regex("\n-{79}\n(\\[[-0-9]{10} [:0-9]{8}) \\(T\\+0\\.0\\d\\d\\)\\] Error "
                   "\\(toolbox::X::Y:12\\) value 42\n")))
        << text;
    EXPECT_TRUE(match[1] == Stamp(before) || match[1] == Stamp(after)) << match[1];

    logger.Log("plain::Location", 7, 9, "two\nlines");
    EXPECT_NE(std::string::npos, Read(logFile).find("] Unknown (plain::Location:7) two\nlines\n"));
  }
}

TEST_F(LoggerTest, ElapsedTimeShowsSecondsAndThreeDigitMilliseconds) {
  Logger logger;
  logger.SetStartTick(Logger::Tick() - 61005);
  logger.Log("a", 1, LogError, "late");
  logger.SetStartTick(Logger::Tick() - 7);
  logger.Log("a", 1, LogError, "early");
  std::string text = Read(logFile);
  // Some milliseconds may pass between moving the start and writing the entry.
  EXPECT_TRUE(std::regex_search(text, std::regex("\\(T\\+61\\.0\\d\\d\\)\\] Error \\(a:1\\) late")))
      << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("\\(T\\+0\\.0\\d\\d\\)\\] Error \\(a:1\\) early")))
      << text;
}

TEST_F(LoggerTest, DefaultThresholdWritesErrorAndAboveAfterOneSeparator) {
  {
    Logger logger;
    EXPECT_EQ(LogError, logger.GetThreshold());
    logger.Log("a", 1, LogDebug, "debug");
    logger.Log("a", 1, LogInfo, "info");
    logger.Log("a", 1, LogWarn, "warn");
    EXPECT_FALSE(fs::exists(logFile));  // opened only for an entry that is written
    logger.Log("a", 1, LogError, "error");
    logger.Log("a", 1, LogException, "exception");
    logger.Log("a", 1, LogFatal, "fatal");
  }
  std::string text = Read(logFile);
  EXPECT_EQ(0u, text.find(kSeparator));
  EXPECT_EQ(1, Count(text, kSeparator));
  EXPECT_EQ(3, Count(text, "] "));
  EXPECT_NE(std::string::npos, text.find("] Error (a:1) error\n"));
  EXPECT_NE(std::string::npos, text.find("] Exception (a:1) exception\n"));
  EXPECT_NE(std::string::npos, text.find("] Fatal (a:1) fatal\n"));
  EXPECT_EQ(std::string::npos, text.find("Logger initialized"));
  EXPECT_EQ(std::string::npos, text.find("Shutting down logger"));
}

TEST_F(LoggerTest, LogOptionChoosesTheThresholdInAnyCase) {
  struct Case {
    std::initializer_list<std::string> options;
    int threshold;
  };
  for (const Case& c : {Case{{"/log", "DEBUG"}, LogDebug},
                        Case{{"trip.vyt", "/log", "warn"}, LogWarn},
                        Case{{"/log", "Exception"}, LogException},
                        Case{{"/log", "fatal"}, LogFatal},
                        Case{{"/log", "off"}, 127},
                        Case{{"-log", "debug"}, LogError},
                        Case{{"/log"}, LogError}}) {
    SetOptions(c.options);
    Logger logger;
    EXPECT_EQ(c.threshold, logger.GetThreshold()) << *(c.options.end() - 1);
  }
}

TEST_F(LoggerTest, InfoRunHoldsStartAndShutdownEntries) {
  SetOptions({"/log", "info"});
  { Logger logger; }
  std::string text = Read(logFile);
  EXPECT_TRUE(std::regex_match(
      text, std::regex("\n-{79}\n"
                       "\\[[^\n]*\\] Info \\(toolbox::Logger::Logger:83\\) Logger initialized\n"
                       "\\[[^\n]*\\] Info \\(toolbox::Logger::~Logger:90\\) "
                       "Shutting down logger\n")))
      << text;
}

TEST_F(LoggerTest, UnknownLevelSilencesTheLogEntirely) {
  SetOptions({"/log", "off"});
  {
    Logger logger;
    logger.Log("a", 1, LogFatal, "fatal");
    EIllegalState("state", "a", 2);
  }
  EXPECT_FALSE(fs::exists(logFile));
}

TEST_F(LoggerTest, ExceptionsRecordThemselvesThroughTheLogger) {
  {
    Logger logger;
    EXPECT_EQ(&logger, CurrentLogSink());
    EIllegalArgument e("bad value", "C:\\dev\\toolbox::String::FormatFromVargs", 1147);
    EXPECT_STREQ("toolbox::String::FormatFromVargs", e.GetLocation());
    try {
      throw EOutOfMemory();
    } catch (const EOutOfMemory&) {
    }
    EIllegalState unlogged("no line", "toolbox::X", 0);
  }
  EXPECT_EQ(nullptr, CurrentLogSink());
  std::string text = Read(logFile);
  EXPECT_EQ(1, Count(text, "] "));
  EXPECT_NE(std::string::npos,
            text.find("] Exception (toolbox::String::FormatFromVargs:1147) EIllegalArgument.\n"
                      "Message: bad value\n"));

  SetOptions({"/log", "fatal"});
  {
    Logger logger;
    EIllegalArgument e("not written", "toolbox::X", 3);
  }
  EXPECT_EQ(std::string::npos, Read(logFile).find("not written"));
}

TEST_F(LoggerTest, EachRunAppendsAfterItsOwnSeparator) {
  {
    Logger logger;
    logger.Log("a", 1, LogError, "first run");
  }
  {
    Logger logger;
    logger.Log("a", 1, LogError, "second run");
  }
  std::string text = Read(logFile);
  EXPECT_EQ(2, Count(text, kSeparator));
  size_t first = text.find("first run");
  size_t second = text.find("second run");
  ASSERT_NE(std::string::npos, first);
  ASSERT_NE(std::string::npos, second);
  EXPECT_LT(text.find(kSeparator, first), second);
}

TEST_F(LoggerTest, TwoLoggersOnTheFileAppendTheirEntriesInTurn) {
  auto first = std::make_unique<Logger>();
  Logger second;
  for (int i = 0; i < 2; ++i) {
    first->Log("a", 1, LogError, "first %d", i);
    second.Log("b", 2, LogError, "second %d", i);
  }
  first.reset();
  second.Log("b", 2, LogError, "alone");
  const std::string text = Read(logFile);
  // Each opening's separator comes right before its own first entry.
  EXPECT_TRUE(std::regex_match(text, std::regex("\n-{79}\n\\[[^\n]*\\] Error \\(a:1\\) first 0\n"
                                                "\n-{79}\n\\[[^\n]*\\] Error \\(b:2\\) second 0\n"
                                                "\\[[^\n]*\\] Error \\(a:1\\) first 1\n"
                                                "\\[[^\n]*\\] Error \\(b:2\\) second 1\n"
                                                "\\[[^\n]*\\] Error \\(b:2\\) alone\n")))
      << text;
}

TEST_F(LoggerTest, TwoProcessesLoggingAtOnceLoseNoEntryAndTearNone) {
  constexpr int kEntries = 200;
  const std::string fill(5000, '=');  // more than the 4 KiB a pipe takes in one piece
  // Made beforehand: two copies making the folder at once is another matter.
  fs::create_directories(temp / "home/Documents");
  int gate[2];
  ASSERT_EQ(0, pipe(gate));
  std::vector<pid_t> copies;
  for (const char* name : {"one", "two"}) {
    const pid_t child = fork();
    if (child == 0) {
      close(gate[1]);
      char byte;
      static_cast<void>(read(gate[0], &byte, 1));  // both start when the parent closes the gate
      {
        Logger logger;
        for (int i = 0; i < kEntries; ++i) logger.Log(name, 1, LogError, "%d %s", i, fill.c_str());
      }
      _exit(0);
    }
    copies.push_back(child);
  }
  close(gate[0]);
  close(gate[1]);
  for (pid_t child : copies) {
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }

  const std::string text = Read(logFile);
  EXPECT_EQ(2, Count(text, kSeparator));
  // Every line that is not a separator is the next entry of one of the copies, whole.
  std::map<std::string, int> written{{"one", 0}, {"two", 0}};
  int torn = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line == std::string(79, '-')) continue;
    bool whole = false;
    for (auto& [name, count] : written) {
      const std::string tail = "] Error (" + name + ":1) " + std::to_string(count) + " " + fill;
      if (line[0] == '[' && line.size() > tail.size() && line.ends_with(tail)) {
        ++count;
        whole = true;
        break;
      }
    }
    torn += whole ? 0 : 1;
  }
  EXPECT_EQ(0, torn);
  EXPECT_EQ(kEntries, written["one"]);
  EXPECT_EQ(kEntries, written["two"]);
}

TEST_F(LoggerTest, EachEntryIsOneWriteWhateverItsLength) {
  if (WriteCalls() < 0) GTEST_SKIP() << "the system does not count this thread's write calls";
  // 70000 bytes: beyond a pipe's whole buffer.
  for (size_t length : {size_t{1}, size_t{5000}, size_t{70000}}) {
    fs::remove(logFile);
    Logger logger;
    const std::string message(length, 'x');
    for (const char* which : {"first, with the separator", "second"}) {
      const long before = WriteCalls();
      logger.Log("a", 1, LogError, "%s", message.c_str());
      EXPECT_EQ(before + 1, WriteCalls()) << length << ": " << which;
    }
    const std::string text = Read(logFile);
    EXPECT_EQ(0u, text.find(kSeparator)) << length;
    EXPECT_EQ(2, Count(text, "] Error (a:1) " + message + "\n")) << length;
    EXPECT_EQ(4, Count(text, "\n")) << length;
  }
}

TEST_F(LoggerTest, LogLiesBesideTheProgramWhenDocumentsCannotBeMade) {
  std::ofstream(temp / "plainfile") << "x";
  scratch::Environment blockedHome("HOME", temp / "plainfile/home");
  {
    Logger logger;
    EXPECT_EQ(temp / "bin/voyanta.log", logger.GetFileName());
    logger.Log("a", 1, LogError, "beside");
  }
  EXPECT_NE(std::string::npos, Read(temp / "bin/voyanta.log").find("beside"));
}

TEST_F(LoggerTest, ProgramPathWithoutFileNameIsIllegal) {
  scratch::Arguments root({"/", "/log", "debug"});
  try {
    Logger logger;
    FAIL() << "no exception";
  } catch (const EIllegalArgument& e) {
    EXPECT_STREQ("__argv[0] contains an illegal program path", e.GetMessage());
    EXPECT_STREQ("toolbox::Logger::Logger", e.GetLocation());
    EXPECT_EQ(39, e.GetLine());
  }
  EXPECT_EQ(nullptr, CurrentLogSink());
}

TEST_F(LoggerTest, EntriesKeptWhileThereWasNoLoggerFollowTheStartOfTheNextOne) {
  LogToCurrentOrKeep("toolbox::Config::LoadFile", 12, LogError, "The file %s is not well formed", "x.cfg");
  LogToCurrentOrKeep("toolbox::Config::LoadFile", 13, LogInfo, "below the threshold");
  {
    Logger logger;
  }
  {
    Logger again;
  }
  const std::string text = Read(logFile);
  EXPECT_EQ(1, Count(text, "Error (toolbox::Config::LoadFile:12) The file x.cfg is not well formed\n")) << text;
  EXPECT_EQ(0, Count(text, "below the threshold"));
  EXPECT_EQ(1, Count(text, kSeparator));  // the second logger found nothing to write
}

TEST_F(LoggerTest, SomethingOtherThanAFileAtTheLogsPlaceDropsTheEntriesWithoutWaiting) {
  fs::create_directories(temp / "home/Documents");
  ASSERT_EQ(0, mkfifo(logFile.c_str(), 0644));
  Logger logger;
  logger.Log("a", 1, LogError, "dropped");
  EXPECT_FALSE(logger.IsOpen());
  EXPECT_TRUE(fs::is_fifo(logFile));
}

// The log names the user's files: nobody else may read it, whatever the umask, also when an
// older version left it open to others.
TEST_F(LoggerTest, TheLogIsTheUsersAloneWhateverTheUmask) {
  struct Row {
    const char* what;
    unsigned mode;  // of the log before; 0: none yet
    mode_t mask;
  };
  const std::vector<Row> rows = {
      {"new log, umask 022", 0, 022},
      {"new log, umask 000", 0, 0},
      {"log others may read", 0644, 022},
      {"log everybody may write", 0666, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(temp / "home/Documents");
    fs::create_directories(temp / "home/Documents");
    if (row.mode != 0) {
      std::ofstream(logFile) << "earlier\n";
      ASSERT_EQ(0, chmod(logFile.c_str(), row.mode));
    }
    const mode_t mask = umask(row.mask);
    {
      Logger logger;
      logger.Log("a", 1, LogError, "private");
    }
    umask(mask);
    struct stat info;
    ASSERT_EQ(0, stat(logFile.c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 07777);
    EXPECT_EQ(1, Count(Read(logFile), "private"));
  }
}
