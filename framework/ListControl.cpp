#include "framework/ListControl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>

#include "framework/Exceptions.h"
#include "framework/ImageList.h"
#include "framework/ListModel.h"
#include "framework/Text.h"

namespace framework {

namespace {

Qt::Alignment AlignmentOf(int format) {
  switch (format) {
    case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

ListControl::ListControl(QWidget* parent) : QTreeView(parent), rows(New<ListModel>(this)) {
  setModel(rows);
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

int ListControl::GetColumnCount() const { return rows->columnCount(); }

int ListControl::GetItemCount() const { return rows->rowCount(); }

int ListControl::InsertColumn(int column, const char* heading, int format, int width) {
  if (column < 0) return -1;
  column = std::min(column, GetColumnCount());
  rows->InsertColumn(column, ToQString(heading), AlignmentOf(format));
  if (width >= 0) setColumnWidth(column, width);
  return column;
}

// A column's width is the widest size hint of its cells, over every row however long the
// list. Working out a cell's size means laying out its text, and a list shows the same
// texts again and again (a column of groups repeats a few; a rebuild shows mostly texts
// measured before): so each cell keeps its width until its text or image changes, and the
// width of each content (its text and its image) is kept for the cells still unmeasured;
// both until the font, the style or the image list changes.
int ListControl::ContentsWidth(int column) const {
  if (knownWidths.size() > 4 * static_cast<qsizetype>(GetItemCount()) + 1024) knownWidths.clear();
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int width = 0;
  for (int row = 0; row < GetItemCount(); ++row) {
    int cell = rows->Width(row, column);
    if (cell < 0) {
      cell = ContentWidth(option, row, column);
      rows->KeepWidth(row, column, cell);
    }
    width = std::max(width, cell);
  }
  return width;
}

int ListControl::ContentWidth(const QStyleOptionViewItem& option, int row, int column) const {
  const auto content = std::make_pair(rows->Text(row, column), rows->Image(row) + 1);
  const auto known = knownWidths.constFind(content);
  if (known != knownWidths.constEnd()) return *known;
  const int width = itemDelegate()->sizeHint(option, rows->index(row, column)).width();
  knownWidths.insert(content, width);
  return width;
}

void ListControl::changeEvent(QEvent* event) {
  QTreeView::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) ForgetWidths();
}

bool ListControl::SetColumnWidth(int column, int width) {
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
  knownWidths.clear();
  rows->ForgetWidths();
}

int ListControl::GetColumnWidth(int column) const { return columnWidth(column); }

void ListControl::SetImageList(const ImageList* imageList) {
  if (imageList != nullptr) setIconSize(imageList->GetImageSize());
  rows->SetImageList(imageList);
  ForgetWidths();  // the image size goes into a cell's width
}

void ListControl::ApplyItem(const ListItem& item) {
  if (item.mask & LVIF_TEXT) rows->SetText(item.iItem, item.iSubItem, item.pszText);
  if (item.iSubItem != 0) return;
  if (item.mask & LVIF_IMAGE) rows->SetImage(item.iItem, item.iImage);
  if (item.mask & LVIF_PARAM) rows->SetData(item.iItem, item.lParam);
}

int ListControl::InsertItem(const ListItem& item) {
  if (item.iItem < 0 || GetColumnCount() == 0) return -1;
  ListItem first = item;
  first.iItem = std::min(item.iItem, GetItemCount());
  first.iSubItem = 0;
  rows->InsertRow(first.iItem);
  ApplyItem(first);
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
  const QByteArray& text = rows->Text(row, subItem);
  return std::string(text.constData(), static_cast<std::size_t>(text.size()));
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
  unsigned state = 0;
  if (selectionModel()->isRowSelected(row)) state |= LVIS_SELECTED;
  if (currentIndex().isValid() && currentIndex().row() == row) state |= LVIS_FOCUSED;
  return state & mask;
}

int ListControl::GetNextItem(int start, unsigned flags) const {
  for (int row = std::max(start + 1, 0); row < GetItemCount(); ++row) {
    if ((GetItemState(row, flags) & flags) == flags) return row;
  }
  return -1;
}

bool ListControl::EnsureVisible(int row, bool partialOk) {
  if (!IsRow(row)) return false;
  const QModelIndex index = rows->index(row, 0);
  if (partialOk && visualRect(index).intersects(viewport()->rect())) return true;
  scrollTo(index, QAbstractItemView::EnsureVisible);
  return true;
}

int ListControl::HitTest(const QPoint& point, bool* onIcon) const {
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
}

void ListControl::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  OnLButtonDblClk(point, HitTest(point));
}

}  // namespace framework
