#pragma once

#include <QIcon>
#include <QSize>
#include <vector>

namespace framework {

// Small images of one size for a list control, addressed by index. Owned by value by the
// view that shows the images, whose list control keeps a pointer to it. A failed allocation
// throws the framework's MemoryException and leaves the list as it was.
class ImageList {
 public:
  explicit ImageList(int width = 16, int height = 16) : size(width, height) {}

  // Appends an image from a resource path (":/icons/checked.svg") or a file; answers its
  // index, or -1 when the image cannot be loaded (its slot then stays empty).
  [[nodiscard]] int Add(const char* path);
  int Add(const QIcon& icon);
  int GetImageCount() const { return static_cast<int>(pictures.size()); }
  // The image at the index; a null icon outside the list.
  QIcon GetIcon(int index) const;
  // Whether there is an image at the index (a slot left empty has none).
  // Asked for every row whenever a column is sized: answered without asking the icon.
  bool HasImage(int index) const {
    return index >= 0 && index < GetImageCount() && pictures[static_cast<std::size_t>(index)].present;
  }
  QSize GetImageSize() const { return size; }

 private:
  // An image and whether it is one: asking an icon drawn from SVG whether it is null costs
  // several times more than reading the flag.
  struct Picture {
    QIcon icon;
    bool present;
  };

  QSize size;
  std::vector<Picture> pictures;
};

}  // namespace framework
