#include "ui/MainView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <functional>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include "core/Document.h"
#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "framework/commands/Menu.h"
#include "framework/dialogs/Dialog.h"
#include "framework/docview/Application.h"
#include "framework/docview/DocTemplate.h"
#include "framework/docview/FrameWindow.h"
#include "resources/Icons.h"
#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "support/Items.h"
#include "support/Modals.h"

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

  void Activate() { support::ShowActive(*Window()); }

  QAction* ViewMenuEntry(unsigned id) const {
    QMenu* viewMenu = Window()->menuBar()->actions().at(2)->menu();
    Window()->UpdateMenuPopup(viewMenu);
    Menu menu(viewMenu);
    for (unsigned i = 0; i < menu.GetMenuItemCount(); ++i) {
      if (menu.GetMenuItemID(i) == id) return menu.GetAction(i);
    }
    return nullptr;
  }

 public:
  // Keys go to the widget with the focus in the main window, as the user's do.
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    Activate();
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }

  void ClickToolBar(unsigned id) {
    for (QAction* button : Window()->GetToolBar()->actions()) {
      if (Menu::CommandIdOf(button) != id) continue;
      EXPECT_TRUE(button->isEnabled());
      QTest::mouseClick(Window()->GetToolBar()->widgetForAction(button), Qt::LeftButton);
      return;
    }
    ADD_FAILURE() << "no tool-bar button " << id;
  }

  QPoint RowPoint(int row, int x) const { return {x, View().visualRect(View().model()->index(row, 0)).center().y()}; }

  bool Modified() const { return Window()->GetActiveDocument()->IsModified(); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < repository.GetCount(); ++i) names.push_back(repository.GetAt(i)->GetName().Text());
    return names;
  }

  Repository repository;
  Application app;
  support::Modals modals;
};

QImage Rendered(const QIcon& icon) { return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }

TEST_F(MainViewTest, EmptyRepositoryGivesAnEmptyListWithHeaderSizedColumns) {
  Start();
  EXPECT_EQ(View().GetItemCount(), 0);
  ASSERT_EQ(View().GetColumnCount(), 3);
  EXPECT_EQ(View().model()->headerData(0, Qt::Horizontal).toString(), "Quantity");
  EXPECT_EQ(View().model()->headerData(1, Qt::Horizontal).toString(), "Name");
  EXPECT_EQ(View().model()->headerData(2, Qt::Horizontal).toString(), "Group");
  // Not the initial 150 and 250 pixels: the first fill sized them to their headers.
  EXPECT_EQ(View().GetColumnWidth(0), View().header()->sectionSizeHint(0));
  EXPECT_EQ(View().GetColumnWidth(1), View().header()->sectionSizeHint(1));
  EXPECT_GE(View().GetColumnWidth(2), View().header()->sectionSizeHint(2));
}

TEST_F(MainViewTest, RowsShowTheRepositoryInOrderWithImageTextsAndIndex) {
  support::AddItem(repository, false, "", "Tent", "Camping");
  support::AddItem(repository, false, "", "A rather long name for a pair of socks", "Clothes");
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
  const QIcon unchecked = qvariant_cast<QIcon>(View().model()->index(0, 0).data(Qt::DecorationRole));
  const QIcon checked = qvariant_cast<QIcon>(View().model()->index(1, 0).data(Qt::DecorationRole));
  ASSERT_FALSE(unchecked.isNull());
  ASSERT_FALSE(checked.isNull());
  EXPECT_EQ(Rendered(unchecked), Rendered(QIcon(resources::IconPath(resources::IDI_UNCHECKED))));
  EXPECT_EQ(Rendered(checked), Rendered(QIcon(resources::IconPath(resources::IDI_CHECKED))));
  EXPECT_NE(Rendered(checked), Rendered(unchecked));
}

