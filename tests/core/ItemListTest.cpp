#include "core/ItemList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "framework/base/Exceptions.h"
#include "support/Items.h"
#include "support/Scratch.h"

using framework::File;
using toolbox::String;

namespace {

// Counts down the standard allocations of this thread while it is positive; the one that
// brings it to zero fails as an exhausted heap does.
thread_local int allocationsBeforeFailure = 0;

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (allocationsBeforeFailure > 0 && --allocationsBeforeFailure == 0) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* operator new(std::size_t size) {
  if (void* block = operator new(size, std::nothrow)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }

void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

// One line per item: check|quantity|name|group, for comparing whole repositories.
std::string Describe(const Repository& repository) {
  std::string text;
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    text += std::string(item->IsChecked() ? "1" : "0") + "|" + item->GetQuantity().Text() + "|" +
            item->GetName().Text() + "|" + item->GetGroup().Text() + "\n";
  }
  return text;
}

class ItemListTest : public ::testing::Test {
 protected:
  void Read(const std::string& content) {
    scratch::WriteFile(folder / "list.vyt", content);
    File file((folder / "list.vyt").c_str(), File::modeRead);
    ReadItemList(repository, file);
  }

  std::string Write(bool checkedOnly) {
    {
      File file((folder / "out.vyt").c_str(), File::modeCreate);
      WriteItemList(repository, file, checkedOnly);
    }
    return scratch::ReadFile(folder / "out.vyt");
  }

  scratch::Folder folder;
  Repository repository;
};

}  // namespace

TEST(NextFieldTest, CutsAtTabsAndNeverReturnsTextAfterTheLastTab) {
  String line("1\t2\tSocks\tClothes\trest");
  EXPECT_STREQ("1", NextField(line).Text());
  EXPECT_STREQ("2", NextField(line).Text());
  EXPECT_STREQ("Socks", NextField(line).Text());
  EXPECT_STREQ("Clothes", NextField(line).Text());
  EXPECT_STREQ("", NextField(line).Text());
  EXPECT_STREQ("rest", line.Text());
  String empty("\t");
  EXPECT_STREQ("", NextField(empty).Text());
  EXPECT_STREQ("", empty.Text());
}

TEST_F(ItemListTest, WritesFourTabbedFieldsPerLineInListOrder) {
  support::AddItem(repository, true, "2", "Socks", "Clothes");
  support::AddItem(repository, false, "", "Tent", "Camping");
  EXPECT_EQ("1\t2\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n", Write(false));
}

TEST_F(ItemListTest, CheckedOnlyWritesJustTheCheckedItems) {
  support::AddItem(repository, false, "", "one", "A");
  support::AddItem(repository, true, "3", "two", "A");
  support::AddItem(repository, false, "9", "three", "A");
  EXPECT_EQ("1\t3\ttwo\tA\t\n", Write(true));
  repository.GetAt(1)->SetChecked(false);
  EXPECT_EQ("", Write(true));
}

TEST_F(ItemListTest, EmptyFileChangesNothingAndDoesNotSort) {
  support::AddItem(repository, true, "1", "b", "B");
  support::AddItem(repository, false, "", "a", "A");
  Read("");
  EXPECT_EQ("1|1|b|B\n0||a|A\n", Describe(repository));
}

TEST_F(ItemListTest, FileWithoutLineFeedMergesNothingButSorts) {
  support::AddItem(repository, false, "", "b", "B");
  support::AddItem(repository, false, "", "a", "A");
  Read("1\t2\tSocks\tClothes\t");
  EXPECT_EQ("0||a|A\n0||b|B\n", Describe(repository));
}

TEST_F(ItemListTest, MissingTabsLeaveTheTrailingFieldsEmpty) {
  // Only a field that a tab ends is taken: "Socks" after the last tab is no field at all.
  Read("1\tSocks\n");
  EXPECT_EQ("1|||\n", Describe(repository));
  repository.DeleteAll();
  Read("0\t2\tTent\n");
  EXPECT_EQ("0|2||\n", Describe(repository));
  repository.DeleteAll();
  Read("1\t2\tTent\tCamping\n");  // no tab after the group: the group is empty
  EXPECT_EQ("1|2|Tent|\n", Describe(repository));
}

TEST_F(ItemListTest, CarriageReturnAfterTheLastTabIsIgnored) {
  Read("1\t2\tSocks\tClothes\t\r\n0\t\tTent\tCamping\t\r\n");
  EXPECT_EQ("0||Tent|Camping\n1|2|Socks|Clothes\n", Describe(repository));
}

TEST_F(ItemListTest, EmptyLinesAndRepeatsMergeIntoOneItemEach) {
  Read("\n\n1\t1\tSocks\tClothes\t\n1\t4\tSocks\tClothes\t\n");
  // Two empty lines give one unchecked item with empty texts; the later Socks line wins.
  EXPECT_EQ("0|||\n1|4|Socks|Clothes\n", Describe(repository));
}

