#include "framework/ListModel.h"

#include <QIcon>
#include <algorithm>
#include <new>
#include <utility>

#include "framework/Exceptions.h"
#include "framework/ImageList.h"
#include "framework/Text.h"

namespace framework {

namespace {

// Standard containers report a failed allocation as bad_alloc; the program as its own.
template <class F>
void Allocating(F&& change) {
  try {
    change();
  } catch (const std::bad_alloc&) {
    throw MemoryException();
  }
}

// Room for one more element, growing by half as push_back would.
template <class T>
void Grow(std::vector<T>& vector) {
  if (vector.size() == vector.capacity()) vector.reserve(vector.size() + vector.size() / 2 + 16);
}

}  // namespace

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

// A field of megabytes (a damaged or foreign file) would make every paint and every width
// lay the whole text out: the cell shows its beginning, cut between two characters.
QString ListModel::Shown(const QByteArray& text) const {
  if (text.size() <= kShownBytes) return ToQString(text.constData(), static_cast<std::size_t>(text.size()));
  qsizetype end = kShownBytes;
  while (end > kShownBytes - 4 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return ToQString(text.constData(), static_cast<std::size_t>(end)) + QChar(0x2026);
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const Row& row = rows[Index(index.row())];
  switch (role) {
    case Qt::DisplayRole: return Shown(Text(index.row(), index.column()));
    case Qt::TextAlignmentRole: return QVariant::fromValue(int(columns[Index(index.column())].alignment));
    case Qt::DecorationRole:
      if (index.column() != 0 || row.image < 0) return {};
      return images != nullptr ? images->GetIcon(row.image) : QIcon();
    default: return {};
  }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return columns[Index(section)].heading;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(int(columns[Index(section)].alignment));
  return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void ListModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment) {
  Column made{heading, alignment, {}, {}};
  Allocating([&] {
    made.texts.resize(rows.size());
    made.widths.resize(rows.size(), -1);
    columns.reserve(columns.size() + 1);
  });
  beginInsertColumns(QModelIndex(), column, column);
  columns.insert(columns.begin() + column, std::move(made));
  endInsertColumns();
}

void ListModel::SetImageList(const ImageList* imageList) {
  images = imageList;
  if (!rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void ListModel::InsertRow(int row) {
  // Room first, so that the row goes into every column or into none.
  Allocating([&] {
    Grow(rows);
    for (Column& column : columns) {
      Grow(column.texts);
      Grow(column.widths);
    }
  });
  beginInsertRows(QModelIndex(), row, row);
  rows.insert(rows.begin() + row, Row{});
  for (Column& column : columns) {
    column.texts.insert(column.texts.begin() + row, QByteArray());
    column.widths.insert(column.widths.begin() + row, -1);
  }
  endInsertRows();
}

void ListModel::RemoveRow(int row) {
  beginRemoveRows(QModelIndex(), row, row);
  rows.erase(rows.begin() + row);
  for (Column& column : columns) {
    column.texts.erase(column.texts.begin() + row);
    column.widths.erase(column.widths.begin() + row);
  }
  endRemoveRows();
}

void ListModel::RemoveAll() {
  beginResetModel();
  rows.clear();
  for (Column& column : columns) {
    column.texts.clear();
    column.widths.clear();
  }
  endResetModel();
}

void ListModel::SetText(int row, int column, const char* text) {
  QByteArray& cell = columns[Index(column)].texts[Index(row)];
  if (text == nullptr) text = "";
  if (cell == text) return;
  Allocating([&] { cell = QByteArray(text); });
  KeepWidth(row, column, -1);
  emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
}

void ListModel::ForgetWidths() {
  for (Column& column : columns) std::fill(column.widths.begin(), column.widths.end(), -1);
}

const QByteArray& ListModel::Text(int row, int column) const {
  return columns[Index(column)].texts[Index(row)];
}

void ListModel::SetImage(int row, int image) {
  if (rows[Index(row)].image == image) return;
  rows[Index(row)].image = image;
  KeepWidth(row, 0, -1);
  emit dataChanged(index(row, 0), index(row, 0), {Qt::DecorationRole});
}

}  // namespace framework