TEST_F(MainViewTest, RefreshRebuildsFromTheRepositoryAndLeavesNoRowSelected) {
  support::AddItem(repository, false, "", "Socks", "Clothes");
  Start();
  View().SelectAndShow(0);
  ASSERT_EQ(Selected(), 0);
  support::AddItem(repository, false, "", "Towel", "Bathroom");
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
  support::AddItem(repository, false, "", "Socks", "Clothes");
  support::AddItem(repository, false, "", "Towel", "Bathroom");
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
  for (int i = 0; i < 60; ++i) support::AddItem(repository, false, "", ("Item " + std::to_string(100 + i)).c_str(), "Group");
  Start();
  View().SelectAndShow(55);
  EXPECT_EQ(Selected(), 55);
  EXPECT_EQ(View().GetItemState(55, LVIS_FOCUSED | LVIS_SELECTED), LVIS_FOCUSED | LVIS_SELECTED);
  const QRect row = View().visualRect(View().model()->index(55, 0));
  EXPECT_TRUE(View().viewport()->rect().contains(row)) << "row at " << row.y();
}

TEST_F(MainViewTest, ShowTripOnlyIsAlwaysEnabledNeverCheckedAndChangesNothing) {
  support::AddItem(repository, false, "", "Socks", "Clothes");
  support::AddItem(repository, false, "", "Towel", "Bathroom");
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

// The dialog's field, for a step working the item dialog.
QLineEdit* Field(QWidget& dialog, unsigned id) {
  return static_cast<QLineEdit*>(static_cast<Dialog&>(dialog).GetDlgItem(id));
}

// Types into the dialog's focus field and presses Return, the default button.
std::function<int(QWidget&)> TypeAndReturn(const char* text) {
  return [text](QWidget& dialog) {
    support::ShowActive(dialog);
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    return IDCANCEL;  // not applied: Return ended the dialog
  };
}

struct CheckCase {
  const char* title;
  bool checked;
  const char* quantity;
  unsigned button;  // 0: the Space key
  bool checkedAfter;
};

TEST_F(MainViewTest, CheckCommandsSetTheMarkEmptyTheQuantityAndRewriteOnlyTheirRow) {
  const CheckCase cases[] = {
      {"Space on a checked item with a quantity", true, "3", 0, false},
      {"Space on an unchecked item", false, "", 0, true},
      {"Check on a checked item", true, "2", resources::ID_ITEM_CHECK, true},
      {"Uncheck on a checked item", true, "2", resources::ID_ITEM_UNCHECK, false},
  };
  support::AddItem(repository, false, "", "Socks", "Clothes");
  support::AddItem(repository, false, "", "Towel", "Bathroom");
  Start();
  Activate();
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.title);
    repository.GetAt(0)->SetQuantity("");
    repository.GetAt(1)->SetChecked(c.checked);
    repository.GetAt(1)->SetQuantity(c.quantity);
    View().OnUpdate(nullptr, 0, nullptr);
    repository.GetAt(0)->SetQuantity("1");  // shown only if its row were rewritten
    View().SelectAndShow(1);
    Window()->GetActiveDocument()->SetModifiedFlag(false);
    QSignalSpy rebuilds(View().model(), &QAbstractItemModel::modelReset);

    if (c.button == 0) {
      Press(Qt::Key_Space);
    } else {
      ClickToolBar(c.button);
    }
    EXPECT_EQ(repository.GetAt(1)->IsChecked(), c.checkedAfter);
    EXPECT_EQ(Row(1), (std::vector<std::string>{"", "Towel", "Bathroom"}));
    EXPECT_EQ(Image(1), c.checkedAfter ? 1 : 0);
    EXPECT_EQ(Selected(), 1);
    EXPECT_TRUE(Modified());
    EXPECT_EQ(rebuilds.count(), 0);
    EXPECT_EQ(Row(0)[0], "");  // not rewritten from the repository
  }
}

struct EditCase {
  const char* title;
  std::function<void(MainViewTest&)> command;
  std::function<int(QWidget&)> work;  // null: no dialog opens
  const char* quantityAfter;
  bool checkedAfter;
  bool modified;
};

