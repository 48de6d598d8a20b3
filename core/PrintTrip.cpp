#include "core/PrintTrip.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "framework/base/TextEncoding.h"

namespace {

constexpr const char* kFontFace = "Courier New";
constexpr int kFontTenths = 100;
// In 0.1 mm, y upwards from the top left of the printable area.
constexpr int kLeft = 150;
constexpr int kTop = -200;
constexpr int kLinePitch = 35;
// A header is filled with dashes to this many characters.
constexpr std::size_t kHeaderWidth = 60;
// A line counter above this after an item starts a new page before the next one.
constexpr int kPageLimit = 70;
constexpr const char* kBoxes = " [ ] [ ] ";
// The quantity column is at most this wide; a longer quantity wraps within it.
constexpr std::size_t kQuantityWidth = 10;
// The later lines of a wrapped path or header start this many columns in.
constexpr std::size_t kIndent = 2;

using Lines = std::vector<std::string>;

// A text of the program in UTF-8, so that texts of either encoding join into one line.
std::string Utf8(const toolbox::String& text) {
  return framework::ToUtf8(text.Text(), static_cast<std::size_t>(text.Length()));
}

bool StartsCharacter(char byte) { return !framework::IsUtf8Continuation(byte); }

// The characters of a UTF-8 text, which are the columns it takes in a fixed-pitch font:
// padding counts them, not bytes, so that the boxes line up also after a quantity such
// as "½".
std::size_t Columns(const std::string& utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), StartsCharacter));
}

// The byte at which the character in the column (counted from 0) of a UTF-8 text starts;
// the text's size for a column past its end.
std::size_t ByteOfColumn(const std::string& utf8, std::size_t column) {
  std::size_t byte = 0;
  for (std::size_t seen = 0; byte < utf8.size(); ++byte) {
    if (StartsCharacter(utf8[byte]) && seen++ == column) break;
  }
  return byte;
}

// The UTF-8 text in lines of at most width columns (at least one), the later ones indented
// by indent blanks. A line ends at the last blank that lets it fit, which is dropped, and
// a word longer than a line is cut where the line is full. An empty text is one empty line.
Lines Wrap(std::string text, std::size_t width, std::size_t indent) {
  Lines lines;
  std::size_t room = std::max<std::size_t>(width, 1);
  while (Columns(text) > room) {
    const std::size_t full = ByteOfColumn(text, room);
    const std::size_t blank = text.rfind(' ', full);  // a blank right after a full line ends it too
    const bool atBlank = blank != std::string::npos && blank > 0;
    lines.push_back(text.substr(0, atBlank ? blank : full));
    text.erase(0, atBlank ? blank + 1 : full);
    room = std::max<std::size_t>(width - std::min(width, indent), 1);
  }
  lines.push_back(std::move(text));
  for (std::size_t i = 1; i < lines.size(); ++i) lines[i].insert(0, indent, ' ');
  return lines;
}

