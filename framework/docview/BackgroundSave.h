#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QTimer;

namespace framework {

// Saves a moment after a change, on a thread of its own, so that the window never waits for
// the disk. A change (Schedule) starts the delay unless it runs already; when it is over, the
// snapshot is taken on the window's thread: the save to make, as a job that holds all it
// needs. The job runs on the save thread and answers what is to run on the window's thread
// after it (telling of a failure, say), or nothing. Jobs run one at a time, in order; a job
// that has not begun when a newer one comes is dropped for it, so the save thread is never
// more than one save behind.
//
// Owned by its user on the window's thread, with the thread (made at the first job) and the
// timer; both go with it, after the job that runs has ended. A thread that cannot be made
// leaves the job to the window's thread. The snapshot may throw; it is then not taken, and
// the next change tries again.
class BackgroundSave {
 public:
  using Report = std::function<void()>;
  using Job = std::function<Report()>;

  BackgroundSave(int delayMilliseconds, std::function<Job()> snapshot);
  BackgroundSave(const BackgroundSave&) = delete;
  BackgroundSave& operator=(const BackgroundSave&) = delete;
  // Finish.
  ~BackgroundSave();

  // Something changed: a snapshot is taken once the delay is over.
  void Schedule();
  // No further snapshot: a scheduled one is dropped, as is a job that has not begun, and the
  // one that runs is waited for. Its report is not run. For the end of the run, whose own
  // save comes after; Schedule then does nothing.
  void Finish();

 private:
  void TakeSnapshot();
  void Hand(Job job);
  // Under mutex.
  bool StartThread();
  void Run();

  std::function<Job()> snapshot;
  // The delay; also what the reports are run on.
  std::unique_ptr<QTimer> timer;
  std::mutex mutex;
  std::condition_variable woken;
  Job next;  // under mutex
  // Changed under mutex, on the window's thread.
  bool finishing = false;
  std::thread thread;
};

}  // namespace framework
