#include "framework/ListControl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QIcon>
#include <QStyle>
#include <algorithm>

#include "framework/ImageList.h"
#include "framework/Text.h"

namespace framework {

namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;

Qt::Alignment AlignmentOf(int format) {
  switch (format) {
    case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

ListControl::ListControl(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(0);
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

int ListControl::InsertColumn(int column, const char* heading, int format, int width) {
  const int count = columnCount();
  if (column < 0) return -1;
  column = std::min(column, count);
  QStringList labels;
  for (int i = 0; i < count; ++i) labels << headerItem()->text(i);
  labels.insert(column, ToQString(heading));
  formats.insert(formats.begin() + column, format);
  setColumnCount(count + 1);
  for (int row = 0; row < GetItemCount(); ++row) {
    QTreeWidgetItem* item = Row(row);
    for (int i = count; i > column; --i) item->setText(i, item->text(i - 1));
    item->setText(column, QString());
  }
  setHeaderLabels(labels);
  for (int i = 0; i <= count; ++i) headerItem()->setTextAlignment(i, AlignmentOf(formats[static_cast<std::size_t>(i)]));
  if (width >= 0) setColumnWidth(column, width);
  return column;
}

// A column's width is the widest size hint of its cells, over every row however long the
// list. Working out a cell's size means laying out its text, and a list shows the same
// texts again and again (a column of groups repeats a few; a row update or a rebuild shows
// mostly texts measured before): so the width of each content (its text and whether it has
// an image) is kept until the font, the style or the image size changes, and only a cell
// with a font, size or check box of its own is measured every time.
int ListControl::ContentsWidth(int column) const {
  if (knownWidths.size() > 4 * static_cast<qsizetype>(GetItemCount()) + 1024) knownWidths.clear();
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int width = 0;
  for (int row = 0; row < GetItemCount(); ++row) {
    QTreeWidgetItem* item = topLevelItem(row);
    const bool own = item->data(column, Qt::FontRole).isValid() || item->data(column, Qt::SizeHintRole).isValid() ||
                     item->data(column, Qt::CheckStateRole).isValid();
    const QVariant decoration = item->data(column, Qt::DecorationRole);
    const int image = !decoration.isValid() ? 0 : qvariant_cast<QIcon>(decoration).isNull() ? 1 : 2;
    const auto content = std::make_pair(item->text(column), image);
    const auto known = own ? knownWidths.constEnd() : knownWidths.constFind(content);
    if (known != knownWidths.constEnd()) {
      width = std::max(width, *known);
      continue;
    }
    const int cell = itemDelegate()->sizeHint(option, indexFromItem(item, column)).width();
    if (!own) knownWidths.insert(content, cell);
    width = std::max(width, cell);
  }
  return width;
}

void ListControl::changeEvent(QEvent* event) {
  QTreeWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) knownWidths.clear();
}

bool ListControl::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= columnCount()) return false;
  const bool last = column == columnCount() - 1;
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
  for (int i = 0; i + 1 < columnCount(); ++i) others += columnWidth(i);
  return std::max(ownWidth, viewport()->width() - others);
}

void ListControl::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  if (fillingLastColumn >= 0 && columnCount() > 0) setColumnWidth(columnCount() - 1, FillingWidth(fillingLastColumn));
}

int ListControl::GetColumnWidth(int column) const { return columnWidth(column); }

void ListControl::SetImageList(const ImageList* imageList) {
  images = imageList;
  knownWidths.clear();  // the image size goes into a cell's width
  if (images != nullptr) setIconSize(images->GetImageSize());
  for (int row = 0; row < GetItemCount(); ++row) {
    QTreeWidgetItem* item = Row(row);
    const QVariant image = item->data(0, kImageRole);
    item->setIcon(0, images != nullptr && image.isValid() ? images->GetIcon(image.toInt()) : QIcon());
  }
}

QTreeWidgetItem* ListControl::Row(int row) const { return row < 0 ? nullptr : topLevelItem(row); }

void ListControl::ApplyItem(QTreeWidgetItem* row, const ListItem& item) {
  const int column = item.iSubItem;
  if (item.mask & LVIF_TEXT) {
    row->setText(column, ToQString(item.pszText));
    // A cell without an alignment of its own is drawn left-aligned and centred vertically,
    // so a cell of a left column is given one only to replace an earlier, different one:
    // each value set on a row in the tree is a notice to the view.
    const int format = column < static_cast<int>(formats.size()) ? formats[static_cast<std::size_t>(column)] : LVCFMT_LEFT;
    if (format != LVCFMT_LEFT || row->data(column, Qt::TextAlignmentRole).isValid()) {
      row->setTextAlignment(column, AlignmentOf(format));
    }
  }
  if (column != 0) return;
  if (item.mask & LVIF_IMAGE) {
    row->setData(0, kImageRole, item.iImage);
    row->setIcon(0, images != nullptr ? images->GetIcon(item.iImage) : QIcon());
  }
  if (item.mask & LVIF_PARAM) row->setData(0, kDataRole, QVariant::fromValue<qint64>(item.lParam));
}

