#include "framework/docview/CommandLineInfo.h"

#include <strings.h>

namespace framework {

void CommandLineInfo::ParseParam(const char* param, bool flag, bool) {
  if (flag) {
    m_flags.emplace_back(param);
    if (strcasecmp(param, "p") == 0) m_nShellCommand = FilePrint;
    if (strcasecmp(param, "pt") == 0) m_nShellCommand = FilePrintTo;
    return;
  }
  if (m_strFileName.empty()) {
    m_strFileName = param;
    if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
  } else if (m_nShellCommand == FilePrintTo && m_strPrinterName.empty()) {
    m_strPrinterName = param;
  }
}

}  // namespace framework
