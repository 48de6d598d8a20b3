#include "framework/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "framework/Text.h"

namespace framework {

bool Shell::OpenFile(const char* folder, const char* fileName) {
  QString path = ToQString(fileName);
  if (folder != nullptr && *folder != '\0') path = QDir(ToQString(folder)).filePath(path);
  // A file URL must be absolute: a path relative to the current folder (the program started
  // as build/run/app/voyanta) would mean nothing to the program that opens it.
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(QDir::current().absoluteFilePath(path))));
}

bool Shell::OpenAddress(const char* address) {
  return QDesktopServices::openUrl(QUrl(ToQString(address), QUrl::TolerantMode));
}

}  // namespace framework
