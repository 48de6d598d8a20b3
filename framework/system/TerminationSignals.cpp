#include "framework/system/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <utility>

namespace framework {

namespace {

int signalPipe[2] = {-1, -1};
// Set by the handler; cleared as the handler is put in place, for a run of its own.
volatile std::sig_atomic_t signalled = 0;
bool endAtTermination = false;

void OnSignal(int) {
  const int savedErrno = errno;
  signalled = 1;
  const char byte = 1;
  // A full pipe already holds a wake-up; nothing but the flag and the byte may be done in
  // a handler.
  [[maybe_unused]] const ssize_t ignored = write(signalPipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> callback) : onSignal(std::move(callback)) {
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    signalPipe[0] = signalPipe[1] = -1;
    return;  // without the pipe the signals keep their default effect
  }
  notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] {
    char buffer[64];
    while (read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    onSignal();
  });

  signalled = 0;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &previous[i]);
  installed = true;
}

void TerminationSignals::IgnoreFromNowOn() {
  for (int signal : kSignals) std::signal(signal, SIG_IGN);
  installed = false;  // nothing to restore
}

TerminationSignals::~TerminationSignals() {
  if (installed) {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous[i], nullptr);
  }
  delete notifier;
  for (int& fd : signalPipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

EndAtTerminationScope::EndAtTerminationScope() { endAtTermination = true; }

EndAtTerminationScope::~EndAtTerminationScope() { endAtTermination = false; }

bool TerminationRequested() { return endAtTermination && signalled != 0; }

}  // namespace framework
