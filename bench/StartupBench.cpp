// The program's start-up at growing repository sizes, and the item list file work under it.
//
// BM_Startup/N starts the real application object in this process: the program path names
// a scratch folder whose repository file holds N items in several groups, written in the
// program's order as the program itself writes it. The time runs from the construction of
// the application object to the main window shown with its rows filled (InitInstance and
// the events it left pending); the tear-down (exit processing, repository and configuration
// written) is not timed. The aim: 5,000 items start in at most twice the time of an empty
// repository.
//
// BM_Ours_ReadItemList/N reads the same file into an empty repository, BM_Ours_WriteItemList/N
// writes the repository back; the BM_Std_ twins do the same work with the standard library
// (streams, strings, a hash map and std::sort) for scale. Every side times the opening and
// closing of its file, and none the deletion of the items.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Item.h"
#include "core/ItemList.h"
#include "framework/system/File.h"
#include "support/Program.h"

namespace {

using bench::FillRepository;
using bench::MakeItems;
using bench::RunningProgram;
using bench::Setting;
using bench::SettingFor;
using bench::Stopwatch;

// One start of the program on the setting's folder, timed up to the filled, shown window
// (when a stopwatch is given), then torn down. Answers the number of rows shown; -1 when it
// did not start.
int StartOnce(const Setting& setting, Stopwatch* stopwatch) {
  const RunningProgram program(setting, stopwatch);
  return program.Rows();
}

void BM_Startup(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Setting& setting = SettingFor(n);
  StartOnce(setting, nullptr);  // the first run makes the configuration; the file is cached
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    const int rows = StartOnce(setting, &stopwatch);
    if (rows != n) {
      state.SkipWithError(("the list shows " + std::to_string(rows) + " rows").c_str());
      break;
    }
  }
}
BENCHMARK(BM_Startup)->Arg(0)->Arg(1'000)->Arg(5'000)->Arg(20'000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Ours_ReadItemList(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Setting& setting = SettingFor(n);
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    Repository repository;
    stopwatch.Start();
    framework::File file(setting.repositoryPath.c_str(), framework::File::modeRead);
    ReadItemList(repository, file);
    file.Close();
    stopwatch.Stop();
    if (repository.GetCount() != n) {
      state.SkipWithError("items lost");
      break;
    }
  }
}

// The same item as plain standard-library data.
struct StdItem {
  bool checked = false;
  std::string quantity;
  std::string name;
  std::string group;
};

int CompareIgnoreCase(const std::string& a, const std::string& b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    int x = static_cast<unsigned char>(a[i]);
    int y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
    if (x != y) return x - y;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

std::string NextStdField(std::string_view& line) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return {};
  std::string field(line.substr(0, tab));
  line.remove_prefix(tab + 1);
  return field;
}

void BM_Std_ReadItemList(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Setting& setting = SettingFor(n);
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    std::vector<std::unique_ptr<StdItem>> items;
    stopwatch.Start();
    std::ifstream in(setting.repositoryPath, std::ios::binary);
    std::unordered_map<std::string, StdItem*> index;
    std::string text;
    while (std::getline(in, text)) {
      if (in.eof()) break;  // a last line without its line feed
      std::string_view line = text;
      std::string check = NextStdField(line);
      std::string quantity = NextStdField(line);
      std::string name = NextStdField(line);
      std::string group = NextStdField(line);
      std::string key = name + '\0' + group;
      StdItem*& item = index[key];
      if (item == nullptr) {
        items.push_back(std::make_unique<StdItem>());
        item = items.back().get();
        item->name = std::move(name);
        item->group = std::move(group);
      }
      item->checked = check == "1";
      item->quantity = std::move(quantity);
    }
    in.close();
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
      const int order = CompareIgnoreCase(a->group, b->group);
      return (order != 0 ? order : CompareIgnoreCase(a->name, b->name)) < 0;
    });
    stopwatch.Stop();
    if (static_cast<int>(items.size()) != n) {
      state.SkipWithError("items lost");
      break;
    }
  }
}

void BM_Ours_WriteItemList(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = SettingFor(n).repositoryPath + ".written";
  Repository repository;
  FillRepository(repository, n);
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    stopwatch.Start();
    framework::File file(path.c_str(), framework::File::modeCreate);
    WriteItemList(repository, file, false);
    file.Close();
    stopwatch.Stop();
  }
}

void BM_Std_WriteItemList(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = SettingFor(n).repositoryPath + ".written";
  std::vector<StdItem> items;
  for (const auto& item : MakeItems(n)) {
    items.push_back({item->IsChecked(), item->GetQuantity().Text(), item->GetName().Text(), item->GetGroup().Text()});
  }
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    stopwatch.Start();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const StdItem& item : items) {
      out << (item.checked ? "1" : "0") << '\t' << item.quantity << '\t' << item.name << '\t' << item.group << "\t\n";
    }
    out.close();
    stopwatch.Stop();
  }
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (int n : {0, 1'000, 5'000, 20'000}) benchmark->Arg(n);
  benchmark->UseManualTime()->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Ours_ReadItemList)->Apply(Sizes);
BENCHMARK(BM_Std_ReadItemList)->Apply(Sizes);
BENCHMARK(BM_Ours_WriteItemList)->Apply(Sizes);
BENCHMARK(BM_Std_WriteItemList)->Apply(Sizes);

}  // namespace
