#include "framework/docview/BackgroundSave.h"

#include <QCoreApplication>
#include <QTimer>
#include <system_error>
#include <utility>

#include "framework/base/Exceptions.h"
#include "toolbox/base/LogSink.h"

namespace framework {

BackgroundSave::BackgroundSave(int delayMilliseconds, std::function<Job()> makeSnapshot)
    : snapshot(std::move(makeSnapshot)), timer(New<QTimer>()) {
  timer->setSingleShot(true);
  timer->setInterval(delayMilliseconds);
  QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [this] { TakeSnapshot(); });
}

BackgroundSave::~BackgroundSave() { Finish(); }

void BackgroundSave::Schedule() {
  if (!finishing && !timer->isActive()) timer->start();
}

void BackgroundSave::TakeSnapshot() {
  Job job;
  try {
    job = snapshot();
  } catch (...) {
    // Out of memory for the snapshot: what is in memory stays, and the next change tries
    // again.
    toolbox::LogToCurrent("BackgroundSave::TakeSnapshot", __LINE__, toolbox::LogError,
                          "No memory for a save; the next change tries again");
    return;
  }
  if (job) Hand(std::move(job));
}

void BackgroundSave::Hand(Job job) {
  {
    const std::lock_guard<std::mutex> locked(mutex);
    if (finishing) return;
    if (thread.joinable() || StartThread()) {
      next = std::move(job);
      woken.notify_one();
      return;
    }
  }
  // No thread: the window waits for this save instead.
  if (Report report = job()) report();
}

bool BackgroundSave::StartThread() {
  try {
    thread = std::thread([this] { Run(); });
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void BackgroundSave::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> locked(mutex);
      woken.wait(locked, [this] { return finishing || next; });
      if (finishing) return;
      job = std::move(next);
      next = nullptr;
    }
    Report report = job();
    // The timer lives on the window's thread and outlives this thread (Finish joins it
    // first): the report runs there, from its event loop.
    if (report) QMetaObject::invokeMethod(timer.get(), std::move(report), Qt::QueuedConnection);
  }
}

void BackgroundSave::Finish() {
  if (!timer) return;
  timer->stop();
  {
    const std::lock_guard<std::mutex> locked(mutex);
    finishing = true;
    next = nullptr;
  }
  woken.notify_one();
  if (thread.joinable()) thread.join();
  // The reports of the saves that ran: the end of the run has a save of its own.
  QCoreApplication::removePostedEvents(timer.get(), QEvent::MetaCall);
}

}  // namespace framework
