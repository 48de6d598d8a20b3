#include "core/PrintTrip.h"

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/Items.h"
#include "support/Pdf.h"
#include "support/Scratch.h"

namespace {

using Texts = std::vector<std::string>;
// The texts of one page by line slot (y = -200 - 35 * slot).
using Page = std::map<int, std::string>;

// A device context that draws nowhere and records what it is asked to do.
class RecordingDC : public framework::DeviceContext {
 public:
  void SetMapMode(framework::MapMode mode) override {
    calls.push_back(mode == framework::MM_LOMETRIC ? "MapMode(LOMETRIC)" : "MapMode(other)");
  }
  void CreatePointFont(int tenths, const char* face) override {
    calls.push_back("Font(" + std::to_string(tenths) + " " + face + ")");
  }
  void StartDoc(const char* name) override {
    calls.push_back("StartDoc(" + std::string(name) + ")");
    jobs.push_back({});
  }
  void StartPage() override {
    calls.push_back("StartPage");
    jobs.back().push_back({});
  }
  void TextOut(int x, int y, const char* text, std::size_t length) override {
    calls.push_back("Text");
    EXPECT_EQ(x, 150);
    EXPECT_EQ((-200 - y) % 35, 0) << "y " << y << " is no line slot";
    jobs.back().back()[(-200 - y) / 35] = std::string(text, length);
  }
  void EndPage() override { calls.push_back("EndPage"); }
  void EndDoc() override { calls.push_back("EndDoc"); }
  // A4 portrait as Qt lays it out for PDF (3.5 mm margins), 10-point Courier New.
  int GetPrintableHeight() const override { return printableHeight; }
  int GetTextHeight() const override { return 40; }
  int GetPrintableWidth() const override { return printableWidth; }
  // Characters of 2.117 mm, the advance of 10-point Courier New, rounded up as a whole.
  int GetTextWidth(const char* text, std::size_t length) const override {
    const auto characters = std::count_if(text, text + length, [](char byte) { return (byte & 0xC0) != 0x80; });
    return static_cast<int>((characters * 2117 + 99) / 100);
  }

  int printableHeight = 2899;
  int printableWidth = 2029;

  Texts calls;
  std::vector<std::vector<Page>> jobs;  // the pages of each job
};

struct Entry {
  std::string group;
  std::string name;
  std::string quantity;
  bool checked = true;
};

// Items in the given order, which is the repository's.
void Fill(Repository& repository, const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) {
    support::AddItem(repository, entry.checked, entry.quantity.c_str(), entry.name.c_str(), entry.group.c_str());
  }
}

std::string Dashes(int count) { return std::string(count, '-'); }

struct LayoutCase {
  const char* what;
  const char* path;
  std::vector<Entry> entries;
  Page page;  // the only page
};

class PrintTripLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(PrintTripLayoutTest, PageHoldsTheseLinesBySlot) {
  const LayoutCase& row = GetParam();
  Repository repository;
  Fill(repository, row.entries);
  RecordingDC dc;
  PrintTrip(dc, row.path, repository, 1);
  ASSERT_EQ(dc.jobs.size(), 1u);
  ASSERT_EQ(dc.jobs[0].size(), 1u);
  EXPECT_EQ(dc.jobs[0][0], row.page);
  EXPECT_EQ(dc.calls.front(), "MapMode(LOMETRIC)");
  EXPECT_EQ(dc.calls[1], "Font(100 Courier New)");
  EXPECT_EQ(dc.calls[2], std::string("StartDoc(") + row.path + ")");
}

