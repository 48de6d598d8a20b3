#pragma once

#include <string>
#include <vector>

namespace framework {

// What the command line asks the application to do at start-up. ParseCommandLine feeds it
// the arguments one by one; a derived class may take options of its own in ParseParam.
class CommandLineInfo {
 public:
  // FilePrint: "/p FILE" prints the document on the default printer. FilePrintTo:
  // "/pt FILE PRINTER" prints it on the named printer. Both without a dialog and without
  // showing the main window, and the run ends after printing.
  enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileNothing };

  virtual ~CommandLineInfo() = default;

  // An argument: a flag (an option, given without its leading "/" or "-") or a plain
  // argument. The first plain argument is the document to open or print, the next one the
  // printer of "/pt"; flags are remembered ("p" and "pt", in any letter case, print).
  virtual void ParseParam(const char* param, bool flag, bool last);

  bool IsPrint() const { return m_nShellCommand == FilePrint || m_nShellCommand == FilePrintTo; }

  ShellCommand m_nShellCommand = FileNew;
  std::string m_strFileName;
  std::string m_strPrinterName;
  std::vector<std::string> m_flags;
};

}  // namespace framework
