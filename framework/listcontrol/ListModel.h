#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

#include "framework/listcontrol/ImageList.h"
#include "toolbox/base/DistinctTexts.h"

namespace framework {

// Whether a row's image marks the row as checked, for a reader of the screen.
enum class CheckMark { none, checked, unchecked };

// The rows of a list control as a table for Qt's views: per row an image, an item data and
// a text per column. The cells hold ids of the texts in a DistinctTexts, where each distinct
// text is stored once, as the program's bytes, and decoded only for the cells a view asks
// for. A cell shows at most kShownBytes of its text, then an ellipsis; the row keeps the
// whole text. Every change is told to the views at once, but inside a refill, which they
// hear of as one reset. Owned by its list control and lives as long as it; the image list
// is not owned. A failed allocation throws the framework's MemoryException and leaves the
// rows as they were.
//
// For assistive technology (screen readers, through Qt's accessibility), the first cell of
// a row whose image has a meaning is read as that meaning, then its text; where the image
// is a check mark, the cell is checkable and checked or not (no check box is painted for
// it: the list control's delegate leaves it out, the image shows it).
class ListModel final : public QAbstractTableModel {
 public:
  static constexpr qsizetype kShownBytes = 4000;

  explicit ListModel(QObject* parent) : QAbstractTableModel(parent) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
  }
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void InsertColumn(int column, const QString& heading, Qt::Alignment alignment);
  void SetImageList(const ImageList* images);
  // What an image means (see ListControl::SetImageMeaning).
  void SetImageMeaning(int image, const QString& description, CheckMark mark);

  // A new row with its first column's text, its image (-1: none) and item data; the other
  // columns empty.
  void InsertRow(int row, const char* text, int image, std::intptr_t data);
  // Room for this many rows and as many distinct texts; false when the memory is not there.
  [[nodiscard]] bool Reserve(std::size_t count);
  void RemoveRow(int row);
  void RemoveAll();
  void SetText(int row, int column, const char* text);
  std::string_view Text(int row, int column) const { return texts.Bytes(TextOf(row, column)); }
  void SetImage(int row, int image);
  // The image of the row, or -1 when it was never given one.
  int Image(int row) const { return rows[Index(row)].image; }
  void SetData(int row, std::intptr_t data) { rows[Index(row)].data = data; }
  std::intptr_t Data(int row) const { return rows[Index(row)].data; }

  // The model's side of ListControl::Refill. From BeginRefill (false, changing nothing,
  // when a refill is open already) the views learn nothing of the rows, until ResetViews
  // gives them the rows so far as one reset (nothing when they do not wait for one); the
  // refill's changes after it reach them one by one. EndRefill resets them if nothing did
  // before.
  [[nodiscard]] bool BeginRefill();
  void ResetViews();
  void EndRefill();
  // Whether the views wait for a refill's reset.
  bool ViewsWait() const { return refill == Refill::viewsWait; }

  // The stored texts: a cell's id is TextOf, and its bytes are kept in the store.
  const toolbox::DistinctTexts& Texts() const { return texts; }
  int TextOf(int row, int column) const { return columns[Index(column)].cells[Index(row)]; }
  // Whether a cell shows an image beside its text.
  bool ShowsImage(int row, int column) const {
    return column == 0 && images != nullptr && images->HasImage(Image(row));
  }
  // The stored text as a cell shows it.
  QString Shown(int text) const;

 private:
  struct Row {
    std::intptr_t data = 0;
    int image = -1;
  };
  struct ImageMeaning {
    QString description;
    CheckMark mark = CheckMark::none;
  };
  // The cells are kept by column as the ids of their texts: a row costs no allocation of
  // its own.
  struct Column {
    QString heading;
    Qt::Alignment alignment;
    std::vector<int> cells;   // one per row
    std::vector<int> before;  // the cells before the last RemoveAll, until the refill ends or
                              // their ids go to other texts
  };
  enum class Refill { none, viewsWait, viewsTold };

  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  // The id of the text for a cell, found or added; its use not yet counted.
  int TextFor(std::string_view bytes, int row, int column);
  // Drops the texts no cell shows when they are many and no refill may show them again.
  void DropUnusedTexts();

  // The meaning of an image, or null where its owner gave it none.
  const ImageMeaning* MeaningOf(int image) const {
    return image >= 0 && Index(image) < meanings.size() && !meanings[Index(image)].description.isEmpty()
               ? &meanings[Index(image)]
               : nullptr;
  }
  // What a reader of the screen is told of a row's first cell: its image's meaning, then
  // its text; and whether that cell is checked (an invalid variant where it cannot be).
  QVariant SpokenText(int row) const;
  QVariant CheckState(int row) const;

  const ImageList* images = nullptr;
  std::vector<ImageMeaning> meanings;  // by image
  std::vector<Column> columns;
  std::vector<Row> rows;
  toolbox::DistinctTexts texts;
  Refill refill = Refill::none;
};

}  // namespace framework
