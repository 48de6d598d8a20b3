#include "mfctriext/ConfigRecentFileList.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <string>
#include <vector>

#include "framework/commands/CmdUI.h"
#include "framework/commands/Menu.h"
#include "toolbox/config/ConfigParameter.h"

using mfctriext::ConfigRecentFileList;

namespace {

constexpr unsigned kFirstEntry = 57616;

class ConfigRecentFileListTest : public ::testing::Test {
 protected:
  toolbox::ConfigSection section{"MRU"};
  ConfigRecentFileList list{section, 0, 8, 30};

  // A File menu as the program has it: Exit, separator, the placeholder, separator, Exit.
  QMenu qmenu;
  framework::Menu menu{&qmenu};

  void BuildMenu() {
    menu.InsertMenu(0, framework::MF_BYPOSITION, 57601, "&Open...\tCtrl+O");
    menu.InsertMenu(1, framework::MF_BYPOSITION, kFirstEntry, "(No Recent Files)");
    menu.InsertMenu(2, framework::MF_BYPOSITION, 57665, "E&xit\tAlt+X");
  }

  // Runs the update the way the framework does when the menu opens.
  void Update() { Update(list); }
  void Update(framework::RecentFileList& shown) {
    framework::CmdUI ui;
    ui.m_nID = kFirstEntry;
    ui.m_pMenu = &menu;
    ui.m_nIndex = 1;
    ui.m_nIndexMax = menu.GetMenuItemCount();
    shown.UpdateMenu(ui);
  }

  std::vector<std::string> MenuTexts() const {
    std::vector<std::string> texts;
    for (unsigned i = 0; i < menu.GetMenuItemCount(); ++i) {
      std::string text;
      menu.GetMenuString(i, text, framework::MF_BYPOSITION);
      texts.push_back(text);
    }
    return texts;
  }
};

}  // namespace

TEST_F(ConfigRecentFileListTest, ReadingAnEmptySectionCreatesEightEmptySlots) {
  list.ReadList();
  for (const char* name : {"0", "1", "2", "3", "4", "5", "6", "7"}) {
    ASSERT_TRUE(section.HasParameter(name)) << name;
    EXPECT_STREQ("", section.GetText(name, "x"));
  }
  EXPECT_FALSE(section.HasParameter("8"));
}

TEST_F(ConfigRecentFileListTest, WritesEverySlotMostRecentFirst) {
  section.GetParameter("0").SetText("/trips/old.vyt");
  list.ReadList();
  list.Add("/trips/new.vyt");
  list.WriteList();
  EXPECT_STREQ("/trips/new.vyt", section.GetText("0", ""));
  EXPECT_STREQ("/trips/old.vyt", section.GetText("1", ""));
  EXPECT_STREQ("", section.GetText("7", "x"));
}

TEST_F(ConfigRecentFileListTest, NineTripsLeaveTheLastEight) {
  for (int i = 1; i <= 9; ++i) list.Add(("/trips/trip" + std::to_string(i) + ".vyt").c_str());
  list.WriteList();
  EXPECT_STREQ("/trips/trip9.vyt", section.GetText("0", ""));
  EXPECT_STREQ("/trips/trip2.vyt", section.GetText("7", ""));
}

TEST_F(ConfigRecentFileListTest, EmptyListShowsThePlaceholderGreyed) {
  BuildMenu();
  Update();
  std::vector<std::string> texts = MenuTexts();
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ("(No Recent Files)", texts[1]);
  EXPECT_FALSE(qmenu.actions()[1]->isEnabled());
}

TEST_F(ConfigRecentFileListTest, EntriesAreNumberedOneToEightWithAmpersandsDoubled) {
  BuildMenu();
  for (int i = 8; i >= 2; --i) list.Add(("/trips/t" + std::to_string(i) + ".vyt").c_str());
  list.Add("/trips/R&D.vyt");
  Update();
  std::vector<std::string> texts = MenuTexts();
  ASSERT_EQ(10u, texts.size());
  EXPECT_EQ("&1 /trips/R&&D.vyt", texts[1]);
  EXPECT_EQ("&2 /trips/t2.vyt", texts[2]);
  EXPECT_EQ("&8 /trips/t8.vyt", texts[8]);
  EXPECT_EQ("E&xit\tAlt+X", texts[9]);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(kFirstEntry + static_cast<unsigned>(i - 1), menu.GetMenuItemID(static_cast<unsigned>(i)));
  // Updating again replaces the entries instead of adding more.
  Update();
  EXPECT_EQ(10u, MenuTexts().size());
}

TEST_F(ConfigRecentFileListTest, NumbersCountOnFromTheStartOffsetWhereTheTenthIsZero) {
  // The framework's own list numbers on to "1&0 " and beyond; this one wraps round to "&0 ".
  struct Row {
    unsigned start;
    std::vector<std::string> numbers;  // of the eight entries
  };
  const Row rows[] = {
      {2, {"&3 ", "&4 ", "&5 ", "&6 ", "&7 ", "&8 ", "&9 ", "&0 "}},
      {5, {"&6 ", "&7 ", "&8 ", "&9 ", "&0 ", "&1 ", "&2 ", "&3 "}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.start);
    qmenu.clear();
    BuildMenu();
    ConfigRecentFileList offset{section, row.start, 8, 30};
    for (int i = 8; i >= 1; --i) offset.Add(("/trips/t" + std::to_string(i) + ".vyt").c_str());
    Update(offset);
    const std::vector<std::string> texts = MenuTexts();
    ASSERT_EQ(10u, texts.size());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(row.numbers[i] + "/trips/t" + std::to_string(i + 1) + ".vyt", texts[i + 1]);
  }
}
