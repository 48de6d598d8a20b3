#include "toolbox/base/ContainingList.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "toolbox/base/PointeredList.h"

using namespace toolbox;

namespace {

// An item that records its own deletion.
struct Node : ContainingListItem<Node> {
  Node(int key, int id, std::vector<int>* deleted) : key(key), id(id), deleted(deleted) {}
  ~Node() override {
    if (deleted != nullptr) deleted->push_back(id);
  }
  int key;
  int id;
  std::vector<int>* deleted;
};

int comparisons = 0;

int CompareByKey(const Node* a, const Node* b) {
  ++comparisons;
  return a->key - b->key;
}

// A list that finds its nodes by key instead of by address.
class KeyList : public ContainingList<Node> {
 public:
  int Compare(const Node* a, const Node* b) const override { return a->key - b->key; }
};

std::vector<int> Ids(const ContainingList<Node>& list) {
  std::vector<int> ids;
  for (Node* node = list.GetHead(); node != nullptr; node = node->GetNext()) ids.push_back(node->id);
  return ids;
}

// The links read backwards must mirror the forward order, and the count must match.
void ExpectConsistent(const ContainingList<Node>& list) {
  std::vector<int> backwards;
  for (Node* node = list.GetTail(); node != nullptr; node = node->GetPrevious()) {
    backwards.insert(backwards.begin(), node->id);
  }
  EXPECT_EQ(backwards, Ids(list));
  EXPECT_EQ(static_cast<int>(backwards.size()), list.GetCount());
  if (list.GetHead() != nullptr) {
    EXPECT_EQ(list.GetHead()->GetPrevious(), nullptr);
  }
  if (list.GetTail() != nullptr) {
    EXPECT_EQ(list.GetTail()->GetNext(), nullptr);
  }
}

void AppendKeys(ContainingList<Node>& list, std::vector<int> keys, std::vector<int>* deleted) {
  int id = list.GetCount();
  for (int key : keys) list.Append(new Node(key, id++, deleted));
}

}  // namespace

TEST(ContainingListTest, AppendLinksItemsInBothDirections) {
  ContainingList<Node> list;
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetHead(), nullptr);
  EXPECT_EQ(list.GetTail(), nullptr);
  AppendKeys(list, {0, 0, 0}, nullptr);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 1, 2}));
  ExpectConsistent(list);
}

TEST(ContainingListTest, RemoveLastHandsBackTheTailWithClearedLinks) {
  std::vector<int> deleted;
  ContainingList<Node> list;
  EXPECT_EQ(list.RemoveLast(), nullptr);
  EXPECT_FALSE(list.DeleteLast());

  AppendKeys(list, {0, 0}, &deleted);
  Node* last = list.RemoveLast();
  EXPECT_EQ(last->id, 1);
  EXPECT_EQ(last->GetPrevious(), nullptr);
  EXPECT_EQ(list.GetHead()->GetNext(), nullptr);
  ExpectConsistent(list);
  delete last;

  Node* only = list.RemoveLast();
  EXPECT_EQ(only->id, 0);
  EXPECT_EQ(list.GetHead(), nullptr);
  EXPECT_EQ(list.GetTail(), nullptr);
  EXPECT_EQ(list.GetCount(), 0);
  delete only;
  EXPECT_EQ(deleted, (std::vector<int>{1, 0}));
}

TEST(ContainingListTest, DeleteAllAndDestructionDeleteFromTheTail) {
  std::vector<int> deleted;
  {
    ContainingList<Node> list;
    AppendKeys(list, {0, 0, 0}, &deleted);
    list.DeleteAll();
    EXPECT_EQ(deleted, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetHead(), nullptr);
    deleted.clear();
    AppendKeys(list, {0, 0, 0}, &deleted);
  }
  EXPECT_EQ(deleted, (std::vector<int>{2, 1, 0}));
}

TEST(ContainingListTest, RemoveJoinsTheNeighboursWhereverTheItemSits) {
  std::vector<int> deleted;
  ContainingList<Node> list;
  AppendKeys(list, {0, 0, 0, 0}, &deleted);
  Node* second = list.GetHead()->GetNext();
  EXPECT_EQ(list.Remove(second), second);
  EXPECT_EQ(second->GetNext(), nullptr);
  EXPECT_EQ(second->GetPrevious(), nullptr);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 2, 3}));
  ExpectConsistent(list);
  delete second;

  EXPECT_TRUE(list.DeleteItem(list.GetHead()));
  EXPECT_EQ(Ids(list), (std::vector<int>{2, 3}));
  ExpectConsistent(list);
  EXPECT_TRUE(list.DeleteItem(list.GetTail()));
  EXPECT_EQ(Ids(list), (std::vector<int>{2}));
  ExpectConsistent(list);
  EXPECT_EQ(deleted, (std::vector<int>{1, 0, 3}));
}

