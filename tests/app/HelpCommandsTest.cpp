// Help, Terms and Conditions, Web Site, Options and About: what each hands to the desktop or
// shows, and that none of them changes anything.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "OpenedUrls.h"
#include "Program.h"
#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "framework/commands/Menu.h"
#include "resources/ResourceIds.h"
#include "toolbox/config/StringWriter.h"

using program::ProgramTest;

namespace {

using Texts = std::vector<std::string>;

class HelpCommandsTest : public ProgramTest {
 protected:
  // Everything a command might change: the settings in memory, the repository, the trip's
  // modified flag, and every file below the program's folder with its content.
  struct State {
    std::string settings;
    Texts items;
    bool modified;
    Texts files;
    bool operator==(const State&) const = default;
  };

  State Snapshot() const {
    toolbox::StringWriter settings;
    EXPECT_TRUE(app->GetConfigRoot()->Write(settings, 0));
    Texts files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
      std::string line = std::filesystem::relative(entry.path(), folder.Path()).string();
      if (entry.is_regular_file()) line += " = " + scratch::ReadFile(entry.path());
      files.push_back(line);
    }
    std::sort(files.begin(), files.end());
    return {settings.GetText().Text(), RepositoryItems(), Trip().IsModified(), files};
  }

  void PlaceDocs(bool present) {
    std::filesystem::remove_all(folder / "docs");
    if (!present) return;
    std::filesystem::create_directories(folder / "docs/help");
    scratch::WriteFile(folder / "docs/help/index.html", "<html><body>Help</body></html>\n");
    scratch::WriteFile(folder / "docs/Readme.txt", "Terms\n");
  }

  std::string FileUrl(const std::string& name) const {
    return QUrl::fromLocalFile(QString::fromStdString(folder / name)).toString().toStdString();
  }

  OpenedUrls opened;
};

std::string WebSite() { return framework::LoadString(resources::IDS_WEBSITE_URL); }

TEST_F(HelpCommandsTest, EachCommandOpensItsFileAddressOrDialogAndChangesNothing) {
  struct Row {
    const char* what;
    unsigned id;
    bool docs;          // docs/ beside the program
    int answer;         // the dialog's answer; 0: no dialog may appear
    std::string opened; // what the desktop was asked to open; empty: nothing
    const char* dialog; // the caption of the dialog shown
  };
  // The string table comes with the application object.
  scratch::WriteFile(RepositoryFile(), "0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n");
  ASSERT_TRUE(Start());
  AddItem(true, "2", "Towel", "Bathroom");
  ASSERT_EQ(WebSite().rfind("https://", 0), 0u) << WebSite();
  const Row rows[] = {
      {"help", resources::ID_APP_HELP, true, 0, FileUrl("docs/help/index.html"), nullptr},
      {"help without docs", resources::ID_APP_HELP, false, 0, FileUrl("docs/help/index.html"), nullptr},
      {"terms", resources::ID_APP_TERMS, true, 0, FileUrl("docs/Readme.txt"), nullptr},
      {"terms without docs", resources::ID_APP_TERMS, false, 0, FileUrl("docs/Readme.txt"), nullptr},
      {"web site", resources::ID_APP_WEBSITE, false, 0, WebSite(), nullptr},
      {"options, OK", resources::ID_APP_OPTIONS, true, framework::IDOK, "", "Options"},
      {"options, Cancel", resources::ID_APP_OPTIONS, true, framework::IDCANCEL, "", "Options"},
      {"about, OK", framework::ID_APP_ABOUT, true, framework::IDOK, "", "About Voyanta"},
  };

  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PlaceDocs(row.docs);
    opened.urls.clear();
    modals.asked.clear();
    if (row.answer != 0) modals.Answer(row.answer);
    const State before = Snapshot();

    EXPECT_TRUE(Window().RouteCommand(row.id));

    EXPECT_EQ(opened.urls, row.opened.empty() ? Texts{} : Texts{row.opened});
    ASSERT_EQ(modals.asked.size(), row.dialog != nullptr ? 1u : 0u);
    if (row.dialog != nullptr) {
      EXPECT_EQ(modals.asked[0].kind, framework::ModalRequest::dialog);
      EXPECT_EQ(modals.asked[0].caption, row.dialog);
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(Snapshot() == before);
  }
}

