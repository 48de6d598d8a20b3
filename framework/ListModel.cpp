#include "framework/ListModel.h"

#include <QIcon>
#include <algorithm>
#include <new>

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

}  // namespace

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows.size()); }

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
  const Row& row = rows[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole: return Shown(row.texts[static_cast<std::size_t>(index.column())]);
    case Qt::TextAlignmentRole: return QVariant::fromValue(int(columns[static_cast<std::size_t>(index.column())].alignment));
    case Qt::DecorationRole:
      if (index.column() != 0 || row.image < 0) return {};
      return images != nullptr ? images->GetIcon(row.image) : QIcon();
    default: return {};
  }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return columns[static_cast<std::size_t>(section)].heading;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(int(columns[static_cast<std::size_t>(section)].alignment));
  return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void ListModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment) {
  beginInsertColumns(QModelIndex(), column, column);
  Allocating([&] {
    columns.insert(columns.begin() + column, Column{heading, alignment});
    for (Row& row : rows) {
      row.texts.insert(row.texts.begin() + column, QByteArray());
      row.widths.insert(row.widths.begin() + column, -1);
    }
  });
  endInsertColumns();
}

void ListModel::SetImageList(const ImageList* imageList) {
  images = imageList;
  if (!rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void ListModel::InsertRow(int row) {
  beginInsertRows(QModelIndex(), row, row);
  Allocating([&] { rows.insert(rows.begin() + row, Row{std::vector<QByteArray>(columns.size()), std::vector<int>(columns.size(), -1), 0, -1}); });
  endInsertRows();
}

void ListModel::RemoveRow(int row) {
  beginRemoveRows(QModelIndex(), row, row);
  rows.erase(rows.begin() + row);
  endRemoveRows();
}

void ListModel::RemoveAll() {
  beginResetModel();
  rows.clear();
  endResetModel();
}

void ListModel::SetText(int row, int column, const char* text) {
  QByteArray& cell = rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
  if (text == nullptr) text = "";
  if (cell == text) return;
  Allocating([&] { cell = QByteArray(text); });
  KeepWidth(row, column, -1);
  emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
}

void ListModel::ForgetWidths() {
  for (Row& row : rows) std::fill(row.widths.begin(), row.widths.end(), -1);
}

const QByteArray& ListModel::Text(int row, int column) const {
  return rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
}

void ListModel::SetImage(int row, int image) {
  if (rows[static_cast<std::size_t>(row)].image == image) return;
  rows[static_cast<std::size_t>(row)].image = image;
  KeepWidth(row, 0, -1);
  emit dataChanged(index(row, 0), index(row, 0), {Qt::DecorationRole});
}

}  // namespace framework
