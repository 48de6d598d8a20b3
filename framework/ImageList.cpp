#include "framework/ImageList.h"

#include "framework/Text.h"

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
  present.reserve(present.size() + 1);  // so that the second push cannot fail
  icons.push_back(icon);
  present.push_back(!icon.isNull());
  return GetImageCount() - 1;
}

QIcon ImageList::GetIcon(int index) const {
  if (index < 0 || index >= GetImageCount()) return QIcon();
  return icons[static_cast<std::size_t>(index)];
}

}  // namespace framework
