#include "core/PrintTrip.h"

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

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

  int printableHeight = 2899;

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

TEST_P(PrintTripPaperTest, EveryItemIsOnSomePageAndNoLineLeavesThePrintableArea) {
  const PaperCase& row = GetParam();
  Repository repository;
  Fill(repository, Items(66, "A"));  // B's header and first item land in slots 72 and 73 of A4
  Fill(repository, Items(9, "B"));
  scratch::Folder folder;
  const std::string out = folder / "trip.pdf";
  framework::DeviceContext dc;
  dc.SetOutputFile(out);
  dc.GetPrinter().setPageSize(QPageSize(row.paper));
  dc.GetPrinter().setPageOrientation(row.orientation);
  PrintTrip(dc, "/trips/long.vyt", repository, 1);
  ASSERT_TRUE(dc.Finish()) << dc.GetFailureReason();

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
  const double bottom = dc.GetPrinter().pageLayout().paintRectPoints().bottom();
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

}  // namespace
