#include "resources/Icons.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"

using namespace resources;

namespace {

struct IconCase {
  const char* path;
  QSize size;
  QPalette::ColorRole background;  // what it is drawn on
};

// Every icon the program loads, at the size it is drawn: the tool bar's at the button size,
// the list's images and the program icon at 16 by 16. The tool bar, the title bar and the
// About box show theirs on the window colour, the list its images on the base colour.
std::vector<IconCase> AllIcons() {
  std::vector<IconCase> icons;
  const framework::ToolBarResource& toolBar = kMainFrameResources.toolBar;
  for (const framework::ToolBarButton& button : toolBar.buttons) {
    if (button.id != 0) {
      icons.push_back({button.icon, QSize(toolBar.buttonWidth, toolBar.buttonHeight), QPalette::Window});
    }
  }
  icons.push_back({kMainFrameResources.icon, QSize(16, 16), QPalette::Window});
  icons.push_back({IconPath(IDR_MAINFRAME), QSize(16, 16), QPalette::Window});
  icons.push_back({IconPath(IDI_CHECKED), QSize(16, 16), QPalette::Base});
  icons.push_back({IconPath(IDI_UNCHECKED), QSize(16, 16), QPalette::Base});
  return icons;
}

// The WCAG 2 contrast ratio of two opaque sRGB colours, from 1 to 21.
double ContrastRatio(QRgb first, QRgb second) {
  const auto luminance = [](QRgb colour) {
    const auto linear = [](int channel) {
      const double value = channel / 255.0;
      return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) + 0.0722 * linear(qBlue(colour));
  };
  const double a = luminance(first);
  const double b = luminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// How far a picture stands off a background, as the eye finds its contour: the contrast
// ratio that nine in ten points of its outline reach. The picture is laid over the
// background; its pixels are those at least half opaque, all others and the space around
// it are background. The outline is the picture's pixels that share a side with the
// background. Each counts with the better of its own contrast and that of a pixel right
// inside it (touching it, if only at a corner, and sharing a side with the outline but not
// with the background): where a dark rim fades into a dark bar, or a light halo into a
// light one, what lies right behind it draws the contour. A glyph all of one dark colour
// has nothing behind its edge and must stand off by itself.
double OutlineContrast(const QImage& picture, QRgb background) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  const auto isPicture = [&](int x, int y) {
    return image.valid(x, y) && qAlpha(image.pixel(x, y)) >= 128;
  };
  const auto touchesBackground = [&](int x, int y) {
    return !isPicture(x - 1, y) || !isPicture(x + 1, y) || !isPicture(x, y - 1) || !isPicture(x, y + 1);
  };
  const auto isOutline = [&](int x, int y) { return isPicture(x, y) && touchesBackground(x, y); };
  const auto isRightInside = [&](int x, int y) {
    return isPicture(x, y) && !touchesBackground(x, y) &&
           (isOutline(x - 1, y) || isOutline(x + 1, y) || isOutline(x, y - 1) || isOutline(x, y + 1));
  };
  const auto contrastAt = [&](int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    const int alpha = qAlpha(pixel);
    const auto over = [alpha](int picture, int ground) { return (picture * alpha + ground * (255 - alpha) + 127) / 255; };
    const QRgb seen = qRgb(over(qRed(pixel), qRed(background)), over(qGreen(pixel), qGreen(background)),
                           over(qBlue(pixel), qBlue(background)));
    return ContrastRatio(seen, background);
  };
  std::vector<double> outline;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!isOutline(x, y)) continue;
      double contrast = contrastAt(x, y);
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (isRightInside(x + dx, y + dy)) contrast = std::max(contrast, contrastAt(x + dx, y + dy));
        }
      }
      outline.push_back(contrast);
    }
  }
  if (outline.empty()) return 1.0;
  std::sort(outline.begin(), outline.end());
  return outline[(outline.size() - 1) / 10];
}

QPalette Palette(QRgb window, QRgb base) {
  QPalette palette;
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::Base, base);
  return palette;
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

TEST(IconsTest, EveryIconStandsOffLightAndDarkBackgrounds) {
  // WCAG's own examples: black on white, and the lightest grey that passes for text on white.
  ASSERT_NEAR(ContrastRatio(qRgb(0, 0, 0), qRgb(255, 255, 255)), 21.0, 0.01);
  ASSERT_NEAR(ContrastRatio(qRgb(0x76, 0x76, 0x76), qRgb(255, 255, 255)), 4.54, 0.01);
  // Fusion's light palette, and the dark one desktop settings tools give Fusion.
  const struct {
    const char* name;
    QPalette palette;
  } schemes[] = {{"light", Palette(qRgb(0xef, 0xef, 0xef), qRgb(0xff, 0xff, 0xff))},
                 {"dark", Palette(qRgb(0x35, 0x35, 0x35), qRgb(0x2a, 0x2a, 0x2a))}};
  for (const IconCase& icon : AllIcons()) {
    const QImage picture = QIcon(QString::fromUtf8(icon.path)).pixmap(icon.size).toImage();
    ASSERT_FALSE(picture.isNull()) << icon.path;
    for (const auto& scheme : schemes) {
      const QColor background = scheme.palette.color(icon.background);
      // 3:1 is what WCAG asks of the parts of a picture needed to make it out.
      EXPECT_GE(OutlineContrast(picture, background.rgb()), 3.0)
          << icon.path << " on " << scheme.name << " " << background.name().toStdString();
    }
  }
}
