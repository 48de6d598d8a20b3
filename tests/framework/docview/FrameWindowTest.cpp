#include "framework/docview/FrameWindow.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "Fixtures.h"
#include "framework/base/CommandIds.h"
#include "framework/commands/Menu.h"

using namespace framework;
using namespace fixtures;

namespace {

class FrameWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    app.OnFileNew();
    ASSERT_NE(app.docTemplate->GetFrame(), nullptr);
    frame = app.Frame();
  }

  QMenu* Popup(int index) const { return frame->menuBar()->actions().at(index)->menu(); }

  QAction* Entry(QMenu* menu, unsigned id) const {
    for (QAction* action : menu->actions()) {
      if (Menu::CommandIdOf(action) == id) return action;
    }
    return nullptr;
  }

  QAction* Button(unsigned id) const {
    for (QAction* action : frame->GetToolBar()->actions()) {
      if (Menu::CommandIdOf(action) == id) return action;
    }
    return nullptr;
  }

  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(app.View(), static_cast<Qt::Key>(key), modifiers);
  }

  TestApp app;
  TestFrame* frame = nullptr;
};

TEST_F(FrameWindowTest, CommandsGoToViewThenDocumentThenFrameThenApplication) {
  EXPECT_TRUE(frame->RouteCommand(ID_ALL));
  EXPECT_TRUE(frame->RouteCommand(ID_NOT_VIEW));
  EXPECT_TRUE(frame->RouteCommand(ID_FRAME_APP));
  EXPECT_TRUE(frame->RouteCommand(ID_APP_ONLY));
  EXPECT_FALSE(frame->RouteCommand(ID_NOBODY));
  EXPECT_EQ(Log(), (std::vector<std::string>{"view:32800", "doc:32801", "frame:32802", "app:32803"}));
}

TEST_F(FrameWindowTest, MenuEnablesExactlyTheCommandsSomeoneHandles) {
  QMenu* edit = Popup(1);
  for (QAction* action : edit->actions()) action->setEnabled(Menu::CommandIdOf(action) == ID_NOBODY);
  frame->UpdateMenuPopup(edit);
  EXPECT_TRUE(Entry(edit, ID_TOGGLE)->isEnabled());
  EXPECT_TRUE(Entry(edit, ID_ALL)->isEnabled());
  EXPECT_FALSE(Entry(edit, ID_NOBODY)->isEnabled());
  EXPECT_FALSE(Entry(edit, ID_DISABLED)->isEnabled());  // its update handler says so

  // Update handlers run when the menu opens, and the menu runs its entries' commands.
  Entry(edit, ID_NOBODY)->setEnabled(true);
  emit edit->aboutToShow();
  EXPECT_FALSE(Entry(edit, ID_NOBODY)->isEnabled());
  Entry(edit, ID_ALL)->trigger();
  EXPECT_EQ(Log(), std::vector<std::string>{"view:32800"});
}

TEST_F(FrameWindowTest, DisabledCommandDoesNotRunFromItsKey) {
  Activate(frame);
  Press(Qt::Key_D, Qt::ControlModifier);
  EXPECT_FALSE(frame->RouteCommand(ID_DISABLED));
  EXPECT_TRUE(Log().empty());
}

TEST_F(FrameWindowTest, AcceleratorsReachTheFrameWhileTheListHasTheFocus) {
  Activate(frame);
  app.View()->setFocus();
  ASSERT_TRUE(app.View()->hasFocus());
  Press(Qt::Key_Space);
  Press(Qt::Key_Return);
  Press(Qt::Key_Enter, Qt::KeypadModifier);  // the keypad's Enter is Enter too
  Press(Qt::Key_Delete);
  Press(Qt::Key_Delete, Qt::KeypadModifier);  // so are its Del and Ins
  Press(Qt::Key_Insert);
  Press(Qt::Key_Insert, Qt::KeypadModifier);
  Press(Qt::Key_5);
  EXPECT_EQ(Log(), (std::vector<std::string>{"view:32772", "view:32773", "view:32773", "view:57632", "view:57632",
                                             "view:32785", "view:32785", "view:32780"}));
}

// A widget of the frame that wants a key for itself, as a text field wants digits and
// Space, keeps it; the keys it leaves still run their commands.
TEST_F(FrameWindowTest, KeysTheFocusWidgetClaimsStayTheWidgets) {
  Activate(frame);
  auto* field = new QLineEdit(frame);
  field->show();
  field->setFocus();
  ASSERT_TRUE(field->hasFocus());
  QTest::keyClick(field, Qt::Key_5);
  QTest::keyClick(field, Qt::Key_Space);
  QTest::keyClick(field, Qt::Key_Insert);
  EXPECT_EQ(field->text(), "5 ");
  EXPECT_EQ(Log(), std::vector<std::string>{"view:32785"});
}

TEST_F(FrameWindowTest, KeypadDigitsAndKeysOnlyShownInMenusDoNothing) {
  Activate(frame);
  app.View()->setFocus();
  Press(Qt::Key_5, Qt::KeypadModifier);
  Press(Qt::Key_0, Qt::KeypadModifier);
  Press(Qt::Key_F8);  // the menu shows F8, the accelerator table has no entry for it
  EXPECT_TRUE(Log().empty());
  Press(Qt::Key_9);
  EXPECT_EQ(Log(), std::vector<std::string>{"view:32784"});
}

