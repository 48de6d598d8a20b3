#include "framework/docview/RecentFileList.h"

#include <gtest/gtest.h>


#include "framework/system/Paths.h"

using namespace framework;

namespace {

std::vector<std::string> Slots(const RecentFileList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.GetSize(); ++i) names.push_back(list[i]);
  return names;
}

TEST(RecentFileListTest, AddPutsTheNewestFirstMovesAnEqualPathAndDropsTheLast) {
  RecentFileList list(0, 3);
  list.Add("/t/a.vyt");
  list.Add("/t/b.vyt");
  list.Add("/t/c.vyt");
  EXPECT_EQ(Slots(list), (std::vector<std::string>{"/t/c.vyt", "/t/b.vyt", "/t/a.vyt"}));
  list.Add("/t/b.vyt");
  EXPECT_EQ(Slots(list), (std::vector<std::string>{"/t/b.vyt", "/t/c.vyt", "/t/a.vyt"}));
  list.Add("/t/d.vyt");
  EXPECT_EQ(Slots(list), (std::vector<std::string>{"/t/d.vyt", "/t/b.vyt", "/t/c.vyt"}));
  list.Add("/t/./x/../c.vyt");  // the same file by another spelling
  EXPECT_EQ(Slots(list), (std::vector<std::string>{"/t/c.vyt", "/t/d.vyt", "/t/b.vyt"}));
  list.Add("relative.vyt");
  EXPECT_EQ(list[0], CurrentFolder() + "relative.vyt");
}

TEST(RecentFileListTest, RemoveMovesTheLaterEntriesUp) {
  RecentFileList list(0, 3);
  list.Add("/t/a.vyt");
  list.Add("/t/b.vyt");
  list.Add("/t/c.vyt");
  list.Remove(1);
  EXPECT_EQ(Slots(list), (std::vector<std::string>{"/t/c.vyt", "/t/a.vyt", ""}));
  list.Remove(7);  // outside: nothing
  EXPECT_EQ(Slots(list), (std::vector<std::string>{"/t/c.vyt", "/t/a.vyt", ""}));
}

TEST(RecentFileListTest, DisplayNameIsTheFileNameInTheCurrentFolderElseAShortenedPath) {
  RecentFileList list(0, 4, 30);
  list.Add("/home/user/documents/trips/summer.vyt");
  list.Add("/home/user/trips/a.vyt");
  list.Add("/home/user/b.vyt");
  const std::string current = "/home/user/";
  std::string name;
  ASSERT_TRUE(list.GetDisplayName(name, 0, current.c_str(), static_cast<int>(current.size())));
  EXPECT_EQ(name, "b.vyt");
  ASSERT_TRUE(list.GetDisplayName(name, 1, current.c_str(), static_cast<int>(current.size())));
  EXPECT_EQ(name, "/home/user/trips/a.vyt");  // fits in 30
  ASSERT_TRUE(list.GetDisplayName(name, 2, current.c_str(), static_cast<int>(current.size())));
  EXPECT_EQ(name, "/.../trips/summer.vyt");
  EXPECT_FALSE(list.GetDisplayName(name, 3, current.c_str(), static_cast<int>(current.size())));
}

TEST(RecentFileListTest, AbbreviationKeepsTheFileNameWhenNothingElseFits) {
  const std::string path = "/home/user/documents/trips/summer.vyt";
  EXPECT_EQ(RecentFileList::AbbreviatePath(path, 37, true), path);
  EXPECT_EQ(RecentFileList::AbbreviatePath(path, 36, true), "/.../user/documents/trips/summer.vyt");
  EXPECT_EQ(RecentFileList::AbbreviatePath(path, 20, true), "/.../summer.vyt");
  EXPECT_EQ(RecentFileList::AbbreviatePath(path, 15, true), "/.../summer.vyt");
  EXPECT_EQ(RecentFileList::AbbreviatePath(path, 14, true), "summer.vyt");
  EXPECT_EQ(RecentFileList::AbbreviatePath(path, 9, true), "summer.vyt");
  EXPECT_EQ(RecentFileList::AbbreviatePath(path, 9, false), "");
}

}  // namespace