TEST_F(ItemListTest, NameAndGroupAreMatchedByteForByte) {
  support::AddItem(repository, false, "", "Socks", "Clothes");
  Read("1\t2\tsocks\tclothes\t\n1\t\tSocks\tBags\t\n1\t5\tSocks\tClothes\t\n");
  // Different case is a different item, and the same name in another group too; the
  // sort keeps the two case variants next to each other.
  ASSERT_EQ(3, repository.GetCount());
  std::string all = Describe(repository);
  EXPECT_EQ(0u, all.find("1||Socks|Bags\n"));
  EXPECT_NE(std::string::npos, all.find("1|5|Socks|Clothes\n"));
  EXPECT_NE(std::string::npos, all.find("1|2|socks|clothes\n"));
}

TEST_F(ItemListTest, CheckMarkIsCheckedOnlyForExactlyOne) {
  Read("yes\t\ta\tG\t\n 1\t\tb\tG\t\n\t\tc\tG\t\n1\t\td\tG\t\n");
  EXPECT_EQ("0||a|G\n0||b|G\n0||c|G\n1||d|G\n", Describe(repository));
}

TEST_F(ItemListTest, ReadingKeepsExistingItemsAndSortsAppendedOnesIntoPlace) {
  support::AddItem(repository, false, "", "Soap", "Bathroom");
  support::AddItem(repository, false, "", "Pot", "Kitchen");
  Read("1\t3\tTowel\tBathroom\t\n1\t\tAxe\tCamping\t\n");
  EXPECT_EQ("0||Soap|Bathroom\n1|3|Towel|Bathroom\n1||Axe|Camping\n0||Pot|Kitchen\n",
            Describe(repository));
}

TEST_F(ItemListTest, EqualItemsEndWhereTheListsOwnSortPutsThem) {
  // Out of order: the selection sort carries x past its equal X, as no stable sort would.
  Read("0\t1\tc\tG\t\n0\t2\tx\tG\t\n0\t3\tX\tG\t\n0\t4\ta\tG\t\n");
  EXPECT_EQ("0|4|a|G\n0|1|c|G\n0|3|X|G\n0|2|x|G\n", Describe(repository));
  repository.DeleteAll();
  // In order, as the repository file is written: kept as it is, equal items included.
  Read("0\t1\ta\tG\t\n0\t2\tx\tG\t\n0\t3\tX\tG\t\n0\t4\tc\tH\t\n");
  EXPECT_EQ("0|1|a|G\n0|2|x|G\n0|3|X|G\n0|4|c|H\n", Describe(repository));
}

