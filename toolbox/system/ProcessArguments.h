#pragma once

namespace toolbox {

// The process's argument vector, available from static initialisation on: global objects
// constructed before main (the application object, the logger) need the program's path and
// options, so nothing here depends on main handing over argc and argv. The vector is read
// from the system at its first use.
class ProcessArguments {
 public:
  // Number of arguments, the program's own name included; 0 when the system gave none.
  static int Count();
  // The arguments as the process received them, Count() texts followed by a null pointer.
  static const char* const* Vector();
  // The program's path: the first argument as given, unless it is a bare name (no "/"), which
  // the shell found through PATH; then the executable's real location, so that files placed
  // beside the program do not land in whatever folder the shell stands in. Empty when there
  // are no arguments.
  static const char* ProgramPath();

  // Replaces the vector with copies of the given texts, as if the process had received them.
  // Tests set their own command line with this.
  static void Set(int count, const char* const* arguments);
  // Reads the vector from the system again (what the first use does), undoing Set.
  static void ReadFromSystem();
};

}  // namespace toolbox
