#include "toolbox/system/CommandLine.h"

#include "toolbox/base/Exception.h"
#include "toolbox/base/Memory.h"
#include "toolbox/base/OwnedPut.h"
#include "toolbox/system/ProcessArguments.h"

namespace toolbox {

void CommandLine::AddOption(const char* name, int argumentCount) {
  // A negative count would send the parse back over arguments it has already read, forever.
  if (argumentCount < 0) {
    throw EIllegalArgument("An option cannot take a negative number of arguments",
                           "toolbox::CommandLine::AddOption", __LINE__);
  }
  options.RemoveAndDelete(name);
  PutOwned(options, name, NewOrThrow<Option>(name, argumentCount));
}

void CommandLine::Parse() { Parse(ProcessArguments::Count(), ProcessArguments::Vector()); }

void CommandLine::Parse(int argc, const char* const* argv) {
  if (argc > 0) program = argv[0];
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (argument[0] != '/' && argument[0] != '-') {
      plainArguments.AddText(argument);
      continue;
    }
    Option* option = options.Get(argument);
    if (option == nullptr) {
      option = PutOwned(options, argument, NewOrThrow<Option>(argument, 0));
      option->seen = true;
      continue;
    }
    option->arguments.DeleteAll();
    option->seen = true;
    int taken = option->argumentCount;
    if (taken >= argc - i) return;
    for (int k = 1; k <= taken; ++k) option->arguments.AddText(argv[i + k]);
    i += taken;
  }
}

const ArrayList<String>* CommandLine::GetOptionArguments(const char* name) const {
  const Option* option = options.Get(name);
  return option != nullptr ? &option->arguments : nullptr;
}

}  // namespace toolbox
