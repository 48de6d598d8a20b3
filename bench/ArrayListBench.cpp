// ArrayList against std::vector on the same work: appending, reading by index, inserting at
// the front and sorting. Our sort keeps the selection sort's exact permutation with a
// tournament tree, O(n log n); std::sort is measured on the same items for scale. The sort of
// a list already in order is set against the n - 1 comparisons that show the order, which is
// how the repository avoids sorting a list read in order.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "toolbox/base/ArrayList.h"

using toolbox::ArrayList;

namespace {

constexpr int kAddCount = 1'000'000;
constexpr int kInsertCount = 10'000;

struct Element {
  int key;
};

int CompareElements(const Element* a, const Element* b) { return a->key - b->key; }

// Elements the lists only point to; each benchmark takes them out again before its list is
// destroyed, so the pool stays the pool's.
std::vector<Element>& Pool(int n) {
  static std::vector<Element> pool;
  if (static_cast<int>(pool.size()) < n) {
    pool.resize(n);
    std::mt19937 random(42);
    for (Element& element : pool) element.key = static_cast<int>(random() % 1'000'000);
  }
  return pool;
}

template <class T>
void Disown(ArrayList<T>& list) {
  while (list.GetCount() > 0) list.RemoveLast();
}

void BM_Ours_AddMillion(benchmark::State& state) {
  for (auto _ : state) {
    ArrayList<Element> list;
    for (int i = 0; i < kAddCount; ++i) list.Add(nullptr);
    benchmark::DoNotOptimize(list.GetCount());
  }
}
BENCHMARK(BM_Ours_AddMillion);

// The vector deletes its elements at the end as well, as the owning list does.
void BM_Std_AddMillion(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<Element*> list;
    for (int i = 0; i < kAddCount; ++i) list.push_back(nullptr);
    benchmark::DoNotOptimize(list.data());
    for (Element* element : list) delete element;
  }
}
BENCHMARK(BM_Std_AddMillion);

void BM_Ours_GetAt(benchmark::State& state) {
  std::vector<Element>& pool = Pool(kAddCount);
  ArrayList<Element> list;
  for (Element& element : pool) list.Add(&element);
  for (auto _ : state) {
    long sum = 0;
    for (int i = 0; i < list.GetCount(); ++i) sum += list.GetAt(i)->key;
    benchmark::DoNotOptimize(sum);
  }
  Disown(list);
}
BENCHMARK(BM_Ours_GetAt);

void BM_Std_GetAt(benchmark::State& state) {
  std::vector<Element>& pool = Pool(kAddCount);
  std::vector<Element*> list;
  for (Element& element : pool) list.push_back(&element);
  for (auto _ : state) {
    long sum = 0;
    for (std::size_t i = 0; i < list.size(); ++i) sum += list[i]->key;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Std_GetAt);

void BM_Ours_InsertAtFront(benchmark::State& state) {
  for (auto _ : state) {
    ArrayList<Element> list;
    for (int i = 0; i < kInsertCount; ++i) list.InsertAt(nullptr, 0);
    benchmark::DoNotOptimize(list.GetCount());
  }
}
BENCHMARK(BM_Ours_InsertAtFront);

void BM_Std_InsertAtFront(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<Element*> list;
    for (int i = 0; i < kInsertCount; ++i) list.insert(list.begin(), nullptr);
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_Std_InsertAtFront);

// Both sides restore the same shuffled order before every sort.
void BM_Ours_Sort(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<Element>& pool = Pool(n);
  ArrayList<Element> list;
  for (auto _ : state) {
    Disown(list);
    for (int i = 0; i < n; ++i) list.Add(&pool[i]);
    list.Sort(CompareElements);
    benchmark::DoNotOptimize(list.First());
  }
  Disown(list);
}
BENCHMARK(BM_Ours_Sort)->Arg(2'000)->Arg(20'000)->Arg(500'000)->Unit(benchmark::kMillisecond);

void BM_Std_Sort(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<Element>& pool = Pool(n);
  std::vector<Element*> list;
  for (auto _ : state) {
    list.clear();
    for (int i = 0; i < n; ++i) list.push_back(&pool[i]);
    std::sort(list.begin(), list.end(),
              [](const Element* a, const Element* b) { return CompareElements(a, b) < 0; });
    benchmark::DoNotOptimize(list.front());
  }
}
BENCHMARK(BM_Std_Sort)->Arg(2'000)->Arg(20'000)->Arg(500'000)->Unit(benchmark::kMillisecond);

// A list already in order: the whole sort, and the pass that finds the order instead.
constexpr int kInOrderCount = 100'000;

void FillInOrder(ArrayList<Element>& list, std::vector<Element>& ordered) {
  ordered.resize(kInOrderCount);
  for (int i = 0; i < kInOrderCount; ++i) ordered[i].key = i;
  for (Element& element : ordered) list.Add(&element);
}

void BM_SortInOrder(benchmark::State& state) {
  std::vector<Element> ordered;
  ArrayList<Element> list;
  FillInOrder(list, ordered);
  for (auto _ : state) {
    list.Sort(CompareElements);
    benchmark::DoNotOptimize(list.First());
  }
  Disown(list);
}
BENCHMARK(BM_SortInOrder)->Unit(benchmark::kMillisecond);

void BM_CheckInOrder(benchmark::State& state) {
  std::vector<Element> ordered;
  ArrayList<Element> list;
  FillInOrder(list, ordered);
  for (auto _ : state) {
    bool inOrder = true;
    for (int i = 1; i < list.GetCount() && inOrder; ++i) {
      inOrder = CompareElements(list.GetAt(i), list.GetAt(i - 1)) >= 0;
    }
    benchmark::DoNotOptimize(inOrder);
  }
  Disown(list);
}
BENCHMARK(BM_CheckInOrder)->Unit(benchmark::kMillisecond);

}  // namespace
