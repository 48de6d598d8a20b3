// The main of the benchmarks that start the application: one QApplication for the whole run,
// and nothing of the user's read or written.

#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/Program.h"

namespace bench {

namespace {
std::string scratchFolder;
}  // namespace

const std::string& ScratchFolder() { return scratchFolder; }

}  // namespace bench

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "voyanta-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("voyanta-bench: no scratch folder");
    return 1;
  }
  bench::scratchFolder = pattern;
  // Nothing of the user's is read or written: the configuration and the known folders lie in
  // the scratch folder, and no window reaches a screen.
  setenv("HOME", pattern.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);

  int status = 0;
  {
    QApplication application(argc, argv);
    // A benchmark that expects a question installs its own answers; any other is wrong.
    framework::SetModalHook(bench::AnswerUnexpected);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
      status = 1;
    } else {
      benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    bench::EndRunning();
    framework::SetModalHook(nullptr);
  }
  std::error_code ignored;
  std::filesystem::remove_all(pattern, ignored);
  return status;
}
