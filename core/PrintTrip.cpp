#include "core/PrintTrip.h"

#include <algorithm>
#include <cstddef>

#include "framework/Text.h"

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

// A text of the program in UTF-8, so that texts of either encoding join into one line.
std::string Utf8(const toolbox::String& text) {
  return framework::ToUtf8(text.Text(), static_cast<std::size_t>(text.Length()));
}

// The characters of a UTF-8 text, which are the columns it takes in a fixed-pitch font:
// padding counts them, not bytes, so that the boxes line up also after a quantity such
// as "½".
std::size_t Columns(const std::string& utf8) {
  const auto startsCharacter = [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; };
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), startsCharacter));
}

void DrawLine(framework::DeviceContext& dc, int slot, const std::string& text) {
  dc.TextOut(kLeft, kTop - kLinePitch * slot, text.data(), text.size());
}

std::size_t QuantityWidth(const Repository& repository) {
  std::size_t width = 0;
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    if (item->IsChecked()) width = std::max(width, Columns(Utf8(item->GetQuantity())));
  }
  return width;
}

std::string Header(const Item& item) {
  std::string header = Utf8(item.GetGroup()) + " ";
  const std::size_t columns = Columns(header);
  if (columns < kHeaderWidth) header.append(kHeaderWidth - columns, '-');
  return header;
}

std::string ItemLine(const Item& item, std::size_t quantityWidth) {
  std::string line = Utf8(item.GetQuantity());
  line.append(quantityWidth - std::min(quantityWidth, Columns(line)), ' ');
  return line + kBoxes + Utf8(item.GetName());
}

// Whether a line drawn in the slot stays inside the printable area.
bool FitsOnPage(const framework::DeviceContext& dc, int slot) {
  return -(kTop - kLinePitch * slot) + dc.GetTextHeight() <= dc.GetPrintableHeight();
}

void PrintCopy(framework::DeviceContext& dc, const std::string& pathName, const Repository& repository,
               std::size_t quantityWidth) {
  dc.CreatePointFont(kFontTenths, kFontFace);
  dc.StartDoc(pathName.c_str());
  dc.StartPage();
  int line = 0;
  DrawLine(dc, line++, framework::ToUtf8(pathName.data(), pathName.size()));

  const toolbox::String* previousGroup = nullptr;
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    if (!item->IsChecked()) continue;
    const bool startsGroup =
        previousGroup == nullptr || toolbox::String::Compare(item->GetGroup().Text(), previousGroup->Text()) != 0;
    // The page is full only when another line is to come, so no blank sheet ends a job.
    // Paper shorter than A4 (or turned) ends a page early, where the next line would leave
    // the printable area; a group's header goes over with its first item. A page that
    // holds nothing yet takes the line whatever its size.
    const int lastSlot = startsGroup ? line + 3 : line;
    if (line > kPageLimit || (line > 0 && !FitsOnPage(dc, lastSlot))) {
      dc.EndPage();
      dc.StartPage();
      line = 0;
    }
    if (startsGroup) {
      previousGroup = &item->GetGroup();
      line += 2;
      DrawLine(dc, line++, Header(*item));
    }
    DrawLine(dc, line++, ItemLine(*item, quantityWidth));
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
