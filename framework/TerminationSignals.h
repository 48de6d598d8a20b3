#pragma once

#include <csignal>
#include <functional>

class QSocketNotifier;

namespace framework {

// While it lives, SIGTERM, SIGINT and SIGHUP do not kill the process: the handler only
// writes a byte into a pipe, and the event loop then calls onSignal, where the program can
// shut down normally. The previous handlers come back on destruction, unless the process
// has been set on its way out (IgnoreFromNowOn).
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

}  // namespace framework
