#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>

#include "framework/base/CommandIds.h"
#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"

using namespace resources;
using namespace framework;

namespace {

const char* Find(unsigned id) {
  for (const StringEntry& entry : kStringTable) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

// Every command of the menus and the tool bar.
std::set<unsigned> MenuAndToolBarCommands() {
  std::set<unsigned> ids;
  for (const MenuPopup& popup : kMainFrameResources.menuBar) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id != 0) ids.insert(entry.id);
    }
  }
  for (const ToolBarButton& button : kMainFrameResources.toolBar.buttons) {
    if (button.id != 0) ids.insert(button.id);
  }
  return ids;
}

// The commands that show a status line and a tool tip; all others show neither.
const std::set<unsigned> kPromptedCommands = {
    ID_FILE_NEW,   ID_FILE_OPEN,   ID_FILE_SAVE,   ID_FILE_SAVE_AS, ID_EDIT_CLEAR,
    ID_APP_ABOUT,  ID_APP_EXIT,    ID_APP_OPTIONS, ID_APP_HELP,     ID_APP_TERMS,
    ID_APP_WEBSITE, ID_VIEW_REFRESH, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
    ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + 1, ID_FILE_MRU_FILE1 + 2, ID_FILE_MRU_FILE1 + 3,
    ID_FILE_MRU_FILE1 + 4, ID_FILE_MRU_FILE1 + 5, ID_FILE_MRU_FILE1 + 6, ID_FILE_MRU_FILE1 + 7};

}  // namespace

TEST(StringTableTest, EachIdAppearsOnce) {
  // A second entry for an id would never be found: the first one wins.
  std::set<unsigned> seen;
  for (const StringEntry& entry : kStringTable) {
    EXPECT_TRUE(seen.insert(entry.id).second) << entry.id;
    EXPECT_NE(entry.text, nullptr) << entry.id;
  }
}

TEST(StringTableTest, ExactlyThePromptedMenuAndToolBarCommandsHaveAString) {
  std::set<unsigned> commands = MenuAndToolBarCommands();
  commands.insert(kPromptedCommands.begin(), kPromptedCommands.end());
  for (unsigned id : commands) {
    EXPECT_EQ(Find(id) != nullptr, kPromptedCommands.count(id) == 1) << id;
  }
}

TEST(StringTableTest, PromptsAreAStatusLineAndAToolTip) {
  for (unsigned id : kPromptedCommands) {
    const char* text = Find(id);
    ASSERT_NE(text, nullptr) << id;
    const std::string_view prompt = text;
    const std::size_t newline = prompt.find('\n');
    ASSERT_NE(newline, std::string_view::npos) << id;
    EXPECT_EQ(prompt.find('\n', newline + 1), std::string_view::npos) << id;
    EXPECT_GT(newline, 0u) << id;
    EXPECT_EQ(prompt[newline - 1], '.') << id << ": the status line is a sentence";
    EXPECT_LT(newline + 1, prompt.size()) << id << ": empty tool tip";
  }
}

TEST(StringTableTest, EveryProgramStringIdHasItsText) {
  for (unsigned id : {AFX_IDS_APP_TITLE, AFX_IDS_IDLEMESSAGE, IDR_MAINFRAME, IDS_TOOLBAR_CAPTION,
                      IDS_COLUMN_QUANTITY, IDS_COLUMN_NAME, IDS_COLUMN_GROUP, IDS_SELECT_ITEM_FIRST,
                      IDS_CONFIRM_DELETE, IDS_WEBSITE_URL, IDS_MESSAGE_CAPTION}) {
    const char* text = Find(id);
    ASSERT_NE(text, nullptr) << id;
    EXPECT_NE(*text, '\0') << id;
  }
}

TEST(StringTableTest, TemplateStringHasSevenFieldsAndIsTheFramesOwn) {
  const std::string_view text = Find(IDR_MAINFRAME);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
  EXPECT_EQ(text, kMainFrameResources.docString);
}
