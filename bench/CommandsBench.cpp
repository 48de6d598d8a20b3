// The item commands on the running program, at 1,000 and 20,000 items, and the snapshot that
// a save behind the window takes after them.
//
// BM_<command>/N works on the real application object started once on a repository file of N
// items (as BM_Startup starts it) and kept running for every command of that size. Each
// iteration selects the middle row, outside the timed part; the time runs from the command,
// routed through the main window as its key or tool-bar button routes it, to the list brought
// up to date (the events the command left pending processed). The dialogs are answered through
// the modal hook as a user would answer them: the digit key's quantity and the quantity edit
// with OK, the rename and New Item with a name typed into the name field, Delete with Yes.
// Every iteration then checks that the command did its work.
//
// The repository keeps its N items: the new item is deleted again and the deleted item put
// back, both outside the timed part, and the rename goes back and forth.
//
// The aim: at 1,000 items every command within 10 ms. New Item and a rename sort the whole
// repository with the list's sort, O(n log n) in the item count, and every rebuild
// (New Item, a rename, Delete, Refresh) makes one list row per item; at 20,000 items their
// figures show what that costs.
//
// BM_Snapshot/N times the whole of a save's work on the window's thread, Voyanta::TakeSnapshot,
// with the trip changed (a toggle first, not timed), so that the kept trip's text is made
// beside the repository's. The snapshot is freed outside the timed part, as the save thread
// frees it. The aim: well under a frame (16 ms) at 20,000 items.
//
// BM_PrintCopies/N/C prints the trip (every fourth item checked) into a PDF file with C
// copies, through Print and its dialog answered with the file and the copies. Its counter
// peak_MB is how far the resident memory rose above where it stood before the command, at
// its highest: the copies go into the file as they are drawn, so the aim is that peak_MB
// stays the same whatever C.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/Item.h"
#include "framework/base/CommandIds.h"
#include "framework/base/TextEncoding.h"
#include "framework/dialogs/Dialog.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/listcontrol/ListControl.h"
#include "resources/ResourceIds.h"
#include "support/Program.h"

namespace {

using bench::Stopwatch;

constexpr const char* kNewName = "Lantern";

// The kept program of the benchmark's size with the middle row as the one to work on, and
// the answers to its modal windows while the benchmark runs: a dialog is handed to the
// dialog step, a message box gets the message answer, anything else is unexpected. Lives
// on the benchmark's stack; the hook for unexpected windows is back when it goes.
class Commands {
 public:
  explicit Commands(benchmark::State& state)
      : state(state), n(static_cast<int>(state.range(0))), middle(n / 2), program(bench::KeepRunning(n)) {
    framework::SetModalHook([this](const framework::ModalRequest& request) { return Answer(request); });
  }
  ~Commands() { framework::SetModalHook(bench::AnswerUnexpected); }
  Commands(const Commands&) = delete;
  Commands& operator=(const Commands&) = delete;

  // False, with the benchmark skipped, unless the program runs with every item shown.
  bool Ready() {
    return Expect(program.View() != nullptr && program.Rows() == n, "the program did not start with every item");
  }

  std::function<int(framework::Dialog&)> dialogStep;
  std::function<int(QPrintDialog&)> printStep;
  int messageAnswer = 0;

  Voyanta& App() { return program.App(); }
  Repository& Items() { return program.App().GetRepository(); }
  int MiddleRow() const { return middle; }
  Item& Middle() { return *Items().GetAt(middle); }
  int Rows() const { return program.Rows(); }
  // The repository index of the selected row; -1 without one.
  int Selected() const { return program.View()->GetNextItem(-1, framework::LVNI_SELECTED); }

  // Not timed: the middle row selected as a click would select it.
  void SelectMiddle() {
    program.View()->SelectAndShow(middle);
    QCoreApplication::processEvents();
  }

  // Not timed: the command and the events it left pending.
  bool Run(unsigned id) {
    const bool handled = program.Window()->RouteCommand(id);
    QCoreApplication::processEvents();
    return handled;
  }

