#include "mfctriext/ListRows.h"

#include <gtest/gtest.h>

using framework::ListControl;

TEST(ListRowsTest, InsertAppendsRowsWithImageDataAndColumnTexts) {
  ListControl list;
  for (const char* heading : {"Quantity", "Name", "Group"}) list.InsertColumn(list.GetColumnCount(), heading);
  const char* const first[] = {"2", "Socks", "Clothes"};
  const char* const second[] = {"", "Tent", "Camping"};
  EXPECT_EQ(0, mfctriext::InsertListItem(list, 0, 1, first, 3, false));
  EXPECT_EQ(1, mfctriext::InsertListItem(list, 1, 0, second, 3, true));
  ASSERT_EQ(2, list.GetItemCount());
  EXPECT_EQ("Socks", list.GetItemText(0, 1));
  EXPECT_EQ("Camping", list.GetItemText(1, 2));
  EXPECT_EQ("", list.GetItemText(1, 0));
  EXPECT_EQ(1, list.GetItemData(1));
  framework::ListItem item;
  item.mask = framework::LVIF_IMAGE;
  item.iItem = 0;
  ASSERT_TRUE(list.GetItem(item));
  EXPECT_EQ(1, item.iImage);
  EXPECT_EQ(1, list.GetNextItem(-1, framework::LVNI_SELECTED));
}

TEST(ListRowsTest, SetRewritesTheRowInPlace) {
  ListControl list;
  for (const char* heading : {"Quantity", "Name", "Group"}) list.InsertColumn(list.GetColumnCount(), heading);
  const char* const before[] = {"", "Tent", "Camping"};
  const char* const after[] = {"5", "Tent", "Camping"};
  mfctriext::InsertListItem(list, 0, 0, before, 3, false);
  ASSERT_TRUE(mfctriext::SetListItem(list, 0, 0, 1, after, 3, true));
  EXPECT_EQ(1, list.GetItemCount());
  EXPECT_EQ("5", list.GetItemText(0, 0));
  EXPECT_EQ(0, list.GetNextItem(-1, framework::LVNI_SELECTED));
  EXPECT_FALSE(mfctriext::SetListItem(list, 3, 3, 0, after, 3, false));
}
