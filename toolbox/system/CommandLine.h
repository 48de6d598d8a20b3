#pragma once

#include "toolbox/base/ArrayList.h"
#include "toolbox/base/String.h"
#include "toolbox/base/StringKeyHashMap.h"

namespace toolbox {

// The process's arguments read against a table of declared options, each of which takes a
// fixed number of the arguments that follow it. An argument that begins with "/" or "-" is
// an option, named by its whole text and compared byte for byte ("/log", "-log" and "/LOG"
// are three options); an undeclared one is recorded as an option without arguments. The
// arguments an option takes are taken whatever they look like. Everything else is a plain
// argument.
//
// Use: AddOption for each option, Parse, then GetOptionArguments.
class CommandLine {
 public:
  class Option {
   public:
    Option(const char* name, int argumentCount) : argumentCount(argumentCount), name(name) {}
    Option(const Option&) = delete;
    Option& operator=(const Option&) = delete;

    int GetArgumentCount() const { return argumentCount; }
    // Whether the option occurred during a parse.
    bool IsSeen() const { return seen; }
    const String& GetName() const { return name; }
    // The arguments taken at the option's last occurrence.
    const ArrayList<String>& GetArguments() const { return arguments; }

   private:
    friend class CommandLine;

    int argumentCount;
    bool seen = false;
    String name;
    ArrayList<String> arguments;
  };

  CommandLine() = default;
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // Declares an option taking argumentCount arguments, replacing an option of the same name
  // together with what a parse recorded for it. A negative count is an EIllegalArgument.
  void AddOption(const char* name, int argumentCount);

  // Parse on the process's own argument vector (ProcessArguments).
  void Parse();
  // Reads argv[0] as the program and the rest against the options. An option that occurs
  // again gets a new argument list; plain arguments accumulate over several parses. When
  // fewer arguments are left than an option takes, the option is seen with no arguments and
  // the rest of the vector is ignored.
  void Parse(int argc, const char* const* argv);

  // The argument list of the option of that name, or null if no option of that name was
  // declared or met. The list stays the option's.
  const ArrayList<String>* GetOptionArguments(const char* name) const;
  // The option of that name, declared or met, or null.
  const Option* GetOption(const char* name) const { return options.Get(name); }
  // The arguments that are neither options nor taken by one, in command-line order.
  const ArrayList<String>& GetPlainArguments() const { return plainArguments; }
  // The first element of the last parsed vector; empty before a parse.
  const String& GetProgram() const { return program; }

 private:
  StringKeyHashMap<Option> options;
  ArrayList<String> plainArguments;
  String program;
};

}  // namespace toolbox
