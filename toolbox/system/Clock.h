#pragma once

#include <cstdint>
#include <ctime>

namespace toolbox {

// Milliseconds since some moment before the process began, never going back (the system's
// monotonic clock, which the setting of the date does not move). Does not fail.
inline std::int64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace toolbox
