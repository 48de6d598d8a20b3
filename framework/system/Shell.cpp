#include "framework/system/Shell.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QUrl>
#include <string>

#include "framework/base/TextEncoding.h"
#include "framework/system/Paths.h"

namespace framework {

bool Shell::OpenFile(const char* folder, const char* fileName) {
  std::string path = fileName == nullptr ? "" : fileName;
  if (folder != nullptr && *folder != '\0') path = std::string(folder) + "/" + path;
  // A file URL must be absolute: a path relative to the current folder (the program started
  // as build/run/app/voyanta) would mean nothing to the program that opens it. It is made
  // from the path's bytes, which need not be UTF-8: Qt's own file-name decoding would put
  // U+FFFD in place of such a byte and name another file.
  const std::string absolute = FullPath(path);
  const QByteArray encoded = QByteArray(absolute.data(), static_cast<qsizetype>(absolute.size())).toPercentEncoding("/");
  return QDesktopServices::openUrl(QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode));
}

bool Shell::OpenAddress(const char* address) {
  return QDesktopServices::openUrl(QUrl(ToQString(address), QUrl::TolerantMode));
}

}  // namespace framework
