#include "core/KeptTrip.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/Document.h"
#include "core/ItemList.h"
#include "support/Items.h"
#include "support/Scratch.h"

namespace {

const std::string kName = "voyanta.vyr.0123456789abcdef.trip";

}  // namespace

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
  KeptTrip kept(kName, {folder.Path()});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Repository repository;
    support::AddItem(repository, true, "3", "Passport", "Papers");
    support::AddItem(repository, false, "", "Tent", "Camping");
    support::AddItem(repository, true, "2 pairs", "Socks", "Clothes");
    int error = 0;
    ASSERT_TRUE(kept.Keep(KeptTrip::Format(row.path, repository), kept.GetMark(), error));

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
    scratch::WriteFile(kept.In(folder.Path()), text);
    EXPECT_FALSE(kept.Read(path, lines, error));
    EXPECT_EQ(error, EINVAL);
  }
}

// The settings folder cannot take the trip (full, or something else in its place): it goes
// into the next folder that does, comes back from there, and goes from every folder.
TEST(KeptTripTest, ATripTheSettingsFolderRefusesIsKeptInTheNextFolderAndForgottenFromAll) {
  struct Row {
    const char* what;
    std::function<void(const std::string& inSettings)> refuse;
  };
  const std::vector<Row> rows = {
      {"a folder in its place",
       [](const std::string& path) {
         std::filesystem::remove(path);
         std::filesystem::create_directory(path);
       }},
      {"no settings folder",
       [](const std::string& path) { std::filesystem::remove_all(std::filesystem::path(path).parent_path()); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch::Folder settings;
    scratch::Folder documents;
    KeptTrip kept(kName, {settings.Path(), documents.Path()});
    Repository repository;
    support::AddItem(repository, true, "3", "Passport", "Papers");
    int error = 0;
    ASSERT_TRUE(kept.Keep(KeptTrip::Format("/trips/alps.vyt", repository), kept.GetMark(), error));
    row.refuse(kept.In(settings.Path()));
    support::AddItem(repository, true, "2 pairs", "Socks", "Clothes");
    ASSERT_TRUE(kept.Keep(KeptTrip::Format("/trips/alps.vyt", repository), kept.GetMark(), error));
    EXPECT_EQ(kept.Find(), kept.In(documents.Path()));
    std::string path;
    toolbox::String lines;
    ASSERT_TRUE(kept.Read(path, lines, error));
    EXPECT_EQ(std::string(lines.Text()), "1\t3\tPassport\tPapers\t\n1\t2 pairs\tSocks\tClothes\t\n");
    kept.Forget();
    EXPECT_EQ(kept.Find(), "");
    EXPECT_EQ(documents.Entries(), std::vector<std::string>{});
  }
}

// A save of the trip settles it while the save thread may still keep a snapshot taken
// before: that snapshot writes nothing, and the next one is kept again.
TEST(KeptTripTest, ASnapshotTakenBeforeTheTripWasSettledKeepsNothing) {
  scratch::Folder folder;
  KeptTrip kept(kName, {folder.Path()});
  Repository repository;
  support::AddItem(repository, true, "3", "Passport", "Papers");
  const std::string text = KeptTrip::Format("", repository);
  int error = 0;
  ASSERT_TRUE(kept.Keep(text, kept.GetMark(), error));
  const unsigned long before = kept.GetMark();
  kept.Settle();
  EXPECT_EQ(kept.Find(), "");
  EXPECT_TRUE(kept.Keep(text, before, error));
  EXPECT_EQ(kept.Find(), "");
  EXPECT_TRUE(kept.Keep(text, kept.GetMark(), error));
  EXPECT_EQ(kept.Find(), kept.In(folder.Path()));
}
