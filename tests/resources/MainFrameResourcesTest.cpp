#include "resources/MainFrameResources.h"

#include <gtest/gtest.h>

#include <QKeySequence>
#include <QString>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "framework/base/CommandIds.h"
#include "resources/ResourceIds.h"

using namespace resources;
using namespace framework;

namespace {

std::span<const Accelerator> Keys() { return kMainFrameResources.accelerators; }

bool HasAccelerator(int key, Qt::KeyboardModifiers modifiers, unsigned id) {
  for (const Accelerator& accelerator : Keys()) {
    if (accelerator.key == key && accelerator.modifiers == modifiers && accelerator.id == id) return true;
  }
  return false;
}

bool HasAcceleratorFor(unsigned id) {
  for (const Accelerator& accelerator : Keys()) {
    if (accelerator.id == id) return true;
  }
  return false;
}

}  // namespace

TEST(MainFrameResourcesTest, NoKeyIsBoundTwice) {
  // Two actions with one shortcut make Qt call it ambiguous and run neither.
  std::set<std::pair<int, int>> seen;
  for (const Accelerator& accelerator : Keys()) {
    EXPECT_TRUE(seen.insert({accelerator.key, accelerator.modifiers.toInt()}).second)
        << QKeySequence(accelerator.key | accelerator.modifiers.toInt()).toString().toStdString();
  }
}

TEST(MainFrameResourcesTest, NeitherF8NorKeypadKeysAreBound) {
  for (const Accelerator& accelerator : Keys()) {
    EXPECT_NE(accelerator.key, Qt::Key_F8);
    EXPECT_NE(accelerator.key, Qt::Key_Enter) << "Enter of the keypad";
    EXPECT_FALSE(accelerator.modifiers.testFlag(Qt::KeypadModifier));
  }
  EXPECT_FALSE(HasAcceleratorFor(ID_VIEW_TRIP_ONLY));
}

TEST(MainFrameResourcesTest, DigitKeysSetQuantitiesZeroToNine) {
  for (int digit = 0; digit <= 9; ++digit) {
    EXPECT_TRUE(HasAccelerator(Qt::Key_0 + digit, Qt::NoModifier, ID_ITEM_QUANTITY_0 + digit)) << digit;
  }
  EXPECT_EQ(ID_ITEM_QUANTITY_9, 32784u);
}

TEST(MainFrameResourcesTest, EveryKeyShownInTheMenusIsBoundToItsEntry) {
  for (const MenuPopup& popup : kMainFrameResources.menuBar) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.text == nullptr) continue;
      const std::string text = entry.text;
      const std::size_t tab = text.find('\t');
      if (tab == std::string::npos) continue;
      std::string keys = text.substr(tab + 1);
      if (keys == "F8" || keys == "0-9") continue;  // no key at all; the digits have their own
      if (keys == "Shift-F1") keys = "Shift+F1";
      if (keys == "Enter") keys = "Return";
      const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(keys), QKeySequence::PortableText);
      ASSERT_EQ(sequence.count(), 1) << text;
      const QKeyCombination combination = sequence[0];
      EXPECT_TRUE(HasAccelerator(combination.key(), combination.keyboardModifiers(), entry.id)) << text;
    }
  }
}

TEST(MainFrameResourcesTest, EveryBoundKeyExceptTheDigitsIsShownInTheMenus) {
  std::set<unsigned> shown;
  for (const MenuPopup& popup : kMainFrameResources.menuBar) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.text != nullptr && std::string(entry.text).find('\t') != std::string::npos) shown.insert(entry.id);
    }
  }
  for (const Accelerator& accelerator : Keys()) {
    if (accelerator.id >= ID_ITEM_QUANTITY_0 && accelerator.id <= ID_ITEM_QUANTITY_9) continue;
    EXPECT_EQ(shown.count(accelerator.id), 1u) << accelerator.id;
  }
}

TEST(MainFrameResourcesTest, ToolBarHasSeventeenEntriesInOrder) {
  const ToolBarResource& toolBar = kMainFrameResources.toolBar;
  EXPECT_EQ(toolBar.buttonWidth, 16);
  EXPECT_EQ(toolBar.buttonHeight, 15);
  const std::vector<unsigned> expected = {
      ID_FILE_NEW,     ID_FILE_OPEN,  ID_FILE_SAVE,     0,           ID_FILE_PRINT, 0,
      ID_ITEM_NEW,     ID_EDIT_CLEAR, 0,                ID_ITEM_UNCHECK, ID_ITEM_CHECK, ID_ITEM_QUANTITY,
      ID_ITEM_EDIT,    0,             ID_VIEW_TRIP_ONLY, 0,          ID_APP_ABOUT};
  std::vector<unsigned> actual;
  for (const ToolBarButton& button : toolBar.buttons) {
    actual.push_back(button.id);
    EXPECT_EQ(button.id == 0, button.icon == nullptr) << button.id;
  }
  EXPECT_EQ(actual, expected);
}
