#include "resources/Icons.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <vector>

#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"

using namespace resources;

namespace {

struct IconCase {
  const char* path;
  QSize size;
};

// Every icon the program loads, at the size it is drawn: the tool bar's at the button size,
// the list's images and the program icon at 16 by 16.
std::vector<IconCase> AllIcons() {
  std::vector<IconCase> icons;
  const framework::ToolBarResource& toolBar = kMainFrameResources.toolBar;
  for (const framework::ToolBarButton& button : toolBar.buttons) {
    if (button.id != 0) icons.push_back({button.icon, QSize(toolBar.buttonWidth, toolBar.buttonHeight)});
  }
  icons.push_back({kMainFrameResources.icon, QSize(16, 16)});
  icons.push_back({IconPath(IDR_MAINFRAME), QSize(16, 16)});
  icons.push_back({IconPath(IDI_CHECKED), QSize(16, 16)});
  icons.push_back({IconPath(IDI_UNCHECKED), QSize(16, 16)});
  return icons;
}

}  // namespace

TEST(IconsTest, EveryIconIsLinkedInAndLoadsAtItsSize) {
  for (const IconCase& icon : AllIcons()) {
    ASSERT_NE(icon.path, nullptr);
    const QString path = QString::fromUtf8(icon.path);
    // Missing here means the resource file is not linked into the program.
    ASSERT_TRUE(QFile::exists(path)) << icon.path;
    // Null here means Qt's SVG image plugin is missing or the file does not parse.
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << icon.path;
    EXPECT_EQ(image.size(), icon.size) << icon.path;
  }
}

TEST(IconsTest, IconsAreDrawnUnscaledAtTheirSize) {
  // QIcon keeps an SVG's aspect ratio: an image of another shape than its button would be
  // shrunk and blurred. The SVG icon engine must be present for any pixmap at all.
  for (const IconCase& icon : AllIcons()) {
    const QPixmap pixmap = QIcon(QString::fromUtf8(icon.path)).pixmap(icon.size);
    ASSERT_FALSE(pixmap.isNull()) << icon.path;
    EXPECT_EQ(pixmap.size(), icon.size) << icon.path;
  }
}

TEST(IconsTest, CheckedAndUncheckedItemsLookDifferent) {
  const QImage checked(QString::fromUtf8(IconPath(IDI_CHECKED)));
  const QImage unchecked(QString::fromUtf8(IconPath(IDI_UNCHECKED)));
  ASSERT_FALSE(checked.isNull());
  ASSERT_FALSE(unchecked.isNull());
  EXPECT_NE(checked.convertToFormat(QImage::Format_ARGB32), unchecked.convertToFormat(QImage::Format_ARGB32));
}
