#include "framework/docview/BackgroundSave.h"

#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using framework::BackgroundSave;

namespace {

// Saves numbered by their snapshot, whose jobs wait while their number is held back, and
// which tell the thread their reports ran on.
class Saves {
 public:
  explicit Saves(int delayMilliseconds = 10) : saves(delayMilliseconds, [this] { return Snapshot(); }) {}

  void HoldBack(int number) {
    const std::lock_guard<std::mutex> locked(mutex);
    heldBack = number;
  }
  void Release() {
    HoldBack(0);
    released.notify_all();
  }
  // Schedules and waits until the snapshot is taken.
  void Change() {
    const int before = snapshots;
    saves.Schedule();
    EXPECT_TRUE(QTest::qWaitFor([&] { return snapshots > before; }, 5000));
  }
  std::vector<int> Ran() {
    const std::lock_guard<std::mutex> locked(mutex);
    return ran;
  }

  BackgroundSave saves;
  int snapshots = 0;
  std::vector<std::thread::id> reportedOn;

 private:
  BackgroundSave::Job Snapshot() {
    const int number = ++snapshots;
    return [this, number]() -> BackgroundSave::Report {
      std::unique_lock<std::mutex> locked(mutex);
      released.wait(locked, [&] { return heldBack != number; });
      ran.push_back(number);
      return [this] { reportedOn.push_back(std::this_thread::get_id()); };
    };
  }

  std::mutex mutex;
  std::condition_variable released;
  int heldBack = 0;
  std::vector<int> ran;
};

}  // namespace

TEST(BackgroundSaveTest, ABurstMakesOneSaveAndTheNewestReplacesOneThatHasNotBegun) {
  Saves saves;
  saves.HoldBack(1);
  for (int i = 0; i < 5; ++i) saves.saves.Schedule();
  EXPECT_TRUE(QTest::qWaitFor([&] { return saves.snapshots == 1; }, 5000));
  // Save 1 runs (held back); 2 waits for it, and 3 takes 2's place.
  saves.Change();
  saves.Change();
  saves.Release();
  EXPECT_TRUE(QTest::qWaitFor([&] { return saves.reportedOn.size() == 2; }, 5000));
  EXPECT_EQ(saves.Ran(), (std::vector<int>{1, 3}));
  for (const std::thread::id& thread : saves.reportedOn) EXPECT_EQ(thread, std::this_thread::get_id());
}

TEST(BackgroundSaveTest, FinishWaitsForTheRunningSaveAndDropsTheRest) {
  Saves saves;
  saves.HoldBack(1);
  saves.Change();
  saves.Change();
  saves.saves.Schedule();
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    saves.Release();
  });
  saves.saves.Finish();
  releaser.join();
  EXPECT_EQ(saves.Ran(), (std::vector<int>{1}));
  saves.saves.Schedule();
  QTest::qWait(100);
  EXPECT_EQ(saves.snapshots, 2);
  EXPECT_TRUE(saves.reportedOn.empty());
}

// Changes that come faster than the delay, for longer than it, as while the user ticks one
// item after another: a change must not put the running delay off, or nothing is saved
// while the user works.
TEST(BackgroundSaveTest, ASteadyStreamOfChangesIsSavedWhileItGoesOn) {
  Saves saves(200);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (std::chrono::steady_clock::now() < end) {
    saves.saves.Schedule();
    QTest::qWait(1);
  }
  EXPECT_GE(saves.snapshots, 1);
}