TEST(ContainingListTest, RemoveOfAnItemOfAnotherListChangesNeitherList) {
  std::vector<int> deleted;
  ContainingList<Node> first;
  ContainingList<Node> second;
  AppendKeys(first, {0, 0}, &deleted);
  AppendKeys(second, {0, 0}, &deleted);
  Node* stranger = second.GetHead();
  EXPECT_EQ(first.Remove(stranger), nullptr);
  EXPECT_FALSE(first.DeleteItem(stranger));
  EXPECT_EQ(first.GetCount(), 2);
  EXPECT_EQ(second.GetCount(), 2);
  EXPECT_EQ(second.GetHead(), stranger);
  EXPECT_EQ(stranger->GetNext(), second.GetTail());
  ExpectConsistent(first);
  ExpectConsistent(second);
  EXPECT_TRUE(deleted.empty());
}

TEST(ContainingListTest, RemoveByContentHandsBackTheListsOwnNode) {
  std::vector<int> deleted;
  KeyList list;
  AppendKeys(list, {5, 7, 9}, &deleted);
  Node probe(7, 99, nullptr);
  Node* removed = list.Remove(&probe);
  ASSERT_NE(removed, nullptr);
  EXPECT_EQ(removed->id, 1);
  delete removed;
  Node other(9, 98, nullptr);
  EXPECT_TRUE(list.DeleteItem(&other));
  EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
  EXPECT_EQ(Ids(list), (std::vector<int>{0}));
}

TEST(ContainingListTest, SortIsStable) {
  ContainingList<Node> list;
  AppendKeys(list, {3, 1, 2, 1, 3, 0}, nullptr);
  list.Sort(CompareByKey);
  EXPECT_EQ(Ids(list), (std::vector<int>{5, 1, 3, 2, 0, 4}));
  ExpectConsistent(list);

  list.Sort(CompareByKey);
  EXPECT_EQ(Ids(list), (std::vector<int>{5, 1, 3, 2, 0, 4}));
  ExpectConsistent(list);
}

namespace {

// The selection sort that takes the first of the smallest remaining items each time, whose
// order the list's sort must give.
std::vector<int> SelectionSortedIds(std::vector<std::pair<int, int>> keyAndId) {
  std::vector<int> ids;
  while (!keyAndId.empty()) {
    std::size_t r = 0;
    for (std::size_t q = 1; q < keyAndId.size(); ++q) {
      if (keyAndId[q].first < keyAndId[r].first) r = q;
    }
    ids.push_back(keyAndId[r].second);
    keyAndId.erase(keyAndId.begin() + static_cast<std::ptrdiff_t>(r));
  }
  return ids;
}

}  // namespace

TEST(ContainingListTest, SortGivesTheSelectionSortsOrderWithManyEquals) {
  std::mt19937 random(5);
  for (int length : {2, 3, 7, 64, 65, 1000}) {
    for (int keys : {1, 3, 1000}) {
      std::vector<int> drawn;
      std::vector<std::pair<int, int>> keyAndId;
      for (int i = 0; i < length; ++i) {
        drawn.push_back(static_cast<int>(random() % keys));
        keyAndId.emplace_back(drawn.back(), i);
      }
      ContainingList<Node> list;
      AppendKeys(list, drawn, nullptr);
      list.Sort(CompareByKey);
      EXPECT_EQ(Ids(list), SelectionSortedIds(keyAndId)) << length << " " << keys;
      ExpectConsistent(list);
    }
  }
}

TEST(ContainingListTest, SortWithoutFunctionOrdersByAddressAndLeavesShortListsAlone) {
  ContainingList<Node> list;
  comparisons = 0;
  list.Sort(CompareByKey);
  EXPECT_EQ(list.GetHead(), nullptr);
  AppendKeys(list, {4}, nullptr);
  Node* only = list.GetHead();
  list.Sort(CompareByKey);
  EXPECT_EQ(comparisons, 0);
  EXPECT_EQ(list.GetHead(), only);
  EXPECT_EQ(list.GetTail(), only);
  EXPECT_EQ(list.GetCount(), 1);

  AppendKeys(list, {4, 4, 4}, nullptr);
  list.Sort();
  for (Node* node = list.GetHead(); node->GetNext() != nullptr; node = node->GetNext()) {
    EXPECT_LT(node, node->GetNext());
  }
  ExpectConsistent(list);
}

TEST(ContainingListTest, PointeredListLeavesItsPayloadsAlone) {
  int values[3] = {1, 2, 3};
  {
    PointeredList list;
    for (int& value : values) list.Append(new PointeredListItem(&value));
    PointeredListItem* empty = new PointeredListItem;
    EXPECT_EQ(empty->GetPayload(), nullptr);
    empty->SetPayload(&values[0]);
    list.Append(empty);
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetHead()->GetNext()->GetPayload(), &values[1]);
  }
  // ASan would report a bad free had the list deleted the payloads.
  EXPECT_EQ(values[2], 3);
}

TEST(ContainingListTest, KeyListsSortStablyIgnoringCase) {
  char lowerB[] = "b";
  char upperA[] = "A";
  char lowerA[] = "a";
  PointeredList keys;
  for (char* text : {lowerB, upperA, lowerA}) keys.Append(new PointeredListItem(text));
  keys.Sort(CompareTextsIgnoreCase);
  std::vector<void*> order;
  for (PointeredListItem* item = keys.GetHead(); item != nullptr; item = item->GetNext()) {
    order.push_back(item->GetPayload());
  }
  EXPECT_EQ(order, (std::vector<void*>{upperA, lowerA, lowerB}));
}
