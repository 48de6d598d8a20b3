#include "toolbox/base/Exception.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "toolbox/base/LogSink.h"

using namespace toolbox;

namespace {

// Collects what exceptions write to the process's log while a test runs.
class RecordingSink : public LogSink {
 public:
  struct Entry {
    std::string location;
    int line;
    int level;
    std::string text;
  };

  RecordingSink() { SetCurrentLogSink(this); }
  ~RecordingSink() override { SetCurrentLogSink(nullptr); }

  void LogV(const char* location, int line, int level, const char* format, va_list args) override {
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    entries.push_back({location, line, level, buffer});
  }

  std::vector<Entry> entries;
};

}  // namespace

TEST(ExceptionTest, OutOfMemoryCarriesNothingAndIsNotAutoBreaking) {
  RecordingSink sink;
  try {
    throw EOutOfMemory();
  } catch (EAutoBreaking&) {
    FAIL() << "EOutOfMemory caught as EAutoBreaking";
  } catch (Exception& e) {
    EXPECT_STREQ("EOutOfMemory", e.GetTypeName());
    EXPECT_EQ(nullptr, e.GetMessage());
    EXPECT_EQ(nullptr, e.GetLocation());
    EXPECT_EQ(0, e.GetLine());
  }
  EXPECT_TRUE(sink.entries.empty());
}

TEST(ExceptionTest, IllegalArgumentIsCaughtAsEveryBase) {
  RecordingSink sink;
  int caught = 0;
  try { throw EIllegalArgument("m", "f", 1); } catch (EAutoBreaking& e) { caught += e.GetLine(); }
  try { throw EIllegalArgument("m", "f", 2); } catch (Exception& e) { caught += e.GetLine(); }
  try { throw EIllegalState("m", "f", 4); } catch (EAutoBreaking& e) { caught += e.GetLine(); }
  EXPECT_EQ(7, caught);
}

TEST(ExceptionTest, LocationKeepsOnlyThePartAfterTheLastBackslash) {
  RecordingSink sink;
  EIllegalArgument e("bad", "c:\\src\\toolbox::Path::Parse", 12);
  EXPECT_STREQ("toolbox::Path::Parse", e.GetLocation());
  EXPECT_STREQ("bad", e.GetMessage());
  EXPECT_STREQ("EIllegalArgument", e.GetTypeName());

  EIllegalState plain("s", "toolbox::X::Y", 3);
  EXPECT_STREQ("toolbox::X::Y", plain.GetLocation());
}

TEST(ExceptionTest, FullConstructorWithLocationAndLineRecordsItselfAtLevelException) {
  RecordingSink sink;
  EIllegalArgument e("Formatted string requires too much space (>512MB)",
                     "a\\toolbox::String::FormatFromVargs", 1147);
  ASSERT_EQ(1u, sink.entries.size());
  // The log gets the full location; shortening it is the logger's business.
  EXPECT_EQ("a\\toolbox::String::FormatFromVargs", sink.entries[0].location);
  EXPECT_EQ(1147, sink.entries[0].line);
  EXPECT_EQ(LogException, sink.entries[0].level);
  EXPECT_EQ("EIllegalArgument.\nMessage: Formatted string requires too much space (>512MB)",
            sink.entries[0].text);
}

TEST(ExceptionTest, NoRecordWithoutLocationOrLineOrLogger) {
  {
    RecordingSink sink;
    EIllegalState noLocation("m", nullptr, 5);
    EIllegalState noLine("m", "f", 0);
    Exception shortForm("Exception");
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_EQ(nullptr, noLocation.GetLocation());
  }
  // With no logger installed the exception is still built, and nothing breaks.
  EIllegalState orphan("m", "f", 9);
  EXPECT_STREQ("f", orphan.GetLocation());
}

TEST(ExceptionTest, CopiesOwnTheirTexts) {
  RecordingSink sink;
  auto* original = new EIllegalArgument("message", "x\\loc", 7);
  EIllegalArgument copy(*original);
  EXPECT_NE(original->GetMessage(), copy.GetMessage());
  delete original;
  EXPECT_STREQ("message", copy.GetMessage());
  EXPECT_STREQ("loc", copy.GetLocation());
  EXPECT_EQ(7, copy.GetLine());

  EIllegalState target("other", "elsewhere", 1);
  target = EIllegalState("third", "place", 2);
  EXPECT_STREQ("third", target.GetMessage());
  const EIllegalState& itself = target;
  target = itself;  // assigned to itself keeps its texts
  EXPECT_STREQ("place", target.GetLocation());
  // Copies do not log again: only the two constructions with location and line did,
  // plus the ones above.
  EXPECT_EQ(3u, sink.entries.size());
}

namespace {

// A log whose entries cannot be made: its memory is exhausted.
class ExhaustedSink : public LogSink {
 public:
  ExhaustedSink() { SetCurrentLogSink(this); }
  ~ExhaustedSink() override { SetCurrentLogSink(nullptr); }
  void LogV(const char*, int, int, const char*, va_list) override { throw EOutOfMemory(); }
};

}  // namespace

TEST(ExceptionTest, ExceptionWhoseRecordFailsIsRaisedAsItselfWithItsTexts) {
  ExhaustedSink sink;
  try {
    throw EIllegalState("The state", "toolbox::X::Y", 8);
  } catch (const EIllegalState& e) {
    EXPECT_STREQ("The state", e.GetMessage());
    EXPECT_STREQ("toolbox::X::Y", e.GetLocation());
  } catch (const EOutOfMemory&) {
    ADD_FAILURE() << "the log's failure took the exception's place (and leaked its texts)";
  }
}