const std::string kGroup59(59, 'g');
const std::string kGroup58(58, 'g');

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintTripLayoutTest,
    testing::Values(
        LayoutCase{"ExamplePage", "/trips/summer.vyt",
                   {{"Bath", "Towel", ""}, {"Camping", "Tent", "1", false}, {"Clothes", "Shirts", "10"},
                    {"Clothes", "Socks", "2"}},
                   {{0, "/trips/summer.vyt"},
                    {3, "Bath " + Dashes(55)},
                    {4, "   [ ] [ ] Towel"},
                    {7, "Clothes " + Dashes(52)},
                    {8, "10 [ ] [ ] Shirts"},
                    {9, "2  [ ] [ ] Socks"}}},
        LayoutCase{"NothingCheckedPrintsThePathAlone", "/trips/empty.vyt",
                   {{"Clothes", "Socks", "2", false}},
                   {{0, "/trips/empty.vyt"}}},
        LayoutCase{"NeverSavedTripHasAnEmptyFirstLineAndJobName", "",
                   {{"Clothes", "Socks", ""}},
                   {{0, ""}, {3, "Clothes " + Dashes(52)}, {4, " [ ] [ ] Socks"}}},
        LayoutCase{"GroupReaching60WithItsBlankGetsNoDashes", "p",
                   {{kGroup59, "a", ""}, {kGroup58, "b", ""}},
                   {{0, "p"}, {3, kGroup59 + " "}, {4, " [ ] [ ] a"}, {7, kGroup58 + " -"}, {8, " [ ] [ ] b"}}},
        LayoutCase{"EachChangeOfLetterCaseInTheGroupPrintsAHeader", "p",
                   {{"Clothes", "Shirts", ""}, {"clothes", "Socks", ""}, {"Clothes", "Tie", ""}},
                   {{0, "p"},
                    {3, "Clothes " + Dashes(52)},
                    {4, " [ ] [ ] Shirts"},
                    {7, "clothes " + Dashes(52)},
                    {8, " [ ] [ ] Socks"},
                    {11, "Clothes " + Dashes(52)},
                    {12, " [ ] [ ] Tie"}}},
        // Columns are characters: "½" is two bytes of UTF-8 and one column; a Windows-1252
        // text (a file made on Windows) prints as its characters.
        LayoutCase{"QuantitiesArePaddedToTheWidestInCharacters", "p",
                   {{"K\xfc" "che", "Pot", "\xc2\xbd"}, {"K\xfc" "che", "Pan", "12"}, {"K\xfc" "che", "Cup", ""}},
                   {{0, "p"},
                    {3, "K\xc3\xbc" "che " + Dashes(54)},
                    {4, "\xc2\xbd  [ ] [ ] Pot"},
                    {5, "12 [ ] [ ] Pan"},
                    {6, "   [ ] [ ] Cup"}}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.what; });

// count items of the group, named after it and numbered from 0.
std::vector<Entry> Items(int count, const std::string& group) {
  std::vector<Entry> entries;
  for (int i = 0; i < count; ++i) entries.push_back({group, group + std::to_string(i), ""});
  return entries;
}

// The slot of every line on each page: "slot:text".
std::vector<Texts> Slots(const std::vector<Page>& pages) {
  std::vector<Texts> result;
  for (const Page& page : pages) {
    result.push_back({});
    for (const auto& [slot, text] : page) result.back().push_back(std::to_string(slot) + ":" + text);
  }
  return result;
}

TEST(PrintTripPagingTest, SixtySevenItemsFillOnePageAndTheSixtyEighthStartsTheNext) {
  Repository repository;
  Fill(repository, Items(67, "A"));
  RecordingDC one;
  PrintTrip(one, "p", repository, 1);
  ASSERT_EQ(one.jobs[0].size(), 1u);
  const Page& page = one.jobs[0][0];
  EXPECT_EQ(page.size(), 69u);
  EXPECT_EQ(page.begin()->first, 0);
  EXPECT_EQ(page.at(3), "A " + Dashes(58));
  EXPECT_EQ(page.at(4), " [ ] [ ] A0");
  EXPECT_EQ(page.rbegin()->first, 70);
  // No blank sheet after a full last page: every page started is ended before the job.
  EXPECT_EQ(one.calls.back(), "EndDoc");
  EXPECT_EQ(one.calls[one.calls.size() - 2], "EndPage");

  Fill(repository, {{"A", "A67", ""}});
  RecordingDC two;
  PrintTrip(two, "p", repository, 1);
  ASSERT_EQ(two.jobs[0].size(), 2u);
  EXPECT_EQ(Slots(two.jobs[0])[1], Texts{"0: [ ] [ ] A67"});  // no path, no header again
}

