// ArrayList against std::vector on the same work: appending, reading by index, inserting at
// the front and sorting. Our sort is the selection sort the program prescribes, quadratic by
// design; std::sort is measured on the same items for scale.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "toolbox/ArrayList.h"

using toolbox::ArrayList;

namespace {

constexpr int kAddCount = 1'000'000;
constexpr int kInsertCount = 10'000;
constexpr int kSortCount = 2'000;

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
  std::vector<Element>& pool = Pool(kSortCount);
  ArrayList<Element> list;
  for (auto _ : state) {
    Disown(list);
    for (int i = 0; i < kSortCount; ++i) list.Add(&pool[i]);
    list.Sort(CompareElements);
    benchmark::DoNotOptimize(list.First());
  }
  Disown(list);
}
BENCHMARK(BM_Ours_Sort);

void BM_Std_Sort(benchmark::State& state) {
  std::vector<Element>& pool = Pool(kSortCount);
  std::vector<Element*> list;
  for (auto _ : state) {
    list.clear();
    for (int i = 0; i < kSortCount; ++i) list.push_back(&pool[i]);
    std::sort(list.begin(), list.end(),
              [](const Element* a, const Element* b) { return CompareElements(a, b) < 0; });
    benchmark::DoNotOptimize(list.front());
  }
}
BENCHMARK(BM_Std_Sort);

}  // namespace
