#include "core/Document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/dialogs/MessageBox.h"
#include "support/Items.h"
#include "support/Scratch.h"

namespace {

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    framework::SetModalHook([this](const framework::ModalRequest& request) {
      messages.push_back(request.text);
      return framework::ModalAnswer{framework::IDOK, {}};
    });
    support::AddItem(repository, true, "2", "Socks", "Clothes");
    support::AddItem(repository, false, "", "Tent", "Camping");
    support::AddItem(repository, true, "1", "Soap", "Bathroom");
  }
  void TearDown() override { framework::SetModalHook({}); }


  const Item* Find(const char* name) const {
    for (int i = 0; i < repository.GetCount(); ++i)
      if (repository.GetAt(i)->GetName().Text() == std::string(name)) return repository.GetAt(i);
    return nullptr;
  }

  int CheckedCount() const {
    int checked = 0;
    for (int i = 0; i < repository.GetCount(); ++i) checked += repository.GetAt(i)->IsChecked();
    return checked;
  }

  scratch::Folder folder;
  Repository repository;
  Document document{repository};
  std::vector<std::string> messages;
};

}  // namespace

TEST_F(DocumentTest, NewTripUnchecksEverythingAndKeepsEveryItem) {
  ASSERT_TRUE(document.OnNewDocument());
  EXPECT_EQ(3, repository.GetCount());
  EXPECT_EQ(0, CheckedCount());
  for (int i = 0; i < repository.GetCount(); ++i) EXPECT_STREQ("", repository.GetAt(i)->GetQuantity().Text());
}

TEST_F(DocumentTest, SaveWritesOnlyTheCheckedItemsInRepositoryOrder) {
  ASSERT_TRUE(document.OnSaveDocument((folder / "trip.vyt").c_str()));
  EXPECT_EQ("1\t2\tSocks\tClothes\t\n1\t1\tSoap\tBathroom\t\n", scratch::ReadFile(folder / "trip.vyt"));
  EXPECT_FALSE(document.IsModified());
  // A trip without checked items is an empty file.
  ASSERT_TRUE(document.OnNewDocument());
  ASSERT_TRUE(document.OnSaveDocument((folder / "empty.vyt").c_str()));
  EXPECT_EQ("", scratch::ReadFile(folder / "empty.vyt"));
}

TEST_F(DocumentTest, OpenReplacesCheckMarksAndAddsMissingItemsChecked) {
  scratch::WriteFile(folder / "trip.vyt", "1\t\tTent\tCamping\t\n1\t3\tTowel\tBathroom\t\n");
  ASSERT_TRUE(document.OnOpenDocument((folder / "trip.vyt").c_str()));
  EXPECT_FALSE(document.IsModified());
  ASSERT_EQ(4, repository.GetCount());
  EXPECT_FALSE(Find("Socks")->IsChecked());
  EXPECT_STREQ("", Find("Socks")->GetQuantity().Text());
  EXPECT_TRUE(Find("Tent")->IsChecked());
  EXPECT_TRUE(Find("Towel")->IsChecked());
  EXPECT_STREQ("3", Find("Towel")->GetQuantity().Text());
  // The new item is sorted into its place, not left at the end.
  EXPECT_STREQ("Soap", repository.GetAt(0)->GetName().Text());
  EXPECT_STREQ("Towel", repository.GetAt(1)->GetName().Text());
}

TEST_F(DocumentTest, EmptyTripFileChangesNoCheckMark) {
  scratch::WriteFile(folder / "empty.vyt", "");
  ASSERT_TRUE(document.OnOpenDocument((folder / "empty.vyt").c_str()));
  EXPECT_EQ(2, CheckedCount());
  EXPECT_STREQ("2", Find("Socks")->GetQuantity().Text());
}

TEST_F(DocumentTest, TripThatCannotBeOpenedIsReportedAndChangesNothing) {
  const std::string path = folder / "missing.vyt";
  EXPECT_FALSE(document.OnOpenDocument(path.c_str()));
  ASSERT_EQ(1u, messages.size());
  EXPECT_NE(std::string::npos, messages[0].find(path));
  EXPECT_EQ(2, CheckedCount());
  EXPECT_EQ(3, repository.GetCount());
}
