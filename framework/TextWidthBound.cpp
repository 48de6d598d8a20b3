#include "framework/TextWidthBound.h"

#include <algorithm>

namespace framework {

qreal TextWidthBound::Of(const QString& text) { return Sum(text.utf16(), text.size()); }

std::optional<qreal> TextWidthBound::OfAscii(const char* text, qsizetype length) {
  if (std::any_of(text, text + length, [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) return {};
  return Sum(text, length);
}

template <class Char>
qreal TextWidthBound::Sum(const Char* characters, qsizetype length) {
  qreal width = 0;
  char16_t previous = 0;
  for (qsizetype i = 0; i < length; ++i) {
    const auto c = static_cast<char16_t>(characters[i]);
    if (c < 0x20 || c >= kSimpleEnd) return kNone;
    width += Advance(c);
    if (previous != 0) width += PairExtra(previous, c);
    previous = c;
  }
  return width;
}

qreal TextWidthBound::MeasureAdvance(char16_t c) { return advances[c] = metrics.horizontalAdvance(QChar(c)); }

qreal TextWidthBound::OtherPairExtra(char16_t first, char16_t second) {
  const quint32 key = (quint32{first} << 16) | second;
  const auto known = otherPairs.constFind(key);
  if (known != otherPairs.constEnd()) return *known;
  return *otherPairs.insert(key, MeasurePairExtra(first, second));
}

// What the pair takes beyond the two advances; only widening counts, a bound may not narrow.
qreal TextWidthBound::MeasurePairExtra(char16_t first, char16_t second) {
  const QChar both[] = {QChar(first), QChar(second)};
  return std::max<qreal>(0, metrics.horizontalAdvance(QString(both, 2)) - Advance(first) - Advance(second));
}

}  // namespace framework
