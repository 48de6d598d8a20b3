// The recent-file list as the program keeps it: in the File menu and in the configuration.

#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>

#include "Program.h"
#include "framework/base/CommandIds.h"
#include "framework/commands/Menu.h"

using program::ProgramTest;

namespace {

using Texts = std::vector<std::string>;

class RecentFilesTest : public ProgramTest {
 protected:
  // The File menu's recent-file entries after its update handlers ran, as when it opens.
  std::vector<QAction*> Entries() const {
    QMenu* fileMenu = Window().menuBar()->actions().at(0)->menu();
    Window().UpdateMenuPopup(fileMenu);
    framework::Menu menu(fileMenu);
    std::vector<QAction*> entries;
    for (unsigned i = 0; i < menu.GetMenuItemCount(); ++i) {
      const unsigned id = menu.GetMenuItemID(i);
      if (id >= framework::ID_FILE_MRU_FILE1 && id < framework::ID_FILE_MRU_FILE1 + 8) entries.push_back(menu.GetAction(i));
    }
    return entries;
  }

  static std::string Text(const QAction* entry) { return entry->text().toStdString(); }

  std::string MakeTrip(const std::string& name) {
    const std::string path = folder / name;
    scratch::WriteFile(path, "1\t\t" + name + "\tTrips\t\n");
    return path;
  }

  // The slots "0" to "7" of the saved configuration.
  Texts SavedSlots() {
    toolbox::ConfigSection& section = SavedConfig().GetSubsection("MRU");
    Texts values;
    for (int i = 0; i < 8; ++i) values.push_back(section.GetText(std::to_string(i).c_str(), "(missing)"));
    return values;
  }
};

TEST_F(RecentFilesTest, AtFirstThePlaceholderIsShownGreyedAndEmptySlotsAreCreated) {
  ASSERT_TRUE(Start());
  const std::vector<QAction*> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(Text(entries[0]), "(No Recent Files)");
  EXPECT_FALSE(entries[0]->isEnabled());
  toolbox::ConfigSection& section = Settings("MRU");
  EXPECT_EQ(section.GetParameterCount(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_NE(section.FindParameter(std::to_string(i).c_str()), nullptr) << i;
}

TEST_F(RecentFilesTest, OpenedTripsAreListedMostRecentFirstAndStoredAtExit) {
  const std::string first = MakeTrip("first.vyt");
  const std::string second = MakeTrip("rock&roll.vyt");
  const int status = Run([&] {
    ASSERT_NE(app->OpenDocumentFile(first.c_str()), nullptr);
    ASSERT_NE(app->OpenDocumentFile(second.c_str()), nullptr);
    const std::vector<QAction*> entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(Text(entries[0]).starts_with("&1 ")) << Text(entries[0]);
    EXPECT_TRUE(Text(entries[0]).ends_with("/rock&&roll.vyt")) << Text(entries[0]);
    EXPECT_TRUE(Text(entries[1]).starts_with("&2 ")) << Text(entries[1]);
    EXPECT_TRUE(Text(entries[1]).ends_with("/first.vyt")) << Text(entries[1]);
    EXPECT_TRUE(entries[1]->isEnabled());
  });
  EXPECT_EQ(status, 0);
  Finish();
  EXPECT_EQ(SavedSlots(), (Texts{second, first, "", "", "", "", "", ""}));
}

TEST_F(RecentFilesTest, NineTripsLeaveTheLastEightNumberedOneToEight) {
  Texts trips;
  for (int i = 1; i <= 9; ++i) trips.push_back(MakeTrip("trip" + std::to_string(i) + ".vyt"));
  const int status = Run([&] {
    for (const std::string& trip : trips) ASSERT_NE(app->OpenDocumentFile(trip.c_str()), nullptr);
    const std::vector<QAction*> entries = Entries();
    ASSERT_EQ(entries.size(), 8u);
    for (int i = 0; i < 8; ++i) {
      EXPECT_TRUE(Text(entries[i]).starts_with("&" + std::to_string(i + 1) + " ")) << Text(entries[i]);
      EXPECT_TRUE(Text(entries[i]).ends_with("trip" + std::to_string(9 - i) + ".vyt")) << Text(entries[i]);
    }
  });
  EXPECT_EQ(status, 0);
  Finish();
  EXPECT_EQ(SavedSlots(), Texts(trips.rbegin(), trips.rbegin() + 8));
}

}  // namespace
