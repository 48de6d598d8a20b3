#include "toolbox/base/ArrayList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "toolbox/base/Exception.h"
#include "toolbox/base/String.h"

using namespace toolbox;

namespace {

// An element that records its own deletion.
struct Tracked {
  Tracked(int id, std::vector<int>* deleted) : id(id), deleted(deleted) {}
  ~Tracked() { deleted->push_back(id); }
  int id;
  std::vector<int>* deleted;
};

struct Keyed {
  int key;
  char name[4];
};

int comparisons = 0;

int CompareKeys(const Keyed* a, const Keyed* b) {
  ++comparisons;
  return a->key - b->key;
}

// Fills a default list with n elements and returns the capacity seen after each Add.
std::vector<int> AddAndRecordCapacities(ArrayList<Tracked>& list, int n,
                                        std::vector<int>* deleted) {
  std::vector<int> capacities;
  for (int i = 0; i < n; ++i) {
    list.Add(new Tracked(i, deleted));
    capacities.push_back(list.GetCapacity());
  }
  return capacities;
}

// Lets the tests reach the reallocation directly.
template <class T>
class ExposedList : public ArrayList<T> {
 public:
  using ArrayList<T>::Reallocate;
};

}  // namespace

TEST(ArrayListTest, ConstructionRepairsMinimumAndFillPercentages) {
  ArrayList<Tracked> defaults;
  EXPECT_EQ(defaults.GetMinimumCapacity(), 16);
  EXPECT_EQ(defaults.GetLowFill(), 30);
  EXPECT_EQ(defaults.GetHighFill(), 60);
  EXPECT_EQ(defaults.GetCapacity(), 16);
  EXPECT_EQ(defaults.GetCount(), 0);

  ArrayList<Tracked> lowAboveHigh(4, 50, 40);
  EXPECT_EQ(lowAboveHigh.GetMinimumCapacity(), 8);
  EXPECT_EQ(lowAboveHigh.GetLowFill(), 30);
  EXPECT_EQ(lowAboveHigh.GetHighFill(), 60);
  EXPECT_EQ(lowAboveHigh.GetCapacity(), 8);

  ArrayList<Tracked> negativeLow(20, -1, 50);
  EXPECT_EQ(negativeLow.GetLowFill(), 30);
  EXPECT_EQ(negativeLow.GetHighFill(), 60);
  EXPECT_EQ(negativeLow.GetCapacity(), 20);

  ArrayList<Tracked> fullHigh(16, 30, 100);
  EXPECT_EQ(fullHigh.GetHighFill(), 60);

  ArrayList<Tracked> sensible(10, 20, 80);
  EXPECT_EQ(sensible.GetMinimumCapacity(), 10);
  EXPECT_EQ(sensible.GetLowFill(), 20);
  EXPECT_EQ(sensible.GetHighFill(), 80);
}

TEST(ArrayListTest, GrowsTo28Then48Then81OnThe17th29thAnd49thElement) {
  std::vector<int> deleted;
  {
    ArrayList<Tracked> list;
    std::vector<int> capacities = AddAndRecordCapacities(list, 49, &deleted);
    for (int i = 0; i < 49; ++i) {
      int expected = i < 16 ? 16 : i < 28 ? 28 : i < 48 ? 48 : 81;
      EXPECT_EQ(capacities[i], expected) << "after element " << i + 1;
    }
    for (int i = 0; i < 49; ++i) EXPECT_EQ(list.GetAt(i)->id, i);
  }
  EXPECT_EQ(deleted.size(), 49u);
}

TEST(ArrayListTest, ShrinksOnlyOnTheRemovalAfterFillFellBelowThirtyPercent) {
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  AddAndRecordCapacities(list, 49, &deleted);
  ASSERT_EQ(list.GetCapacity(), 81);

  // 24 of 81 is below 30 %, but the decision is taken on the next removal.
  while (list.GetCount() > 24) list.DeleteLast();
  EXPECT_EQ(list.GetCapacity(), 81);
  list.DeleteLast();
  EXPECT_EQ(list.GetCapacity(), 38);  // 23 * 100 / 60

  while (list.GetCount() > 11) list.DeleteLast();
  EXPECT_EQ(list.GetCapacity(), 38);
  list.DeleteLast();
  EXPECT_EQ(list.GetCapacity(), 16);  // 10 * 100 / 60, raised to the minimum

  for (int i = 0; i < list.GetCount(); ++i) EXPECT_EQ(list.GetAt(i)->id, i);
}

TEST(ArrayListTest, RemoveAtHandsTheElementBackAndKeepsTheMinimum) {
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  Tracked* only = new Tracked(7, &deleted);
  list.Add(only);
  Tracked* removed = list.RemoveAt(0);
  EXPECT_EQ(removed, only);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetCapacity(), 16);
  EXPECT_TRUE(deleted.empty());
  delete removed;
}