  // Timed: the command and the events it left pending.
  bool Run(unsigned id, Stopwatch& stopwatch) {
    stopwatch.Start();
    const bool handled = Run(id);
    stopwatch.Stop();
    return handled;
  }

  // Skips the benchmark with the failure unless the condition holds and no unexpected
  // window came up.
  bool Expect(bool condition, const char* failure) {
    if (unexpected > 0) failure = "an unexpected modal window came up";
    if (condition && unexpected == 0) return true;
    state.SkipWithError(failure);
    return false;
  }

 private:
  framework::ModalAnswer Answer(const framework::ModalRequest& request) {
    auto* dialog = dynamic_cast<framework::Dialog*>(request.window);
    if (request.kind == framework::ModalRequest::dialog && dialog != nullptr && dialogStep) {
      return {dialogStep(*dialog), {}};
    }
    auto* printDialog = qobject_cast<QPrintDialog*>(request.window);
    if (request.kind == framework::ModalRequest::dialog && printDialog != nullptr && printStep) {
      return {printStep(*printDialog), {}};
    }
    if (request.kind == framework::ModalRequest::messageBox && messageAnswer != 0) return {messageAnswer, {}};
    ++unexpected;
    return bench::AnswerUnexpected(request);
  }

  benchmark::State& state;
  const int n;
  const int middle;
  bench::RunningProgram& program;
  int unexpected = 0;
};

// Types the text into the dialog's edit field, replacing what it held.
void Type(framework::Dialog& dialog, unsigned field, const char* text) {
  static_cast<QLineEdit*>(dialog.GetDlgItem(field))->setText(framework::ToQString(text));
}

std::unique_ptr<Item> Copy(const Item& item) {
  auto copy = std::make_unique<Item>();
  copy->SetChecked(item.IsChecked());
  copy->SetQuantity(item.GetQuantity());
  copy->SetName(item.GetName());
  copy->SetGroup(item.GetGroup());
  return copy;
}

bool HasQuantity(const Item& item, const char* quantity) {
  return toolbox::String::Compare(item.GetQuantity().Text(), quantity) == 0;
}

// A command on the middle row that rewrites that row: after it, done tells from the item
// whether it did its work.
void TimeRowCommand(benchmark::State& state, unsigned id, const std::function<bool(const Item&, bool)>& done) {
  Commands commands(state);
  if (!commands.Ready()) return;
  commands.dialogStep = [](framework::Dialog&) { return framework::IDOK; };
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    commands.SelectMiddle();
    const bool wasChecked = commands.Middle().IsChecked();
    const bool handled = commands.Run(id, stopwatch);
    if (!commands.Expect(handled && done(commands.Middle(), wasChecked) && commands.Selected() == commands.MiddleRow(),
                         "the command did not change the item in its selected row")) {
      break;
    }
  }
}

void BM_Toggle(benchmark::State& state) {
  TimeRowCommand(state, resources::ID_ITEM_CHECK_TOGGLE, [](const Item& item, bool wasChecked) {
    return item.IsChecked() != wasChecked && HasQuantity(item, "");
  });
}

void BM_Check(benchmark::State& state) {
  TimeRowCommand(state, resources::ID_ITEM_CHECK,
                 [](const Item& item, bool) { return item.IsChecked() && HasQuantity(item, ""); });
}

void BM_Uncheck(benchmark::State& state) {
  TimeRowCommand(state, resources::ID_ITEM_UNCHECK,
                 [](const Item& item, bool) { return !item.IsChecked() && HasQuantity(item, ""); });
}

// The digit key 5, answered with OK.
void BM_QuantityDigit(benchmark::State& state) {
  TimeRowCommand(state, resources::ID_ITEM_QUANTITY_5,
                 [](const Item& item, bool) { return item.IsChecked() && HasQuantity(item, "5"); });
}

