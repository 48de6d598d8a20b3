#include "toolbox/config/Writer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Scratch.h"
#include "toolbox/config/FileWriter.h"
#include "toolbox/config/StringWriter.h"

using namespace toolbox;

namespace {

std::string Escaped(const char* text) {
  StringWriter writer;
  EXPECT_TRUE(WriteEscaped(writer, text));
  return writer.GetText().Text();
}

// Accepts a number of writes, then fails every one; counts the attempts.
class FailingWriter : public Writer {
 public:
  explicit FailingWriter(int accepted) : accepted(accepted) {}
  bool Write(const char*) override { return ++attempts <= accepted; }
  bool WriteChar(char) override { return ++attempts <= accepted; }
  int accepted;
  int attempts = 0;
};

}  // namespace

TEST(WriterTest, EscapesControlBytesTagCharactersAndBackslash) {
  EXPECT_EQ(Escaped("a\tb\nc\fd\re"), "a\\tb\\nc\\fd\\re");
  EXPECT_EQ(Escaped("</>\\"), "\\<\\/\\>\\\\");
  // Spaces, the vertical tab and bytes above 0x7F pass unchanged.
  EXPECT_EQ(Escaped(" x\vy \xE9"), " x\vy \xE9");
}

TEST(WriterTest, EmptyTextIsWrittenAsEmptyMarker) {
  EXPECT_EQ(Escaped(""), "\\0");
  EXPECT_EQ(Escaped(nullptr), "\\0");
}

TEST(WriterTest, StopsAtTheFirstFailedWrite) {
  FailingWriter writer(2);
  EXPECT_FALSE(WriteEscaped(writer, "abcdef"));
  EXPECT_EQ(writer.attempts, 3);
  FailingWriter escapes(1);
  EXPECT_FALSE(WriteEscaped(escapes, "<<<"));
  EXPECT_EQ(escapes.attempts, 2);
  FailingWriter indent(0);
  EXPECT_FALSE(WriteIndent(indent, 5));
  EXPECT_EQ(indent.attempts, 1);
}

TEST(FileWriterTest, WritesTextWithThePlatformLineEnd) {
  scratch::Folder folder;
  std::string file = (folder / "out.txt");
  FileWriter writer;
  ASSERT_TRUE(writer.Open(file.c_str()));
  EXPECT_TRUE(writer.Write("<a>1</>\n"));
  EXPECT_TRUE(writer.WriteChar('\xE9'));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(scratch::ReadFile(file), "<a>1</>\n\xE9");
  // Closed: nothing more is taken.
  EXPECT_FALSE(writer.Write("x"));
  EXPECT_FALSE(writer.WriteChar('x'));
  EXPECT_FALSE(writer.Close());
}

TEST(FileWriterTest, OpenTruncatesAnExistingFile) {
  scratch::Folder folder;
  std::string file = (folder / "out.txt");
  scratch::WriteFile(file, "old contents");
  FileWriter writer;
  ASSERT_TRUE(writer.Open(file.c_str()));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(scratch::ReadFile(file), "");
}

TEST(FileWriterTest, FailsWhereNoFileCanBeMade) {
  scratch::Folder folder;
  FileWriter writer;
  EXPECT_FALSE(writer.Open((folder / "missing/out.txt").c_str()));
  EXPECT_FALSE(writer.Write("x"));
}

TEST(FileWriterTest, CloseReportsDataThatCouldNotReachTheDisk) {
  // The library buffers the write; the full device refuses it when it is flushed.
  FileWriter writer;
  ASSERT_TRUE(writer.Open("/dev/full"));
  EXPECT_TRUE(writer.Write("settings"));
  EXPECT_FALSE(writer.Close());
}
