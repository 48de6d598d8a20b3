#include "app/MainFrame.h"

#include <gtest/gtest.h>

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

TEST_F(MainFramePlacementTest, StoredPlacementIsUsedUnchecked) {
  WriteConfig("<MainFrame>\n\t<XPos>-30</>\n\t<YPos>2000</>\n\t<XSize>333</>\n\t<YSize>222</>\n</MainFrame>\n");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Window().geometry(), QRect(-30, 2000, 333, 222));
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
