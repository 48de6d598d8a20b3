// The program's texts in English, German and French, read from the real program: the main
// window's menus, the item dialog, a message box, a screen reader's reading and a message of
// the command line. CTest runs this program once for each language, with the desktop's
// language variables set and VOYANTA_TEST_LANGUAGE naming the language it expects.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <filesystem>
#include <set>
#include <string>

#include "../Program.h"
#include "framework/base/StringTable.h"
#include "framework/base/Translation.h"
#include "framework/commands/Menu.h"
#include "framework/dialogs/Dialog.h"
#include "resources/DialogResources.h"
#include "resources/MainFrameResources.h"
#include "resources/ResourceIds.h"

namespace {

// One language's texts as the program must show them.
struct Language {
  const char* name;  // as VOYANTA_TEST_LANGUAGE names it; the translation's language
  const char* menuTitles;  // the menu bar's titles, joined by "|"
  const char* newEntry;
  const char* deleteItem;
  const char* about;
  const char* itemDialog;  // caption, then the labels, check box and buttons in tab order
  const char* selectFirst;
  const char* takenAlong;
  const char* usage;  // the start of the command line's message without its arguments
  const char* qtYes;  // Qt's own Yes button
};

const Language kLanguages[] = {
    {"en", "&File|&Edit|&View|&Help", "&New\tCtrl+N", "&Delete Item\tDel", "&About Voyanta...\tShift-F1",
     "Edit Item and Quantity|&Name:|&Group:|&Take along|&Quantity:|OK|Cancel", "Please select an item first.",
     "taken along", "Voyanta: Printing from the command line takes /p FILE", "&Yes"},
    {"de", "&Datei|&Bearbeiten|&Ansicht|&Hilfe", "&Neu\tStrg+N", "Gegenstand &löschen\tEntf",
     "Ü&ber Voyanta...\tUmschalt-F1",
     "Gegenstand bearbeiten|&Name:|&Gruppe:|Mi&tnehmen|&Menge:|OK|Abbrechen",
     "Bitte wählen Sie zuerst einen Gegenstand aus.", "wird mitgenommen",
     "Voyanta: Drucken von der Befehlszeile erwartet /p DATEI", "&Ja"},
    {"fr", "&Fichier|&Édition|Affic&hage|&Aide", "&Nouveau\tCtrl+N", "&Supprimer l'article\tSuppr",
     "À &propos de Voyanta...\tMaj-F1",
     "Modifier l'article et la quantité|&Nom :|&Groupe :|À &emporter|&Quantité :|OK|Annuler",
     "Veuillez d'abord sélectionner un article.", "à emporter",
     "Voyanta: L'impression depuis la ligne de commande attend /p FICHIER", "&Oui"},
};

const Language& Expected() {
  const QString wanted = qEnvironmentVariable("VOYANTA_TEST_LANGUAGE", "en");
  for (const Language& language : kLanguages) {
    if (wanted == QLatin1String(language.name)) return language;
  }
  ADD_FAILURE() << "no texts for " << wanted.toStdString();
  return kLanguages[0];
}

// The mnemonic of a text: the character after its single "&", lower case; null for none.
QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return text[i + 1].toLower();
    ++i;
  }
  return {};
}

// Fails for every mnemonic that two of the texts share.
void ExpectUniqueMnemonics(const QStringList& texts, const std::string& where) {
  std::set<QChar> seen;
  for (const QString& text : texts) {
    const QChar mnemonic = Mnemonic(text);
    if (mnemonic.isNull()) continue;
    EXPECT_TRUE(seen.insert(mnemonic).second) << where << ": \"" << text.toStdString() << "\" repeats a mnemonic";
  }
}

// The key text as the language writes it: each key name as Qt's own translation names it.
QString KeyInLanguage(const QString& englishKeys) {
  QString written;
  for (const QString& part : englishKeys.split(QRegularExpression("(?=[+-])|(?<=[+-])"))) {
    written += part == "+" || part == "-" ? part : QCoreApplication::translate("QShortcut", part.toUtf8().constData());
  }
  return written;
}

// The real program in a scratch folder (see ProgramTest), with the translations installed for
// the environment's language as main installs them, from the built program's folder. The
// translators stay with the test process's application object; none found is English.
class TranslationsTest : public program::ProgramTest {
 protected:
  TranslationsTest() : language(Expected()) {
    const QString programFolder = QFileInfo(QString::fromUtf8(VOYANTA_PROGRAM)).absolutePath();
    installed = framework::InstallTranslations(programFolder);
  }