TEST_F(MainViewTest, EditCommandsRunTheDialogOnTheSelectedItemAndRewriteItsRow) {
  const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    return [k, m](MainViewTest& test) { test.Press(k, m); };
  };
  const EditCase cases[] = {
      {"5 then OK", key(Qt::Key_5), TypeAndReturn(""), "5", true, true},
      {"5 then Cancel", key(Qt::Key_5), [](QWidget&) { return IDCANCEL; }, "old", false, false},
      {"1 then typing 2", key(Qt::Key_1), TypeAndReturn("2"), "12", true, true},
      {"the keypad's 5 is no digit key", key(Qt::Key_5, Qt::KeypadModifier), nullptr, "old", false, false},
      // An unchecked item keeps no quantity once the dialog stores it.
      {"Enter and OK without changes", key(Qt::Key_Return), TypeAndReturn(""), "", false, true},
      {"Edit Quantity replaces the quantity",
       [](MainViewTest& test) { test.ClickToolBar(resources::ID_ITEM_QUANTITY); }, TypeAndReturn("4"), "4", true, true},
      {"Edit Item button", [](MainViewTest& test) { test.ClickToolBar(resources::ID_ITEM_EDIT); },
       [](QWidget& dialog) { return Field(dialog, resources::IDC_NAME)->hasSelectedText() ? IDOK : IDCANCEL; }, "",
       false, true},
  };
  support::AddItem(repository, false, "", "Socks", "Clothes");
  support::AddItem(repository, false, "", "Towel", "Bathroom");
  Start();
  Activate();
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.title);
    repository.GetAt(1)->SetChecked(false);
    repository.GetAt(1)->SetQuantity("old");
    View().OnUpdate(nullptr, 0, nullptr);
    View().SelectAndShow(1);
    Window()->GetActiveDocument()->SetModifiedFlag(false);
    QSignalSpy rebuilds(View().model(), &QAbstractItemModel::modelReset);
    if (c.work) modals.Work(c.work);

    c.command(*this);
    EXPECT_EQ(repository.GetAt(1)->GetQuantity().Text(), std::string(c.quantityAfter));
    EXPECT_EQ(repository.GetAt(1)->IsChecked(), c.checkedAfter);
    EXPECT_EQ(Modified(), c.modified);
    EXPECT_EQ(Row(1)[0], c.quantityAfter);
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(rebuilds.count(), 0);  // no rebuild
  }
}

