#include "support/Program.h"

#include <time.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "core/ItemList.h"
#include "framework/docview/View.h"
#include "framework/listcontrol/ListControl.h"
#include "framework/system/File.h"
#include "toolbox/system/ProcessArguments.h"

namespace bench {

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

void FillRepository(Repository& repository, int n) {
  std::vector<std::unique_ptr<Item>> items = MakeItems(n);
  std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return CompareItems(a.get(), b.get()) < 0; });
  for (auto& item : items) repository.Add(item.release());
}

const Setting& SettingFor(int n) {
  static std::unordered_map<int, Setting> settings;
  auto found = settings.find(n);
  if (found != settings.end()) return found->second;
  const std::string folder = ScratchFolder() + "/items" + std::to_string(n);
  std::filesystem::create_directories(folder);
  Setting setting{folder + "/voyanta", folder + "/voyanta.vyr"};
  Repository repository;
  FillRepository(repository, n);
  framework::File file(setting.repositoryPath.c_str(), framework::File::modeCreate);
  WriteItemList(repository, file, false);
  file.Close();
  return settings.emplace(n, setting).first->second;
}

Stopwatch::~Stopwatch() {
  const int64_t iterations = state.iterations();
  if (iterations > 0) state.counters["cpu_ms"] = cpuSeconds * 1000 / static_cast<double>(iterations);
}

void Stopwatch::Start() {
  wallStart = Clock::now();
  cpuStart = ThreadSeconds();
}

void Stopwatch::Stop() {
  cpuSeconds += ThreadSeconds() - cpuStart;
  state.SetIterationTime(std::chrono::duration<double>(Clock::now() - wallStart).count());
}

double Stopwatch::ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

RunningProgram::RunningProgram(const Setting& setting, Stopwatch* stopwatch)
    : programPath(setting.programPath), argv{programPath.data(), nullptr} {
  const char* const arguments[] = {programPath.c_str()};
  toolbox::ProcessArguments::Set(1, arguments);

  if (stopwatch != nullptr) stopwatch->Start();
  app.emplace();
  app->SetArguments(1, argv);
  started = app->InitInstance();
  QCoreApplication::processEvents();
  if (stopwatch != nullptr) stopwatch->Stop();
}

RunningProgram::~RunningProgram() {
  static_cast<void>(app->ShutDown());  // the exit status is no part of what is measured
  app.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

framework::FrameWindow* RunningProgram::Window() const {
  framework::FrameWindow* window = app->GetMainWnd();
  return started && window != nullptr && window->isVisible() ? window : nullptr;
}

MainView* RunningProgram::View() const {
  framework::FrameWindow* window = Window();
  return window == nullptr ? nullptr : dynamic_cast<MainView*>(window->GetActiveView());
}

int RunningProgram::Rows() const {
  framework::FrameWindow* window = Window();
  auto* list = window == nullptr ? nullptr : dynamic_cast<framework::ListControl*>(window->GetActiveView());
  return list == nullptr ? -1 : list->GetItemCount();
}

namespace {

struct Kept {
  int n = -1;
  std::optional<RunningProgram> program;
};

Kept& KeptProgram() {
  static Kept kept;
  return kept;
}

}  // namespace

RunningProgram& KeepRunning(int n) {
  Kept& kept = KeptProgram();
  if (kept.program && kept.n == n) return *kept.program;
  EndRunning();
  kept.program.emplace(SettingFor(n));
  kept.n = n;
  return *kept.program;
}

void EndRunning() {
  Kept& kept = KeptProgram();
  kept.program.reset();
  kept.n = -1;
}

framework::ModalAnswer AnswerUnexpected(const framework::ModalRequest& request) {
  std::fprintf(stderr, "voyanta-bench: unexpected modal window: %s\n", request.text.c_str());
  return framework::ModalAnswer{};
}

}  // namespace bench
