#include "framework/listcontrol/ListModel.h"

#include <QIcon>
#include <utility>

#include "framework/base/Exceptions.h"
#include "framework/base/TextEncoding.h"
#include "framework/listcontrol/ImageList.h"
#include "toolbox/base/Memory.h"

namespace framework {

// A field of megabytes (a damaged or foreign file) would make every paint and every width
// lay the whole text out: the cell shows its beginning, cut between two characters.
QString ListModel::Shown(int text) const {
  const std::string_view bytes = texts.Bytes(text);
  if (bytes.size() <= std::size_t{kShownBytes}) return ToQString(bytes.data(), bytes.size());
  return ToQString(bytes.data(), CharacterEnd(bytes, kShownBytes)) + QChar(0x2026);
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const Row& row = rows[Index(index.row())];
  switch (role) {
    case Qt::DisplayRole: return Shown(TextOf(index.row(), index.column()));
    case Qt::TextAlignmentRole: return QVariant::fromValue(int(columns[Index(index.column())].alignment));
    case Qt::DecorationRole:
      if (index.column() != 0 || row.image < 0) return {};
      return images != nullptr ? images->GetIcon(row.image) : QIcon();
    case Qt::AccessibleTextRole: return index.column() == 0 ? SpokenText(index.row()) : QVariant();
    case Qt::CheckStateRole: return index.column() == 0 ? CheckState(index.row()) : QVariant();
    default: return {};
  }
}

QVariant ListModel::SpokenText(int row) const {
  const ImageMeaning* meaning = MeaningOf(Image(row));
  if (meaning == nullptr) return {};
  const QString text = Shown(TextOf(row, 0));
  return text.isEmpty() ? meaning->description : meaning->description + QStringLiteral(", ") + text;
}

QVariant ListModel::CheckState(int row) const {
  const ImageMeaning* meaning = MeaningOf(Image(row));
  if (meaning == nullptr || meaning->mark == CheckMark::none) return {};
  return meaning->mark == CheckMark::checked ? Qt::Checked : Qt::Unchecked;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return columns[Index(section)].heading;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(int(columns[Index(section)].alignment));
  return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  // Only so that accessibility reports the check mark: the model takes no change of it.
  return index.column() == 0 && CheckState(index.row()).isValid() ? flags | Qt::ItemIsUserCheckable : flags;
}

void ListModel::SetImageMeaning(int image, const QString& description, CheckMark mark) {
  if (image < 0) return;
  Allocating([&] {
    if (meanings.size() <= Index(image)) meanings.resize(Index(image) + 1);
  });
  meanings[Index(image)] = {description, mark};
}

// The header shows a new column at once, also inside a refill.
void ListModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment) {
  Column made{heading, alignment, {}, {}};
  Allocating([&] {
    made.cells.resize(rows.size(), toolbox::DistinctTexts::kEmpty);
    columns.reserve(columns.size() + 1);
  });
  ResetViews();
  beginInsertColumns(QModelIndex(), column, column);
  columns.insert(columns.begin() + column, std::move(made));
  endInsertColumns();
}

void ListModel::SetImageList(const ImageList* imageList) {
  images = imageList;
  if (!rows.empty() && !ViewsWait()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void ListModel::InsertRow(int row, const char* text, int image, std::intptr_t data) {
  // Room first, so that the row goes into every column or into none.
  const int first = TextFor(text == nullptr ? "" : text, row, 0);
  Allocating([&] {
    toolbox::Grow(rows);
    for (Column& column : columns) toolbox::Grow(column.cells);
  });
  if (!ViewsWait()) beginInsertRows(QModelIndex(), row, row);
  rows.insert(rows.begin() + row, Row{data, image});
  for (Column& column : columns) column.cells.insert(column.cells.begin() + row, toolbox::DistinctTexts::kEmpty);
  columns[0].cells[Index(row)] = first;
  texts.Use(first);
  if (!ViewsWait()) endInsertRows();
}

bool ListModel::Reserve(std::size_t count) {
  try {
    Allocating([&] {
      rows.reserve(count);
      for (Column& column : columns) column.cells.reserve(count);
      texts.Reserve(count);
    });
  } catch (const MemoryException&) {
    return false;
  }
  return true;
}

void ListModel::RemoveRow(int row) {
  if (!ViewsWait()) beginRemoveRows(QModelIndex(), row, row);
  rows.erase(rows.begin() + row);
  for (Column& column : columns) {
    texts.Release(column.cells[Index(row)]);
    column.cells.erase(column.cells.begin() + row);
  }
  if (!ViewsWait()) endRemoveRows();
  DropUnusedTexts();
}

// The cells go, and are kept aside as the texts a rebuild most likely shows again.
void ListModel::RemoveAll() {
  if (!ViewsWait()) beginResetModel();
  rows.clear();
  for (Column& column : columns) {
    for (const int text : column.cells) texts.Release(text);
    column.before.swap(column.cells);
    column.cells.clear();
  }
  if (!ViewsWait()) endResetModel();
  DropUnusedTexts();
}

void ListModel::SetText(int row, int column, const char* text) {
  int& cell = columns[Index(column)].cells[Index(row)];
  const std::string_view bytes(text == nullptr ? "" : text);
  if (texts.Bytes(cell) == bytes) return;
  const int found = TextFor(bytes, row, column);
  texts.Use(found);
  texts.Release(std::exchange(cell, found));
  static const QList<int> kDisplay{Qt::DisplayRole};
  if (!ViewsWait()) emit dataChanged(index(row, column), index(row, column), kDisplay);
  DropUnusedTexts();
}

// A rebuild mostly shows the text that the cell of the same place showed before the list
// was emptied, or the cell next to it after a row was added or taken out: that one is taken
// without a look-up.
int ListModel::TextFor(std::string_view bytes, int row, int column) {
  const std::vector<int>& before = columns[Index(column)].before;
  for (const int place : {row, row - 1, row + 1}) {
    if (place >= 0 && Index(place) < before.size() && texts.Bytes(before[Index(place)]) == bytes) {
      return before[Index(place)];
    }
  }
  return Allocating([&] { return texts.FindOrAdd(bytes); });
}

// Dropping them gives their ids to other texts: the cells kept aside go with them. When the
// memory for it is not there, they stay until a later change.
void ListModel::DropUnusedTexts() {
  if (refill != Refill::none || !texts.ManyUnused()) return;
  for (Column& column : columns) column.before = {};
  try {
    texts.DropUnused();
  } catch (const toolbox::EOutOfMemory&) {
  }
}

void ListModel::SetImage(int row, int image) {
  if (rows[Index(row)].image == image) return;
  rows[Index(row)].image = image;
  static const QList<int> kDecoration{Qt::DecorationRole};
  if (!ViewsWait()) emit dataChanged(index(row, 0), index(row, 0), kDecoration);
}

bool ListModel::BeginRefill() {
  if (refill != Refill::none) return false;
  beginResetModel();
  refill = Refill::viewsWait;
  return true;
}

void ListModel::ResetViews() {
  if (refill != Refill::viewsWait) return;
  refill = Refill::viewsTold;
  endResetModel();
}

// The cells kept aside serve the refill alone.
void ListModel::EndRefill() {
  ResetViews();
  refill = Refill::none;
  for (Column& column : columns) column.before = {};
  DropUnusedTexts();
}

}  // namespace framework
