// Trips through the real program: new, open, save and the question when the window closes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "Program.h"
#include "framework/base/CommandIds.h"
#include "framework/dialogs/MessageBox.h"

using program::ProgramTest;

namespace {

using Texts = std::vector<std::string>;

class TripTest : public ProgramTest {
 protected:
  void SetUp() override {
    scratch::WriteFile(RepositoryFile(), "0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n");
    scratch::WriteFile(Summer(), "1\t3\tSocks\tClothes\t\n1\t\tPassport\tPapers\t\n");
  }

  std::string Summer() const { return folder / "summer.vyt"; }

  // Checks the repository item of that name, with a quantity, as the item commands do.
  void Check(const char* name, const char* quantity) {
    Repository& repository = app->GetRepository();
    for (int i = 0; i < repository.GetCount(); ++i) {
      Item* item = repository.GetAt(i);
      if (std::string(item->GetName().Text()) != name) continue;
      item->SetChecked(true);
      item->SetQuantity(quantity);
    }
    Trip().SetModifiedFlag();
  }

  bool Exists(const std::string& path) const { return access(path.c_str(), F_OK) == 0; }
};

TEST_F(TripTest, OpenThroughTheMenuLaysTheTripOverTheRepositoryAndAddsWhatItLacks) {
  ASSERT_TRUE(Start());
  modals.Answer(framework::IDOK, Summer());
  Window().RouteCommand(framework::ID_FILE_OPEN);
  ASSERT_EQ(modals.asked.size(), 1u);
  EXPECT_EQ(modals.asked[0].kind, framework::ModalRequest::openFile);
  ASSERT_FALSE(modals.asked[0].filters.empty());
  EXPECT_EQ(modals.asked[0].filters[0].name, "Document");
  EXPECT_EQ(modals.asked[0].filters[0].patterns, "*.vyt");

  EXPECT_EQ(RepositoryItems(), (Texts{"0\t\tTent\tCamping\t", "1\t3\tSocks\tClothes\t", "1\t\tPassport\tPapers\t"}));
  EXPECT_EQ(View().GetItemCount(), 3);
  EXPECT_EQ(Trip().GetTitle(), "summer.vyt");
  EXPECT_FALSE(Trip().IsModified());
}

TEST_F(TripTest, BinaryFileOpenedAsATripIsRefusedAndAddsNothingToTheRepository) {
  std::string random(2048, '\0');
  std::mt19937 generator(4);
  for (char& byte : random) byte = static_cast<char>(generator() & 0xFF);
  ASSERT_NE(random.find('\0'), std::string::npos);
  const std::string rows[] = {
      "1\t3\tSocks\tClothes\t\n1\t\tPass" + std::string(1, '\0') + "port\tPapers\t\n",
      random,
  };
  for (const std::string& content : rows) {
    const std::string binary = folder / "binary.vyt";
    scratch::WriteFile(binary, content);
    const int status = Run([&] {
      ASSERT_NE(app->OpenDocumentFile(Summer().c_str()), nullptr);
      modals.Answer(framework::IDOK, binary);
      modals.Answer(framework::IDOK);
      Window().RouteCommand(framework::ID_FILE_OPEN);
      EXPECT_EQ(modals.Texts().back(), "Encountered an unexpected error while reading " + binary + ".");
      // A new untitled trip instead, over the repository as it was.
      EXPECT_EQ(Trip().GetTitle(), "Unnamed");
      EXPECT_EQ(RepositoryItems(), (Texts{"0\t\tTent\tCamping\t", "0\t\tSocks\tClothes\t", "0\t\tPassport\tPapers\t"}));
      modals.asked.clear();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Lines(RepositoryFile()), (Texts{"0\t\tTent\tCamping\t", "0\t\tSocks\tClothes\t", "0\t\tPassport\tPapers\t"}));
    EXPECT_EQ(scratch::ReadFile(binary), content);
    Finish();
    scratch::WriteFile(RepositoryFile(), "0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n");
  }
}

TEST_F(TripTest, NewAfterOpenKeepsEveryItemAllUncheckedAndTheAddedOnesReachTheRepositoryFile) {
  const int status = Run([&] {
    ASSERT_NE(app->OpenDocumentFile(Summer().c_str()), nullptr);
    Window().RouteCommand(framework::ID_FILE_NEW);
    EXPECT_EQ(RepositoryItems(), (Texts{"0\t\tTent\tCamping\t", "0\t\tSocks\tClothes\t", "0\t\tPassport\tPapers\t"}));
    EXPECT_EQ(View().GetItemText(1, 0), "");
    EXPECT_EQ(Trip().GetTitle(), "Unnamed");
    EXPECT_EQ(Trip().GetPathName(), "");
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Lines(RepositoryFile()), (Texts{"0\t\tTent\tCamping\t", "0\t\tSocks\tClothes\t", "0\t\tPassport\tPapers\t"}));
}

TEST_F(TripTest, SaveWritesOnlyTheCheckedItems) {
  SetArguments({Summer()});
  ASSERT_TRUE(Start());
  Check("Tent", "1");
  Repository& repository = app->GetRepository();
  for (int i = 0; i < repository.GetCount(); ++i) {
    if (std::string(repository.GetAt(i)->GetName().Text()) == "Socks") repository.GetAt(i)->SetChecked(false);
  }
  Window().RouteCommand(framework::ID_FILE_SAVE);
  // Socks keeps its quantity in the repository, but an unchecked item is not in the trip.
  EXPECT_EQ(Lines(Summer()), (Texts{"1\t1\tTent\tCamping\t", "1\t\tPassport\tPapers\t"}));
  EXPECT_FALSE(Trip().IsModified());
}

// What a run left when it ended between writing a temporary file and renaming it: its own
// go, those of a running process stay.
TEST_F(TripTest, LeftoversOfAnEndedRunGoBesideTheRepositoryAtStartAndBesideTheTripWhenItIsSaved) {
  const std::string ended = std::to_string(scratch::EndedProcess());
  const std::string repositoryLeftover = ".voyanta.vyr." + ended + "-0.tmp";
  const std::string tripLeftover = ".summer.vyt." + ended + "-3.tmp";
  const std::string running = ".voyanta.vyr.1-0.tmp";
  for (const std::string& name : {repositoryLeftover, tripLeftover, running}) scratch::WriteFile(folder / name, "0\t");
  SetArguments({Summer()});
  ASSERT_TRUE(Start());
  EXPECT_FALSE(Exists(folder / repositoryLeftover));
  EXPECT_TRUE(Exists(folder / tripLeftover));
  Check("Tent", "1");
  Window().RouteCommand(framework::ID_FILE_SAVE);
  EXPECT_FALSE(Trip().IsModified());
  EXPECT_FALSE(Exists(folder / tripLeftover));
  EXPECT_TRUE(Exists(folder / running));
}

TEST_F(TripTest, SaveAsUnderANameWithoutExtensionAppendsVyt) {
  ASSERT_TRUE(Start());
  Check("Tent", "");
  modals.Answer(framework::IDOK, folder / "winter");
  Window().RouteCommand(framework::ID_FILE_SAVE_AS);
  ASSERT_EQ(modals.asked.size(), 1u);
  EXPECT_EQ(modals.asked[0].kind, framework::ModalRequest::saveFile);
  EXPECT_FALSE(Exists(folder / "winter"));
  EXPECT_EQ(Lines(folder / "winter.vyt"), Texts{"1\t\tTent\tCamping\t"});
  EXPECT_EQ(Trip().GetPathName(), folder / "winter.vyt");
  EXPECT_EQ(Trip().GetTitle(), "winter.vyt");
}

class ClosingTest : public TripTest {};

TEST_F(ClosingTest, YesSavesTheUnnamedTripUnderTheNameChosen) {
  ASSERT_TRUE(Start());
  Check("Tent", "2");
  modals.Answer(framework::IDYES);
  modals.Answer(framework::IDOK, folder / "autumn.vyt");
  EXPECT_TRUE(Window().close());
  EXPECT_FALSE(Window().isVisible());
  ASSERT_EQ(modals.asked.size(), 2u);
  EXPECT_EQ(modals.asked[0].text, "Save changes to Unnamed?");
  EXPECT_EQ(modals.asked[1].kind, framework::ModalRequest::saveFile);
  EXPECT_EQ(modals.asked[0].type & framework::MB_YESNOCANCEL, framework::MB_YESNOCANCEL);
  EXPECT_EQ(Lines(folder / "autumn.vyt"), Texts{"1\t2\tTent\tCamping\t"});
}

TEST_F(ClosingTest, YesSavesANamedTripIntoItsFileWithoutAskingForAName) {
  SetArguments({Summer()});
  ASSERT_TRUE(Start());
  Check("Tent", "2");
  modals.Answer(framework::IDYES);
  EXPECT_TRUE(Window().close());
  EXPECT_EQ(modals.Texts(), Texts{"Save changes to summer.vyt?"});
  EXPECT_EQ(Lines(Summer()), (Texts{"1\t2\tTent\tCamping\t", "1\t3\tSocks\tClothes\t", "1\t\tPassport\tPapers\t"}));
}

TEST_F(ClosingTest, NoClosesWithoutSaving) {
  SetArguments({Summer()});
  ASSERT_TRUE(Start());
  const std::string before = scratch::ReadFile(Summer());
  Check("Tent", "2");
  modals.Answer(framework::IDNO);
  EXPECT_TRUE(Window().close());
  EXPECT_FALSE(Window().isVisible());
  EXPECT_EQ(modals.Texts(), Texts{"Save changes to summer.vyt?"});
  EXPECT_EQ(scratch::ReadFile(Summer()), before);
}

TEST_F(ClosingTest, CancelKeepsTheWindowOpenAndTheTripModified) {
  ASSERT_TRUE(Start());
  Check("Tent", "2");
  modals.Answer(framework::IDCANCEL);
  EXPECT_FALSE(Window().close());
  EXPECT_TRUE(Window().isVisible());
  EXPECT_TRUE(Trip().IsModified());
  EXPECT_EQ(modals.Texts(), Texts{"Save changes to Unnamed?"});
}

}  // namespace
