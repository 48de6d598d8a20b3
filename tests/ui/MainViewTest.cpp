#include "ui/MainView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include "core/Document.h"
#include "framework/Application.h"
#include "framework/DocTemplate.h"
#include "framework/FrameWindow.h"
#include "framework/Menu.h"
#include "framework/Strings.h"
#include "resources/Icons.h"
#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"

using namespace framework;

namespace {

// The program's menus, keys and tool bar around the view, without the application's
// configuration and files.
class Frame : public FrameWindow {
 public:
  int OnCreate() override {
    if (FrameWindow::OnCreate() == -1) return -1;
    return CreateToolBar() ? 0 : -1;
  }
};

class MainViewTest : public testing::Test {
 protected:
  MainViewTest() {
    RegisterStringTable(resources::kStringTable);
    app.AddDocTemplate(new DocTemplate(
        resources::kMainFrameResources, [this] { return new ::Document(repository); },
        [] { return new Frame; }, [] { return new MainView; }));
  }
  ~MainViewTest() override { RegisterStringTable({}); }

  void Add(bool checked, const char* quantity, const char* name, const char* group) {
    auto* item = new Item;
    item->SetChecked(checked);
    item->SetQuantity(quantity);
    item->SetName(name);
    item->SetGroup(group);
    repository.Add(item);
  }

  // Opens the window with a new trip. The new trip clears every check mark and quantity:
  // tests that need some set them afterwards and rebuild the rows.
  void Start() {
    app.OnFileNew();
    ASSERT_NE(Window(), nullptr);
    Window()->show();
  }

  FrameWindow* Window() const { return app.GetMainWnd(); }
  MainView& View() const { return *static_cast<MainView*>(Window()->GetActiveView()); }

  int Image(int row) const {
    ListItem item;
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    EXPECT_TRUE(View().GetItem(item));
    return item.iImage;
  }

  std::vector<std::string> Row(int row) const {
    return {View().GetItemText(row, 0), View().GetItemText(row, 1), View().GetItemText(row, 2)};
  }

  int Selected() const { return View().GetNextItem(-1, LVNI_SELECTED); }

  void Activate() {
    Window()->activateWindow();
    QApplication::setActiveWindow(Window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
  }

  QAction* ViewMenuEntry(unsigned id) const {
    QMenu* viewMenu = Window()->menuBar()->actions().at(2)->menu();
    Window()->UpdateMenuPopup(viewMenu);
    Menu menu(viewMenu);
    for (unsigned i = 0; i < menu.GetMenuItemCount(); ++i) {
      if (menu.GetMenuItemID(i) == id) return menu.GetAction(i);
    }
    return nullptr;
  }

  Repository repository;
  Application app;
};

QImage Rendered(const QIcon& icon) { return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }

TEST_F(MainViewTest, EmptyRepositoryGivesAnEmptyListWithHeaderSizedColumns) {
  Start();
  EXPECT_EQ(View().GetItemCount(), 0);
  ASSERT_EQ(View().GetColumnCount(), 3);
  EXPECT_EQ(View().headerItem()->text(0), "Quantity");
  EXPECT_EQ(View().headerItem()->text(1), "Name");
  EXPECT_EQ(View().headerItem()->text(2), "Group");
  // Not the initial 150 and 250 pixels: the first fill sized them to their headers.
  EXPECT_EQ(View().GetColumnWidth(0), View().header()->sectionSizeHint(0));
  EXPECT_EQ(View().GetColumnWidth(1), View().header()->sectionSizeHint(1));
  EXPECT_GE(View().GetColumnWidth(2), View().header()->sectionSizeHint(2));
}

TEST_F(MainViewTest, RowsShowTheRepositoryInOrderWithImageTextsAndIndex) {
  Add(false, "", "Tent", "Camping");
  Add(false, "", "A rather long name for a pair of socks", "Clothes");
  Start();
  repository.GetAt(1)->SetChecked(true);
  repository.GetAt(1)->SetQuantity("2");
  View().OnUpdate(nullptr, 0, nullptr);

  ASSERT_EQ(View().GetItemCount(), 2);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"", "Tent", "Camping"}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"2", "A rather long name for a pair of socks", "Clothes"}));
  EXPECT_EQ(Image(0), 0);
  EXPECT_EQ(Image(1), 1);
  EXPECT_EQ(View().GetItemData(0), 0);
  EXPECT_EQ(View().GetItemData(1), 1);
  EXPECT_EQ(Selected(), -1);
  // A name wider than its header widens its column.
  EXPECT_GT(View().GetColumnWidth(1), View().fontMetrics().horizontalAdvance("A rather long name for a pair of socks"));

  // The images are the program's own icons: image 0 the unchecked, image 1 the checked one.
  const QIcon unchecked = View().topLevelItem(0)->icon(0);
  const QIcon checked = View().topLevelItem(1)->icon(0);
  ASSERT_FALSE(unchecked.isNull());
  ASSERT_FALSE(checked.isNull());
  EXPECT_EQ(Rendered(unchecked), Rendered(QIcon(resources::IconPath(resources::IDI_UNCHECKED))));
  EXPECT_EQ(Rendered(checked), Rendered(QIcon(resources::IconPath(resources::IDI_CHECKED))));
  EXPECT_NE(Rendered(checked), Rendered(unchecked));
}

