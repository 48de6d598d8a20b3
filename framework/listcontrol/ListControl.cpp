#include "framework/listcontrol/ListControl.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

#include "framework/base/Exceptions.h"
#include "framework/base/TextEncoding.h"
#include "framework/listcontrol/ImageList.h"
#include "framework/listcontrol/ListModel.h"

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

ListControl::ListControl(QWidget* parent) : QTreeView(parent), rows(New<ListModel>(this)), sizing(*rows) {
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

int ListControl::GetColumnCount() const { return rows->columnCount(); }

int ListControl::GetItemCount() const { return rows->rowCount(); }

bool ListControl::SetItemCount(int count) { return count >= 0 && rows->Reserve(static_cast<std::size_t>(count)); }

int ListControl::InsertColumn(int column, const char* heading, int format, int width) {
  if (column < 0) return -1;
  column = std::min(column, GetColumnCount());
  rows->InsertColumn(column, ToQString(heading), AlignmentOf(format));
  if (width >= 0) setColumnWidth(column, width);
  return column;
}

int ListControl::ContentsWidth(int column) {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  return sizing.Widest(column, option, *itemDelegate());
}

void ListControl::changeEvent(QEvent* event) {
  QTreeView::changeEvent(event);
  sizing.Changed(event->type());
}

bool ListControl::SetColumnWidth(int column, int width) {
  QTreeView& view = UpToDateView();
  if (column < 0 || column >= GetColumnCount()) return false;
  const bool last = column == GetColumnCount() - 1;
  if (last) fillingLastColumn = -1;
  if (width == LVSCW_AUTOSIZE) {
    width = ContentsWidth(column);
  } else if (width == LVSCW_AUTOSIZE_USEHEADER) {
    width = std::max(ContentsWidth(column), view.header()->sectionSizeHint(column));
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

int ListControl::GetColumnWidth(int column) const { return columnWidth(column); }

void ListControl::SetImageList(const ImageList* imageList) {
  if (imageList != nullptr) setIconSize(imageList->GetImageSize());
  rows->SetImageList(imageList);
  sizing.ForgetWidths();
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
  if (!QAccessible::isActive() || rows->ViewsWait()) return;
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
  return std::string(rows->Text(row, subItem));
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
  // A view waiting for a refill's reset has no selection and no focus, which the reset
  // clears: clearing them changes nothing and needs no telling it of the rows so far.
  if ((state & mask) == 0 && rows->ViewsWait()) return true;
  QItemSelectionModel& selection = *UpToDateView().selectionModel();
  const QModelIndex index = rows->index(row, 0);
  // Deselecting a row that is not selected changes nothing (a new row, say).
  if ((mask & LVIS_SELECTED) && ((state & LVIS_SELECTED) || selection.isRowSelected(row))) {
    // One row at most is selected, whoever selects it.
    selection.select(index, ((state & LVIS_SELECTED) ? QItemSelectionModel::ClearAndSelect
                                                             : QItemSelectionModel::Deselect) |
                                        QItemSelectionModel::Rows);
  }
  if (mask & LVIS_FOCUSED) {
    if (state & LVIS_FOCUSED) {
      selection.setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (selection.currentIndex().isValid() && selection.currentIndex().row() == row) {
      selection.setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
  }
  return true;
}

unsigned ListControl::GetItemState(int row, unsigned mask) const {
  if (!IsRow(row)) return 0;
  const QItemSelectionModel& selection = *UpToDateView().selectionModel();
  unsigned state = 0;
  if (selection.isRowSelected(row)) state |= LVIS_SELECTED;
  if (selection.currentIndex().isValid() && selection.currentIndex().row() == row) state |= LVIS_FOCUSED;
  return state & mask;
}

int ListControl::GetNextItem(int start, unsigned flags) const {
  const int from = std::max(start + 1, 0);
  if (flags == LVNI_ALL) return from < GetItemCount() ? from : -1;
  const QItemSelectionModel& selection = *UpToDateView().selectionModel();
  // One row at most is selected and one focused: only they can have a state.
  int found = -1;
  const QModelIndexList selected = selection.selectedRows();
  for (const int row : {selected.isEmpty() ? -1 : selected.first().row(), selection.currentIndex().row()}) {
    if (row >= from && (found < 0 || row < found) && (GetItemState(row, flags) & flags) == flags) found = row;
  }
  return found;
}

bool ListControl::EnsureVisible(int row, bool partialOk) {
  if (!IsRow(row)) return false;
  QTreeView& view = UpToDateView();
  const QModelIndex index = rows->index(row, 0);
  if (partialOk && view.visualRect(index).intersects(view.viewport()->rect())) return true;
  view.scrollTo(index, QAbstractItemView::EnsureVisible);
  return true;
}

void ListControl::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QScrollBar* across = horizontalScrollBar();
  const int position = across->value();
  QTreeView::scrollTo(index, hint);
  across->setValue(position);
}

void ListControl::keyboardSearch(const QString& search) {
  if (searchColumn < 0 || searchColumn >= GetColumnCount() || search.isEmpty()) return;
  for (const QChar character : search) {
    if (!character.isPrint() || character.isDigit() || character.isSpace()) return;
  }
  const bool goesOn = typedLast.isValid() && !typedLast.hasExpired(QApplication::keyboardInputInterval());
  typedLast.start();
  typed = goesOn ? typed + search : search;
  const int current = GetNextItem(-1, LVNI_FOCUSED);
  // A text that grows may still fit the focused row; a new one, or one character typed
  // again and again, looks for the next row.
  const bool repeated = typed.count(typed.front()) == typed.size();
  const int row = repeated ? FindRowStartingWith(typed.left(1), current + 1)
                           : FindRowStartingWith(typed, goesOn ? std::max(current, 0) : current + 1);
  if (row < 0) return;
  SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EnsureVisible(row, false);
}

int ListControl::FindRowStartingWith(const QString& text, int start) const {
  const int count = GetItemCount();
  for (int step = 0; step < count; ++step) {
    const int row = (start + step) % count;
    if (rows->index(row, searchColumn).data().toString().startsWith(text, Qt::CaseInsensitive)) return row;
  }
  return -1;
}

int ListControl::HitTest(const QPoint& point, bool* onIcon) const {
  const QTreeView& view = UpToDateView();
  if (onIcon != nullptr) {
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int left = GetColumnCount() > 0 ? view.columnViewportPosition(0) : 0;
    *onIcon = point.x() >= left && point.x() < left + iconSize().width() + 2 * margin;
  }
  const QModelIndex index = view.indexAt(point);
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
