#include "core/ItemList.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/Exceptions.h"
#include "support/Scratch.h"

using framework::File;
using toolbox::String;

namespace {

Item* MakeItem(const char* group, const char* name, bool checked = false, const char* quantity = "") {
  auto* item = new Item;
  item->SetGroup(group);
  item->SetName(name);
  item->SetChecked(checked);
  item->SetQuantity(quantity);
  return item;
}

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
  repository.Add(MakeItem("Clothes", "Socks", true, "2"));
  repository.Add(MakeItem("Camping", "Tent"));
  EXPECT_EQ("1\t2\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n", Write(false));
}

TEST_F(ItemListTest, CheckedOnlyWritesJustTheCheckedItems) {
  repository.Add(MakeItem("A", "one"));
  repository.Add(MakeItem("A", "two", true, "3"));
  repository.Add(MakeItem("A", "three", false, "9"));
  EXPECT_EQ("1\t3\ttwo\tA\t\n", Write(true));
  repository.GetAt(1)->SetChecked(false);
  EXPECT_EQ("", Write(true));
}

TEST_F(ItemListTest, EmptyFileChangesNothingAndDoesNotSort) {
  repository.Add(MakeItem("B", "b", true, "1"));
  repository.Add(MakeItem("A", "a"));
  Read("");
  EXPECT_EQ("1|1|b|B\n0||a|A\n", Describe(repository));
}

TEST_F(ItemListTest, FileWithoutLineFeedMergesNothingButSorts) {
  repository.Add(MakeItem("B", "b"));
  repository.Add(MakeItem("A", "a"));
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
  repository.Add(MakeItem("Clothes", "Socks"));
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
  repository.Add(MakeItem("Bathroom", "Soap"));
  repository.Add(MakeItem("Kitchen", "Pot"));
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

TEST_F(ItemListTest, LookupTakesTheFirstOfTwoEqualItems) {
  // Nothing forbids two items of the same name and group; a merge updates the first.
  repository.Add(MakeItem("G", "x", false, "first"));
  repository.Add(MakeItem("G", "x", false, "second"));
  Read("1\t7\tx\tG\t\n");
  ASSERT_EQ(2, repository.GetCount());
  // The two compare equal, so the sort may swap them; the untouched one is still "second".
  std::string all = Describe(repository);
  EXPECT_NE(std::string::npos, all.find("1|7|x|G\n"));
  EXPECT_NE(std::string::npos, all.find("0|second|x|G\n"));
}

TEST_F(ItemListTest, WrittenRepositoryReadsBackTheSame) {
  repository.Add(MakeItem("Bathroom", "Soap", true, "1 bar"));
  repository.Add(MakeItem("Camping", "Tent"));
  repository.Add(MakeItem("Clothes", "Sock\xE9s", true, "12"));
  std::string written = Write(false);
  Repository copy;
  {
    File file((folder / "out.vyt").c_str(), File::modeRead);
    ReadItemList(copy, file);
  }
  EXPECT_EQ(Describe(repository), Describe(copy));
}

TEST_F(ItemListTest, TextHoldingATabDoesNotReadBackAsTheSameFields) {
  repository.Add(MakeItem("G", "a\tb", true));
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