// Edit Item changing only the quantity, between 2 and 3, of the checked item.
void BM_EditQuantity(benchmark::State& state) {
  Commands commands(state);
  if (!commands.Ready()) return;
  commands.SelectMiddle();
  if (!commands.Expect(commands.Run(resources::ID_ITEM_CHECK), "the item could not be checked")) return;
  const char* quantity = "";
  commands.dialogStep = [&quantity](framework::Dialog& dialog) {
    Type(dialog, resources::IDC_QUANTITY, quantity);
    return framework::IDOK;
  };
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    commands.SelectMiddle();
    quantity = HasQuantity(commands.Middle(), "2") ? "3" : "2";
    const bool handled = commands.Run(resources::ID_ITEM_EDIT, stopwatch);
    if (!commands.Expect(handled && HasQuantity(commands.Middle(), quantity), "the quantity did not change")) break;
  }
}

// The name with the affix added, or taken off where it has it: before the name or after it.
std::string Renamed(std::string name, const std::string& affix, bool before) {
  if (before) return name.starts_with(affix) ? name.substr(affix.size()) : affix + name;
  return name.ends_with(affix) ? name.substr(0, name.size() - affix.size()) : name + affix;
}

// Edit Item changing the name of the selected item, the middle one at first: the affix added,
// and taken off again in the next iteration. The item is renamed back at the end, not timed.
void TimeRename(benchmark::State& state, const std::string& affix, bool before) {
  Commands commands(state);
  if (!commands.Ready()) return;
  std::string name;
  commands.dialogStep = [&name](framework::Dialog& dialog) {
    Type(dialog, resources::IDC_NAME, name.c_str());
    return framework::IDOK;
  };
  commands.SelectMiddle();
  const Item* item = &commands.Middle();
  const std::string original = item->GetName().Text();
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    name = Renamed(item->GetName().Text(), affix, before);
    const bool handled = commands.Run(resources::ID_ITEM_EDIT, stopwatch);
    if (!commands.Expect(handled && commands.Items().GetAt(commands.Selected()) == item && item->GetName().Text() == name,
                         "the renamed item is not selected")) {
      return;
    }
  }
  name = original;
  if (item->GetName().Text() != name) commands.Run(resources::ID_ITEM_EDIT);
}

// A prefix moves the item to another place in the order: the repository is sorted again.
void BM_Rename(benchmark::State& state) { TimeRename(state, "Spare ", true); }

// A suffix keeps the item in its place: the program finds the order intact and does not sort.
void BM_RenameInPlace(benchmark::State& state) { TimeRename(state, " (spare)", false); }

// New Item in the middle row's group; the new item is deleted again, not timed.
void BM_NewItem(benchmark::State& state) {
  Commands commands(state);
  if (!commands.Ready()) return;
  commands.dialogStep = [](framework::Dialog& dialog) {
    Type(dialog, resources::IDC_NAME, kNewName);
    return framework::IDOK;
  };
  const int n = commands.Items().GetCount();
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    commands.SelectMiddle();
    const bool handled = commands.Run(resources::ID_ITEM_NEW, stopwatch);
    const int added = commands.Selected();
    const Item* item = commands.Items().GetAt(added);
    if (!commands.Expect(handled && commands.Rows() == n + 1 && item != nullptr && item->GetName().Text() == std::string(kNewName),
                         "the new item is not shown selected")) {
      break;
    }
    commands.Items().DeleteAt(added);
    commands.Run(resources::ID_VIEW_REFRESH);
  }
}

// Delete answered with Yes; the deleted item is put back in its place, not timed.
void BM_Delete(benchmark::State& state) {
  Commands commands(state);
  if (!commands.Ready()) return;
  commands.messageAnswer = framework::IDYES;
  const int n = commands.Items().GetCount();
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    commands.SelectMiddle();
    auto copy = Copy(commands.Middle());
    const bool handled = commands.Run(framework::ID_EDIT_CLEAR, stopwatch);
    if (!commands.Expect(handled && commands.Items().GetCount() == n - 1 && commands.Rows() == n - 1,
                         "the item was not deleted")) {
      break;
    }
    commands.Items().InsertAt(copy.release(), commands.MiddleRow());
    commands.Run(resources::ID_VIEW_REFRESH);
  }
}

