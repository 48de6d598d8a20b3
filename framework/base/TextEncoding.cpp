#include "framework/base/TextEncoding.h"

#include <QList>
#include <QStringDecoder>
#include <cstring>

namespace framework {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes that code page
// leaves undefined map to the C1 control of the same value, as Windows itself does.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeWindows1252(const char* bytes, std::size_t length) {
  QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
  for (std::size_t i = 0; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const char16_t unit = (byte >= 0x80 && byte < 0xA0) ? kWindows1252High[byte - 0x80] : byte;
    text[static_cast<qsizetype>(i)] = QChar(unit);
  }
  return text;
}

}  // namespace

QString ToQString(const char* bytes) {
  return bytes == nullptr ? QString() : ToQString(bytes, std::strlen(bytes));
}

QString ToQString(const char* bytes, std::size_t length) {
  if (bytes == nullptr || length == 0) return QString();
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = utf8(QByteArrayView(bytes, static_cast<qsizetype>(length)));
  if (!utf8.hasError()) return text;
  return DecodeWindows1252(bytes, length);
}

std::string ToBytes(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

std::string ToUtf8(const char* bytes, std::size_t length) { return ToBytes(ToQString(bytes, length)); }

std::string ShownAsText(std::string_view bytes, std::size_t max) {
  QString shown;
  std::size_t count = 0;
  for (const char32_t character : ToQString(bytes.data(), bytes.size()).toUcs4()) {
    if (count++ == max) break;
    if (QChar::isPrint(character)) {
      shown.append(QString::fromUcs4(&character, 1));
    } else {
      shown.append(character < 0x100 ? QStringLiteral("\\x%1").arg(static_cast<uint>(character), 2, 16, QLatin1Char('0'))
                                     : QStringLiteral("\\u%1").arg(static_cast<uint>(character), 4, 16, QLatin1Char('0')));
    }
  }
  return ToBytes(shown);
}

std::size_t CharacterEnd(std::string_view bytes, std::size_t max) {
  if (bytes.size() <= max) return bytes.size();
  std::size_t end = max;
  while (end > 0 && max - end < 3 && IsUtf8Continuation(bytes[end])) --end;
  return end;
}

}  // namespace framework
