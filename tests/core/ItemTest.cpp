#include "core/Item.h"

#include <gtest/gtest.h>

namespace {

Item* MakeItem(const char* group, const char* name) {
  auto* item = new Item;
  item->SetGroup(group);
  item->SetName(name);
  return item;
}

int Sign(int value) { return (value > 0) - (value < 0); }

int Order(const char* groupA, const char* nameA, const char* groupB, const char* nameB) {
  Item a, b;
  a.SetGroup(groupA);
  a.SetName(nameA);
  b.SetGroup(groupB);
  b.SetName(nameB);
  return Sign(CompareItems(&a, &b));
}

}  // namespace

TEST(ItemTest, NewItemIsUncheckedWithEmptyTextsAndKeepsCopies) {
  Item item;
  EXPECT_FALSE(item.IsChecked());
  EXPECT_STREQ("", item.GetQuantity().Text());
  EXPECT_STREQ("", item.GetName().Text());
  EXPECT_STREQ("", item.GetGroup().Text());

  toolbox::String name("Socks");
  item.SetName(name);
  name.Append("!");
  EXPECT_STREQ("Socks", item.GetName().Text());
}

TEST(CompareItemsTest, GroupFirstThenNameFoldingOnlyAsciiLetters) {
  EXPECT_EQ(-1, Order("", "z", "a", "a"));                 // empty group before every group
  EXPECT_EQ(-1, Order("Camping", "", "Camping", "Tent"));  // empty name first in its group
  EXPECT_EQ(0, Order("Zelt", "apfel", "zelt", "Apfel"));    // A-Z fold to a-z
  EXPECT_EQ(-1, Order("G", "apfel", "G", "Birne"));        // not plain byte order
  EXPECT_EQ(-1, Order("Bad", "x", "Bad und Dusche", "a"));  // a prefix sorts first
  EXPECT_EQ(1, Order("\xC4pfel", "a", "zz", "a"));         // bytes above 127 after z
  EXPECT_EQ(0, Order("G", "n", "G", "n"));
}

TEST(CompareItemsTest, CheckMarkAndQuantityTakeNoPart) {
  Item a, b;
  a.SetName("Socks");
  b.SetName("Socks");
  a.SetChecked(true);
  a.SetQuantity("2");
  EXPECT_EQ(0, CompareItems(&a, &b));
}

TEST(CompareItemsTest, RepositorySortsIntoProgramOrder) {
  Repository repository;
  repository.Add(MakeItem("Kitchen", "Pot"));
  repository.Add(MakeItem("bathroom", "Towel"));
  repository.Add(MakeItem("Bathroom", "soap"));
  repository.Add(MakeItem("", "Passport"));
  repository.Sort(CompareItems);
  ASSERT_EQ(4, repository.GetCount());
  EXPECT_STREQ("Passport", repository.GetAt(0)->GetName().Text());
  EXPECT_STREQ("soap", repository.GetAt(1)->GetName().Text());
  EXPECT_STREQ("Towel", repository.GetAt(2)->GetName().Text());
  EXPECT_STREQ("Pot", repository.GetAt(3)->GetName().Text());
}
