#pragma once

// A later start of the program on the same file, played by a thread of the test: it claims
// the file and, finding it held, hands its request over through the real local socket,
// while the test's own event loop serves the holder. Its own folder where the runtime
// folder will not do is fallbackFolder, as the holder's must be.

#include <QTest>
#include <chrono>
#include <future>
#include <string>

#include "framework/system/SingleInstance.h"

namespace support {

class LaterStart {
 public:
  LaterStart(std::string file, std::string request, std::string fallbackFolder = {})
      : outcome(std::async(std::launch::async, [file = std::move(file), request = std::move(request),
                                                fallbackFolder = std::move(fallbackFolder)] {
          framework::SingleInstance instance(fallbackFolder);
          const framework::SingleInstance::Outcome claim = instance.Claim(file.c_str());
          return claim == framework::SingleInstance::running ? instance.HandOver(request) : claim;
        })) {}

  // Serves events until the start has its outcome (failed when it takes too long).
  framework::SingleInstance::Outcome Finish() {
    using namespace std::chrono_literals;
    if (!QTest::qWaitFor([this] { return outcome.wait_for(0s) == std::future_status::ready; }, 20000)) {
      return framework::SingleInstance::failed;
    }
    return outcome.get();
  }

 private:
  std::future<framework::SingleInstance::Outcome> outcome;
};

}  // namespace support
