#pragma once

#include <csignal>
#include <functional>

class QSocketNotifier;

namespace framework {

// While it lives, SIGTERM, SIGINT and SIGHUP do not kill the process: the handler only
// writes a byte into a pipe, and the event loop then calls onSignal, where the program can
// shut down normally. The previous handlers come back on destruction, unless the process
// has been set on its way out (IgnoreFromNowOn). The handler also notes that a signal came,
// for work that runs outside the event loop (TerminationRequested).
class TerminationSignals {
 public:
  explicit TerminationSignals(std::function<void()> onSignal);
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;
  ~TerminationSignals();

  // The event loop is over and the process ends once its files are written: from now on
  // the signals are ignored, also after this object is gone, so that none can cut short
  // the writing.
  void IgnoreFromNowOn();

 private:
  static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

  std::function<void()> onSignal;
  QSocketNotifier* notifier = nullptr;
  struct sigaction previous[3] = {};
  bool installed = false;
};

// While it lives, work that runs outside the event loop, where onSignal cannot reach it (a
// print from the command line), ends at a termination signal: at its next step it asks
// TerminationRequested and, answered true, stops and undoes what it can. Only one at a
// time; not for other threads.
class EndAtTerminationScope {
 public:
  EndAtTerminationScope();
  EndAtTerminationScope(const EndAtTerminationScope&) = delete;
  EndAtTerminationScope& operator=(const EndAtTerminationScope&) = delete;
  ~EndAtTerminationScope();
};

// Whether the work under way is to end: a termination signal came since the latest
// TerminationSignals was made, and an EndAtTerminationScope lives. Safe to ask from any
// code of the main thread, also from a library's callback.
[[nodiscard]] bool TerminationRequested();

}  // namespace framework
