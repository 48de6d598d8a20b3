#include "framework/listcontrol/TextWidthBound.h"

#include <algorithm>

#include "framework/base/Exceptions.h"
#include "framework/base/TextEncoding.h"

namespace framework {

std::optional<qreal> TextWidthBound::Of(const QString& text) {
  qreal width = 0;
  char16_t previous = 0;
  for (const QChar c : text) {
    if (!Add(c.unicode(), previous, width)) return {};
  }
  return width;
}

std::optional<qreal> TextWidthBound::OfUtf8(const char* text, qsizetype length) {
  qreal width = 0;
  char16_t previous = 0;
  for (qsizetype i = 0; i < length; ++i) {
    auto c = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    if (c >= 0x80) {
      // Two bytes: a character below U+0800 (a lead byte below C2 would be an overlong one).
      if (c < 0xC2 || c > 0xDF || i + 1 == length) return {};
      const char next = text[++i];
      if (!IsUtf8Continuation(next)) return {};
      c = static_cast<char16_t>(((c & 0x1F) << 6) | (static_cast<unsigned char>(next) & 0x3F));
    }
    if (!Add(c, previous, width)) return {};
  }
  return width;
}

qreal TextWidthBound::MeasureAdvance(char16_t c) { return advances[c] = metrics.horizontalAdvance(QChar(c)); }

qreal TextWidthBound::OtherPairExtra(char16_t first, char16_t second) {
  const quint32 key = (quint32{first} << 16) | second;
  const auto known = otherPairs.constFind(key);
  if (known != otherPairs.constEnd()) return *known;
  const qreal extra = MeasurePairExtra(first, second);
  Allocating([&] { otherPairs.insert(key, extra); });
  return extra;
}

// What the pair takes beyond the two advances; only widening counts, a bound may not narrow.
qreal TextWidthBound::MeasurePairExtra(char16_t first, char16_t second) {
  const QChar both[] = {QChar(first), QChar(second)};
  return std::max<qreal>(0, metrics.horizontalAdvance(QString(both, 2)) - Advance(first) - Advance(second));
}

}  // namespace framework