// A file read into an empty repository is taken line by line without a look-up for as
// long as its lines come in the program's order; a line out of that order may still name
// an item read before it.
TEST_F(ItemListTest, LinesAfterLinesInOrderStillFindTheirItems) {
  const struct {
    const char* title;
    const char* file;
    const char* items;
  } rows[] = {
      {"in order", "0\t\ta\tG\t\n1\t2\tb\tG\t\n0\t\tc\tH\t\n", "0||a|G\n1|2|b|G\n0||c|H\n"},
      {"a repeat later", "0\t\ta\tG\t\n0\t\tb\tG\t\n0\t\tc\tG\t\n1\t5\ta\tG\t\n", "1|5|a|G\n0||b|G\n0||c|G\n"},
      {"a repeat next", "0\t\ta\tG\t\n1\t3\ta\tG\t\n0\t\tb\tG\t\n", "1|3|a|G\n0||b|G\n"},
      {"a case variant", "0\t\ta\tG\t\n0\t\tb\tG\t\n1\t\tA\tG\t\n", "0||a|G\n1||A|G\n0||b|G\n"},
      {"an earlier group", "0\t\tx\tA\t\n0\t\tx\tB\t\n1\t1\tx\tA\t\n", "1|1|x|A\n0||x|B\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.title);
    repository.DeleteAll();
    Read(row.file);
    EXPECT_EQ(row.items, Describe(repository));
  }
}

TEST_F(ItemListTest, LookupTakesTheFirstOfTwoEqualItems) {
  // Nothing forbids two items of the same name and group; a merge updates the first.
  support::AddItem(repository, false, "first", "x", "G");
  support::AddItem(repository, false, "second", "x", "G");
  Read("1\t7\tx\tG\t\n");
  ASSERT_EQ(2, repository.GetCount());
  // The two compare equal, so the sort may swap them; the untouched one is still "second".
  std::string all = Describe(repository);
  EXPECT_NE(std::string::npos, all.find("1|7|x|G\n"));
  EXPECT_NE(std::string::npos, all.find("0|second|x|G\n"));
}

TEST_F(ItemListTest, WrittenRepositoryReadsBackTheSame) {
  support::AddItem(repository, true, "1 bar", "Soap", "Bathroom");
  support::AddItem(repository, false, "", "Tent", "Camping");
  support::AddItem(repository, true, "12", "Sock\xE9s", "Clothes");
  std::string written = Write(false);
  Repository copy;
  {
    File file((folder / "out.vyt").c_str(), File::modeRead);
    ReadItemList(copy, file);
  }
  EXPECT_EQ(Describe(repository), Describe(copy));
}

TEST_F(ItemListTest, TextHoldingATabDoesNotReadBackAsTheSameFields) {
  support::AddItem(repository, true, "", "a\tb", "G");
  Write(false);
  Repository copy;
  File file((folder / "out.vyt").c_str(), File::modeRead);
  ReadItemList(copy, file);
  EXPECT_EQ("1||a|b\n", Describe(copy));
}

TEST_F(ItemListTest, LargeFileMergesEveryLine) {
  std::string content;
  for (int i = 0; i < 3000; ++i) content += "0\t\titem" + std::to_string(i) + "\tgroup" + std::to_string(i % 7) + "\t\n";
  Read(content);
  EXPECT_EQ(3000, repository.GetCount());
  for (int i = 1; i < repository.GetCount(); ++i)
    ASSERT_LE(CompareItems(repository.GetAt(i - 1), repository.GetAt(i)), 0);
}

// A file in the program's order of several write blocks reads and writes back byte for byte,
// though its items share their equal groups and quantities; a change to one item's group
// changes its line only.
TEST_F(ItemListTest, LargeFileWritesBackTheSameAndSharedTextsChangeAlone) {
  std::string content, checked;
  for (int group = 0; group < 7; ++group) {
    for (int i = 0; i < 1000; ++i) {
      const char* mark = i % 3 == 0 ? "1" : "0";
      // One name longer than a write block, in the middle of the file.
      const std::string tail = group == 3 && i == 500 ? std::string(100 * 1024, 'x') : "";
      const std::string line = std::string(mark) + "\t" + (i % 2 ? std::to_string(i % 9) : "") + "\titem " +
                               std::to_string(10000 + i) + tail + "\tgroup " + std::to_string(group) + "\t\n";
      content += line;
      if (*mark == '1') checked += line;
    }
  }
  ASSERT_GT(content.size(), 2u * 64 * 1024);
  Read(content);
  EXPECT_EQ(content, Write(false));
  EXPECT_EQ(checked, Write(true));

  repository.GetAt(1)->SetGroup("group 0b");
  const std::string changed = Write(false);
  const std::size_t first = content.find('\n') + 1;
  const std::size_t second = content.find('\n', first) + 1;
  EXPECT_EQ(content.substr(0, first), changed.substr(0, first));
  EXPECT_EQ(content.substr(second), changed.substr(second + 1));
  EXPECT_STREQ("group 0", repository.GetAt(0)->GetGroup().Text());
}

TEST_F(ItemListTest, FileHoldingANulByteIsRefusedWholeAndChangesNothing) {
  const std::string lines = "1\t2\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n";
  std::string late;
  for (int i = 0; late.size() < 3000; ++i) late += "0\t\titem" + std::to_string(i) + "\tG\t\n";
  struct Row {
    const char* what;
    std::string content;
  };
  const Row rows[] = {
      {"first byte", std::string(1, '\0') + lines},
      {"inside a name", "1\t\tSo" + std::string(1, '\0') + "cks\tClothes\t\n" + lines},
      {"last byte", lines + std::string(1, '\0')},
      {"in a later read block", late + std::string(1, '\0') + lines},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    repository.DeleteAll();
    support::AddItem(repository, true, "1", "Towel", "Bathroom");
    support::AddItem(repository, false, "", "Axe", "Camping");
    support::AddItem(repository, false, "", "Pot", "A kitchen");  // out of order: no sort either
    const std::string before = Describe(repository);
    try {
      Read(row.content);
      ADD_FAILURE() << "read";
    } catch (const framework::FileException& error) {
      EXPECT_EQ(framework::FileException::invalidFile, error.GetCause());
      EXPECT_EQ(folder / "list.vyt", error.GetFileName());
    }
    EXPECT_EQ(before, Describe(repository));
  }
}

TEST_F(ItemListTest, EveryFailedStandardAllocationOfAMergeIsTheFrameworksMemoryFailure) {
  // The merge's index is a standard container; whichever of its allocations fails, the
  // reader reports the framework's memory failure, as for its items and texts.
  std::string content;
  for (int i = 0; i < 40; ++i) content += "1\t\titem" + std::to_string(i) + "\tsome longer group name\t\n";
  scratch::WriteFile(folder / "list.vyt", content);
  int failures = 0;
  for (int nth = 1; nth <= 200; ++nth) {
    SCOPED_TRACE(nth);
    repository.DeleteAll();
    File file((folder / "list.vyt").c_str(), File::modeRead);
    allocationsBeforeFailure = nth;
    try {
      ReadItemList(repository, file);
    } catch (const framework::MemoryException&) {
      ++failures;
    }
    allocationsBeforeFailure = 0;
  }
  EXPECT_GT(failures, 0);
}