TEST(ArrayListTest, RemovalsCloseTheGapAndCountDeletions) {
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  AddAndRecordCapacities(list, 5, &deleted);

  Tracked* middle = list.RemoveAt(2);
  EXPECT_EQ(middle->id, 2);
  delete middle;
  EXPECT_TRUE(list.DeleteAt(0));
  EXPECT_TRUE(list.DeleteLast());
  EXPECT_EQ(deleted, (std::vector<int>{2, 0, 4}));
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.First()->id, 1);
  EXPECT_EQ(list.Last()->id, 3);

  Tracked* last = list.RemoveLast();
  EXPECT_EQ(last->id, 3);
  delete last;
  EXPECT_EQ(list.GetCount(), 1);
}

TEST(ArrayListTest, OutOfRangeIndexesAnswerNullOrFalseAndChangeNothing) {
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Last(), nullptr);
  EXPECT_EQ(list.RemoveLast(), nullptr);
  EXPECT_FALSE(list.DeleteLast());

  AddAndRecordCapacities(list, 3, &deleted);
  EXPECT_EQ(list.GetAt(-1), nullptr);
  EXPECT_EQ(list.GetAt(3), nullptr);
  EXPECT_EQ(list.RemoveAt(-1), nullptr);
  EXPECT_EQ(list.RemoveAt(3), nullptr);
  EXPECT_FALSE(list.DeleteAt(3));
  EXPECT_FALSE(list.DeleteAt(-1));
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_TRUE(deleted.empty());
}

TEST(ArrayListTest, InsertAtAcceptsZeroToCountAndIgnoresOtherIndexes) {
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  AddAndRecordCapacities(list, 2, &deleted);  // 0, 1

  list.InsertAt(new Tracked(10, &deleted), 2);  // index == count appends
  list.InsertAt(new Tracked(11, &deleted), 0);
  list.InsertAt(new Tracked(12, &deleted), 2);
  std::vector<int> ids;
  for (int i = 0; i < list.GetCount(); ++i) ids.push_back(list.GetAt(i)->id);
  EXPECT_EQ(ids, (std::vector<int>{11, 0, 12, 1, 10}));

  // Not taken over: the element stays the caller's.
  Tracked outside(99, &deleted);
  list.InsertAt(&outside, 6);
  list.InsertAt(&outside, -1);
  EXPECT_EQ(list.GetCount(), 5);
  for (int i = 0; i < list.GetCount(); ++i) EXPECT_NE(list.GetAt(i), &outside);
}

TEST(ArrayListTest, InsertAtFrontGrowsLikeAdd) {
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  for (int i = 0; i < 17; ++i) list.InsertAt(new Tracked(i, &deleted), 0);
  EXPECT_EQ(list.GetCapacity(), 28);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(list.GetAt(i)->id, 16 - i);
}

TEST(ArrayListTest, DeleteAllKeepsAWellFilledArrayAndDeletesInIndexOrder) {
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  AddAndRecordCapacities(list, 40, &deleted);
  ASSERT_EQ(list.GetCapacity(), 48);
  list.DeleteAll();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetCapacity(), 48);
  ASSERT_EQ(deleted.size(), 40u);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(deleted[i], i);
}

TEST(ArrayListTest, DeleteAllOfASparseListReturnsToTheMinimum) {
  // 24 elements in 81 slots: more elements than the 16 slots the list shrinks to.
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  AddAndRecordCapacities(list, 49, &deleted);
  while (list.GetCount() > 24) list.DeleteLast();
  ASSERT_EQ(list.GetCapacity(), 81);
  deleted.clear();

  list.DeleteAll();
  EXPECT_EQ(list.GetCapacity(), 16);
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(deleted.size(), 24u);

  list.Add(new Tracked(100, &deleted));
  EXPECT_EQ(list.First()->id, 100);
}

TEST(ArrayListTest, NullSlotsAreKeptAndSkippedWhenDeleting) {
  std::vector<int> deleted;
  ArrayList<Tracked> list;
  list.Add(nullptr);
  list.Add(new Tracked(1, &deleted));
  list.InsertAt(nullptr, 1);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetAt(0), nullptr);
  EXPECT_EQ(list.GetAt(1), nullptr);
  EXPECT_TRUE(list.DeleteAt(0));  // a slot was there, even if empty
  list.DeleteAll();
  EXPECT_EQ(deleted, (std::vector<int>{1}));
}

TEST(ArrayListTest, SortIsTheUnstableSelectionSort) {
  Keyed b1{2, "B1"}, b2{2, "B2"}, a{1, "A"};
  ArrayList<Keyed> list;
  list.Add(&b1);
  list.Add(&b2);
  list.Add(&a);
  list.Sort(CompareKeys);
  EXPECT_EQ(list.GetAt(0), &a);
  EXPECT_EQ(list.GetAt(1), &b2);  // swapped past its equal
  EXPECT_EQ(list.GetAt(2), &b1);
  while (list.RemoveLast() != nullptr) {
  }

  Keyed equal[3] = {{5, "X"}, {5, "Y"}, {5, "Z"}};
  for (Keyed& e : equal) list.Add(&e);
  list.Sort(CompareKeys);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(list.GetAt(i), &equal[i]);
  while (list.RemoveLast() != nullptr) {
  }

  Keyed many[10];
  for (int i = 0; i < 10; ++i) many[i].key = (i * 7) % 10;
  for (Keyed& e : many) list.Add(&e);
  list.Sort(CompareKeys);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(list.GetAt(i)->key, i);
  while (list.RemoveLast() != nullptr) {
  }
}