int ListControl::InsertItem(const ListItem& item) {
  if (item.iItem < 0) return -1;
  const int row = std::min(item.iItem, GetItemCount());
  auto* made = new QTreeWidgetItem();
  made->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  ListItem first = item;
  first.iSubItem = 0;
  // Filled while it is outside the tree, where its changes concern no view; the view then
  // takes the finished row in at once.
  ApplyItem(made, first);
  insertTopLevelItem(row, made);
  if (first.mask & LVIF_STATE) SetItemState(row, first.state, first.stateMask);
  return row;
}

bool ListControl::SetItem(const ListItem& item) {
  QTreeWidgetItem* row = Row(item.iItem);
  if (row == nullptr || item.iSubItem < 0 || item.iSubItem >= columnCount()) return false;
  ApplyItem(row, item);
  if (item.iSubItem == 0 && (item.mask & LVIF_STATE)) SetItemState(item.iItem, item.state, item.stateMask);
  return true;
}

bool ListControl::GetItem(ListItem& item) const {
  QTreeWidgetItem* row = Row(item.iItem);
  if (row == nullptr) return false;
  if (item.mask & LVIF_IMAGE) item.iImage = row->data(0, kImageRole).toInt();
  if (item.mask & LVIF_PARAM) item.lParam = static_cast<std::intptr_t>(row->data(0, kDataRole).toLongLong());
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
  QTreeWidgetItem* item = Row(row);
  return item == nullptr ? std::string() : ToBytes(item->text(subItem));
}

std::intptr_t ListControl::GetItemData(int row) const {
  QTreeWidgetItem* item = Row(row);
  return item == nullptr ? 0 : static_cast<std::intptr_t>(item->data(0, kDataRole).toLongLong());
}

bool ListControl::DeleteItem(int row) {
  QTreeWidgetItem* item = Row(row);
  if (item == nullptr) return false;
  delete takeTopLevelItem(row);
  return true;
}

bool ListControl::DeleteAllItems() {
  clear();
  return true;
}

bool ListControl::SetItemState(int row, unsigned state, unsigned mask) {
  QTreeWidgetItem* item = Row(row);
  if (item == nullptr) return false;
  const QModelIndex index = indexFromItem(item);
  // Deselecting a row that is not selected changes nothing (a new row, say).
  if ((mask & LVIS_SELECTED) && ((state & LVIS_SELECTED) || item->isSelected())) {
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
  QTreeWidgetItem* item = Row(row);
  if (item == nullptr) return 0;
  unsigned state = 0;
  if (item->isSelected()) state |= LVIS_SELECTED;
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
  QTreeWidgetItem* item = Row(row);
  if (item == nullptr) return false;
  if (partialOk && visualItemRect(item).intersects(viewport()->rect())) return true;
  scrollToItem(item, QAbstractItemView::EnsureVisible);
  return true;
}

int ListControl::HitTest(const QPoint& point, bool* onIcon) const {
  QTreeWidgetItem* item = itemAt(point);
  if (onIcon != nullptr) {
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int left = columnCount() > 0 ? columnViewportPosition(0) : 0;
    *onIcon = point.x() >= left && point.x() < left + iconSize().width() + 2 * margin;
  }
  return item == nullptr ? -1 : indexOfTopLevelItem(item);
}

void ListControl::OnLButtonDown(const QPoint&, int, bool) {}

void ListControl::OnLButtonDblClk(const QPoint&, int) {}

void ListControl::mousePressEvent(QMouseEvent* event) {
  QTreeWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  bool onIcon = false;
  const int row = HitTest(point, &onIcon);
  if (row < 0) clearSelection();  // a click below the rows leaves none selected
  OnLButtonDown(point, row, onIcon);
}

void ListControl::focusInEvent(QFocusEvent* event) {
  const bool hadCurrent = currentIndex().isValid();
  QTreeWidget::focusInEvent(event);
  // Taking the focus gives no row the focus by itself (the tree would give it to the first
  // row without selecting it, and the first Down would then select the second row): the
  // first arrow key selects the first row.
  if (!hadCurrent && selectedItems().isEmpty()) selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void ListControl::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  OnLButtonDblClk(point, HitTest(point));
}

}  // namespace framework
