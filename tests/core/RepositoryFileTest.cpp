#include "core/RepositoryFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/FileSizeLimit.h"
#include "support/Scratch.h"

namespace {

const std::string kOld = "0\t\tSocks\tClothes\t\n";
const std::string kNew = "1\t2\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n";

// A repository rewritten in place: its name leaves no room for a temporary file's suffix.
class RepositoryFileTest : public ::testing::Test {
 protected:
  RepositoryFile Repository(const std::vector<std::string>& rescueFolders) const {
    return RepositoryFile(path, "voyanta.vyr.0123456789abcdef.rescue", rescueFolders);
  }
  std::string RescueIn(const scratch::Folder& where) const { return where / "voyanta.vyr.0123456789abcdef.rescue"; }

  scratch::Folder program;
  scratch::Folder settings;
  scratch::Folder documents;
  const std::string path = program / std::string(250, 'v');
};

}  // namespace

TEST_F(RepositoryFileTest, ARewriteInPlaceSaysWhenItsItemsCouldBeKeptNowhereAndASaveLetsEveryRescueGo) {
  const RepositoryFile repository = Repository({settings.Path(), documents.Path()});
  scratch::WriteFile(path, kOld);
  RepositoryFile::SaveOutcome outcome;
  {
    // The disk is full for the new text, everywhere: nothing changes, and the caller learns
    // that no rescue file holds the items either.
    support::FileSizeLimit full;
    full.Impose(kOld.size());
    outcome = repository.Save(kNew);
  }
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(outcome.error, EFBIG);
  EXPECT_FALSE(outcome.damaged);
  EXPECT_EQ(outcome.rescue, "");
  EXPECT_EQ(outcome.rescueError, EFBIG);
  EXPECT_EQ(scratch::ReadFile(path), kOld);
  EXPECT_EQ(repository.FindRescue(), "");

  // Rescue files of an earlier rewrite, in either folder, go once a save has worked.
  scratch::WriteFile(RescueIn(settings), kNew);
  scratch::WriteFile(RescueIn(documents), kNew);
  outcome = repository.Save(kNew);
  EXPECT_TRUE(outcome.saved);
  EXPECT_EQ(scratch::ReadFile(path), kNew);
  EXPECT_EQ(repository.FindRescue(), "");
  EXPECT_EQ(settings.Entries().size() + documents.Entries().size(), 0u);
}

TEST_F(RepositoryFileTest, TheNewestRescueFileOfTheUsersOwnIsFound) {
  const RepositoryFile repository = Repository({settings.Path(), documents.Path()});
  EXPECT_EQ(repository.FindRescue(), "");
  scratch::WriteFile(RescueIn(settings), kOld);
  scratch::WriteFile(RescueIn(documents), kNew);
  const utimbuf older{1000, 1000};
  utime(RescueIn(settings).c_str(), &older);
  EXPECT_EQ(repository.FindRescue(), RescueIn(documents));
  // A link, which anybody could have made in a shared folder, is nobody's rescue.
  std::filesystem::remove(RescueIn(documents));
  std::filesystem::create_symlink(RescueIn(settings), RescueIn(documents));
  EXPECT_EQ(repository.FindRescue(), RescueIn(settings));
}

// Every item outlives a save that fails, in a rescue file that the next start takes them
// from; a rewrite in place without one does not begin, and the file stays whole.
TEST_F(RepositoryFileTest, AFailedSaveLeavesEveryItemInARescueFileAndNoneRewritesInPlaceWithoutOne) {
  struct Row {
    const char* what;
    bool inPlace;           // else a repository that cannot be replaced: a folder in its place
    bool rescueFolders;     // else none of them exists
    bool saved;
    int error;
  };
  const Row rows[] = {
      {"in place, with a rescue folder", true, true, true, 0},
      {"in place, without one", true, false, false, ENOENT},
      {"replaced, with a rescue folder", false, true, false, EISDIR},
      {"replaced, without one", false, false, false, EISDIR},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string target = row.inPlace ? path : program / "voyanta.vyr";
    std::filesystem::remove_all(target);
    if (row.inPlace) {
      scratch::WriteFile(target, kOld);
    } else {
      std::filesystem::create_directory(target);
    }
    const std::vector<std::string> folders =
        row.rescueFolders ? std::vector<std::string>{settings / "gone", documents.Path()}
                          : std::vector<std::string>{settings / "gone", documents / "gone"};
    const RepositoryFile repository(target, "voyanta.vyr.0123456789abcdef.rescue", folders);
    const RepositoryFile::SaveOutcome outcome = repository.Save(kNew);
    EXPECT_EQ(outcome.saved, row.saved);
    EXPECT_EQ(outcome.error, row.error);
    EXPECT_FALSE(outcome.damaged);
    if (row.inPlace) {
      EXPECT_EQ(scratch::ReadFile(target), row.saved ? kNew : kOld);
    }
    const bool rescued = !row.saved && row.rescueFolders;
    EXPECT_EQ(outcome.rescue, rescued ? RescueIn(documents) : "");
    EXPECT_EQ(outcome.rescueError, row.saved || rescued ? 0 : ENOENT);
    EXPECT_EQ(repository.FindRescue(), rescued ? RescueIn(documents) : "");
    if (rescued) {
      EXPECT_EQ(scratch::ReadFile(RescueIn(documents)), kNew);
    }
    std::filesystem::remove(RescueIn(documents));
  }
}