TEST(PrintTripPagingTest, AGroupStartingAtTheEndReachesSlot73AndThePageBreaksAfterIt) {
  Repository repository;
  Fill(repository, Items(66, "A"));  // header in 3, items in 4 to 69: 70 is not above the limit
  Fill(repository, Items(2, "B"));
  RecordingDC dc;
  PrintTrip(dc, "p", repository, 1);
  ASSERT_EQ(dc.jobs[0].size(), 2u);
  EXPECT_EQ(dc.jobs[0][0].at(72), "B " + Dashes(58));
  EXPECT_EQ(dc.jobs[0][0].at(73), " [ ] [ ] B0");
  EXPECT_EQ(Slots(dc.jobs[0])[1], Texts{"0: [ ] [ ] B1"});
}

TEST(PrintTripPagingTest, PaperTooShortForALineStillTakesOneOnEachPageAndTheJobEnds) {
  Repository repository;
  Fill(repository, Items(3, "A"));
  RecordingDC dc;
  dc.printableHeight = 100;
  PrintTrip(dc, "p", repository, 1);
  EXPECT_EQ(Slots(dc.jobs[0]), (std::vector<Texts>{{"0:p"}, {"2:A " + Dashes(58), "3: [ ] [ ] A0"},
                                                   {"0: [ ] [ ] A1"}, {"0: [ ] [ ] A2"}}));
}

TEST(PrintTripCopiesTest, EachCopyIsAJobOfItsOwnWithItsFontAndTheSamePages) {
  Repository repository;
  Fill(repository, {{"Bath", "Towel", "1"}});
  RecordingDC dc;
  PrintTrip(dc, "/trips/summer.vyt", repository, 3);
  const Texts job = {"Font(100 Courier New)", "StartDoc(/trips/summer.vyt)", "StartPage", "Text", "Text", "Text",
                     "EndPage", "EndDoc"};
  Texts expected = {"MapMode(LOMETRIC)"};
  for (int copy = 0; copy < 3; ++copy) expected.insert(expected.end(), job.begin(), job.end());
  EXPECT_EQ(dc.calls, expected);
  ASSERT_EQ(dc.jobs.size(), 3u);
  EXPECT_EQ(dc.jobs[2], dc.jobs[0]);
}

// Right of the margin a line of 30 characters (636 units) fits, one of 31 does not.
constexpr int kThirtyColumns = 150 + 636;
constexpr int kA4Width = 2029;
constexpr int kA4Height = 2899;

struct WrapCase {
  const char* what;
  int printableWidth;
  int printableHeight;
  const char* path;
  std::vector<Entry> entries;
  std::vector<Texts> pages;  // "slot:text" by page
};

class PrintTripWrapTest : public testing::TestWithParam<WrapCase> {};

TEST_P(PrintTripWrapTest, LongTextsWrapWithinThePrintableWidth) {
  const WrapCase& row = GetParam();
  Repository repository;
  Fill(repository, row.entries);
  RecordingDC dc;
  dc.printableWidth = row.printableWidth;
  dc.printableHeight = row.printableHeight;
  PrintTrip(dc, row.path, repository, 1);
  ASSERT_EQ(dc.jobs.size(), 1u);
  EXPECT_EQ(Slots(dc.jobs[0]), row.pages);
}

const std::string kSocks = "Warm socks for the cold evenings by the lake";
const std::string kUnderBoxes(9, ' ');