TEST_F(MainViewTest, RefreshRebuildsFromTheRepositoryAndLeavesNoRowSelected) {
  Add(false, "", "Socks", "Clothes");
  Start();
  View().SelectAndShow(0);
  ASSERT_EQ(Selected(), 0);
  Add(false, "", "Towel", "Bathroom");
  repository.GetAt(0)->SetChecked(true);
  repository.GetAt(0)->SetQuantity("3");

  Activate();
  QTest::keyClick(Window(), Qt::Key_F5);
  ASSERT_EQ(View().GetItemCount(), 2);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"3", "Socks", "Clothes"}));
  EXPECT_EQ(Image(0), 1);
  EXPECT_EQ(Row(1), (std::vector<std::string>{"", "Towel", "Bathroom"}));
  EXPECT_EQ(Selected(), -1);

  // The menu entry runs the same command.
  View().SelectAndShow(1);
  repository.DeleteAt(0);
  EXPECT_TRUE(Window()->RouteCommand(resources::ID_VIEW_REFRESH));
  ASSERT_EQ(View().GetItemCount(), 1);
  EXPECT_EQ(Row(0)[1], "Towel");
  EXPECT_EQ(Selected(), -1);
}

TEST_F(MainViewTest, RowUpdateRewritesThatRowOnlyAndSelectsIt) {
  Add(false, "", "Socks", "Clothes");
  Add(false, "", "Towel", "Bathroom");
  Start();
  View().SelectAndShow(0);
  repository.GetAt(0)->SetName("Stockings");  // not shown until its row is rewritten
  repository.GetAt(1)->SetChecked(true);
  repository.GetAt(1)->SetQuantity("a dozen and a half");

  View().UpdateRow(1);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"", "Socks", "Clothes"}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"a dozen and a half", "Towel", "Bathroom"}));
  EXPECT_EQ(Image(1), 1);
  EXPECT_EQ(View().GetItemData(1), 1);
  EXPECT_EQ(Selected(), 1);  // the only selected row
  EXPECT_GT(View().GetColumnWidth(0), View().fontMetrics().horizontalAdvance("a dozen and a half"));
}

TEST_F(MainViewTest, SelectAndShowSelectsFocusesAndScrollsTheRowIntoView) {
  for (int i = 0; i < 60; ++i) Add(false, "", ("Item " + std::to_string(100 + i)).c_str(), "Group");
  Start();
  View().SelectAndShow(55);
  EXPECT_EQ(Selected(), 55);
  EXPECT_EQ(View().GetItemState(55, LVIS_FOCUSED | LVIS_SELECTED), LVIS_FOCUSED | LVIS_SELECTED);
  const QRect row = View().visualItemRect(View().topLevelItem(55));
  EXPECT_TRUE(View().viewport()->rect().contains(row)) << "row at " << row.y();
}

TEST_F(MainViewTest, ShowTripOnlyIsAlwaysEnabledNeverCheckedAndChangesNothing) {
  Add(false, "", "Socks", "Clothes");
  Add(false, "", "Towel", "Bathroom");
  Start();
  repository.GetAt(1)->SetChecked(true);
  View().OnUpdate(nullptr, 0, nullptr);
  View().SelectAndShow(0);

  QAction* entry = ViewMenuEntry(resources::ID_VIEW_TRIP_ONLY);
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(entry->isEnabled());
  EXPECT_FALSE(entry->isChecked());
  Window()->UpdateToolBar();
  for (QAction* button : Window()->GetToolBar()->actions()) {
    if (Menu::CommandIdOf(button) != resources::ID_VIEW_TRIP_ONLY) continue;
    EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(button->isChecked());
  }

  EXPECT_TRUE(Window()->RouteCommand(resources::ID_VIEW_TRIP_ONLY));
  EXPECT_FALSE(ViewMenuEntry(resources::ID_VIEW_TRIP_ONLY)->isChecked());
  EXPECT_EQ(View().GetItemCount(), 2);
  EXPECT_EQ(Selected(), 0);

  // F8 is only named in the menu text: no key of the window carries it.
  for (QAction* action : Window()->findChildren<QAction*>()) {
    EXPECT_FALSE(action->shortcuts().contains(QKeySequence(Qt::Key_F8))) << action->text().toStdString();
  }
  Activate();
  QTest::keyClick(Window(), Qt::Key_F8);
  EXPECT_EQ(View().GetItemCount(), 2);
  EXPECT_EQ(Selected(), 0);
}

}  // namespace