TEST_F(FrameWindowTest, MenuTextsShowKeysWithoutBindingThem) {
  QAction* toggle = Entry(Popup(1), ID_TOGGLE);
  EXPECT_EQ(toggle->text(), "&Check/Uncheck\tSpace");
  EXPECT_TRUE(toggle->shortcut().isEmpty());
}

TEST_F(FrameWindowTest, ViewMenuTogglesToolBarAndStatusBarWithCheckMarks) {
  Activate(frame);
  QMenu* view = Popup(2);
  frame->UpdateMenuPopup(view);
  EXPECT_TRUE(Entry(view, ID_VIEW_TOOLBAR)->isChecked());
  EXPECT_TRUE(Entry(view, ID_VIEW_STATUS_BAR)->isChecked());
  EXPECT_FALSE(Entry(view, ID_TRIP_ONLY)->isChecked());

  Entry(view, ID_VIEW_TOOLBAR)->trigger();
  EXPECT_FALSE(frame->GetToolBar()->isVisible());
  frame->RouteCommand(ID_VIEW_STATUS_BAR);
  EXPECT_FALSE(frame->statusBar()->isVisible());
  frame->UpdateMenuPopup(view);
  EXPECT_FALSE(Entry(view, ID_VIEW_TOOLBAR)->isChecked());
  EXPECT_FALSE(Entry(view, ID_VIEW_STATUS_BAR)->isChecked());

  frame->RouteCommand(ID_VIEW_TOOLBAR);
  EXPECT_TRUE(frame->GetToolBar()->isVisible());
}

TEST_F(FrameWindowTest, ToolBarButtonsCarryTipsAndPromptsAndFollowTheirHandlers) {
  EXPECT_EQ(frame->GetToolBar()->windowTitle(), "Tools");
  EXPECT_EQ(frame->GetToolBar()->iconSize(), QSize(16, 15));
  EXPECT_EQ(Button(ID_FILE_NEW)->toolTip(), "New");
  EXPECT_EQ(Button(ID_FILE_NEW)->statusTip(), "Create a new document.");
  EXPECT_EQ(Button(ID_NOBODY)->toolTip(), "");

  frame->UpdateToolBar();
  EXPECT_TRUE(Button(ID_ALL)->isEnabled());
  EXPECT_FALSE(Button(ID_NOBODY)->isEnabled());
  Button(ID_ALL)->trigger();
  EXPECT_EQ(Log(), std::vector<std::string>{"view:32800"});
}

TEST_F(FrameWindowTest, StatusBarShowsIdleTextAndPromptOfHoveredCommand) {
  Activate(frame);
  auto* pane = frame->statusBar()->findChild<QLabel*>();
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->text(), "Ready");
  QAction* all = Entry(Popup(1), ID_ALL);
  EXPECT_EQ(all->statusTip(), "Handled by everyone.");
  all->showStatusText(frame);
  EXPECT_EQ(frame->statusBar()->currentMessage(), "Handled by everyone.");
  frame->SetMessageText("Idle now");
  EXPECT_EQ(pane->text(), "Idle now");
}

TEST_F(FrameWindowTest, ExitCommandClosesTheMainWindow) {
  Activate(frame);
  EXPECT_EQ(app.GetMainWnd(), frame);
  EXPECT_TRUE(frame->RouteCommand(ID_APP_EXIT));
  EXPECT_FALSE(frame->isVisible());
}

TEST_F(FrameWindowTest, CaptionJoinsDocumentAndApplicationTitles) {
  EXPECT_EQ(frame->windowTitle(), "Unnamed - Voyanta");
  app.Document()->SetTitle("trip.vyt");
  EXPECT_EQ(frame->windowTitle(), "trip.vyt - Voyanta");
}

TEST_F(FrameWindowTest, ReportsNormalGeometryAndStateAfterMovesAndSizes) {
  Activate(frame);
  EXPECT_EQ(frame->geometry(), QRect(50, 60, 500, 300));  // from PreCreateWindow
  frame->positions.clear();
  frame->setGeometry(70, 80, 400, 250);
  QTest::qWait(20);
  ASSERT_FALSE(frame->positions.empty());
  WindowPos last = frame->positions.back();
  EXPECT_EQ(QRect(last.x, last.y, last.cx, last.cy), QRect(70, 80, 400, 250));
  EXPECT_FALSE(last.maximized);

  frame->ShowWindow(SW_SHOWMAXIMIZED);
  QTest::qWait(20);
  last = frame->positions.back();
  EXPECT_TRUE(last.maximized);
  EXPECT_EQ(QRect(last.x, last.y, last.cx, last.cy), QRect(70, 80, 400, 250));
}

TEST_F(FrameWindowTest, ToolBarButtonsAreNamedAndMenuEntriesReadWithoutTheirKeys) {
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
  // The key binding in the form screen readers read: "mnemonic;path;accelerator".
  EXPECT_EQ(read.front(), "Check/Uncheck|;;Space|Space");
  // The menus still show their keys, and no key is bound twice.
  QAction* first = edit->actions().front();
  EXPECT_EQ(first->text(), "&Check/Uncheck\tSpace");
  EXPECT_TRUE(first->shortcut().isEmpty());
}

}  // namespace
