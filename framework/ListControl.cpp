#include "framework/ListControl.h"

#include <QAccessible>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QtMath>
#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/ImageList.h"
#include "framework/ListModel.h"
#include "framework/Text.h"

namespace framework {

namespace {

// Paints a cell as always: a check mark that the model reports for assistive technology is
// shown by the row's image, never by a second, painted check box.
class CellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
  }
};

Qt::Alignment AlignmentOf(int format) {
  switch (format) {
    case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

ListControl::ListControl(QWidget* parent) : QTreeView(parent) {
  // Made here rather than in the member list: making it sends this control an event, and
  // event() looks at the pointer.
  rows = New<ListModel>(this);
  setModel(rows);
  setItemDelegate(New<CellDelegate>(this));
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(0);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setIconSize(QSize(16, 16));
  header()->setSectionsClickable(false);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  // A double click on a header divider fits the column to every row, however long the list
  // (by default only a thousand rows are measured).
  header()->setResizeContentsPrecision(-1);
  // The selection stays as visible as with the focus.
  QPalette colours = palette();
  colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   colours.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(colours);
}

int ListControl::GetColumnCount() const { return rows->Columns(); }

int ListControl::GetItemCount() const { return rows->Rows(); }

bool ListControl::SetItemCount(int count) { return count >= 0 && rows->Reserve(static_cast<std::size_t>(count)); }

int ListControl::InsertColumn(int column, const char* heading, int format, int width) {
  if (column < 0) return -1;
  column = std::min(column, GetColumnCount());
  rows->InsertColumn(column, ToQString(heading), AlignmentOf(format));
  if (width >= 0) setColumnWidth(column, width);
  return column;
}

// A column's width is the widest size hint of its cells, over every row however long the
// list. Working out a cell's size means laying out its text, too slow to do for every text
// of a long list: so each distinct text is measured at most once (the list keeps its width
// until the font, the style or the images change), and a text is measured only while its
// bound could still beat the widest cell measured so far; the others are never laid out.
int ListControl::ContentsWidth(int column) const {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  // The cells measured before give the width so far; of the others, the few of the widest
  // bounds are measured, widest bound first, until no bound is above the widest cell. Only
  // when all of those are wider still must every cell be looked at again.
  constexpr std::size_t kFew = 64;
  int width = 0;
  std::vector<std::pair<int, int>> widest = WiderCells(option, column, width, kFew);
  if (widest.empty()) return width;
  const bool all = widest.size() < kFew;
  const int below = widest.front().first;  // no cell left out is bounded above this
  width = WidestOf(option, widest, column, width);
  if (all || width >= below) return width;
  std::vector<std::pair<int, int>> wider = WiderCells(option, column, width, std::numeric_limits<std::size_t>::max());
  return WidestOf(option, wider, column, width);
}

// Goes over the cells of the column once: the widest of those measured before goes into
// width, and of the others those bounded above width are answered as (bound, row), at most
// the given number of them with the widest bounds, in a heap with the narrowest on top.
std::vector<std::pair<int, int>> ListControl::WiderCells(const QStyleOptionViewItem& option, int column, int& width,
                                                         std::size_t most) const {
  std::vector<std::pair<int, int>> cells;
  const int count = GetItemCount();
  Allocating([&] { cells.reserve(std::min(most, static_cast<std::size_t>(count))); });
  for (int row = 0; row < count; ++row) {
    if (const int known = KnownWidth(row, column); known >= 0) {
      width = std::max(width, known);
    } else if (const int bound = CellBound(option, row, column); bound <= width) {
      continue;
    } else if (cells.size() < most) {
      cells.emplace_back(bound, row);
      std::push_heap(cells.begin(), cells.end(), std::greater<>());
    } else if (bound > cells.front().first) {
      std::pop_heap(cells.begin(), cells.end(), std::greater<>());
      cells.back() = {bound, row};
      std::push_heap(cells.begin(), cells.end(), std::greater<>());
    }
  }
  return cells;
}

// The widest of width and the given cells, measured widest bound first until no bound is
// above the widest cell.
int ListControl::WidestOf(const QStyleOptionViewItem& option, std::vector<std::pair<int, int>>& cells, int column,
                          int width) const {
  std::make_heap(cells.begin(), cells.end());
  for (auto end = cells.end(); end != cells.begin() && cells.front().first > width; --end) {
    std::pop_heap(cells.begin(), end);
    width = std::max(width, CellWidth(option, (end - 1)->second, column));
  }
  return width;
}

int ListControl::KnownWidth(int row, int column) const {
  return rows->Width(rows->TextOf(row, column), rows->ShowsImage(row, column));
}

int ListControl::CellWidth(const QStyleOptionViewItem& option, int row, int column) const {
  const int text = rows->TextOf(row, column);
  const bool image = rows->ShowsImage(row, column);
  int width = rows->Width(text, image);
  if (width < 0) {
    width = itemDelegate()->sizeHint(option, rows->index(row, column)).width();
    rows->KeepWidth(text, image, width);
  }
  return width;
}

// No cell is wider than this: the bound of its text rounded up as the style rounds the
// text's width, and what the cell takes beyond its text, learnt from the first cell of its
// kind that is measured. A cell whose text has no bound must be measured. Once both are
// known (a column sized again asks this of every cell), nothing else is done.
int ListControl::CellBound(const QStyleOptionViewItem& option, int row, int column) const {
  int bound = rows->Bound(rows->TextOf(row, column));
  if (bound == ListModel::kNotBounded) bound = BoundText(option.font, row, column);
  if (bound == ListModel::kNoBound) return std::numeric_limits<int>::max();
  const int beyond = beyondText[rows->ShowsImage(row, column) ? 1 : 0];
  return bound + (beyond >= 0 ? beyond : LearnBeyond(option, row, column));
}

// Works out the bound of the cell's text and keeps it with the text. Most texts are
// bounded from their bytes; the others as the cell shows them.
int ListControl::BoundText(const QFont& font, int row, int column) const {
  if (bounds == nullptr) bounds.reset(New<TextWidthBound>(font));
  const int text = rows->TextOf(row, column);
  const QByteArrayView bytes = rows->Text(row, column);
  const std::optional<qreal> read =
      bytes.size() <= ListModel::kShownBytes ? bounds->OfUtf8(bytes.data(), bytes.size()) : std::nullopt;
  rows->KeepBound(text, read ? *read : bounds->Of(rows->Shown(text)));
  return rows->Bound(text);
}

// What a cell of this one's kind (with or without an image) takes beyond its text,
// learnt from this cell.
int ListControl::LearnBeyond(const QStyleOptionViewItem& option, int row, int column) const {
  const qreal textWidth = QFontMetricsF(option.font).horizontalAdvance(rows->Shown(rows->TextOf(row, column)));
  int& beyond = beyondText[rows->ShowsImage(row, column) ? 1 : 0];
  beyond = CellWidth(option, row, column) - qCeil(textWidth);
  return beyond;
}

bool ListControl::event(QEvent* event) {
  if (rows != nullptr) rows->Settle();
  return QTreeView::event(event);
}

bool ListControl::viewportEvent(QEvent* event) {
  if (rows != nullptr) rows->Settle();
  return QTreeView::viewportEvent(event);
}

void ListControl::changeEvent(QEvent* event) {
  QTreeView::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) ForgetWidths();
}

bool ListControl::SetColumnWidth(int column, int width) {
  rows->Settle();
  if (column < 0 || column >= GetColumnCount()) return false;
  const bool last = column == GetColumnCount() - 1;
  if (last) fillingLastColumn = -1;
  if (width == LVSCW_AUTOSIZE) {
    width = ContentsWidth(column);
  } else if (width == LVSCW_AUTOSIZE_USEHEADER) {
    width = std::max(ContentsWidth(column), header()->sectionSizeHint(column));
    if (last) {
      fillingLastColumn = width;
      width = FillingWidth(width);
    }
  } else if (width < 0) {
    return false;
  }
  setColumnWidth(column, width);
  return true;
}

int ListControl::FillingWidth(int ownWidth) const {
  int others = 0;
  for (int i = 0; i + 1 < GetColumnCount(); ++i) others += columnWidth(i);
  return std::max(ownWidth, viewport()->width() - others);
}

void ListControl::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  if (fillingLastColumn >= 0 && GetColumnCount() > 0) {
    setColumnWidth(GetColumnCount() - 1, FillingWidth(fillingLastColumn));
  }
}

