#include "framework/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "framework/Text.h"

namespace framework {

bool Shell::OpenFile(const char* folder, const char* fileName) {
  QString path = ToQString(fileName);
  if (folder != nullptr && *folder != '\0') path = QDir(ToQString(folder)).filePath(path);
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool Shell::OpenAddress(const char* address) {
  return QDesktopServices::openUrl(QUrl(ToQString(address), QUrl::TolerantMode));
}

}  // namespace framework
