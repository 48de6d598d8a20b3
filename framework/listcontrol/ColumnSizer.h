#pragma once

#include <QEvent>
#include <QStyleOptionViewItem>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "framework/listcontrol/TextWidthBound.h"

class QAbstractItemDelegate;

namespace framework {

class ListModel;

// How wide a list's column must be for its widest cell: the widest size hint of its cells,
// over every row however long the list. Working out a cell's size means laying out its
// text, too slow to do for every text of a long list: so each distinct text is measured at
// most once (the sizer keeps its width by the text's id in the list's store of distinct
// texts, until the font, the style or the images change or the id goes to another text),
// and a text is measured only while a bound of its width could still beat the widest cell
// measured so far; the others are never laid out. The bounds are worked out from a text's
// bytes, or for a text that a cell shows only the beginning of, from that beginning.
// Owned by value by its list control and lives as long as it; reads and measures the
// control's rows. A failed allocation throws the framework's MemoryException.
class ColumnSizer {
 public:
  explicit ColumnSizer(ListModel& rows) : rows(rows) {}

  // The width of the column's widest cell, as the delegate sizes a cell with the option.
  int Widest(int column, const QStyleOptionViewItem& option, const QAbstractItemDelegate& delegate);
  // A change of the list's font or style makes every width measured so far void.
  void Changed(QEvent::Type change);
  // As do new images, whose size goes into a cell's width.
  void ForgetWidths();

 private:
  // The column being sized and how its cells are measured.
  struct Cells {
    int column;
    const QStyleOptionViewItem& option;
    const QAbstractItemDelegate& delegate;
  };
  // Cells not yet measured, as (bound, row).
  using Candidates = std::vector<std::pair<int, int>>;
  // What one pass over a column finds: the widest cell measured before, and of the others
  // those bounded above it.
  struct Pass {
    int width;
    Candidates wider;
  };
  // The bound of a text that has none: any cell may be as wide.
  static constexpr int kUnbounded = std::numeric_limits<int>::max();
  static constexpr int kUnknown = -1;
  // What the sizer measured of a stored text of the given generation, in whole pixels,
  // kUnknown until it is measured: a bound of the text's own width, and the width of a cell
  // showing the text without ([0]) and with ([1]) an image beside it.
  struct Widths {
    std::uint32_t generation = 0;
    int bound = kUnknown;
    int shown[2] = {kUnknown, kUnknown};
  };

  Pass WiderCells(const Cells& cells, int width, std::size_t most);
  int WidestOf(const Cells& cells, Candidates candidates, int width);
  // Forgets what was measured of the texts whose ids went to other texts since the last
  // sizing: after a drop of the store's unused texts, once, so that reading a width costs no
  // more than the width.
  void ForgetReplacedTexts();
  // What was measured of the text, kept from now on if nothing was.
  Widths& WidthsOf(int text) {
    const auto index = static_cast<std::size_t>(text);
    if (index >= widths.size()) KeepWidthsOfNewTexts();
    return widths[index];
  }
  // Room in widths for every text stored, those beyond it not yet measured.
  void KeepWidthsOfNewTexts();
  // The width a cell was measured at, or kUnknown.
  int KnownWidth(int column, int row) const;
  int CellWidth(const Cells& cells, int row);
  int CellBound(const Cells& cells, int row);
  int BoundOf(int text, const QFont& font);
  int MeasurePadding(const Cells& cells, int row);

  ListModel& rows;
  std::vector<Widths> widths;  // by the id of the text, as far as any was measured
  std::uint32_t dropsSeen = 0;  // the store's drops when widths was last brought up to date
  // Bounds of the widths of the texts in the list's font, and a cell's padding: what it takes
  // beside its text, margins and image (without and with an image; -1: not yet known), until
  // the widths are forgotten.
  std::unique_ptr<TextWidthBound> bounds;
  int cellPadding[2] = {-1, -1};
};

}  // namespace framework