void ListControl::ForgetWidths() {
  bounds.reset();
  beyondText[0] = beyondText[1] = -1;
  rows->ForgetWidths();
}

int ListControl::GetColumnWidth(int column) const { return columnWidth(column); }

void ListControl::SetImageList(const ImageList* imageList) {
  if (imageList != nullptr) setIconSize(imageList->GetImageSize());
  rows->SetImageList(imageList);
  ForgetWidths();  // the image size goes into a cell's width
}

void ListControl::SetImageMeaning(int image, const char* description, CheckMark mark) {
  rows->SetImageMeaning(image, ToQString(description), mark);
}

void ListControl::ApplyItem(const ListItem& item) {
  const int textBefore = rows->TextOf(item.iItem, item.iSubItem);
  const int imageBefore = rows->Image(item.iItem);
  if (item.mask & LVIF_TEXT) rows->SetText(item.iItem, item.iSubItem, item.pszText);
  if (item.iSubItem == 0) {
    if (item.mask & LVIF_IMAGE) rows->SetImage(item.iItem, item.iImage);
    if (item.mask & LVIF_PARAM) rows->SetData(item.iItem, item.lParam);
  }
  // Equal texts share their id: a row set again as it was says nothing.
  const bool imageChanged = rows->Image(item.iItem) != imageBefore;
  if (rows->TextOf(item.iItem, item.iSubItem) != textBefore || imageChanged) {
    AnnounceChange(item.iItem, item.iSubItem, imageChanged);
  }
}