std::string Repeated(const std::string& text, int count) {
  std::string result;
  for (int i = 0; i < count; ++i) result += text;
  return result;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintTripWrapTest,
    testing::Values(
        // The name's lines stand under its first; the header's dashes stop at the edge.
        WrapCase{"NameWrapsAtTheLastBlankThatFits", kThirtyColumns, kA4Height, "p",
                 {{"Bath", kSocks, ""}},
                 {{"0:p", "3:Bath " + Dashes(25), "4: [ ] [ ] Warm socks for the",
                   "5:" + kUnderBoxes + "cold evenings by the", "6:" + kUnderBoxes + "lake"}}},
        // A word of 25 characters of two bytes each in UTF-8 is cut after 21; the second name
        // is read as Windows-1252.
        WrapCase{"ColumnsAreCharactersNotBytes", kThirtyColumns, kA4Height, "p",
                 {{"Bath", Repeated("\xc3\xbc", 25), ""}, {"Bath", Repeated("\xfc", 25), ""}},
                 {{"0:p", "3:Bath " + Dashes(25), "4: [ ] [ ] " + Repeated("\xc3\xbc", 21),
                   "5:" + kUnderBoxes + Repeated("\xc3\xbc", 4), "6: [ ] [ ] " + Repeated("\xc3\xbc", 21),
                   "7:" + kUnderBoxes + Repeated("\xc3\xbc", 4)}}},
        // A blank right after a full line ends it; later lines are indented by 2.
        WrapCase{"LongGroupWrapsAndItsDashesFollowItsLastLine", kThirtyColumns, kA4Height, "p",
                 {{"Things for the mountain hut in winter", "Skis", ""}},
                 {{"0:p", "3:Things for the mountain hut in", "4:  winter " + Dashes(21), "5: [ ] [ ] Skis"}}},
        WrapCase{"LongPathWrapsIndented", kThirtyColumns, kA4Height, "/home/someone/trips/summer-at-the-lake.vyt",
                 {{"Bath", "Towel", ""}},
                 {{"0:/home/someone/trips/summer-at-", "1:  the-lake.vyt", "4:Bath " + Dashes(25),
                   "5: [ ] [ ] Towel"}}},
        // The column is 10 wide, not 13: the other items' boxes stay where they were.
        WrapCase{"LongQuantityWrapsInItsColumnOfTen", kA4Width, kA4Height, "p",
                 {{"Camping", "Tent", "1000000000000"}, {"Camping", "Pegs", "12"}},
                 {{"0:p", "3:Camping " + Dashes(52), "4:1000000000 [ ] [ ] Tent", "5:000",
                   "6:12         [ ] [ ] Pegs"}}},
        WrapCase{"QuantityAndNameWrapSideBySide", kThirtyColumns, kA4Height, "p",
                 {{"Camping", "Tent for four people", "2 pairs and a spare"}},
                 {{"0:p", "3:Camping " + Dashes(22), "4:2 pairs    [ ] [ ] Tent for",
                   "5:and a     " + kUnderBoxes + "four people", "6:spare"}}},
        // Slots 0 to 6 fit: the item's last line would not, so the item goes over whole.
        WrapCase{"AnItemThatWouldPassTheBottomGoesOverWhole", kThirtyColumns, 240 + 35 * 6, "p",
                 {{"Bath", "Towel", ""}, {"Bath", kSocks, ""}},
                 {{"0:p", "3:Bath " + Dashes(25), "4: [ ] [ ] Towel"},
                  {"0: [ ] [ ] Warm socks for the", "1:" + kUnderBoxes + "cold evenings by the",
                   "2:" + kUnderBoxes + "lake"}}},
        // Slots 0 and 1 fit: the header and the first line take a page, as on any paper.
        WrapCase{"AnItemTallerThanAPageGoesOnAfterItsFirstLine", kThirtyColumns, 240 + 35, "p",
                 {{"Bath", kSocks, ""}},
                 {{"0:p"},
                  {"2:Bath " + Dashes(25), "3: [ ] [ ] Warm socks for the"},
                  {"0:" + kUnderBoxes + "cold evenings by the", "1:" + kUnderBoxes + "lake"}}}),
    [](const testing::TestParamInfo<WrapCase>& info) { return info.param.what; });

}  // namespace