namespace {

// The plain selection sort, whose exact permutation the list's sort must give.
std::vector<Keyed*> SelectionSorted(std::vector<Keyed*> elements) {
  for (std::size_t i = 0; i + 1 < elements.size(); ++i) {
    std::size_t m = i;
    for (std::size_t j = i + 1; j < elements.size(); ++j) {
      if (elements[j]->key < elements[m]->key) m = j;
    }
    std::swap(elements[i], elements[m]);
  }
  return elements;
}

std::vector<Keyed*> ListSorted(const std::vector<Keyed*>& elements) {
  ArrayList<Keyed> list;
  for (Keyed* element : elements) list.Add(element);
  list.Sort(CompareKeys);
  std::vector<Keyed*> sorted;
  while (list.GetCount() > 0) sorted.insert(sorted.begin(), list.RemoveLast());
  return sorted;
}

}  // namespace

TEST(ArrayListTest, SortGivesTheSelectionSortsPermutationOfEveryShortList) {
  // Every list of up to 7 elements over the keys 0..2.
  Keyed pool[7];
  for (int length = 0; length <= 7; ++length) {
    int lists = 1;
    for (int i = 0; i < length; ++i) lists *= 3;
    for (int code = 0; code < lists; ++code) {
      std::vector<Keyed*> elements;
      for (int i = 0, rest = code; i < length; ++i, rest /= 3) {
        pool[i].key = rest % 3;
        elements.push_back(&pool[i]);
      }
      ASSERT_EQ(SelectionSorted(elements), ListSorted(elements)) << length << " " << code;
    }
  }
}

TEST(ArrayListTest, SortGivesTheSelectionSortsPermutationOfLongListsWithManyEquals) {
  std::mt19937 random(11);
  for (int length : {2, 16, 17, 100, 1000, 3000}) {
    for (int keys : {1, 2, 4, 1000}) {
      std::vector<Keyed> pool(length);
      std::vector<Keyed*> elements;
      for (Keyed& element : pool) {
        element.key = static_cast<int>(random() % keys);
        elements.push_back(&element);
      }
      EXPECT_EQ(SelectionSorted(elements), ListSorted(elements)) << length << " " << keys;
    }
  }

  // Without a function: by address.
  std::vector<Keyed> block(500);
  std::vector<Keyed*> shuffled;
  for (Keyed& element : block) shuffled.push_back(&element);
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  ArrayList<Keyed> list;
  for (Keyed* element : shuffled) list.Add(element);
  list.Sort();
  for (int i = 0; i < 500; ++i) ASSERT_EQ(list.GetAt(i), &block[i]) << i;
  while (list.RemoveLast() != nullptr) {
  }
}

TEST(ArrayListTest, SortWithoutFunctionOrdersByAddressAndLeavesShortListsAlone) {
  Keyed block[4] = {};
  ArrayList<Keyed> list;
  list.Add(&block[2]);
  list.Add(&block[0]);
  list.Add(&block[3]);
  list.Add(&block[1]);
  list.Sort();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list.GetAt(i), &block[i]);
  EXPECT_EQ(list.Compare(&block[1], &block[1]), 0);
  EXPECT_EQ(list.Compare(&block[1], &block[0]), 1);
  EXPECT_EQ(list.Compare(&block[0], &block[1]), -1);
  while (list.RemoveLast() != nullptr) {
  }

  comparisons = 0;
  list.Sort(CompareKeys);
  list.Add(&block[0]);
  list.Sort(CompareKeys);
  EXPECT_EQ(comparisons, 0);
  EXPECT_EQ(list.First(), &block[0]);
  list.RemoveLast();
}

TEST(ArrayListTest, ImpossibleAllocationThrowsAndLeavesTheListUnchanged) {
  std::vector<int> deleted;
  ExposedList<Tracked> list;
  list.Add(new Tracked(1, &deleted));
  list.Add(new Tracked(2, &deleted));
  EXPECT_THROW(list.Reallocate(1 << 30), EOutOfMemory);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetCapacity(), 16);
  EXPECT_EQ(list.First()->id, 1);
  EXPECT_EQ(list.Last()->id, 2);
  EXPECT_TRUE(deleted.empty());
  list.Add(new Tracked(3, &deleted));
  EXPECT_EQ(list.GetCount(), 3);
}

TEST(ArrayListTest, AddDistinctTextssAnOwnedCopy) {
  char text[] = "Socks";
  ArrayList<String> list;
  list.AddText(text);
  list.AddText("");
  text[0] = 'R';
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_STREQ(list.First()->Text(), "Socks");
  EXPECT_STREQ(list.Last()->Text(), "");
}
