// What assistive technology gets from the framework's widgets through Qt's accessibility:
// the list's rows with what their images mean, the tool-bar buttons' names, and menu
// entries named without their keys. The events of a change reach only a live accessibility
// bridge, which Qt's offscreen platform has not: the program's test on the desktop's real
// accessibility stack hears them (tests/app).

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QToolBar>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "framework/ImageList.h"
#include "framework/ListControl.h"
#include "framework/Menu.h"

using namespace framework;
using namespace fixtures;

namespace {

class ListAccessibilityTest : public testing::Test {
 protected:
  void SetUp() override {
    QPixmap picture(16, 16);
    picture.fill(Qt::yellow);
    images.Add(QIcon(picture));
    images.Add(QIcon(picture));
    list.SetImageList(&images);
    list.SetImageMeaning(0, "not taken along", CheckMark::unchecked);
    list.SetImageMeaning(1, "taken along", CheckMark::checked);
    list.InsertColumn(0, "Quantity");
    list.InsertColumn(1, "Name");
    list.show();  // the view lays out its rows only once shown, as the program's is
  }

  void Add(int image, const char* quantity, const char* name) {
    ListItem item;
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = list.GetItemCount();
    item.pszText = quantity;
    item.iImage = image;
    list.SetItemText(list.InsertItem(item), 1, name);
  }

  // As a screen reader asks: once the event loop has laid the rows out.
  QAccessibleInterface* Cell(int row, int column) {
    QCoreApplication::processEvents();
    return QAccessible::queryAccessibleInterface(&list)->tableInterface()->cellAt(row, column);
  }

  ImageList images;
  ListControl list;
};

TEST_F(ListAccessibilityTest, FirstCellsTellWhatTheirImageMeansAndTheCheckMark) {
  struct Row {
    int image;
    const char* quantity;
    std::string name;  // of the first cell
    bool checkable;
    bool checked;
  };
  const std::vector<Row> rows = {
      {1, "2 pairs", "taken along, 2 pairs", true, true},
      {1, "", "taken along", true, true},
      {0, "", "not taken along", true, false},
      {-1, "3", "3", false, false},  // an image without a meaning says nothing
  };
  for (const Row& row : rows) Add(row.image, row.quantity, "Socks");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    QAccessibleInterface* cell = Cell(static_cast<int>(i), 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), rows[i].name);
    EXPECT_EQ(cell->state().checkable, rows[i].checkable);
    EXPECT_EQ(cell->state().checked, rows[i].checked);
    EXPECT_EQ(Cell(static_cast<int>(i), 1)->text(QAccessible::Name), "Socks");
  }
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&list)->tableInterface()->columnDescription(0), "Quantity");
}

class FrameAccessibilityTest : public testing::Test {
 protected:
  void SetUp() override {
    app.OnFileNew();
    ASSERT_NE(app.docTemplate->GetFrame(), nullptr);
    frame = app.Frame();
  }

  TestApp app;
  TestFrame* frame = nullptr;
};

TEST_F(FrameAccessibilityTest, ToolBarButtonsAreNamedAndMenuEntriesReadWithoutTheirKeys) {
  QToolBar* toolBar = frame->GetToolBar();
  for (QAction* action : toolBar->actions()) {
    if (action->isSeparator()) continue;
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(toolBar->widgetForAction(action));
    const QString name = button->text(QAccessible::Name);
    EXPECT_FALSE(name.isEmpty()) << Menu::CommandIdOf(action);
    EXPECT_FALSE(name.contains('&') || name.contains('\t')) << name.toStdString();
  }

  QMenu* edit = frame->menuBar()->actions().at(1)->menu();
  QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(edit);
  std::vector<std::string> read;
  for (int i = 0; i < menu->childCount(); ++i) {
    QAccessibleInterface* entry = menu->child(i);
    if (entry->role() == QAccessible::Separator) continue;
    QAccessibleActionInterface* actions = entry->actionInterface();
    const QString key = actions != nullptr ? actions->keyBindingsForAction(actions->pressAction()).join(",") : "";
    read.push_back(entry->text(QAccessible::Name).toStdString() + "|" + key.toStdString() + "|" +
                   entry->text(QAccessible::Accelerator).toStdString());
  }
  ASSERT_FALSE(read.empty());
  EXPECT_EQ(read.front(), "Check/Uncheck|Space|Space");
  // The menus still show their keys, and no key is bound twice.
  QAction* first = edit->actions().front();
  EXPECT_EQ(first->text(), "&Check/Uncheck\tSpace");
  EXPECT_TRUE(first->shortcut().isEmpty());
}

}  // namespace
