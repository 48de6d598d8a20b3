// toolbox::String against std::string on the same work.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "toolbox/base/String.h"

namespace {

// An item-list line: longer than std::string keeps without the heap.
const char kLine[] = "1\t2 pairs\tWarm socks for the mountain hut\tClothes\t";
// An item name: short enough for std::string's inline buffer.
const char kName[] = "Socks";
constexpr int kAppends = 1000000;

// A 10,000-character text with the sought word only at its end.
std::string Haystack() { return std::string(10000, 'a') + "needle"; }

void BM_Ours_Construct(benchmark::State& state) {
  for (auto _ : state) {
    toolbox::String s(kLine);
    benchmark::DoNotOptimize(s.Text());
  }
}

void BM_Std_Construct(benchmark::State& state) {
  for (auto _ : state) {
    std::string s(kLine);
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_Ours_ConstructShort(benchmark::State& state) {
  for (auto _ : state) {
    toolbox::String s(kName);
    benchmark::DoNotOptimize(s.Text());
  }
}

void BM_Std_ConstructShort(benchmark::State& state) {
  for (auto _ : state) {
    std::string s(kName);
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_Ours_Copy(benchmark::State& state) {
  toolbox::String source(kLine);
  for (auto _ : state) {
    toolbox::String copy(source);
    benchmark::DoNotOptimize(copy.Text());
  }
}

void BM_Std_Copy(benchmark::State& state) {
  std::string source(kLine);
  for (auto _ : state) {
    std::string copy(source);
    benchmark::DoNotOptimize(copy.data());
  }
}

void BM_Ours_AppendCharMillion(benchmark::State& state) {
  for (auto _ : state) {
    toolbox::String s;
    for (int i = 0; i < kAppends; ++i) s.Append(char('a' + i % 26));
    benchmark::DoNotOptimize(s.Text());
  }
}

void BM_Std_AppendCharMillion(benchmark::State& state) {
  for (auto _ : state) {
    std::string s;
    for (int i = 0; i < kAppends; ++i) s.push_back(char('a' + i % 26));
    benchmark::DoNotOptimize(s.data());
  }
}

void BM_Ours_Find(benchmark::State& state) {
  toolbox::String s(Haystack().c_str());
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.Find("needle"));
  }
}

void BM_Std_Find(benchmark::State& state) {
  std::string s = Haystack();
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.find("needle"));
  }
}

void BM_Ours_FindChar(benchmark::State& state) {
  toolbox::String s(Haystack().c_str());
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.Find('n'));
  }
}

void BM_Std_FindChar(benchmark::State& state) {
  std::string s = Haystack();
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.find('n'));
  }
}

void BM_Ours_Format(benchmark::State& state) {
  toolbox::String s;
  int count = 0;
  for (auto _ : state) {
    s.Format("%s: %d of %s", kName, ++count, "Clothes");
    benchmark::DoNotOptimize(s.Text());
  }
}

// The same strategy with std::string: format into the buffer the string already has and
// grow it only when the result does not fit.
void BM_Std_Format(benchmark::State& state) {
  std::string s;
  int count = 0;
  for (auto _ : state) {
    ++count;
    s.resize(s.capacity());
    int n = std::snprintf(s.data(), s.size() + 1, "%s: %d of %s", kName, count, "Clothes");
    if (n > int(s.size())) {
      s.resize(n);
      std::snprintf(s.data(), s.size() + 1, "%s: %d of %s", kName, count, "Clothes");
    }
    s.resize(n);
    benchmark::DoNotOptimize(s.data());
  }
}

}  // namespace

BENCHMARK(BM_Ours_Construct);
BENCHMARK(BM_Std_Construct);
BENCHMARK(BM_Ours_ConstructShort);
BENCHMARK(BM_Std_ConstructShort);
BENCHMARK(BM_Ours_Copy);
BENCHMARK(BM_Std_Copy);
BENCHMARK(BM_Ours_AppendCharMillion);
BENCHMARK(BM_Std_AppendCharMillion);
BENCHMARK(BM_Ours_Find);
BENCHMARK(BM_Std_Find);
BENCHMARK(BM_Ours_FindChar);
BENCHMARK(BM_Std_FindChar);
BENCHMARK(BM_Ours_Format);
BENCHMARK(BM_Std_Format);
