#pragma once

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QString>
#include <QtMath>
#include <cstdint>
#include <vector>

#include "framework/ImageList.h"
#include "toolbox/PositionTable.h"

namespace framework {

// Whether a row's image marks the row as checked, for a reader of the screen.
enum class CheckMark { none, checked, unchecked };

// The rows of a list control as a table for Qt's views: per row an image, an item data and
// a text per column. Each distinct text is kept once, as the program's bytes, however many
// cells show it, and decoded only for the cells a view asks for; beside it the list keeps
// what its control measured of it. A cell shows at most kShownBytes of its text, then an
// ellipsis; the row keeps the whole text. Owned by its list control and lives as long as
// it; the image list is not owned. A failed allocation throws the framework's
// MemoryException and leaves the rows as they were.
//
// For assistive technology (screen readers, through Qt's accessibility), the first cell of
// a row whose image has a meaning is read as that meaning, then its text; where the image
// is a check mark, the cell is checkable and checked or not (no check box is painted for
// it: the list control's delegate leaves it out, the image shows it).
class ListModel : public QAbstractTableModel {
 public:
  static constexpr qsizetype kShownBytes = 4000;

  explicit ListModel(QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // The same without a call through the model's table, for the control's every row.
  int Rows() const { return static_cast<int>(rows.size()); }
  int Columns() const { return static_cast<int>(columns.size()); }
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
  // Room for this many rows and as many distinct texts, and a few more for the texts that
  // many rows show (a group, a quantity); false when the memory is not there.
  [[nodiscard]] bool Reserve(std::size_t count);
  void RemoveRow(int row);
  // Empties the list. The views hear of it, and of whatever rows come after, only on
  // Settle: until then filling the list again costs no signal per row.
  void RemoveAll();
  // Tells the views of a RemoveAll and of the rows since: a reset of the model. The control
  // calls it before its view looks at the rows or the selection, and it happens by itself
  // when the event loop turns.
  void Settle();
  bool Resetting() const { return resetting; }
  void SetText(int row, int column, const char* text);
  QByteArrayView Text(int row, int column) const { return Bytes(TextOf(row, column)); }
  void SetImage(int row, int image);
  // The image of the row, or -1 when it was never given one.
  int Image(int row) const { return rows[Index(row)].image; }
  void SetData(int row, std::intptr_t data) { rows[Index(row)].data = data; }
  std::intptr_t Data(int row) const { return rows[Index(row)].data; }

  // The distinct text a cell shows, and whether the cell shows an image beside it.
  int TextOf(int row, int column) const { return columns[Index(column)].cells[Index(row)]; }
  bool ShowsImage(int row, int column) const {
    return column == 0 && images != nullptr && images->HasImage(Image(row));
  }
  // The text as a cell shows it.
  QString Shown(int text) const;
  // What a control measured of a distinct text, kept until ForgetWidths: the width of a
  // cell showing it (without or with an image; -1: not measured), and a bound of its width
  // in whole pixels, rounded up (kNotBounded: not worked out; kNoBound: it has none).
  static constexpr int kNotBounded = -2;
  static constexpr int kNoBound = -1;
  int Width(int text, bool image) const { return texts[Index(text)].widths[image ? 1 : 0]; }
  void KeepWidth(int text, bool image, int width) { texts[Index(text)].widths[image ? 1 : 0] = width; }
  int Bound(int text) const { return texts[Index(text)].bound; }
  // A negative bound is none.
  void KeepBound(int text, qreal bound) { texts[Index(text)].bound = bound < 0 ? kNoBound : qCeil(bound); }
  void ForgetWidths();

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
    std::vector<int> cells;  // one per row
    std::vector<int> before;  // the cells before the last RemoveAll, while their ids hold
  };
  // A distinct text. Texts no cell shows any more stay while the list is busy (a rebuild
  // shows them again); they go once the event loop turns when there are many of them.
  // 32 bytes: a list of many rows keeps about as many of these.
  struct Distinct {
    std::size_t offset = 0;  // of its bytes in the store
    int length = 0;
    int uses = 0;  // kFree: no text, the id waits to be given again
    int widths[2] = {-1, -1};
    int bound = kNotBounded;
  };

  static constexpr std::size_t kTypicalBytes = 16;
  static constexpr std::size_t kFewTexts = 256;
  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  QByteArrayView Bytes(int text) const {
    const Distinct& distinct = texts[Index(text)];
    return {store.data() + distinct.offset, distinct.length};
  }
  // Ids that hold a text (shown or not).
  std::size_t LiveIds() const { return texts.size() - freeIds.size(); }
  // The id of the text, kept from now on (its uses not yet counted). The empty text's uses
  // are never counted. A rebuild mostly shows the texts the row of the same place showed
  // before (or the row next to it, after an insertion or deletion), and a list filled in
  // order often the text of the row above: those are found without a look-up.
  int Keep(QByteArrayView text, int row, int column);
  void Use(int text);
  void Release(int text);
  void DropUnused();

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
  std::vector<Distinct> texts;  // id 0 is the empty text, always kept
  std::vector<char> store;  // the bytes of the texts, one after the other
  toolbox::PositionTable ids;  // the ids that hold a text, by the hash of its bytes
  std::vector<int> freeIds;
  int unused = 0;  // texts kept that no cell shows
  bool dropping = false;  // a DropUnused is on its way
  bool resetting = false;  // a reset is open: the views wait for Settle
};

}  // namespace framework
