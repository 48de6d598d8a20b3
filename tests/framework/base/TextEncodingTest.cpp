#include "framework/base/TextEncoding.h"

#include <gtest/gtest.h>

#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"

using namespace framework;

TEST(TextTest, ValidUtf8IsDecodedAsUtf8) {
  EXPECT_EQ(ToQString("Gr\xC3\xB6\xC3\x9F" "e"), QString::fromUtf8("Größe"));
  EXPECT_EQ(ToQString("\xE2\x82\xAC"), QString(QChar(0x20AC)));
}

TEST(TextTest, InvalidUtf8IsDecodedAsWindows1252) {
  // "Größe" written on Windows, and the euro sign and quotes of the 0x80..0x9F block.
  EXPECT_EQ(ToQString("Gr\xF6\xDF" "e"), QString::fromUtf8("Größe"));
  EXPECT_EQ(ToQString("\x80 \x93x\x94"), QString::fromUtf8("€ “x”"));
  // A lone continuation byte or a truncated sequence is not UTF-8 either.
  EXPECT_EQ(ToQString("a\xC3"), QString::fromUtf8("aÃ"));
}

TEST(TextTest, NullAndLengthBoundedTexts) {
  EXPECT_TRUE(ToQString(nullptr).isEmpty());
  EXPECT_EQ(ToQString("abcdef", 3), QString("abc"));
}

TEST(TextTest, BytesRoundTripThroughUtf8) {
  const char* text = "Zelt & H\xC3\xBC" "tte";
  EXPECT_EQ(ToBytes(ToQString(text)), text);
}

// Another user's name reaches a message box or a terminal: nothing in it may act as a
// terminal's command, hide what follows, or turn the writing round.
TEST(TextTest, TextSomebodyElseWroteIsShownAsTextCutToItsLength) {
  std::string letters;  // 40 letters of three bytes each
  for (int i = 0; i < 40; ++i) letters += "\xE6\x97\x85";
  struct Row {
    const char* what;
    std::string bytes;
    std::string shown;
  };
  const Row rows[] = {
      {"a plain name", "alice", "alice"},
      {"letters of any script", "J\xC3\xBCrgen \xE6\x97\x85", "J\xC3\xBCrgen \xE6\x97\x85"},
      {"a terminal's clear, title and carriage return", "x\x1B[2J\x1B]0;pwned\x07\rbob",
       "x\\x1b[2J\\x1b]0;pwned\\x07\\x0dbob"},
      {"a delete and a C1 control", "a\x7F" "b\xC2\x9B" "c", "a\\x7fb\\x9bc"},
      {"a reversal of the writing direction", "eve\xE2\x80\xAEtxt.exe", "eve\\u202etxt.exe"},
      {"not UTF-8: read as Windows-1252", "G\xF6ran", "G\xC3\xB6ran"},
      {"a zero byte", std::string("a\0b", 3), "a\\x00b"},
      {"cut after its length", std::string(40, 'n'), std::string(32, 'n')},
      {"cut after its length in letters, not bytes", letters, letters.substr(0, 32 * 3)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(ShownAsText(row.bytes, 32), row.shown);
  }
}

namespace {
constexpr StringEntry kTable[] = {
    {AFX_IDS_APP_TITLE, "Voyanta"},
    {AFX_IDP_ASK_TO_SAVE, "Save %1 now? (%1)"},
};
}  // namespace

TEST(StringsTest, ProgramTableComesFirstThenFrameworkMessages) {
  RegisterStringTable(kTable);
  EXPECT_STREQ(LoadString(AFX_IDS_APP_TITLE), "Voyanta");
  EXPECT_EQ(FormatString(AFX_IDP_ASK_TO_SAVE, "trip.vyt"), "Save trip.vyt now? (trip.vyt)");
  EXPECT_EQ(FormatString(AFX_IDP_FILE_READ_ERROR, "a%1.vyt"),
            "Encountered an unexpected error while reading a%1.vyt.");
  EXPECT_STREQ(LoadString(12345), "");
  EXPECT_EQ(FindString(12345), nullptr);
  RegisterStringTable({});
  EXPECT_EQ(FormatString(AFX_IDP_ASK_TO_SAVE, "x"), "Save changes to x?");
}
