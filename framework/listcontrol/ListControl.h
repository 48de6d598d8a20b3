#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTreeView>
#include <cstdint>
#include <string>

#include "framework/listcontrol/ColumnSizer.h"
#include "framework/listcontrol/ListModel.h"

namespace framework {

class ImageList;

// Which fields of a ListItem are given or wanted.
inline constexpr unsigned LVIF_TEXT = 0x1;
inline constexpr unsigned LVIF_IMAGE = 0x2;
inline constexpr unsigned LVIF_PARAM = 0x4;
inline constexpr unsigned LVIF_STATE = 0x8;
// Row states.
inline constexpr unsigned LVIS_FOCUSED = 0x1;
inline constexpr unsigned LVIS_SELECTED = 0x2;
// GetNextItem flags.
inline constexpr unsigned LVNI_ALL = 0x0;
inline constexpr unsigned LVNI_FOCUSED = 0x1;
inline constexpr unsigned LVNI_SELECTED = 0x2;
// Column formats and widths.
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVCFMT_RIGHT = 1;
inline constexpr int LVCFMT_CENTER = 2;
inline constexpr int LVSCW_AUTOSIZE = -1;
inline constexpr int LVSCW_AUTOSIZE_USEHEADER = -2;

// A row, or a cell of it, to insert, set or read.
struct ListItem {
  unsigned mask = 0;
  int iItem = 0;     // row
  int iSubItem = 0;  // column; image, data and state belong to column 0
  unsigned state = 0;
  unsigned stateMask = 0;
  const char* pszText = nullptr;
  int iImage = 0;
  std::intptr_t lParam = 0;
};

// A list in report mode: columns with headers, rows with a small image, a text per column
// and an item data. Single selection that stays visible without the focus; clicking a
// header sorts nothing; keys given to the frame's accelerators never reach it. The rows
// live in a ListModel that the control owns; a tree view of uniform rows paints only the
// rows in sight. Every change reaches the view at once, but for a list emptied and filled
// again inside a Refill, which reaches it as one reset; the columns are sized by a
// ColumnSizer. A failed allocation throws the framework's MemoryException.
//
// Assistive technology (a screen reader, through Qt's accessibility bridge) reads a row's
// first cell as what its image means (SetImageMeaning) and its text, and hears of every
// change to a row that is set again (a new text or image: the cell's new name, and its
// check mark), and of the current row when the list takes the focus back.
//
// Showing a row (a click, an arrow key, EnsureVisible, a search) scrolls the list up or
// down only: sideways it moves only when the user scrolls it (its scroll bar, the wheel
// with Shift, Left and Right), so that a cell wider than the list never pushes the first
// column out of sight. Typing searches the rows (see SetSearchColumn).
class ListControl : public QTreeView {
 public:
  // The list emptied and filled again, as a view's update does it: the view hears of the
  // rows as one reset when the refill ends, instead of a signal per row. No event loop may
  // turn inside a refill; the control's methods that ask the view about the rows
  // (selection, focus, scrolling, hit tests, column widths) have it reset first, and the
  // rest of the refill reaches it row by row. A refill opened inside another is part of it.
  // Lives on its opener's stack, within the control's lifetime; does not fail.
  class Refill {
   public:
    explicit Refill(ListControl& list) : rows(*list.rows), opened(rows.BeginRefill()) {}
    ~Refill() {
      if (opened) rows.EndRefill();
    }
    Refill(const Refill&) = delete;
    Refill& operator=(const Refill&) = delete;

   private:
    ListModel& rows;
    const bool opened;
  };

  explicit ListControl(QWidget* parent = nullptr);

  // Columns.
  int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1);
  int GetColumnCount() const;
  // A width in pixels, or LVSCW_AUTOSIZE (fit the contents) or LVSCW_AUTOSIZE_USEHEADER
  // (fit the larger of header and contents; the last column also fills what is left of
  // the list's width).
  bool SetColumnWidth(int column, int width);
  int GetColumnWidth(int column) const;

  // The small images of the rows; not owned.
  void SetImageList(const ImageList* images);
  // What the image at the index means to someone who cannot see it ("taken along"), and
  // whether it marks its rows as checked or unchecked. Its owner tells the list: the list
  // knows no meaning of its own.
  void SetImageMeaning(int image, const char* description, CheckMark mark = CheckMark::none);