void BM_Refresh(benchmark::State& state) {
  Commands commands(state);
  if (!commands.Ready()) return;
  const int n = commands.Items().GetCount();
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    commands.SelectMiddle();
    const bool handled = commands.Run(resources::ID_VIEW_REFRESH, stopwatch);
    if (!commands.Expect(handled && commands.Rows() == n, "the list lost rows")) break;
  }
}

// A toggle changes the trip; the snapshot then holds every item and the trip to keep, its
// checked items.
void BM_Snapshot(benchmark::State& state) {
  Commands commands(state);
  if (!commands.Ready()) return;
  commands.SelectMiddle();
  if (!commands.Expect(commands.Run(resources::ID_ITEM_CHECK_TOGGLE), "the item could not be toggled")) return;
  const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
  std::ptrdiff_t checked = 0;
  for (int i = 0; i < commands.Items().GetCount(); ++i) checked += commands.Items().GetAt(i)->IsChecked() ? 1 : 0;
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    std::optional<Voyanta::Snapshot> snapshot;
    stopwatch.Start();
    snapshot.emplace(commands.App().TakeSnapshot());
    stopwatch.Stop();
    // The kept trip's text is its path's line, then one line per checked item.
    if (!commands.Expect(lines(snapshot->repository) == commands.Items().GetCount() &&
                             snapshot->trip == Voyanta::Snapshot::keep && lines(snapshot->tripText) == checked + 1,
                         "the snapshot lacks items or the trip to keep")) {
      break;
    }
  }
}

// A line of /proc/self/status in kilobytes ("VmRSS", "VmHWM"); 0 where there is none.
long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string name;
  long kilobytes = 0;
  while (status >> name) {
    if (name == field + ":" && status >> kilobytes) return kilobytes;
    status.ignore(256, '\n');
  }
  return 0;
}

// The peak of the resident memory starts again from what is resident now.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_PrintCopies(benchmark::State& state) {
  Commands commands(state);
  if (!commands.Ready()) return;
  const int copies = static_cast<int>(state.range(1));
  for (int i = 0; i < commands.Items().GetCount(); i += 4) commands.Items().GetAt(i)->SetChecked(true);
  const std::string out = std::filesystem::temp_directory_path() / "voyanta-bench-print.pdf";
  commands.printStep = [&](QPrintDialog& dialog) {
    dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
    dialog.printer()->setOutputFileName(framework::ToQString(out.c_str()));
    dialog.printer()->setCopyCount(copies);
    return framework::IDOK;
  };
  long peak = 0;
  Stopwatch stopwatch(state);
  for (auto _ : state) {
    std::remove(out.c_str());
    ResetPeakMemory();
    const long before = StatusKilobytes("VmRSS");
    const bool handled = commands.Run(framework::ID_FILE_PRINT, stopwatch);
    peak = std::max(peak, StatusKilobytes("VmHWM") - before);
    if (!commands.Expect(handled && std::filesystem::exists(out), "no PDF file was printed")) break;
  }
  std::remove(out.c_str());
  state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
}

// Every command at one size before the next size, so that each size starts the program once.
const bool registered = [] {
  const std::pair<const char*, void (*)(benchmark::State&)> commands[] = {
      {"BM_Toggle", BM_Toggle},
      {"BM_Check", BM_Check},
      {"BM_Uncheck", BM_Uncheck},
      {"BM_QuantityDigit", BM_QuantityDigit},
      {"BM_EditQuantity", BM_EditQuantity},
      {"BM_Rename", BM_Rename},
      {"BM_RenameInPlace", BM_RenameInPlace},
      {"BM_NewItem", BM_NewItem},
      {"BM_Delete", BM_Delete},
      {"BM_Refresh", BM_Refresh},
      {"BM_Snapshot", BM_Snapshot},
  };
  for (int n : {1'000, 20'000}) {
    for (const auto& [name, function] : commands) {
      benchmark::RegisterBenchmark(name, function)->Arg(n)->UseManualTime()->Unit(benchmark::kMillisecond);
    }
    for (int copies : {1, 20}) {
      benchmark::RegisterBenchmark("BM_PrintCopies", BM_PrintCopies)
          ->Args({n, copies})
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
  return true;
}();

}  // namespace