TEST_F(MainViewTest, AnEditOfNameOrGroupReSortsRebuildsAndSelectsTheItemAgain) {
  support::AddItem(repository, false, "", "bread", "Food");
  support::AddItem(repository, false, "", "cheese", "Food");
  support::AddItem(repository, false, "", "eggs", "Food");
  Start();
  Activate();
  const struct {
    int row;
    const char* name;
    std::vector<std::string> names;
    int selected;
  } cases[] = {
      {1, "Cheese", {"bread", "Cheese", "eggs"}, 1},  // only the letter case
      {2, "apples", {"apples", "bread", "Cheese"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    View().SelectAndShow(c.row);
    QSignalSpy rebuilds(View().model(), &QAbstractItemModel::modelReset);
    modals.Work([&c](QWidget& dialog) {
      Field(dialog, resources::IDC_NAME)->setText(c.name);
      return IDOK;
    });
    Press(Qt::Key_Return);
    EXPECT_EQ(Names(), c.names);
    EXPECT_GT(rebuilds.count(), 0);  // rebuilt
    EXPECT_EQ(Row(c.selected)[1], c.name);
    EXPECT_EQ(Selected(), c.selected);
    EXPECT_TRUE(Modified());
  }
}

TEST_F(MainViewTest, NewItemTakesTheSelectedGroupGoesToItsSortedPlaceAndIsSelected) {
  support::AddItem(repository, false, "", "Socks", "Clothes");
  support::AddItem(repository, false, "", "Towel", "Bathroom");
  Start();
  Activate();

  modals.Work([](QWidget&) { return IDCANCEL; });
  Press(Qt::Key_Insert);
  EXPECT_EQ(repository.GetCount(), 2);
  EXPECT_FALSE(Modified());

  View().SelectAndShow(0);  // Socks, Clothes
  modals.Work([](QWidget& dialog) {
    EXPECT_EQ(Field(dialog, resources::IDC_GROUP)->text(), "Clothes");
    EXPECT_TRUE(Field(dialog, resources::IDC_QUANTITY)->isEnabled());
    return TypeAndReturn("Hat")(dialog);
  });
  Press(Qt::Key_Insert);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Towel", "Hat", "Socks"}));
  EXPECT_EQ(Row(1)[1], "Hat");
  EXPECT_EQ(Selected(), 1);
  Window()->GetActiveDocument()->SetModifiedFlag(false);

  View().clearSelection();
  modals.Work([](QWidget& dialog) {
    Field(dialog, resources::IDC_GROUP)->setText("Bathroom");
    return TypeAndReturn("Brush")(dialog);
  });
  ClickToolBar(resources::ID_ITEM_NEW);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Brush", "Towel", "Hat", "Socks"}));
  EXPECT_EQ(Selected(), 0);
  EXPECT_TRUE(Modified());
  EXPECT_TRUE(repository.GetAt(0)->IsChecked());
  EXPECT_EQ(Image(0), 1);
}

TEST_F(MainViewTest, DeleteAsksThenSelectsTheItemThatTookThePlaceOrNoneAfterTheLast) {
  const struct {
    int row;
    int answer;
    std::vector<std::string> names;
    int selected;
  } cases[] = {
      {1, IDNO, {"Hat", "Socks", "Towel"}, 1},
      {1, IDYES, {"Hat", "Towel"}, 1},
      {1, IDYES, {"Hat"}, -1},  // the last row
  };
  support::AddItem(repository, false, "", "Hat", "Clothes");
  support::AddItem(repository, false, "", "Socks", "Clothes");
  support::AddItem(repository, false, "", "Towel", "Clothes");
  Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.names.size());
    View().SelectAndShow(c.row);
    modals.Answer(c.answer);
    Press(Qt::Key_Delete);
    EXPECT_EQ(Names(), c.names);
    EXPECT_EQ(View().GetItemCount(), repository.GetCount());
    EXPECT_EQ(Selected(), c.selected);
    EXPECT_EQ(Modified(), c.answer == IDYES);
    ASSERT_FALSE(modals.asked.empty());
    const ModalRequest& question = modals.asked.back();
    EXPECT_EQ(question.caption, "The Voyanta");
    EXPECT_EQ(question.type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(question.text, LoadString(resources::IDS_CONFIRM_DELETE));
  }
}

TEST_F(MainViewTest, WithoutASelectionEveryCommandButNewItemReportsAndChangesNothing) {
  const unsigned commands[] = {resources::ID_ITEM_CHECK,      resources::ID_ITEM_UNCHECK,
                               resources::ID_ITEM_CHECK_TOGGLE, resources::ID_ITEM_QUANTITY,
                               resources::ID_ITEM_QUANTITY_0, resources::ID_ITEM_QUANTITY_9,
                               resources::ID_ITEM_EDIT,       ID_EDIT_CLEAR};
  for (const bool empty : {true, false}) {
    if (!empty) support::AddItem(repository, true, "", "Socks", "Clothes");
    Start();
    for (const unsigned id : commands) {
      SCOPED_TRACE(id);
      modals.Answer(IDOK);
      EXPECT_TRUE(Window()->RouteCommand(id));
      ASSERT_FALSE(modals.asked.empty());
      EXPECT_EQ(modals.asked.back().text, "Please select an item first.");
      EXPECT_EQ(modals.asked.back().caption, "The Voyanta");
      EXPECT_EQ(modals.asked.back().type, MB_OK | MB_ICONERROR);
      EXPECT_FALSE(Modified());
    }
    EXPECT_EQ(repository.GetCount(), empty ? 0 : 1);
  }
}

TEST_F(MainViewTest, AClickOnTheIconBandTogglesTheRowItSelectedAndADoubleClickEditsTheQuantity) {
  support::AddItem(repository, false, "", "Socks", "Clothes");
  support::AddItem(repository, false, "", "Towel", "Bathroom");
  Start();
  Activate();
  QWidget* list = View().viewport();

  QTest::mouseClick(list, Qt::LeftButton, {}, RowPoint(1, 18));
  EXPECT_EQ(Selected(), 1);
  EXPECT_FALSE(repository.GetAt(1)->IsChecked());
  EXPECT_FALSE(Modified());

  QTest::mouseClick(list, Qt::LeftButton, {}, RowPoint(0, 17));
  EXPECT_EQ(Selected(), 0);
  EXPECT_TRUE(repository.GetAt(0)->IsChecked());
  EXPECT_EQ(Image(0), 1);
  EXPECT_TRUE(Modified());

  // Below the last row no row is selected.
  modals.Answer(IDOK);
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(5, list->height() - 3));
  EXPECT_EQ(Selected(), -1);
  EXPECT_EQ(modals.Texts().back(), "Please select an item first.");

  modals.Work([](QWidget& dialog) {
    EXPECT_TRUE(Field(dialog, resources::IDC_QUANTITY)->isEnabled());  // the empty preset checks the box
    return TypeAndReturn("3")(dialog);
  });
  QTest::mouseDClick(list, Qt::LeftButton, {}, RowPoint(1, 40));
  EXPECT_EQ(repository.GetAt(1)->GetQuantity().Text(), std::string("3"));
  EXPECT_TRUE(repository.GetAt(1)->IsChecked());
}