namespace {

// The check list printed into a PDF file on paper of every kind the print dialog offers.
struct PaperCase {
  const char* what;
  QPageSize::PageSizeId paper;
  QPageLayout::Orientation orientation;
  int pages;
  std::string firstOfPage2;  // as pdftotext lays it out
};

class PrintTripPaperTest : public testing::TestWithParam<PaperCase> {};

// Prints the trip into the PDF file on the paper turned so; answers the printable area in
// points.
QRectF PrintIntoPdf(const Repository& repository, QPageSize::PageSizeId paper, QPageLayout::Orientation orientation,
                    const std::string& out) {
  framework::DeviceContext dc;
  dc.SetOutputFile(out);
  dc.GetPrinter().setPageSize(QPageSize(paper));
  dc.GetPrinter().setPageOrientation(orientation);
  PrintTrip(dc, "/trips/long.vyt", repository, 1);
  EXPECT_TRUE(dc.Finish()) << dc.GetFailureReason();
  return dc.GetPrinter().pageLayout().paintRectPoints();
}

TEST_P(PrintTripPaperTest, EveryItemIsOnSomePageAndNoLineLeavesThePrintableArea) {
  const PaperCase& row = GetParam();
  Repository repository;
  Fill(repository, Items(66, "A"));  // B's header and first item land in slots 72 and 73 of A4
  Fill(repository, Items(9, "B"));
  scratch::Folder folder;
  const std::string out = folder / "trip.pdf";
  const double bottom = PrintIntoPdf(repository, row.paper, row.orientation, out).bottom();

  ASSERT_EQ(pdf::PageCount(out), row.pages);
  EXPECT_EQ(pdf::PageLines(out, 2).front(), row.firstOfPage2);
  Texts items;
  for (int page = 1; page <= row.pages; ++page) {
    for (const std::string& line : pdf::PageLines(out, page)) {
      if (line.find("[ ]") != std::string::npos) items.push_back(line.substr(line.rfind(' ') + 1));
    }
  }
  Texts expected;
  for (const Entry& entry : Items(66, "A")) expected.push_back(entry.name);
  for (const Entry& entry : Items(9, "B")) expected.push_back(entry.name);
  EXPECT_EQ(items, expected);
  for (const pdf::Word& word : pdf::Words(out)) EXPECT_LE(word.bottom, bottom + 0.5) << word.text;
}

INSTANTIATE_TEST_SUITE_P(
    Papers, PrintTripPaperTest,
    testing::Values(
        // The layout's own paper: as it always was, B's first item at the foot of page 1.
        PaperCase{"A4Portrait", QPageSize::A4, QPageLayout::Portrait, 2, "[ ] [ ] B1"},
        PaperCase{"LetterPortrait", QPageSize::Letter, QPageLayout::Portrait, 2, "B " + Dashes(58)},
        PaperCase{"A4Landscape", QPageSize::A4, QPageLayout::Landscape, 2, " [ ] [ ] A48"},
        PaperCase{"A5Portrait", QPageSize::A5, QPageLayout::Portrait, 2, " [ ] [ ] A48"},
        PaperCase{"A5Landscape", QPageSize::A5, QPageLayout::Landscape, 3, "[ ] [ ] A30"}),
    [](const testing::TestParamInfo<PaperCase>& info) { return info.param.what; });

// A 300-character name, with a word longer than any line, and a long group header, printed
// into a PDF file on paper of each kind.
struct LongTextCase {
  const char* what;
  QPageSize::PageSizeId paper;
  QPageLayout::Orientation orientation;
};

class PrintTripLongTextTest : public testing::TestWithParam<LongTextCase> {};

std::string WithoutBlanks(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  return text;
}

TEST_P(PrintTripLongTextTest, EveryCharacterIsPrintedWithinThePrintableArea) {
  const LongTextCase& row = GetParam();
  std::string name(100, 'n');
  while (name.size() < 300) name += " item" + std::to_string(name.size());
  ASSERT_EQ(name.size(), 300u);
  std::string group;
  for (int i = 0; i < 4; ++i) group += "Things to pack for the hut number " + std::to_string(i) + " ";
  group.pop_back();
  const std::string ordinary = "Waterproof jacket with a hood and two pockets";  // 45 characters
  Repository repository;
  Fill(repository, {{group, name, "1"}, {group, ordinary, "12"}});
  scratch::Folder folder;
  const std::string out = folder / "trip.pdf";
  const QRectF area = PrintIntoPdf(repository, row.paper, row.orientation, out);
  std::string printed;
  for (const pdf::Word& word : pdf::Words(out)) {
    printed += word.text;
    EXPECT_GE(word.x, area.left() - 0.5) << word.text;
    EXPECT_LE(word.right, area.right() + 0.5) << word.text;
    EXPECT_LE(word.bottom, area.bottom() + 0.5) << word.text;
  }
  for (const std::string& text : {group, name, ordinary}) {
    EXPECT_NE(printed.find(WithoutBlanks(text)), std::string::npos) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Papers, PrintTripLongTextTest,
                         testing::Values(LongTextCase{"A4Portrait", QPageSize::A4, QPageLayout::Portrait},
                                         LongTextCase{"A5Portrait", QPageSize::A5, QPageLayout::Portrait},
                                         LongTextCase{"LetterPortrait", QPageSize::Letter, QPageLayout::Portrait},
                                         LongTextCase{"A4Landscape", QPageSize::A4, QPageLayout::Landscape}),
                         [](const testing::TestParamInfo<LongTextCase>& info) { return info.param.what; });

}  // namespace
