// The configuration parser on arbitrary text: whatever it accepts must be written and read
// back to the same tree, and whatever it rejects must leave the tree empty. The trees are
// compared by their written form.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "toolbox/config/Config.h"
#include "toolbox/config/ConfigParameter.h"
#include "toolbox/config/StringWriter.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "ConfigParseFuzz: %s\n", what);
  std::abort();
}

std::string Written(const toolbox::Config& config) {
  toolbox::StringWriter writer;
  Check(config.GetRoot().Write(writer, 0), "writing to memory failed");
  return writer.GetText().Text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  // Any text read as a setting.
  toolbox::ConfigParameter parameter(text.c_str());
  Check(parameter.GetBool() == (parameter.GetLong() != 0), "boolean and number disagree");

  toolbox::Config config;
  if (!config.Parse(text.c_str())) {
    Check(config.GetRoot().GetParameterCount() == 0 && config.GetRoot().GetSubsectionCount() == 0,
          "a rejected text left part of a tree");
    return 0;
  }
  std::string first = Written(config);
  toolbox::Config reread;
  Check(reread.Parse(first.c_str()), "the written tree was rejected");
  Check(Written(reread) == first, "the written tree read back differently");
  return 0;
}
