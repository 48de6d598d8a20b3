#include "framework/listcontrol/TextWidthBound.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <algorithm>
#include <optional>

using framework::TextWidthBound;

namespace {

// The bound is never below the width of the laid-out text (kerning either way, ligatures),
// and close to it; texts that shaping changes beyond pairs of neighbours have none.
TEST(TextWidthBoundTest, IsNeverBelowTheLaidOutWidthAndRefusesComplexTexts) {
  const struct {
    const char* family;
    QString text;
    bool bounded;
  } rows[] = {
      {"DejaVu Sans", "Socks 12345", true},
      {"DejaVu Sans", "AVATAR Wave Tent", true},             // negative kerning
      {"DejaVu Sans", "-G-J-O (f) (j)", true},              // positive kerning in this font
      {"DejaVu Serif", "office waffle ffi ffl", true},       // ligatures
      {"Liberation Sans", QString::fromUtf8("Äpfel Zahnbürste ½ l"), true},
      {"Liberation Sans", "", true},
      {"DejaVu Sans", QString::fromUtf8("Cafe\u0301"), false},  // a combining mark
      {"DejaVu Sans", QString::fromUtf8("سلام"), false},          // a joining script
      {"DejaVu Sans", QString::fromUtf8("旅行"), false},
      {"DejaVu Sans", "tab\there", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text.toStdString() + " in " + row.family);
    const QFont font(row.family, 10);
    TextWidthBound bound(font);
    const qreal width = QFontMetricsF(font).horizontalAdvance(row.text);
    const std::optional<qreal> found = bound.Of(row.text);
    if (!row.bounded) {
      EXPECT_EQ(found, std::nullopt);
      continue;
    }
    ASSERT_TRUE(found);
    EXPECT_GE(*found, width);
    EXPECT_LE(*found, width + row.text.size());  // kerning narrows a text by less than a pixel a letter
    EXPECT_EQ(bound.Of(row.text), found);  // measured once, the same again
    // The same from the text's UTF-8 bytes, unless a character needs three bytes or more.
    const QByteArray bytes = row.text.toUtf8();
    const bool decodable = std::all_of(row.text.begin(), row.text.end(), [](QChar c) { return c.unicode() < 0x800; });
    EXPECT_EQ(bound.OfUtf8(bytes.constData(), bytes.size()), decodable ? found : std::nullopt);
  }
}

// Bytes that are not UTF-8 are shown as Windows-1252: they have no bound of their own and
// must be decoded as the cell shows them.
TEST(TextWidthBoundTest, BytesThatAreNotUtf8AreLeftToTheDecodedText) {
  const QByteArray rows[] = {
      "\xC4pfel",          // Windows-1252
      "Caf\xC3",           // cut after a lead byte
      "\xC3(x",            // a lead byte without its continuation
      "\xC1\x81",          // an overlong ASCII character
      "\x80 5",            // a continuation byte alone
      "\xE2\x82\xAC 5",    // three bytes (valid, but beyond what is read)
  };
  TextWidthBound bound(QFont("DejaVu Sans", 10));
  for (const QByteArray& bytes : rows) {
    EXPECT_EQ(bound.OfUtf8(bytes.constData(), bytes.size()), std::nullopt) << bytes.toHex().toStdString();
  }
}

}  // namespace
