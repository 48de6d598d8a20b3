// StringKeyHashMap against std::unordered_map<std::string, T*> on the same 100,000 text keys:
// filling a map, looking every key up, and removing every key.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolbox/base/StringKeyHashMap.h"

using toolbox::StringKeyHashMap;

namespace {

constexpr int kKeyCount = 100'000;

struct Value {
  int id;
};

// Distinct names of 6 to 20 letters, digits and underscores, as configuration keys are.
const std::vector<std::string>& Keys() {
  static std::vector<std::string> keys = [] {
    static const char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
    std::mt19937 random(7);
    std::vector<std::string> made;
    std::unordered_map<std::string, int> seen;
    while (static_cast<int>(made.size()) < kKeyCount) {
      std::string key(6 + random() % 15, ' ');
      for (char& c : key) c = kAlphabet[random() % (sizeof kAlphabet - 1)];
      if (seen.emplace(key, 0).second) made.push_back(key);
    }
    return made;
  }();
  return keys;
}

// Values are null on both sides, so that neither side measures deleting them.
void Fill(StringKeyHashMap<Value>& map) {
  for (const std::string& key : Keys()) map.Put(key.c_str(), nullptr);
}

void Fill(std::unordered_map<std::string, Value*>& map) {
  for (const std::string& key : Keys()) map[key] = nullptr;
}

void BM_Ours_Put(benchmark::State& state) {
  for (auto _ : state) {
    StringKeyHashMap<Value> map;
    Fill(map);
    benchmark::DoNotOptimize(map.GetCount());
  }
}
BENCHMARK(BM_Ours_Put)->Unit(benchmark::kMillisecond);

void BM_Std_Put(benchmark::State& state) {
  for (auto _ : state) {
    std::unordered_map<std::string, Value*> map;
    Fill(map);
    benchmark::DoNotOptimize(map.size());
  }
}
BENCHMARK(BM_Std_Put)->Unit(benchmark::kMillisecond);

void BM_Ours_Get(benchmark::State& state) {
  StringKeyHashMap<Value> map;
  Value value{1};
  for (const std::string& key : Keys()) map.Put(key.c_str(), &value);
  for (auto _ : state) {
    for (const std::string& key : Keys()) benchmark::DoNotOptimize(map.Get(key.c_str()));
  }
  map.RemoveAll();
}
BENCHMARK(BM_Ours_Get)->Unit(benchmark::kMillisecond);

void BM_Std_Get(benchmark::State& state) {
  std::unordered_map<std::string, Value*> map;
  Value value{1};
  for (const std::string& key : Keys()) map[key] = &value;
  for (auto _ : state) {
    for (const std::string& key : Keys()) {
      auto found = map.find(key);
      benchmark::DoNotOptimize(found == map.end() ? nullptr : found->second);
    }
  }
}
BENCHMARK(BM_Std_Get)->Unit(benchmark::kMillisecond);

void BM_Ours_Remove(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    StringKeyHashMap<Value> map;
    Fill(map);
    state.ResumeTiming();
    for (const std::string& key : Keys()) benchmark::DoNotOptimize(map.Remove(key.c_str()));
  }
}
BENCHMARK(BM_Ours_Remove)->Unit(benchmark::kMillisecond);

void BM_Std_Remove(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::unordered_map<std::string, Value*> map;
    Fill(map);
    state.ResumeTiming();
    for (const std::string& key : Keys()) {
      auto found = map.find(key);
      Value* value = found == map.end() ? nullptr : found->second;
      if (found != map.end()) map.erase(found);
      benchmark::DoNotOptimize(value);
    }
  }
}
BENCHMARK(BM_Std_Remove)->Unit(benchmark::kMillisecond);

}  // namespace
