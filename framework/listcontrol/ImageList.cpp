#include "framework/listcontrol/ImageList.h"

#include "framework/base/Exceptions.h"
#include "framework/base/TextEncoding.h"

namespace framework {

int ImageList::Add(const char* path) {
  QIcon icon(ToQString(path));
  if (icon.pixmap(size).isNull()) {
    // The slot is kept, empty, so that the images after it keep their indexes.
    Add(QIcon());
    return -1;
  }
  return Add(icon);
}

int ImageList::Add(const QIcon& icon) {
  Allocating([&] { pictures.push_back({icon, !icon.isNull()}); });
  return GetImageCount() - 1;
}

QIcon ImageList::GetIcon(int index) const {
  if (index < 0 || index >= GetImageCount()) return QIcon();
  return pictures[static_cast<std::size_t>(index)].icon;
}

}  // namespace framework