// How many characters of the selected font, which is fixed-pitch, fit side by side between
// the left margin and the right edge of the printable area: the most that the device
// measures as fitting, found by halving. Runs are measured whole, so that a character's
// fraction of a unit does not add up along a line; a character is at least a unit wide.
std::size_t PageColumns(const framework::DeviceContext& dc) {
  const int room = dc.GetPrintableWidth() - kLeft;
  std::size_t low = 0;
  std::size_t high = static_cast<std::size_t>(std::max(room, 0));
  while (low < high) {
    const std::size_t middle = (low + high + 1) / 2;
    const std::string run(middle, '0');
    if (dc.GetTextWidth(run.data(), run.size()) <= room) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

void DrawLine(framework::DeviceContext& dc, int slot, const std::string& text) {
  dc.TextOut(kLeft, kTop - kLinePitch * slot, text.data(), text.size());
}

// The widest quantity of a checked item in columns, up to the column's limit.
std::size_t QuantityWidth(const Repository& repository) {
  std::size_t width = 0;
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    if (item->IsChecked()) width = std::max(width, Columns(Utf8(item->GetQuantity())));
  }
  return std::min(width, kQuantityWidth);
}

// The group's name and a blank, filled with dashes to 60 columns or to the page's width
// where that is less; a name longer than the page wraps, the dashes after its last line.
Lines HeaderLines(const Item& item, std::size_t columns) {
  Lines lines = Wrap(Utf8(item.GetGroup()), columns, kIndent);
  std::string& last = lines.back();
  if (Columns(last) < columns) last += ' ';
  const std::size_t fill = std::min(kHeaderWidth, columns);
  if (Columns(last) < fill) last.append(fill - Columns(last), '-');
  return lines;
}

// The quantity padded to its column, the boxes and the name. Quantity and name wrap, each
// within its own column, so that the name's later lines stand under its first and the
// boxes stay on the first line alone.
Lines ItemLines(const Item& item, std::size_t quantityWidth, std::size_t columns) {
  const std::string underBoxes(Columns(kBoxes), ' ');
  const std::size_t nameColumn = quantityWidth + underBoxes.size();
  const Lines quantity = Wrap(Utf8(item.GetQuantity()), quantityWidth, 0);
  const Lines name = Wrap(Utf8(item.GetName()), columns - std::min(columns, nameColumn), 0);
  Lines lines;
  for (std::size_t i = 0; i < std::max(quantity.size(), name.size()); ++i) {
    std::string line = i < quantity.size() ? quantity[i] : std::string();
    if (i < name.size()) {
      line.append(quantityWidth - std::min(quantityWidth, Columns(line)), ' ');
      line += (i == 0 ? kBoxes : underBoxes) + name[i];
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Whether a line drawn in the slot stays inside the printable area.
bool FitsOnPage(const framework::DeviceContext& dc, int slot) {
  return -(kTop - kLinePitch * slot) + dc.GetTextHeight() <= dc.GetPrintableHeight();
}

// Ends the page and starts the next, the line counter back at its first slot.
void NextPage(framework::DeviceContext& dc, int& line) {
  dc.EndPage();
  dc.StartPage();
  line = 0;
}

// Draws an item's lines from the line counter on, after two empty slots and its group's
// header where it starts a group (header not empty).
// The page is full only when another line is to come, so no blank sheet ends a job. Paper
// shorter than A4 (or turned) ends a page early, where the item's last line would leave the
// printable area: the item goes over whole, with the header. A page that holds nothing yet
// takes them whatever their size; only an item taller than a page goes on to the next one
// after its first line.
void DrawItem(framework::DeviceContext& dc, int& line, const Lines& header, const Lines& item) {
  const int headerSlots = header.empty() ? 0 : 2 + static_cast<int>(header.size());
  const int lastSlot = line + headerSlots + static_cast<int>(item.size()) - 1;
  if (line > kPageLimit || (line > 0 && !FitsOnPage(dc, lastSlot))) NextPage(dc, line);
  if (!header.empty()) line += 2;
  for (const std::string& text : header) DrawLine(dc, line++, text);
  for (std::size_t i = 0; i < item.size(); ++i) {
    if (i > 0 && !FitsOnPage(dc, line)) NextPage(dc, line);
    DrawLine(dc, line++, item[i]);
  }
}

void PrintCopy(framework::DeviceContext& dc, const std::string& pathName, const Repository& repository,
               std::size_t quantityWidth) {
  dc.CreatePointFont(kFontTenths, kFontFace);
  dc.StartDoc(pathName.c_str());
  dc.StartPage();
  const std::size_t columns = PageColumns(dc);
  int line = 0;
  for (const std::string& text : Wrap(framework::ToUtf8(pathName.data(), pathName.size()), columns, kIndent)) {
    DrawLine(dc, line++, text);
  }
  const toolbox::String* previousGroup = nullptr;
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    if (!item->IsChecked()) continue;
    const bool startsGroup =
        previousGroup == nullptr || toolbox::String::Compare(item->GetGroup().Text(), previousGroup->Text()) != 0;
    if (startsGroup) previousGroup = &item->GetGroup();
    DrawItem(dc, line, startsGroup ? HeaderLines(*item, columns) : Lines(), ItemLines(*item, quantityWidth, columns));
  }
  dc.EndPage();
  dc.EndDoc();
}

}  // namespace

void PrintTrip(framework::DeviceContext& dc, const std::string& pathName, const Repository& repository, int copies) {
  dc.SetMapMode(framework::MM_LOMETRIC);
  const std::size_t quantityWidth = QuantityWidth(repository);
  for (int copy = 0; copy < copies; ++copy) PrintCopy(dc, pathName, repository, quantityWidth);
}
