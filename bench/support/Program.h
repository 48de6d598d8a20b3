#pragma once

// What the benchmarks that start the real application share: the scratch folder of the run,
// repositories of any size, the program folder for a size, the stopwatch and the running
// program itself. The main of these programs (Main.cpp) makes the scratch folder, points HOME
// and the configuration into it, runs one QApplication for the whole run and answers every
// modal window nobody expected.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Voyanta.h"
#include "core/Item.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/docview/FrameWindow.h"
#include "ui/MainView.h"

namespace bench {

// The folder of the whole run; each size has a program folder of its own in it. Set by main
// before any benchmark runs; removed with everything in it at the end.
const std::string& ScratchFolder();

// Items as a user collects them: a dozen groups, names of mixed case, some not ASCII, a
// quantity on two of three items and every fourth one checked.
std::vector<std::unique_ptr<Item>> MakeItems(int n);

// Appends n such items to the repository in the program's order.
void FillRepository(Repository& repository, int n);

// The program folder for n items: the program path and its repository file, written at the
// first request and kept for the rest of the run.
struct Setting {
  std::string programPath;
  std::string repositoryPath;
};
const Setting& SettingFor(int n);

// Times the measured part of each iteration: its wall time is the iteration's time, and the
// processor time this thread spent in it is reported beside it as "cpu_ms" (per iteration).
// The machine is shared with other work, which stretches the wall time but hardly the
// processor time. Lives on the benchmark's stack for one run of it.
class Stopwatch {
 public:
  explicit Stopwatch(benchmark::State& state) : state(state) {}
  ~Stopwatch();
  Stopwatch(const Stopwatch&) = delete;
  Stopwatch& operator=(const Stopwatch&) = delete;

  void Start();
  void Stop();

 private:
  using Clock = std::chrono::steady_clock;

  static double ThreadSeconds();

  benchmark::State& state;
  Clock::time_point wallStart;
  double cpuStart = 0;
  double cpuSeconds = 0;
};

// The real application object on a setting's folder, started as the program starts: the
// application object constructed on the program path, its start-up and the events that left
// pending. The destructor ends it: exit processing (repository and configuration written)
// and the tear-down. A start that failed leaves no window; the destructor still ends it.
// Modal windows go to the modal hook installed at the time.
class RunningProgram {
 public:
  // A stopwatch given times the start, from the construction of the application object to
  // the main window shown with its rows filled.
  explicit RunningProgram(const Setting& setting, Stopwatch* stopwatch = nullptr);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  Voyanta& App() { return *app; }
  // The shown main window; null when the start failed.
  framework::FrameWindow* Window() const;
  // The list of the shown main window; null when the start failed.
  MainView* View() const;
  // The number of rows shown; -1 when the start failed.
  int Rows() const;

 private:
  std::string programPath;
  char* argv[2];
  std::optional<Voyanta> app;
  bool started = false;
};

// The one program kept running across benchmarks, started on SettingFor(n) at the first
// request for n; a request for another size ends it and starts that one. Main ends the last
// before the QApplication goes.
RunningProgram& KeepRunning(int n);
void EndRunning();

// The answer to a modal window that nobody expected: says what it asked and answers no.
framework::ModalAnswer AnswerUnexpected(const framework::ModalRequest& request);

}  // namespace bench
