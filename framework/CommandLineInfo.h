#pragma once

#include <string>
#include <vector>

namespace framework {

// What the command line asks the application to do at start-up. ParseCommandLine feeds it
// the arguments one by one; a derived class may take options of its own in ParseParam.
class CommandLineInfo {
 public:
  enum ShellCommand { FileNew, FileOpen, FileNothing };

  virtual ~CommandLineInfo() = default;

  // An argument: a flag (an option, given without its leading "/" or "-") or a plain
  // argument. The first plain argument is the document to open; flags are remembered.
  virtual void ParseParam(const char* param, bool flag, bool last);

  ShellCommand m_nShellCommand = FileNew;
  std::string m_strFileName;
  std::vector<std::string> m_flags;
};

}  // namespace framework
