// The command line on arbitrary arguments: the input is split at NUL bytes into an argument
// vector (as the system hands it over), parsed against a few declared options, and every
// option and plain argument is read back and compared with a straightforward model. No
// option may turn up that was neither declared nor given: every name in or near the input
// that the model does not know must be unknown to the parser too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "toolbox/base/ArrayList.h"
#include "toolbox/base/String.h"
#include "toolbox/system/CommandLine.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "CommandLineFuzz: %s\n", what);
  std::abort();
}

std::vector<std::string> Texts(const toolbox::ArrayList<toolbox::String>& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.GetCount(); ++i) texts.push_back(list.GetAt(i)->Text());
  return texts;
}

// Names an option could be mistaken for: the argument itself, one byte shorter and one
// longer, its first byte swapped between '/' and '-', its letters in the other case, and
// with a byte in the middle changed (a long name hashes over a sample of its bytes, so this
// one often lands in the same bucket).
void AddNearNames(const std::string& argument, std::vector<std::string>& names) {
  names.push_back(argument);
  names.push_back(argument + '/');
  if (argument.empty()) return;
  names.push_back(argument.substr(0, argument.size() - 1));
  if (argument[0] == '/' || argument[0] == '-') {
    std::string swapped = argument;
    swapped[0] = swapped[0] == '/' ? '-' : '/';
    names.push_back(swapped);
  }
  std::string otherCase = argument;
  for (char& c : otherCase) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  names.push_back(otherCase);
  std::string changed = argument;
  char& middle = changed[changed.size() / 2];
  middle = middle == 'x' ? 'y' : 'x';
  names.push_back(changed);
}

struct ModelOption {
  int count = 0;
  bool seen = false;
  std::vector<std::string> arguments;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> pieces;
  std::string input(reinterpret_cast<const char*>(data), size);
  for (std::size_t start = 0; start <= input.size();) {
    std::size_t end = input.find('\0', start);
    if (end == std::string::npos) end = input.size();
    pieces.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& piece : pieces) argv.push_back(piece.c_str());
  int argc = static_cast<int>(argv.size());

  std::map<std::string, ModelOption> model;
  toolbox::CommandLine line;
  for (auto [name, count] : {std::pair{"/log", 1}, {"/p", 1}, {"/pt", 2}, {"-v", 0}}) {
    model[name].count = count;
    line.AddOption(name, count);
  }
  line.Parse(argc, argv.data());

  std::vector<std::string> plain;
  for (int i = 1; i < argc; ++i) {
    const std::string& argument = pieces[i];
    if (argument.empty() || (argument[0] != '/' && argument[0] != '-')) {
      plain.push_back(argument);
      continue;
    }
    ModelOption& option = model[argument];
    option.seen = true;
    option.arguments.clear();
    if (option.count >= argc - i) break;
    option.arguments.assign(pieces.begin() + i + 1, pieces.begin() + i + 1 + option.count);
    i += option.count;
  }

  Check(line.GetProgram().Text() == pieces[0], "program differs");
  Check(Texts(line.GetPlainArguments()) == plain, "plain arguments differ");
  for (const auto& [name, expected] : model) {
    const toolbox::CommandLine::Option* option = line.GetOption(name.c_str());
    Check(option != nullptr, "an option is missing");
    Check(option->GetArgumentCount() == expected.count, "argument count differs");
    Check(option->IsSeen() == expected.seen, "seen differs");
    Check(Texts(option->GetArguments()) == expected.arguments, "option arguments differ");
    Check(line.GetOptionArguments(name.c_str()) == &option->GetArguments(), "lists differ");
  }

  // Every argument is probed whatever became of it: the program, plain arguments, those an
  // option took, those left unread when an option found too few, and one name longer than
  // any of them, which the input cannot hold at all.
  std::vector<std::string> probes;
  std::size_t longest = 0;
  for (const std::string& piece : pieces) {
    AddNearNames(piece, probes);
    longest = std::max(longest, piece.size());
  }
  probes.push_back("/" + std::string(longest, 'x'));
  for (const std::string& name : probes) {
    if (model.contains(name)) continue;
    Check(line.GetOption(name.c_str()) == nullptr, "an option neither declared nor given");
    Check(line.GetOptionArguments(name.c_str()) == nullptr, "arguments of an unknown option");
  }
  return 0;
}