TEST_F(HelpCommandsTest, ProgramStartedByARelativePathOpensTheHelpByItsFullPath) {
  PlaceDocs(true);
  ASSERT_TRUE(Start());
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  {
    scratch::Arguments relative({"./voyanta"});
    EXPECT_TRUE(Window().RouteCommand(resources::ID_APP_HELP));
  }
  std::filesystem::current_path(previous);
  SetArguments({});
  EXPECT_EQ(opened.urls, Texts{FileUrl("docs/help/index.html")});
}

TEST_F(HelpCommandsTest, ProgramFolderWhoseNameIsNoUtf8OpensTheHelpUnderTheFoldersOwnBytes) {
  ASSERT_TRUE(Start());
  const std::string latin1 = folder / "Caf\xe9";  // Latin-1, as an older system names folders
  std::filesystem::create_directories(latin1 + "/docs/help");
  {
    scratch::Arguments elsewhere({latin1 + "/voyanta"});
    EXPECT_TRUE(Window().RouteCommand(resources::ID_APP_HELP));
  }
  SetArguments({});
  const std::string bytes = latin1 + "/docs/help/index.html";
  EXPECT_EQ(opened.urls, Texts{"file://" + QByteArray(bytes.c_str()).toPercentEncoding("/").toStdString()});
}

TEST_F(HelpCommandsTest, KeysReachTheirCommands) {
  struct Row {
    const char* what;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::string opened;
    const char* dialog;
  };
  const Row rows[] = {
      {"F1", Qt::Key_F1, Qt::NoModifier, FileUrl("docs/help/index.html"), nullptr},
      {"Shift+F1", Qt::Key_F1, Qt::ShiftModifier, "", "About Voyanta"},
      {"F10", Qt::Key_F10, Qt::NoModifier, "", "Options"},
  };
  ASSERT_TRUE(Start());
  Activate();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    opened.urls.clear();
    modals.asked.clear();
    if (row.dialog != nullptr) modals.Answer(framework::IDCANCEL);

    QTest::keyClick(&Window(), row.key, row.modifiers);

    EXPECT_EQ(opened.urls, row.opened.empty() ? Texts{} : Texts{row.opened});
    EXPECT_EQ(modals.Texts(), row.dialog != nullptr ? Texts{row.dialog} : Texts{});
  }
}

// Commands without a handler are greyed; these have theirs on the application object.
TEST_F(HelpCommandsTest, MenuEntriesAndTheAboutButtonAreEnabled) {
  ASSERT_TRUE(Start());
  const auto entry = [&](int menuIndex, unsigned id) -> QAction* {
    QMenu* popup = Window().menuBar()->actions().at(menuIndex)->menu();
    Window().UpdateMenuPopup(popup);
    framework::Menu menu(popup);
    for (unsigned i = 0; i < menu.GetMenuItemCount(); ++i) {
      if (menu.GetMenuItemID(i) == id) return menu.GetAction(i);
    }
    return nullptr;
  };
  constexpr int kFile = 0;
  constexpr int kHelp = 3;
  const std::pair<int, unsigned> entries[] = {{kFile, resources::ID_APP_OPTIONS},
                                               {kHelp, resources::ID_APP_HELP},
                                               {kHelp, resources::ID_APP_TERMS},
                                               {kHelp, resources::ID_APP_WEBSITE},
                                               {kHelp, framework::ID_APP_ABOUT}};
  for (const auto& [menuIndex, id] : entries) {
    QAction* action = entry(menuIndex, id);
    ASSERT_NE(action, nullptr) << id;
    EXPECT_TRUE(action->isEnabled()) << id;
  }

  Window().UpdateToolBar();
  const QList<QAction*> buttons = Window().GetToolBar()->actions();
  ASSERT_FALSE(buttons.isEmpty());
  EXPECT_EQ(framework::Menu::CommandIdOf(buttons.last()), framework::ID_APP_ABOUT);
  EXPECT_TRUE(buttons.last()->isEnabled());
}

}  // namespace