TEST_F(MainViewTest, ColumnsFitTheLongestTextAlsoFarDownALongList) {
  for (int i = 0; i < 1500; ++i) support::AddItem(repository, false, "", ("Item " + std::to_string(1000 + i)).c_str(), "Group");
  repository.GetAt(1400)->SetName("A name far down the list that is longer than every other");
  Start();
  EXPECT_GT(View().GetColumnWidth(1),
            View().fontMetrics().horizontalAdvance("A name far down the list that is longer than every other"));
}

// Letters select the next row whose name begins with what was typed ("|": a pause), ignoring
// case, round from the top, whatever the first column holds. Digits and Space keep their
// commands, and a keypad digit, which no key binds, searches nothing.
TEST_F(MainViewTest, TypedLettersSelectARowByNameWhileDigitsAndSpaceKeepTheirCommands) {
  constexpr int kPause = 300;
  const int interval = QApplication::keyboardInputInterval();
  QApplication::setKeyboardInputInterval(kPause / 2);
  for (const char* name : {"5 pegs", "Boots", "Shirts", "socks", "Sun hat", "Tent"}) {
    support::AddItem(repository, false, "", name, "Clothes");
  }
  Start();
  Activate();
  const struct {
    const char* typed;
    int from;  // the selected row; -1 for none
    int selected;
    bool dialog = false;  // the quantity dialog opened (and was cancelled)
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  } cases[] = {
      {"S", -1, 2},  {"s", 2, 3},    {"su", -1, 4},     {"sss", -1, 4},
      {"s", 4, 2},   {"su|t", -1, 5}, {"x", 3, 3},      {"5", 3, 3, true},
      {" ", 1, 1},   {"5", 3, 3, false, Qt::KeypadModifier},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    QTest::qWait(kPause);  // a text of an earlier case is over
    repository.GetAt(1)->SetQuantity("Size 9");  // a first column that begins with S
    View().OnUpdate(nullptr, 0, nullptr);
    if (c.from >= 0) View().SelectAndShow(c.from);
    Window()->GetActiveDocument()->SetModifiedFlag(false);
    bool opened = false;
    if (c.dialog) {
      modals.Work([&](QWidget& dialog) {
        opened = true;
        EXPECT_NE(Field(dialog, resources::IDC_GROUP)->completer(), nullptr);  // the groups are offered
        return IDCANCEL;
      });
    }
    for (const char* key = c.typed; *key != '\0'; ++key) {
      if (*key == '|') QTest::qWait(kPause);
      if (*key != '|') QTest::keyClick(QApplication::focusWidget(), *key, c.modifiers);
    }
    EXPECT_EQ(Selected(), c.selected);
    EXPECT_EQ(opened, c.dialog);
    EXPECT_EQ(Modified(), *c.typed == ' ');  // only Space changed an item: it checked Boots
  }
  QApplication::setKeyboardInputInterval(interval);
}

}  // namespace
