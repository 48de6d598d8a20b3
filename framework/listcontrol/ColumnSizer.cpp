#include "framework/listcontrol/ColumnSizer.h"

#include <QAbstractItemDelegate>
#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>

#include "framework/base/Exceptions.h"
#include "framework/listcontrol/ListModel.h"
#include "toolbox/base/DistinctTexts.h"

namespace framework {

using toolbox::DistinctTexts;

// The cells measured before give the width so far; of the others, the few of the widest
// bounds are measured, widest bound first, until no bound is above the widest cell. Only
// when all of those are wider still must every cell be looked at again.
int ColumnSizer::Widest(int column, const QStyleOptionViewItem& option, const QAbstractItemDelegate& delegate) {
  ForgetReplacedTexts();
  const Cells cells{column, option, delegate};
  constexpr std::size_t kFew = 64;
  Pass first = WiderCells(cells, 0, kFew);
  if (first.wider.empty()) return first.width;
  const bool all = first.wider.size() < kFew;
  const int below = first.wider.front().first;  // no cell left out is bounded above this
  const int width = WidestOf(cells, std::move(first.wider), first.width);
  if (all || width >= below) return width;
  Pass second = WiderCells(cells, width, std::numeric_limits<std::size_t>::max());
  return WidestOf(cells, std::move(second.wider), second.width);
}

// Goes over the cells of the column once: the widest of width and the cells measured
// before, and of the others those bounded above it, at most the given number of them with
// the widest bounds, in a heap with the narrowest on top.
ColumnSizer::Pass ColumnSizer::WiderCells(const Cells& cells, int width, std::size_t most) {
  Candidates wider;
  const int count = rows.rowCount();
  Allocating([&] { wider.reserve(std::min(most, static_cast<std::size_t>(count))); });
  for (int row = 0; row < count; ++row) {
    if (const int known = KnownWidth(cells.column, row); known >= 0) {
      width = std::max(width, known);
    } else if (const int bound = CellBound(cells, row); bound <= width) {
      continue;
    } else if (wider.size() < most) {
      wider.emplace_back(bound, row);
      std::push_heap(wider.begin(), wider.end(), std::greater<>());
    } else if (bound > wider.front().first) {
      std::pop_heap(wider.begin(), wider.end(), std::greater<>());
      wider.back() = {bound, row};
      std::push_heap(wider.begin(), wider.end(), std::greater<>());
    }
  }
  return {width, std::move(wider)};
}

// The widest of width and the candidates, measured widest bound first until no bound is
// above the widest cell.
int ColumnSizer::WidestOf(const Cells& cells, Candidates candidates, int width) {
  std::make_heap(candidates.begin(), candidates.end());
  for (auto end = candidates.end(); end != candidates.begin() && candidates.front().first > width; --end) {
    std::pop_heap(candidates.begin(), end);
    width = std::max(width, CellWidth(cells, (end - 1)->second));
  }
  return width;
}

void ColumnSizer::KeepWidthsOfNewTexts() {
  const DistinctTexts& texts = rows.Texts();
  const std::size_t from = widths.size();
  Allocating([&] { widths.resize(static_cast<std::size_t>(texts.IdLimit())); });
  for (std::size_t id = from; id < widths.size(); ++id) widths[id].generation = texts.Generation(static_cast<int>(id));
}

void ColumnSizer::ForgetReplacedTexts() {
  const DistinctTexts& texts = rows.Texts();
  if (texts.Drops() == dropsSeen) return;
  dropsSeen = texts.Drops();
  for (std::size_t id = 0; id < widths.size(); ++id) {
    const std::uint32_t generation = texts.Generation(static_cast<int>(id));
    if (widths[id].generation != generation) widths[id] = Widths{generation};
  }
}

int ColumnSizer::KnownWidth(int column, int row) const {
  const auto index = static_cast<std::size_t>(rows.TextOf(row, column));
  return index < widths.size() ? widths[index].shown[rows.ShowsImage(row, column) ? 1 : 0] : kUnknown;
}

int ColumnSizer::CellWidth(const Cells& cells, int row) {
  int& width = WidthsOf(rows.TextOf(row, cells.column)).shown[rows.ShowsImage(row, cells.column) ? 1 : 0];
  if (width == kUnknown) width = cells.delegate.sizeHint(cells.option, rows.index(row, cells.column)).width();
  return width;
}

// No cell is wider than this: the bound of its text, and the cell's padding beside its
// text, measured on the first cell of its kind that is measured. A cell whose text has no
// bound must be measured. Once both are known (a column sized again asks this of every
// cell), nothing else is done.
int ColumnSizer::CellBound(const Cells& cells, int row) {
  const int text = rows.TextOf(row, cells.column);
  int& bound = WidthsOf(text).bound;
  if (bound == kUnknown) bound = BoundOf(text, cells.option.font);
  if (bound == kUnbounded) return kUnbounded;
  const int padding = cellPadding[rows.ShowsImage(row, cells.column) ? 1 : 0];
  return bound + (padding >= 0 ? padding : MeasurePadding(cells, row));
}

// The bound of a text in whole pixels, rounded up as the style rounds the text's width.
// Most texts are bounded from their bytes; the others, and those a cell shows only the
// beginning of, as the cell shows them.
int ColumnSizer::BoundOf(int text, const QFont& font) {
  if (bounds == nullptr) bounds.reset(New<TextWidthBound>(font));
  const std::string_view bytes = rows.Texts().Bytes(text);
  std::optional<qreal> bound;
  if (bytes.size() <= std::size_t{ListModel::kShownBytes}) {
    bound = bounds->OfUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  if (!bound) bound = bounds->Of(rows.Shown(text));
  return bound ? qCeil(*bound) : kUnbounded;
}

// The padding of a cell of this one's kind (with or without an image) beside its text,
// measured on this cell.
int ColumnSizer::MeasurePadding(const Cells& cells, int row) {
  const qreal text = QFontMetricsF(cells.option.font).horizontalAdvance(rows.Shown(rows.TextOf(row, cells.column)));
  int& padding = cellPadding[rows.ShowsImage(row, cells.column) ? 1 : 0];
  padding = CellWidth(cells, row) - qCeil(text);
  return padding;
}

void ColumnSizer::Changed(QEvent::Type change) {
  if (change == QEvent::FontChange || change == QEvent::StyleChange) ForgetWidths();
}

void ColumnSizer::ForgetWidths() {
  bounds.reset();
  cellPadding[0] = cellPadding[1] = -1;
  widths.clear();
}

}  // namespace framework