void ListControl::AnnounceChange(int row, int column, bool markChanged) {
  if (!QAccessible::isActive() || rows->Resetting()) return;
  executeDelayedItemsLayout();  // the cells are found among the rows laid out
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
  QAccessibleTableInterface* table = list != nullptr ? list->tableInterface() : nullptr;
  QAccessibleInterface* cell = table != nullptr ? table->cellAt(row, column) : nullptr;
  if (cell == nullptr) return;
  QAccessibleEvent named(cell, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&named);
  if (!markChanged || !rows->index(row, column).data(Qt::CheckStateRole).isValid()) return;
  QAccessible::State changed;
  changed.checked = true;
  QAccessibleStateChangeEvent marked(cell, changed);
  QAccessible::updateAccessibility(&marked);
}

void ListControl::AnnounceCurrent() {
  const QModelIndex current = currentIndex();
  if (!QAccessible::isActive() || !current.isValid()) return;
  // The view's children are the header's cells, then the rows' cells, row by row.
  const int headerCells = header()->isHidden() ? 0 : GetColumnCount();
  QAccessibleEvent focused(this, QAccessible::Focus);
  focused.setChild(headerCells + current.row() * GetColumnCount());
  QAccessible::updateAccessibility(&focused);
}

int ListControl::InsertItem(const ListItem& item) {
  if (item.iItem < 0 || GetColumnCount() == 0) return -1;
  ListItem first = item;
  first.iItem = std::min(item.iItem, GetItemCount());
  first.iSubItem = 0;
  rows->InsertRow(first.iItem, (first.mask & LVIF_TEXT) ? first.pszText : nullptr,
                  (first.mask & LVIF_IMAGE) ? first.iImage : -1, (first.mask & LVIF_PARAM) ? first.lParam : 0);
  if (first.mask & LVIF_STATE) SetItemState(first.iItem, first.state, first.stateMask);
  return first.iItem;
}

bool ListControl::SetItem(const ListItem& item) {
  if (!IsRow(item.iItem) || item.iSubItem < 0 || item.iSubItem >= GetColumnCount()) return false;
  ApplyItem(item);
  if (item.iSubItem == 0 && (item.mask & LVIF_STATE)) SetItemState(item.iItem, item.state, item.stateMask);
  return true;
}

bool ListControl::GetItem(ListItem& item) const {
  if (!IsRow(item.iItem)) return false;
  if (item.mask & LVIF_IMAGE) item.iImage = std::max(rows->Image(item.iItem), 0);
  if (item.mask & LVIF_PARAM) item.lParam = rows->Data(item.iItem);
  if (item.mask & LVIF_STATE) item.state = GetItemState(item.iItem, item.stateMask);
  return true;
}

bool ListControl::SetItemText(int row, int subItem, const char* text) {
  ListItem item;
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = subItem;
  item.pszText = text;
  return SetItem(item);
}

std::string ListControl::GetItemText(int row, int subItem) const {
  if (!IsRow(row) || subItem < 0 || subItem >= GetColumnCount()) return {};
  const QByteArrayView text = rows->Text(row, subItem);
  return std::string(text.data(), static_cast<std::size_t>(text.size()));
}