  // Rows.
  int GetItemCount() const;
  // Makes room for this many rows, so that filling a large list does not grow its storage
  // again and again; the rows themselves are still inserted one by one. Answers false when
  // the memory is not there (the list stays as it is and grows as rows come).
  [[nodiscard]] bool SetItemCount(int count);
  // Inserts a row before item.iItem (appends past the end); answers its index, or -1.
  int InsertItem(const ListItem& item);
  bool SetItem(const ListItem& item);
  bool GetItem(ListItem& item) const;  // fills image, data and state as the mask asks
  bool SetItemText(int row, int subItem, const char* text);
  // The whole text set, even where the cell shows only its beginning.
  std::string GetItemText(int row, int subItem) const;
  std::intptr_t GetItemData(int row) const;
  bool DeleteItem(int row);
  bool DeleteAllItems();

  // Selection and focus.
  bool SetItemState(int row, unsigned state, unsigned mask);
  unsigned GetItemState(int row, unsigned mask) const;
  // The next row after start (-1: from the top) with the flags; -1 when none.
  int GetNextItem(int start, unsigned flags) const;
  // Scrolls the row into view; with partialOk a partly visible row stays where it is.
  bool EnsureVisible(int row, bool partialOk);

  // The column that typing searches (0 unless set): characters typed without a longer pause
  // than the platform's keyboard input interval make up one text, and the first row from
  // the one below the focused row on, round from the top, whose cell in this column begins
  // with it (ignoring case) is selected, focused and shown; the same character typed again
  // goes on to the next such row. Without a match nothing changes. Digits and blanks never
  // search: lists like the program's leave them to commands (a quantity, a check mark),
  // also where the keypad brings them. -1 searches nothing.
  void SetSearchColumn(int column) { searchColumn = column; }
  void keyboardSearch(const QString& search) override;
  // Scrolls up or down only, whatever the cell's column and width (see the class comment).
  void scrollTo(const QModelIndex& index, ScrollHint hint = QAbstractItemView::EnsureVisible) override;

  // The row at a point of the viewport, or -1; onIcon tells whether the point lies in the
  // band of the row images at the left of the first column.
  int HitTest(const QPoint& point, bool* onIcon = nullptr) const;

 protected:
  // After the list's own handling of a left button press (which selects the row under
  // the pointer): the point in the viewport, the row (-1 below the last row) and whether
  // the point lies in the band of the row images.
  virtual void OnLButtonDown(const QPoint& point, int row, bool onIcon);
  // After the list's own handling of a left double click.
  virtual void OnLButtonDblClk(const QPoint& point, int row);

  void mousePressEvent(QMouseEvent* event) override;
  // A last column sized to fill the list keeps filling it as the list changes size.
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // A change of font or style makes every width measured so far void.
  void changeEvent(QEvent* event) override;

 private:
  bool IsRow(int row) const { return row >= 0 && row < GetItemCount(); }
  // The view, once a refill's rows so far have reached it: the one way in which the
  // control's methods ask the view about the rows (selection, focus, scrolling, hit tests,
  // column widths), so that no answer comes from rows the view has not heard of.
  QTreeView& UpToDateView() {
    rows->ResetViews();
    return *this;
  }
  const QTreeView& UpToDateView() const {
    rows->ResetViews();
    return *this;
  }
  void ApplyItem(const ListItem& item);
  // Tells assistive technology that the cell reads differently now, and, where its check
  // mark changed, that too.
  void AnnounceChange(int row, int column, bool markChanged);
  // Tells assistive technology which cell has the focus: the current row's first.
  void AnnounceCurrent();
  // The width of the column's widest cell.
  int ContentsWidth(int column);
  // The last column's width: its own (header or contents) or what is left of the list's
  // width, whichever is larger.
  int FillingWidth(int ownWidth) const;
  // The first row from start on, round from the top, whose cell in the search column begins
  // with the text; -1 when none does.
  int FindRowStartingWith(const QString& text, int start) const;

  ListModel* const rows;
  ColumnSizer sizing;
  // The own width of the last column while it fills the list; -1 while it does not.
  int fillingLastColumn = -1;
  int searchColumn = 0;
  QString typed;            // what the search looks for, typed without a longer pause
  QElapsedTimer typedLast;  // since the last character of typed
};

}  // namespace framework
