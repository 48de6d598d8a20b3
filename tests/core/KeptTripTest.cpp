#include "core/KeptTrip.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/Document.h"
#include "core/ItemList.h"
#include "support/Items.h"
#include "support/Scratch.h"

TEST(KeptTripTest, KeptTripComesBackAsItWasAndATripPathWithALineFeedComesBackUnnamed) {
  struct Row {
    const char* what;
    std::string path;
    std::string pathBack;
  };
  const std::vector<Row> rows = {
      {"named trip", "/home/anna/trips/alps.vyt", "/home/anna/trips/alps.vyt"},
      {"unnamed trip", "", ""},
      {"a path with a line feed", "/home/anna/two\nlines.vyt", ""},
  };
  scratch::Folder folder;
  const KeptTrip kept(folder / "voyanta.vyr.0123456789abcdef.trip");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Repository repository;
    support::AddItem(repository, true, "3", "Passport", "Papers");
    support::AddItem(repository, false, "", "Tent", "Camping");
    support::AddItem(repository, true, "2 pairs", "Socks", "Clothes");
    int error = 0;
    ASSERT_TRUE(kept.Keep(KeptTrip::Format(row.path, repository), error));

    // Another run: the repository as the repository file left it, the trip brought back.
    Repository next;
    support::AddItem(next, false, "", "Tent", "Camping");
    support::AddItem(next, true, "9", "Socks", "Clothes");
    std::string path;
    toolbox::String lines;
    ASSERT_TRUE(kept.Read(path, lines, error));
    EXPECT_EQ(path, row.pathBack);
    Document document(next);
    document.BringBack(path, lines);
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.GetPathName(), row.pathBack);
    std::string items;
    AppendItemList(next, false, items);
    EXPECT_EQ(items, "0\t\tTent\tCamping\t\n1\t2 pairs\tSocks\tClothes\t\n1\t3\tPassport\tPapers\t\n");
  }
  kept.Forget();
  std::string path;
  toolbox::String lines;
  int error = 0;
  EXPECT_FALSE(kept.Read(path, lines, error));
  EXPECT_EQ(error, ENOENT);
  // Not what a run kept: a NUL byte, no line feed.
  for (const std::string& text : {std::string("/trip.vyt\n1\t\tSo\0ap\tBath\t\n", 25), std::string("/trip.vyt")}) {
    scratch::WriteFile(kept.GetPath(), text);
    EXPECT_FALSE(kept.Read(path, lines, error));
    EXPECT_EQ(error, EINVAL);
  }
}