std::intptr_t ListControl::GetItemData(int row) const { return IsRow(row) ? rows->Data(row) : 0; }

bool ListControl::DeleteItem(int row) {
  if (!IsRow(row)) return false;
  rows->RemoveRow(row);
  return true;
}

bool ListControl::DeleteAllItems() {
  rows->RemoveAll();
  return true;
}

bool ListControl::SetItemState(int row, unsigned state, unsigned mask) {
  if (!IsRow(row)) return false;
  // A list being filled again has no selection and no focus yet: clearing them changes
  // nothing, and needs no telling the view of the rows so far.
  if ((state & mask) == 0 && rows->Resetting()) return true;
  rows->Settle();
  const QModelIndex index = rows->index(row, 0);
  // Deselecting a row that is not selected changes nothing (a new row, say).
  if ((mask & LVIS_SELECTED) && ((state & LVIS_SELECTED) || selectionModel()->isRowSelected(row))) {
    // One row at most is selected, whoever selects it.
    selectionModel()->select(index, ((state & LVIS_SELECTED) ? QItemSelectionModel::ClearAndSelect
                                                             : QItemSelectionModel::Deselect) |
                                        QItemSelectionModel::Rows);
  }
  if (mask & LVIS_FOCUSED) {
    if (state & LVIS_FOCUSED) {
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (currentIndex().isValid() && currentIndex().row() == row) {
      selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
  }
  return true;
}

unsigned ListControl::GetItemState(int row, unsigned mask) const {
  if (!IsRow(row)) return 0;
  rows->Settle();
  unsigned state = 0;
  if (selectionModel()->isRowSelected(row)) state |= LVIS_SELECTED;
  if (currentIndex().isValid() && currentIndex().row() == row) state |= LVIS_FOCUSED;
  return state & mask;
}

int ListControl::GetNextItem(int start, unsigned flags) const {
  const int from = std::max(start + 1, 0);
  if (flags == LVNI_ALL) return from < GetItemCount() ? from : -1;
  rows->Settle();
  // One row at most is selected and one focused: only they can have a state.
  int found = -1;
  const QModelIndexList selected = selectionModel()->selectedRows();
  for (const int row : {selected.isEmpty() ? -1 : selected.first().row(), currentIndex().row()}) {
    if (row >= from && (found < 0 || row < found) && (GetItemState(row, flags) & flags) == flags) found = row;
  }
  return found;
}

bool ListControl::EnsureVisible(int row, bool partialOk) {
  if (!IsRow(row)) return false;
  rows->Settle();
  const QModelIndex index = rows->index(row, 0);
  if (partialOk && visualRect(index).intersects(viewport()->rect())) return true;
  scrollTo(index, QAbstractItemView::EnsureVisible);
  return true;
}

int ListControl::HitTest(const QPoint& point, bool* onIcon) const {
  rows->Settle();
  if (onIcon != nullptr) {
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int left = GetColumnCount() > 0 ? columnViewportPosition(0) : 0;
    *onIcon = point.x() >= left && point.x() < left + iconSize().width() + 2 * margin;
  }
  const QModelIndex index = indexAt(point);
  return index.isValid() ? index.row() : -1;
}

void ListControl::OnLButtonDown(const QPoint&, int, bool) {}

void ListControl::OnLButtonDblClk(const QPoint&, int) {}

void ListControl::mousePressEvent(QMouseEvent* event) {
  QTreeView::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  bool onIcon = false;
  const int row = HitTest(point, &onIcon);
  if (row < 0) clearSelection();  // a click below the rows leaves none selected
  OnLButtonDown(point, row, onIcon);
}

void ListControl::focusInEvent(QFocusEvent* event) {
  const bool hadCurrent = currentIndex().isValid();
  QTreeView::focusInEvent(event);
  // Taking the focus gives no row the focus by itself (the tree would give it to the first
  // row without selecting it, and the first Down would then select the second row): the
  // first arrow key selects the first row.
  if (!hadCurrent && !selectionModel()->hasSelection()) {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
  // Back from a dialog, a screen reader says where the user is, not just "list": once Qt
  // has told of the list's own focus, which would otherwise be the last word.
  if (QAccessible::isActive()) QMetaObject::invokeMethod(this, [this] { AnnounceCurrent(); }, Qt::QueuedConnection);
}

void ListControl::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  OnLButtonDblClk(point, HitTest(point));
}

}  // namespace framework