  // The texts of the menu bar's menus, each menu's entries after its title.
  std::vector<QStringList> Menus() const {
    std::vector<QStringList> menus;
    for (QAction* title : Window().menuBar()->actions()) {
      QStringList texts{title->text()};
      for (QAction* entry : title->menu()->actions()) {
        if (!entry->isSeparator()) texts << entry->text();
      }
      menus.push_back(texts);
    }
    return menus;
  }

  // The item dialog's caption, then the texts of its labels, check box and buttons.
  static QStringList ItemDialogTexts() {
    framework::Dialog dialog(resources::kItemDialog);
    QStringList texts{dialog.windowTitle()};
    for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (auto* label = qobject_cast<QLabel*>(control)) texts << label->text();
      if (auto* box = qobject_cast<QCheckBox*>(control)) texts << box->text();
      if (auto* button = qobject_cast<QPushButton*>(control)) texts << button->text();
    }
    return texts;
  }

  const Language& language;
  QString installed;
};

TEST_F(TranslationsTest, ProgramShowsTheDesktopsLanguage) {
  EXPECT_EQ(installed.isEmpty() ? "en" : QLocale(installed).name().section('_', 0, 0).toStdString(), language.name);
  ASSERT_TRUE(Start());
  QStringList titles;
  QStringList entries;
  for (const QStringList& menu : Menus()) {
    titles << menu.front();
    entries << menu.mid(1);
  }
  EXPECT_EQ(titles.join('|').toStdString(), language.menuTitles);
  for (const char* entry : {language.newEntry, language.deleteItem, language.about}) {
    EXPECT_TRUE(entries.contains(QString::fromUtf8(entry))) << entry;
  }

  EXPECT_EQ(ItemDialogTexts().join('|').toStdString(), language.itemDialog);

  modals.Answer(framework::IDOK);
  Window().RouteCommand(resources::ID_ITEM_EDIT);
  EXPECT_EQ(modals.Texts(), std::vector<std::string>{language.selectFirst});
  EXPECT_STREQ(framework::LoadString(resources::IDS_TAKEN_ALONG), language.takenAlong);
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes").toStdString(), language.qtYes);
}

// Printing without a file is told on standard error, in the same language.
TEST_F(TranslationsTest, CommandLineMessageIsInTheDesktopsLanguage) {
  // A copy of the program with its translations, so that its folder is the test's.
  const std::filesystem::path built = std::filesystem::path(VOYANTA_PROGRAM).parent_path();
  for (const char* file : {"voyanta", "voyanta_de.qm", "voyanta_fr.qm"}) {
    std::filesystem::copy_file(built / file, folder / file);
  }
  QProcess program;
  program.start(QString::fromStdString(Program()), {"/pt"});
  ASSERT_TRUE(program.waitForFinished(60000));
  EXPECT_EQ(program.exitCode(), 1);
  const QString said = QString::fromUtf8(program.readAllStandardError());
  EXPECT_TRUE(said.contains(QString::fromUtf8(language.usage))) << said.toStdString();
}

// In a translation each menu, the menu bar and the item dialog give every mnemonic once (the
// English File menu has always given P to both Print and Options, and keeps its texts), and
// each menu entry names its keys as the English does, written the language's way.
TEST_F(TranslationsTest, MnemonicsUniqueAndKeysUnchanged) {
  ASSERT_TRUE(Start());
  const bool translated = language.name != std::string("en");
  const std::vector<QStringList> menus = Menus();
  QStringList titles;
  for (const QStringList& menu : menus) {
    titles << menu.front();
    if (translated) ExpectUniqueMnemonics(menu.mid(1), menu.front().toStdString());
  }
  ExpectUniqueMnemonics(titles, "menu bar");
  // The menus as shown, entry by entry beside the English of the menu table.
  const auto& table = resources::kMainFrameResources.menuBar;
  ASSERT_EQ(menus.size(), table.size());
  for (std::size_t m = 0; m < table.size(); ++m) {
    qsizetype shown = 1;
    for (const framework::MenuEntry& entry : table[m].entries) {
      if (entry.text == nullptr) continue;
      ASSERT_LT(shown, menus[m].size());
      const QString english = framework::Menu::KeyText(QString::fromUtf8(entry.text));
      const QString keys = framework::Menu::KeyText(menus[m][shown++]);
      EXPECT_EQ(keys.toStdString(), KeyInLanguage(english).toStdString()) << entry.text;
    }
  }
  ExpectUniqueMnemonics(ItemDialogTexts().mid(1), "item dialog");
}

}  // namespace
