#include "framework/TextWidthBound.h"

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
    const qreal found = bound.Of(row.text);
    if (!row.bounded) {
      EXPECT_EQ(found, TextWidthBound::kNone);
      continue;
    }
    EXPECT_GE(found, width);
    EXPECT_LE(found, width + row.text.size());  // kerning narrows a text by less than a pixel a letter
    EXPECT_EQ(bound.Of(row.text), found);  // measured once, the same again
    // The same from the bytes of an ASCII text; a text beyond ASCII must be decoded first.
    const QByteArray bytes = row.text.toUtf8();
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    EXPECT_EQ(bound.OfAscii(bytes.constData(), bytes.size()), ascii ? std::optional<qreal>(found) : std::nullopt);
  }
}

}  // namespace
