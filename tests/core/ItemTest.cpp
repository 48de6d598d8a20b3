#include "core/Item.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/Items.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

int Order(const char* groupA, const char* nameA, const char* groupB, const char* nameB) {
  Item a, b;
  a.SetGroup(groupA);
  a.SetName(nameA);
  b.SetGroup(groupB);
  b.SetName(nameB);
  return Sign(CompareItems(&a, &b));
}

// An item of a generated list: few groups and names in two cases, so that many items
// compare equal; the quantity tells each item apart.
struct Entry {
  std::string group;
  std::string name;
  std::string id;
};

void Fill(Repository& repository, const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) {
    support::AddItem(repository, false, entry.id.c_str(), entry.name.c_str(), entry.group.c_str());
  }
}

std::vector<std::string> Ids(const Repository& repository) {
  std::vector<std::string> ids;
  for (int i = 0; i < repository.GetCount(); ++i) ids.push_back(repository.GetAt(i)->GetQuantity().Text());
  return ids;
}

std::vector<std::string> Ids(const std::vector<Entry>& entries) {
  std::vector<std::string> ids;
  for (const Entry& entry : entries) ids.push_back(entry.id);
  return ids;
}

// The order that the list's own selection sort leaves.
std::vector<std::string> SelectionSorted(const std::vector<Entry>& entries) {
  Repository repository;
  Fill(repository, entries);
  repository.Sort(CompareItems);
  return Ids(repository);
}

std::vector<std::string> RepositorySorted(const std::vector<Entry>& entries) {
  Repository repository;
  Fill(repository, entries);
  SortRepository(repository);
  return Ids(repository);
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
  support::AddItem(repository, false, "", "Pot", "Kitchen");
  support::AddItem(repository, false, "", "Towel", "bathroom");
  support::AddItem(repository, false, "", "soap", "Bathroom");
  support::AddItem(repository, false, "", "Passport", "");
  repository.Sort(CompareItems);
  ASSERT_EQ(4, repository.GetCount());
  EXPECT_STREQ("Passport", repository.GetAt(0)->GetName().Text());
  EXPECT_STREQ("soap", repository.GetAt(1)->GetName().Text());
  EXPECT_STREQ("Towel", repository.GetAt(2)->GetName().Text());
  EXPECT_STREQ("Pot", repository.GetAt(3)->GetName().Text());
}

TEST(SortRepositoryTest, LeavesEveryListExactlyAsTheSelectionSortDoes) {
  const char* const groups[] = {"g", "G", "h"};
  const char* const names[] = {"", "a", "A", "b", "B"};
  std::mt19937 random(7);
  for (int round = 0; round < 60; ++round) {
    std::vector<Entry> entries;
    const int count = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      entries.push_back({groups[random() % std::size(groups)], names[random() % std::size(names)], std::to_string(i)});
    }
    EXPECT_EQ(SelectionSorted(entries), RepositorySorted(entries));

    // In order, as the program writes its repository file: left as it is.
    std::vector<Entry> ordered;
    for (const std::string& id : SelectionSorted(entries)) ordered.push_back(entries[std::stoul(id)]);
    EXPECT_EQ(Ids(ordered), RepositorySorted(ordered));

    // In order but for one pair of neighbours, wherever it stands.
    for (std::size_t p = 0; p + 1 < ordered.size(); ++p) {
      std::vector<Entry> swapped = ordered;
      std::swap(swapped[p], swapped[p + 1]);
      EXPECT_EQ(SelectionSorted(swapped), RepositorySorted(swapped)) << "pair at " << p;
    }
  }
}

// Texts of a tiny alphabet with long common beginnings: the sort decides before, at and
// past the eighth and the sixteenth byte, between cases and on bytes above ASCII, with every item distinct (the fast
// sort) or with equal ones among them (the list's own sort).
TEST(SortRepositoryTest, LongSharedBeginningsSortAsTheSelectionSortDoes) {
  const char* const letters[] = {"a", "A", "\xE4", "z", " "};
  std::mt19937 random(11);
  auto text = [&](std::size_t kept) {
    std::string made = "Zelt und Schlafen ";
    made.resize(kept);
    for (std::size_t i = random() % 5; i > 0; --i) made += letters[random() % std::size(letters)];
    return made;
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<Entry> entries;
    const int count = 2 + static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) entries.push_back({text(random() % 19), text(random() % 19), std::to_string(i)});
    EXPECT_EQ(SelectionSorted(entries), RepositorySorted(entries)) << "round " << round;
  }
}
