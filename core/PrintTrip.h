#pragma once

#include <string>

#include "core/Item.h"
#include "framework/printing/DeviceContext.h"

// Prints the trip as a check list on the device context, once per copy, each copy a print
// job of its own named after the trip's path: the path (empty for a trip never saved) on
// the first line, then the checked items of the repository in its order, a header before
// each group (a change in the group's bytes, letter case included), each item as its
// quantity padded to the widest one (at most 10 columns), two boxes to tick and its name.
// Lines are 3.5 mm apart from 20 mm below the top of the printable area, 15 mm from its
// left, in "Courier New" of 10 points; a page holds 71 lines, a little more where a group
// starts near its end, as laid out for A4 portrait. Where the next item would pass the
// bottom of the printable area (shorter paper, landscape, wide margins) the page ends
// before it: a group's header and its first item then start the next page together.
// A line never passes the right edge of the printable area, on any paper: a longer path,
// header, quantity or name wraps at blanks (mid-word where a word is longer than a line)
// onto further lines, the name's and the quantity's in their own columns under their
// first line, the path's and the header's indented; a header's dashes stop at the edge.
// Failures of the device are left to it (HasFailed, Finish).
void PrintTrip(framework::DeviceContext& dc, const std::string& pathName, const Repository& repository, int copies);
