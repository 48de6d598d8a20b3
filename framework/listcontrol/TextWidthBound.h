#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <array>
#include <optional>

namespace framework {

// A cheap upper bound of the width a text takes on one line in a font, for finding the
// widest of many texts without laying every one out: the characters' own advances plus the
// positive kerning of each pair of neighbours, both measured once per character or pair.
// Shaping only narrows a line beyond that (negative kerning, ligatures), so the bound is
// never below the real width. A text with characters whose shaping is not that simple
// (control characters, combining marks, scripts that join) has no bound and must be laid
// out. Owned by value; measures lazily and keeps what it measured until the font changes.
// A failed allocation throws the framework's MemoryException.
class TextWidthBound {
 public:
  explicit TextWidthBound(const QFont& font) : metrics(font) { advances.fill(kUnknown); pairs.fill(kUnknown); }

  // The bound in pixels; nothing when the text has none.
  std::optional<qreal> Of(const QString& text);
  // The same for the program's bytes of a text, read as UTF-8 without decoding the text
  // first. Nothing where the bytes alone give no bound: a character from U+0800 up or one
  // that is not simple, or bytes that are not UTF-8 (the program shows such bytes as
  // Windows-1252); Of, asked with the text as it is shown, then has the answer.
  std::optional<qreal> OfUtf8(const char* text, qsizetype length);

 private:
  // Characters below this are simple; the pairs of printable ASCII are kept in a table.
  static constexpr char16_t kSimpleEnd = 0x300;
  static constexpr char16_t kTableFirst = 0x20, kTableEnd = 0x7F;
  static constexpr qreal kUnknown = -1e9;

  // Adds the character after previous to the bound; false (no bound) for a character
  // beyond the simple ones.
  bool Add(char16_t c, char16_t& previous, qreal& width) {
    if (c < 0x20 || c >= kSimpleEnd) return false;
    width += Advance(c);
    if (previous != 0) width += PairExtra(previous, c);
    previous = c;
    return true;
  }
  // What is known is read in place (these run for every character of every text); the
  // rest is measured once.
  qreal Advance(char16_t c) {
    const qreal advance = advances[c];
    return advance != kUnknown ? advance : MeasureAdvance(c);
  }
  qreal PairExtra(char16_t first, char16_t second) {
    if (first < kTableFirst || first >= kTableEnd || second < kTableFirst || second >= kTableEnd) {
      return OtherPairExtra(first, second);
    }
    qreal& extra = pairs[static_cast<std::size_t>((first - kTableFirst) * (kTableEnd - kTableFirst) + second - kTableFirst)];
    if (extra == kUnknown) extra = MeasurePairExtra(first, second);
    return extra;
  }
  qreal MeasureAdvance(char16_t c);
  qreal OtherPairExtra(char16_t first, char16_t second);
  qreal MeasurePairExtra(char16_t first, char16_t second);

  QFontMetricsF metrics;
  std::array<qreal, kSimpleEnd> advances;
  std::array<qreal, (kTableEnd - kTableFirst) * (kTableEnd - kTableFirst)> pairs;
  QHash<quint32, qreal> otherPairs;
};

}  // namespace framework
