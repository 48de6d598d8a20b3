#include "ui/ItemDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <string>

#include "framework/dialogs/MessageBox.h"
#include "resources/ResourceIds.h"
#include "support/Items.h"
#include "support/Modals.h"

using namespace resources;

namespace {

struct Fields {
  bool checked;
  std::string quantity;
  std::string name;
  std::string group;

  bool operator==(const Fields&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Fields& f) {
    return out << (f.checked ? "checked" : "unchecked") << " [" << f.quantity << "] [" << f.name << "] [" << f.group
               << "]";
  }
};

Fields Of(const Item& item) {
  return {item.IsChecked(), item.GetQuantity().Text(), item.GetName().Text(), item.GetGroup().Text()};
}

void Fill(Item& item, const Fields& fields) {
  support::SetFields(item, fields.checked, fields.quantity.c_str(), fields.name.c_str(), fields.group.c_str());
}

QCheckBox* Box(QWidget& dialog) { return static_cast<QCheckBox*>(static_cast<framework::Dialog&>(dialog).GetDlgItem(IDC_TAKE_ALONG)); }

// Keys and text go to the widget with the focus, as the user's do.
void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
void Type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), text); }
// Text put in at the caret as a paste does (also text no key of the keyboard types).
void Paste(const char* text) { qobject_cast<QLineEdit*>(QApplication::focusWidget())->insert(QString::fromUtf8(text)); }

// What the user saw when the dialog opened: the box, the quantity field's state and text,
// where the focus was and what of its text was selected.
struct Opened {
  bool boxChecked;
  bool quantityEnabled;
  std::string quantity;
  unsigned focus;
  std::string selected;
  int caret;
};

struct PresetCase {
  const char* title;
  Fields item;
  const char* preset;
  Opened opened;
};
void PrintTo(const PresetCase& c, std::ostream* out) { *out << c.title; }

class ItemDialogTest : public testing::TestWithParam<PresetCase> {
 protected:
  Item item;
  support::Modals modals;
};

TEST_P(ItemDialogTest, OpensWithThePresetsFocusAndSelectionAndCancelLeavesTheItem) {
  const PresetCase& c = GetParam();
  Fill(item, c.item);
  modals.Work([&](QWidget& dialog) {
    support::ShowActive(dialog);
    auto& d = static_cast<framework::Dialog&>(dialog);
    auto* quantity = static_cast<QLineEdit*>(d.GetDlgItem(IDC_QUANTITY));
    EXPECT_EQ(Box(dialog)->isChecked(), c.opened.boxChecked);
    EXPECT_EQ(quantity->isEnabled(), c.opened.quantityEnabled);
    EXPECT_EQ(quantity->text().toStdString(), c.opened.quantity);
    EXPECT_EQ(QApplication::focusWidget(), d.GetDlgItem(c.opened.focus));
    auto* focus = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    EXPECT_EQ(focus->selectedText().toStdString(), c.opened.selected);
    EXPECT_EQ(focus->cursorPosition(), c.opened.caret);
    // Typing goes on from the caret, or replaces the selection.
    Type("2");
    return framework::IDCANCEL;
  });
  EXPECT_EQ(ItemDialog(item, c.preset).DoModal(), framework::IDCANCEL);
  EXPECT_EQ(Of(item), c.item);
}

