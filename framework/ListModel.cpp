#include "framework/ListModel.h"

#include <QIcon>
#include <limits>
#include <new>
#include <utility>

#include "framework/Exceptions.h"
#include "framework/ImageList.h"
#include "framework/Text.h"

namespace framework {

namespace {

// Room for one more element, growing by half as push_back would.
template <class T>
void Grow(std::vector<T>& vector) {
  if (vector.size() == vector.capacity()) vector.reserve(vector.size() + vector.size() / 2 + 16);
}

// A text slot that holds no text; its id waits to be given again.
constexpr int kFree = -1;

}  // namespace

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent) {
  texts.push_back(Distinct{});
  ids.Put(toolbox::PositionTable::HashOf("", 0), 0);
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Rows();
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Columns();
}

// A field of megabytes (a damaged or foreign file) would make every paint and every width
// lay the whole text out: the cell shows its beginning, cut between two characters.
QString ListModel::Shown(int text) const {
  const QByteArrayView bytes = Bytes(text);
  if (bytes.size() <= kShownBytes) return ToQString(bytes.data(), static_cast<std::size_t>(bytes.size()));
  qsizetype end = kShownBytes;
  while (end > kShownBytes - 4 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) --end;
  return ToQString(bytes.data(), static_cast<std::size_t>(end)) + QChar(0x2026);
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

void ListModel::InsertColumn(int column, const QString& heading, Qt::Alignment alignment) {
  Settle();
  Column made{heading, alignment, {}, {}};
  Allocating([&] {
    made.cells.resize(rows.size(), 0);
    columns.reserve(columns.size() + 1);
  });
  beginInsertColumns(QModelIndex(), column, column);
  columns.insert(columns.begin() + column, std::move(made));
  endInsertColumns();
}

void ListModel::SetImageList(const ImageList* imageList) {
  images = imageList;
  if (!rows.empty() && !resetting) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void ListModel::InsertRow(int row, const char* text, int image, std::intptr_t data) {
  // Room first, so that the row goes into every column or into none.
  const int first = Keep(QByteArrayView(text == nullptr ? "" : text), row, 0);
  Allocating([&] {
    Grow(rows);
    for (Column& column : columns) Grow(column.cells);
  });
  if (!resetting) beginInsertRows(QModelIndex(), row, row);
  rows.insert(rows.begin() + row, Row{data, image});
  for (Column& column : columns) column.cells.insert(column.cells.begin() + row, 0);
  columns[0].cells[Index(row)] = first;
  Use(first);
  if (!resetting) endInsertRows();
}

bool ListModel::Reserve(std::size_t count) {
  try {
    Allocating([&] {
      rows.reserve(count);
      for (Column& column : columns) column.cells.reserve(count);
      texts.reserve(count + kFewTexts);
      ids.Reserve(count + kFewTexts);
      // Room for their bytes at a typical length: a store regrown while it fills copies
      // itself each time, and room not yet written takes no memory of a large store.
      store.reserve(store.size() + count * kTypicalBytes);
    });
  } catch (const MemoryException&) {
    return false;
  }
  return true;
}

void ListModel::RemoveRow(int row) {
  if (!resetting) beginRemoveRows(QModelIndex(), row, row);
  rows.erase(rows.begin() + row);
  for (Column& column : columns) {
    Release(column.cells[Index(row)]);
    column.cells.erase(column.cells.begin() + row);
  }
  if (!resetting) endRemoveRows();
}

void ListModel::RemoveAll() {
  if (!resetting) {
    beginResetModel();
    resetting = true;
    QMetaObject::invokeMethod(this, [this] { Settle(); }, Qt::QueuedConnection);
  }
  rows.clear();
  for (Column& column : columns) {
    for (const int text : column.cells) Release(text);
    column.before.swap(column.cells);
    column.cells.clear();
  }
}

void ListModel::Settle() {
  if (!resetting) return;
  resetting = false;
  endResetModel();
}

void ListModel::SetText(int row, int column, const char* text) {
  if (text == nullptr) text = "";
  int& cell = columns[Index(column)].cells[Index(row)];
  const QByteArrayView bytes(text);
  if (Bytes(cell) == bytes) return;
  const int kept = Keep(bytes, row, column);
  Use(kept);
  Release(std::exchange(cell, kept));
  static const QList<int> kDisplay{Qt::DisplayRole};
  if (!resetting) emit dataChanged(index(row, column), index(row, column), kDisplay);
}

int ListModel::Keep(QByteArrayView bytes, int row, int column) {
  const std::vector<int>& before = columns[Index(column)].before;
  for (const int place : {row, row - 1, row + 1}) {
    if (place < 0 || Index(place) >= before.size()) continue;
    if (Bytes(before[Index(place)]) == bytes) return before[Index(place)];
  }
  // A list filled in order mostly repeats the text of the row above (a group, a quantity).
  const std::vector<int>& cells = columns[Index(column)].cells;
  if (row > 0 && Index(row - 1) < cells.size() && Bytes(cells[Index(row - 1)]) == bytes) {
    return cells[Index(row - 1)];
  }
  const std::uint32_t hash = toolbox::PositionTable::HashOf(bytes.data(), static_cast<std::size_t>(bytes.size()));
  if (const int known = ids.Find(hash, [&](int id) { return Bytes(id) == bytes; }); known >= 0) return known;
  // Everything that may fail comes before the text is entered anywhere.
  return Allocating([&] {
    // A text the row's own string type could not hold counts as memory that is not there.
    if (bytes.size() > std::numeric_limits<int>::max()) throw std::bad_alloc();
    const std::size_t offset = store.size();
    store.insert(store.end(), bytes.begin(), bytes.end());
    if (freeIds.empty()) Grow(texts);
    ids.Reserve(LiveIds() + 1);
    const int id = freeIds.empty() ? static_cast<int>(texts.size()) : freeIds.back();
    if (freeIds.empty()) {
      texts.emplace_back();
    } else {
      freeIds.pop_back();
    }
    texts[Index(id)] = Distinct{offset, static_cast<int>(bytes.size()), 0, {-1, -1}, kNotBounded};
    ids.Put(hash, id);
    ++unused;
    return id;
  });
}

void ListModel::Use(int text) {
  if (text != 0 && texts[Index(text)].uses++ == 0) --unused;
}

// A text no cell shows stays for now: a rebuild shows it again at once. When such texts
// outnumber the ones shown, they go as soon as the event loop turns.
void ListModel::Release(int text) {
  if (text == 0 || --texts[Index(text)].uses > 0) return;
  ++unused;
  const auto shown = static_cast<int>(LiveIds()) - unused;
  if (!dropping && unused > 2 * shown + 1024) {
    dropping = true;
    QMetaObject::invokeMethod(this, [this] { DropUnused(); }, Qt::QueuedConnection);
  }
}

// The texts no cell shows go, their bytes too: the store keeps only the texts shown.
void ListModel::DropUnused() {
  dropping = false;
  std::vector<char> kept;
  toolbox::PositionTable shown;
  try {
    Allocating([&] {
      kept.reserve(store.size());
      freeIds.reserve(freeIds.size() + static_cast<std::size_t>(unused));
      shown = ids.Keeping([&](int id) { return id == 0 || texts[Index(id)].uses != 0; });
    });
  } catch (const MemoryException&) {
    return;  // they stay until a later turn
  }
  for (Column& column : columns) column.before = {};
  for (std::size_t id = 0; id < texts.size(); ++id) {
    Distinct& text = texts[id];
    if (text.uses == kFree) continue;
    if (id != 0 && text.uses == 0) {
      text = Distinct{0, 0, kFree, {-1, -1}, kNotBounded};
      freeIds.push_back(static_cast<int>(id));
      continue;
    }
    const QByteArrayView bytes = Bytes(static_cast<int>(id));
    text.offset = kept.size();
    kept.insert(kept.end(), bytes.begin(), bytes.end());
  }
  store.swap(kept);
  ids = std::move(shown);
  unused = 0;
}

void ListModel::ForgetWidths() {
  for (Distinct& text : texts) {
    text.widths[0] = text.widths[1] = -1;
    text.bound = kNotBounded;
  }
}

void ListModel::SetImage(int row, int image) {
  if (rows[Index(row)].image == image) return;
  rows[Index(row)].image = image;
  static const QList<int> kDecoration{Qt::DecorationRole};
  if (!resetting) emit dataChanged(index(row, 0), index(row, 0), kDecoration);
}

}  // namespace framework
