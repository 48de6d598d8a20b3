// What assistive technology gets from the list through Qt's accessibility: its rows with
// what their images mean (the frame's tool bar and menus: FrameWindowTest). The events of a
// change reach only a live accessibility bridge, which Qt's offscreen platform has not: the
// program's test on the desktop's real accessibility stack hears them (tests/app).

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/accessibility/AccessibleReadings.h"
#include "framework/listcontrol/ImageList.h"
#include "framework/listcontrol/ListControl.h"

using namespace framework;

namespace {

class ListAccessibilityTest : public testing::Test {
 protected:
  void SetUp() override {
    InstallAccessibleReadings();
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

TEST_F(ListAccessibilityTest, ReadAsATableWhoseCheckMarkCellsAloneOfferToggleAndWhoseCellsGoWithTheRows) {
  Add(1, "2", "Socks");
  Add(-1, "3", "Tent");
  QCoreApplication::processEvents();  // the rows laid out
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&list);
  EXPECT_EQ(table->role(), QAccessible::Table);
  EXPECT_EQ(table->tableInterface()->rowCount(), 2);
  for (const auto& [row, column, toggles] : {std::tuple{0, 0, true}, {0, 1, false}, {1, 0, false}}) {
    SCOPED_TRACE(testing::Message() << row << "," << column);
    QAccessibleInterface* cell = Cell(row, column);
    ASSERT_NE(cell->actionInterface(), nullptr);
    const QStringList names = cell->actionInterface()->actionNames();
    EXPECT_EQ(names.contains("toggle"), toggles) << names.join(",").toStdString();
    EXPECT_FALSE(names.contains("Toggle"));
    EXPECT_EQ(cell->parent(), table);
    EXPECT_EQ(cell->tableCellInterface()->table(), table);
    EXPECT_EQ(table->indexOfChild(cell), table->tableInterface()->columnCount() * (row + 1) + column);
  }
  // The rows go and come again: the readings of the old cells go with them (a screen reader
  // that asked for one by its id would read what Qt has freed), and the new rows are read.
  const QAccessible::Id old = QAccessible::uniqueId(Cell(0, 0));
  list.DeleteAllItems();
  // As the view tells a live bridge of the reset (Qt's offscreen platform has none).
  QAccessibleTableModelChangeEvent reset(&list, QAccessibleTableModelChangeEvent::ModelReset);
  table->tableInterface()->modelChange(&reset);
  EXPECT_EQ(QAccessible::accessibleInterface(old), nullptr);
  Add(0, "", "Towel");
  EXPECT_EQ(Cell(0, 1)->text(QAccessible::Name), "Towel");
  EXPECT_EQ(Cell(0, 0)->text(QAccessible::Name), "not taken along");
}


// A one-line text field as a screen reader asks for it: its text is one run (Qt's own run has
// no characters, and the field was heard without its text), and the word or sentence at its
// end is answered (Qt's own question loops for ever there).
TEST(TextFieldAccessibilityTest, TextIsOneRunAndItsEndAnswers) {
  InstallAccessibleReadings();
  struct Row {
    const char* text;
    int offset;
    QAccessible::TextBoundaryType boundary;
    const char* said;  // the text at the offset; empty for the run of attributes
    int start, end;
  };
  const Row rows[] = {
      {"3", 0, QAccessible::CharBoundary, "", 0, 1},
      {"2 pairs", 3, QAccessible::CharBoundary, "", 0, 7},
      {"", 0, QAccessible::CharBoundary, "", 0, 0},
      {"2 pairs", 7, QAccessible::WordBoundary, "pairs", 2, 7},
      {"2 pairs", 7, QAccessible::SentenceBoundary, "2 pairs", 0, 7},
      {"2 pairs", 0, QAccessible::WordBoundary, "2", 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.text) + " at " + std::to_string(row.offset));
    QLineEdit field(row.text);
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&field)->textInterface();
    ASSERT_NE(text, nullptr);
    int start = -1;
    int end = -1;
    if (*row.said == '\0') {
      EXPECT_EQ(text->attributes(row.offset, &start, &end), "");
    } else {
      EXPECT_EQ(text->textAtOffset(row.offset, row.boundary, &start, &end).toStdString(), row.said);
    }
    EXPECT_EQ(std::pair(start, end), std::pair(row.start, row.end));
  }
}

// The line edit inside a spin box has no text reading of Qt's (the spin box reads it): it
// keeps Qt's reading, held once, and goes with the spin box.
TEST(TextFieldAccessibilityTest, SpinBoxFieldKeepsQtsReading) {
  InstallAccessibleReadings();
  auto* box = new QSpinBox;
  box->setValue(7);
  auto* field = box->findChild<QLineEdit*>();
  ASSERT_NE(field, nullptr);
  QAccessibleInterface* reading = QAccessible::queryAccessibleInterface(field);
  ASSERT_NE(reading, nullptr);
  EXPECT_EQ(reading->textInterface(), nullptr);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(field), reading);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(box)->textInterface()->text(0, 1), "7");
  delete box;
}

}  // namespace