INSTANTIATE_TEST_SUITE_P(
    Presets, ItemDialogTest,
    testing::Values(
        PresetCase{"digit on an unchecked item", {false, "3", "Socks", "Clothes"}, "7", {true, true, "7", IDC_QUANTITY, "", 1}},
        PresetCase{"empty preset selects the quantity", {true, "2 bottles", "Water", "Food"}, "",
                   {true, true, "2 bottles", IDC_QUANTITY, "2 bottles", 9}},
        PresetCase{"empty preset on an unchecked item", {false, "", "Tent", "Camping"}, "", {true, true, "", IDC_QUANTITY, "", 0}},
        PresetCase{"no preset, unchecked", {false, "old", "Tent", "Camping"}, nullptr, {false, false, "", IDC_NAME, "Tent", 4}},
        PresetCase{"no preset, checked", {true, "4", "Tent", "Camping"}, nullptr, {true, true, "4", IDC_NAME, "Tent", 4}}),
    [](const testing::TestParamInfo<PresetCase>& info) {
      std::string name = info.param.title;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

struct SaveCase {
  const char* title;
  Fields before;
  const char* preset;
  std::function<void(framework::Dialog&)> work;  // what the user does before Return
  Fields after;
};
void PrintTo(const SaveCase& c, std::ostream* out) { *out << c.title; }

class ItemDialogSaveTest : public testing::TestWithParam<SaveCase> {};

TEST_P(ItemDialogSaveTest, ReturnStoresTheFieldsAsTheUserLeftThem) {
  const SaveCase& c = GetParam();
  support::Modals modals;
  Item item;
  Fill(item, c.before);
  modals.Work([&](QWidget& dialog) {
    support::ShowActive(dialog);
    c.work(static_cast<framework::Dialog&>(dialog));
    Key(Qt::Key_Return);  // the default button
    EXPECT_FALSE(dialog.isVisible());
    return framework::IDCANCEL;  // not applied: Return ended the dialog
  });
  EXPECT_EQ(ItemDialog(item, c.preset).DoModal(), framework::IDOK);
  EXPECT_EQ(Of(item), c.after);
}

void SetText(framework::Dialog& d, unsigned id, const char* text) { static_cast<QLineEdit*>(d.GetDlgItem(id))->setText(text); }

// Longer than the 32,767 characters at which Qt's edit fields stop by default.
const std::string kLongName = std::string(39999, 'n') + "\xE9";  // Windows-1252, so its bytes are kept
const std::string kLongTyped(40000, 't');

INSTANTIATE_TEST_SUITE_P(
    Saving, ItemDialogSaveTest,
    testing::Values(
        SaveCase{"digit then typing extends it", {false, "", "Socks", "Clothes"}, "1", [](auto&) { Type("2"); },
                 {true, "12", "Socks", "Clothes"}},
        SaveCase{"empty preset replaces the quantity", {true, "3", "Socks", "Clothes"}, "", [](auto&) { Type("5"); },
                 {true, "5", "Socks", "Clothes"}},
        SaveCase{"unchecking drops a typed quantity", {true, "3", "Socks", "Clothes"}, "",
                 [](auto& d) {
                   Type("9");
                   Key(Qt::Key_T, Qt::AltModifier);  // the box's access key clicks it
                   QTRY_VERIFY(!Box(d)->isChecked());
                 },
                 {false, "", "Socks", "Clothes"}},
        SaveCase{"checking enables the quantity", {false, "", "Tent", "Camping"}, nullptr,
                 [](auto& d) {
                   QTest::mouseClick(d.GetDlgItem(IDC_TAKE_ALONG), Qt::LeftButton, {}, QPoint(4, 4));
                   Key(Qt::Key_Q, Qt::AltModifier);
                   Type("1");
                 },
                 {true, "1", "Tent", "Camping"}},
        SaveCase{"empty texts are accepted", {false, "", "Tent", "Camping"}, nullptr,
                 [](auto& d) {
                   SetText(d, IDC_NAME, "");
                   SetText(d, IDC_GROUP, "");
                 },
                 {false, "", "", ""}},
        SaveCase{"control characters become blanks", {true, "1", "Tent", "Camping"}, nullptr,
                 [](auto& d) {
                   SetText(d, IDC_NAME, "Sun\tcream\r\nSPF 50");
                   Key(Qt::Key_G, Qt::AltModifier);
                   Key(Qt::Key_End);
                   Type(" gear");
                 },
                 {true, "1", "Sun cream  SPF 50", "Camping gear"}},
        SaveCase{"an untouched 40,000-character name keeps every byte", {false, "", kLongName, "Bags"}, "5",
                 [](auto&) {}, {true, "5", kLongName, "Bags"}},
        SaveCase{"a pasted text of 40,000 characters is taken whole", {false, "", "Tent", "Camping"}, nullptr,
                 [](auto&) { Paste(kLongTyped.c_str()); }, {false, "", kLongTyped, "Camping"}},
        SaveCase{"a pasted NUL becomes a blank", {false, "", "Tent", "Camping"}, nullptr,
                 [](auto&) {
                   qobject_cast<QLineEdit*>(QApplication::focusWidget())->insert(QString("ab") + QChar(0) + "cd");
                 },
                 {false, "", "ab cd", "Camping"}},
        SaveCase{"untouched Windows-1252 texts keep their bytes", {true, "\xBD l", "Caf\xE9", "K\xFC" "che"}, nullptr,
                 [](auto&) {}, {true, "\xBD l", "Caf\xE9", "K\xFC" "che"}},
        SaveCase{"a changed Windows-1252 text is stored as UTF-8", {false, "", "Caf\xE9", "K\xFC" "che"}, nullptr,
                 [](auto&) { Paste("Caf\xC3\xA9s"); }, {false, "", "Caf\xC3\xA9s", "K\xFC" "che"}}),
    [](const testing::TestParamInfo<SaveCase>& info) {
      std::string name = info.param.title;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(ItemDialogWindowTest, EscapeAndClosingCancelAndTheLayoutFollowsTheFontsDialogUnits) {
  for (const bool escape : {true, false}) {
    support::Modals modals;
    Item item;
    Fill(item, {false, "", "Tent", "Camping"});
    modals.Work([&](QWidget& dialog) {
      support::ShowActive(dialog);
      auto& d = static_cast<framework::Dialog&>(dialog);
      EXPECT_EQ(dialog.windowTitle(), "Edit Item and Quantity");
      // 186 by 110 dialog units; the name field at 44, 6, 136 by 14.
      const QFontMetrics metrics(dialog.font());
      const int across = (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
      EXPECT_EQ(dialog.width(), (186 * across + 2) / 4);
      EXPECT_EQ(dialog.height(), (110 * metrics.height() + 4) / 8);
      EXPECT_EQ(d.GetDlgItem(IDC_NAME)->geometry(), d.MapDialogRect(44, 6, 136, 14));
      EXPECT_TRUE(static_cast<QPushButton*>(d.GetDlgItem(framework::IDOK))->isDefault());
      Type("Tarp");
      if (escape) {
        Key(Qt::Key_Escape);
      } else {
        dialog.close();
      }
      return framework::IDOK;  // not applied: the dialog was ended
    });
    EXPECT_EQ(ItemDialog(item, nullptr).DoModal(), framework::IDCANCEL);
    EXPECT_EQ(Of(item), (Fields{false, "", "Tent", "Camping"}));
  }
}

// The group field offers the repository's groups that begin with what was typed, ignoring
// case, spelled as the repository has them; only a suggestion the user picks replaces the
// text, and it keeps the repository's bytes.
TEST(ItemDialogGroupTest, TheGroupFieldSuggestsTheRepositorysGroupsAndOnlyAPickedOneIsTaken) {
  Repository repository;
  // "Küche" in Windows-1252.
  for (const char* group : {"Bathroom", "Camping", "Clothes", "Clothes", "K\xFC" "che", ""}) {
    support::AddItem(repository, false, "", "Pan", group);
  }
  const struct {
    const char* typed;
    QStringList offered;
    bool pick;  // the first suggestion, with Down and Return
    std::string group;
  } cases[] = {
      {"c", {"Camping", "Clothes"}, false, "c"}, {"CL", {"Clothes"}, true, "Clothes"},
      {"k", {"K\u00FCche"}, true, "K\xFC" "che"}, {"x", {}, false, "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    support::Modals modals;
    Item item;
    modals.Work([&](QWidget& dialog) {
      support::ShowActive(dialog);
      auto& d = static_cast<framework::Dialog&>(dialog);
      Key(Qt::Key_G, Qt::AltModifier);
      Type(c.typed);
      QAbstractItemView* popup = static_cast<QLineEdit*>(d.GetDlgItem(IDC_GROUP))->completer()->popup();
      QStringList offered;
      for (int row = 0; popup->isVisible() && row < popup->model()->rowCount(); ++row) {
        offered.append(popup->model()->index(row, 0).data().toString());
      }
      EXPECT_EQ(offered, c.offered);
      if (c.pick) {
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
      }
      QTest::mouseClick(d.GetDlgItem(framework::IDOK), Qt::LeftButton);
      return framework::IDCANCEL;  // not applied: OK ended the dialog
    });
    ItemDialog dialog(item, nullptr);
    dialog.SuggestGroups(repository);
    EXPECT_EQ(dialog.DoModal(), framework::IDOK);
    EXPECT_EQ(item.GetGroup().Text(), c.group);
  }
}

}  // namespace
