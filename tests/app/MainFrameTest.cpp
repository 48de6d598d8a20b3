#include "app/MainFrame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <filesystem>

#include "Program.h"

using program::ProgramTest;

namespace {

class MainFramePlacementTest : public ProgramTest {
 protected:
  // The stored placement: XPos, YPos, XSize, YSize, Maximized.
  std::vector<int> Stored() {
    toolbox::ConfigSection& section = Settings("MainFrame");
    return {section.GetLong("XPos", -1), section.GetLong("YPos", -1), section.GetLong("XSize", -1),
            section.GetLong("YSize", -1), section.GetBool("Maximized", false) ? 1 : 0};
  }

  void Store(const std::vector<int>& values) {
    toolbox::ConfigSection& section = Settings("MainFrame");
    const char* names[] = {"XPos", "YPos", "XSize", "YSize"};
    for (int i = 0; i < 4; ++i) section.GetParameter(names[i]).SetLong(values[i]);
    section.GetParameter("Maximized").SetBool(values[4] != 0);
  }

  void WriteConfig(const std::string& text) {
    std::filesystem::create_directories(folder / "Quorvane/Voyanta");
    scratch::WriteFile(ConfigFile(), text);
  }
};

using Placement = std::vector<int>;

TEST_F(MainFramePlacementTest, WithoutStoredPlacementTheWindowOpensAt50_50With500By300) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(Window().geometry(), QRect(50, 50, 500, 300));
  EXPECT_FALSE(Window().isMaximized());
  EXPECT_EQ(Stored(), (Placement{50, 50, 500, 300, 0}));
}

// A stored placement keeps its size; where its title bar would lie off every screen (a
// position saved with other screens, or 0, 0 from a session that could tell none), the
// window moves so that it can be taken by its title bar.
TEST_F(MainFramePlacementTest, StoredPlacementKeepsItsSizeAndItsTitleBarOnAScreen) {
  struct Row {
    int x;
    int y;
    bool kept;  // exactly where it was stored
  };
  const int titleBar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
  for (const Row& row : {Row{50, 50, true}, Row{-30, 200, true}, Row{-30, 2000, false}, Row{0, 0, false},
                         Row{5000, 100, false}, Row{-900, 100, false}}) {
    SCOPED_TRACE(std::to_string(row.x) + ", " + std::to_string(row.y));
    WriteConfig("<MainFrame>\n\t<XPos>" + std::to_string(row.x) + "</>\n\t<YPos>" + std::to_string(row.y) +
                "</>\n\t<XSize>333</>\n\t<YSize>222</>\n</MainFrame>\n");
    ASSERT_TRUE(Start());
    const QRect placed = Window().geometry();
    EXPECT_EQ(placed.size(), QSize(333, 222));
    EXPECT_EQ(placed.topLeft() == QPoint(row.x, row.y), row.kept);
    const QRect space = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(space.contains(QPoint(placed.left() + placed.width() / 2, placed.top() - titleBar)) ||
                space.contains(QPoint(placed.right() - 50, placed.top() - titleBar)) ||
                space.contains(QPoint(placed.left() + 50, placed.top() - titleBar)))
        << placed.x() << ", " << placed.y() << " in " << space.width() << "x" << space.height();
    Finish();
  }
}

TEST_F(MainFramePlacementTest, MovingAndResizingANormalWindowStoresItsPlacement) {
  ASSERT_TRUE(Start());
  // The placement stored is the one the next start is given (see the maximizing test).
  const auto current = [&] {
    const QRect normal = Window().geometry();
    return Placement{normal.x(), normal.y(), normal.width(), normal.height(), 0};
  };
  Store({1, 2, 3, 4, 1});
  Window().move(120, 80);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Stored()[0] >= 120; }));
  EXPECT_EQ(Stored(), current());
  Store({1, 2, 3, 4, 1});
  Window().resize(640, 420);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Stored()[2] == 640; }));
  EXPECT_EQ(Stored(), current());
  EXPECT_EQ(Stored()[3], 420);
}

TEST_F(MainFramePlacementTest, MaximizingKeepsTheLastNormalPlacementForTheNextStart) {
  const int status = Run([&] {
    Window().setGeometry(120, 80, 640, 420);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stored() == Placement{120, 80, 640, 420, 0}; }));
    Window().showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window().isMaximized() && Stored()[4] == 1; }));
    QTest::qWait(20);  // the maximized size arrives
    EXPECT_EQ(Stored(), (Placement{120, 80, 640, 420, 1}));
  });
  EXPECT_EQ(status, 0);
  Finish();
  toolbox::ConfigSection& saved = SavedConfig().GetSubsection("MainFrame");
  EXPECT_TRUE(saved.GetBool("Maximized", false));
  EXPECT_EQ(saved.GetLong("XPos", -1), 120);

  ASSERT_TRUE(Start());
  EXPECT_TRUE(Window().isMaximized());
  Window().showNormal();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Window().isMaximized(); }));
  EXPECT_EQ(Window().geometry(), QRect(120, 80, 640, 420));
}

TEST_F(MainFramePlacementTest, MinimizingStoresNothing) {
  ASSERT_TRUE(Start());
  Store({1, 2, 3, 4, 1});
  Window().showMinimized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Window().isMinimized(); }));
  QTest::qWait(20);
  EXPECT_EQ(Stored(), (Placement{1, 2, 3, 4, 1}));
}

}  // namespace
