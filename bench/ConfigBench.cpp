// Saving a large configuration: 37,000 parameters in a few sections, about 2 MB on disk
// (a configuration grown by years of use, or written by another program). Each section's
// parameter names are put in letter order on the way out. The aim: under half a second.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "toolbox/config/Config.h"

namespace {

void BM_SaveLargeConfiguration(benchmark::State& state) {
  toolbox::Config config;
  for (int i = 0; i < 37'000; ++i) {
    // Names in no particular order, as they were added over time.
    const std::string name = "Parameter " + std::to_string((i * 7919) % 37'000);
    const std::string value = "a value of some forty characters, #" + std::to_string(i);
    config.GetRoot().GetSubsection(("Section " + std::to_string(i % 5)).c_str()).GetParameter(name.c_str()).SetText(
        value.c_str());
  }
  const std::string path = (std::filesystem::temp_directory_path() / "voyanta-config-bench.cfg").string();
  for (auto _ : state) {
    if (!config.SaveFile(path.c_str())) {
      state.SkipWithError("the configuration was not saved");
      break;
    }
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveLargeConfiguration)->Unit(benchmark::kMillisecond);

}  // namespace
