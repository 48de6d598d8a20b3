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
#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/Voyanta.h"
#include "core/Item.h"
#include "core/ItemList.h"
#include "framework/File.h"
#include "framework/FrameWindow.h"
#include "framework/ListControl.h"
#include "framework/View.h"
#include "framework/MessageBox.h"
#include "toolbox/Memory.h"
#include "toolbox/ProcessArguments.h"
#include "toolbox/String.h"

namespace {

using Clock = std::chrono::steady_clock;

// The folder of the whole run: HOME and XDG_CONFIG_HOME point into it, and each size has a
// program folder of its own in it. Set by main.
std::string scratchFolder;

// Items as a user collects them: a dozen groups, names of mixed case, some not ASCII, a
// quantity on two of three items and every fourth one checked.
std::vector<std::unique_ptr<Item>> MakeItems(int n) {
  static const char* const kGroups[] = {"Bathroom", "camping", "Clothes", "Documents", "Electronics",
                                        "First aid", "Food", "Küche", "Shoes", "sports", "Tools",
                                        "Zelt und Schlafen"};
  static const char* const kNames[] = {"Socks", "shirt", "Zahnbürste", "Tent peg", "charger", "Map",
                                       "Äpfel", "towel", "Rain jacket", "plaster"};
  std::vector<std::unique_ptr<Item>> items;
  for (int i = 0; i < n; ++i) {
    auto item = std::make_unique<Item>();
    const std::string name = std::string(kNames[i % std::size(kNames)]) + " " + std::to_string(i);
    item->SetGroup(kGroups[(i / 7) % std::size(kGroups)]);
    item->SetName(name.c_str());
    if (i % 3 != 0) item->SetQuantity(std::to_string(i % 9 + 1).c_str());
    item->SetChecked(i % 4 == 0);
    items.push_back(std::move(item));
  }
  return items;
}

// A repository of n items in the program's order.
void FillRepository(Repository& repository, int n) {
  std::vector<std::unique_ptr<Item>> items = MakeItems(n);
  std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return CompareItems(a.get(), b.get()) < 0; });
  for (auto& item : items) repository.Add(item.release());
}

// The program folder for n items: the program path and its repository file, written once.
struct Setting {
  std::string programPath;
  std::string repositoryPath;
};

const Setting& SettingFor(int n) {
  static std::unordered_map<int, Setting> settings;
  auto found = settings.find(n);
  if (found != settings.end()) return found->second;
  const std::string folder = scratchFolder + "/items" + std::to_string(n);
  std::filesystem::create_directories(folder);
  Setting setting{folder + "/voyanta", folder + "/voyanta.vyr"};
  Repository repository;
  FillRepository(repository, n);
  framework::File file(setting.repositoryPath.c_str(), framework::File::modeCreate);
  WriteItemList(repository, file, false);
  file.Close();
  return settings.emplace(n, setting).first->second;
}

// Times the measured part of each iteration: its wall time is the iteration's time, and the
// processor time this thread spent in it is reported beside it as "cpu_ms" (per iteration).
// The machine is shared with other work, which stretches the wall time but hardly the
// processor time.
class Stopwatch {
 public:
  explicit Stopwatch(benchmark::State& state) : state(state) {}
  ~Stopwatch() {
    const int64_t iterations = state.iterations();
    if (iterations > 0) state.counters["cpu_ms"] = cpuSeconds * 1000 / static_cast<double>(iterations);
  }

  void Start() {
    wallStart = Clock::now();
    cpuStart = ThreadSeconds();
  }
  void Stop() {
    cpuSeconds += ThreadSeconds() - cpuStart;
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - wallStart).count());
  }

 private:
  static double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
  }

  benchmark::State& state;
  Clock::time_point wallStart;
  double cpuStart = 0;
  double cpuSeconds = 0;
};

// One start of the program on the setting's folder, timed up to the filled, shown window
// (when a stopwatch is given), then torn down. Answers the number of rows shown; -1 when it
// did not start.
int StartOnce(const Setting& setting, Stopwatch* stopwatch) {
  const char* const arguments[] = {setting.programPath.c_str()};
  toolbox::ProcessArguments::Set(1, arguments);
  char* argv[] = {const_cast<char*>(setting.programPath.c_str()), nullptr};

  if (stopwatch != nullptr) stopwatch->Start();
  std::optional<Voyanta> app(std::in_place);
  app->SetArguments(1, argv);
  const bool started = app->InitInstance();
  QCoreApplication::processEvents();
  if (stopwatch != nullptr) stopwatch->Stop();

  int rows = -1;
  if (started && app->GetMainWnd() != nullptr && app->GetMainWnd()->isVisible()) {
    auto* list = dynamic_cast<framework::ListControl*>(app->GetMainWnd()->GetActiveView());
    if (list != nullptr) rows = list->GetItemCount();
  }
  app->ShutDown();
  app.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return rows;
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

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "voyanta-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("voyanta-bench: no scratch folder");
    return 1;
  }
  scratchFolder = pattern;
  // Nothing of the user's is read or written: the configuration and the known folders lie in
  // the scratch folder, and no window reaches a screen.
  setenv("HOME", scratchFolder.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (scratchFolder + "/config").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);

  int status = 0;
  {
    QApplication application(argc, argv);
    // A start that asks anything has gone wrong: say what it asked and answer no.
    framework::SetModalHook([](const framework::ModalRequest& request) {
      std::fprintf(stderr, "voyanta-bench: unexpected modal window: %s\n", request.text.c_str());
      return framework::ModalAnswer{};
    });
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
      status = 1;
    } else {
      benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    framework::SetModalHook(nullptr);
  }
  std::error_code ignored;
  std::filesystem::remove_all(scratchFolder, ignored);
  return status;
}
