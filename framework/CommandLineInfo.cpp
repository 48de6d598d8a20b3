#include "framework/CommandLineInfo.h"

namespace framework {

void CommandLineInfo::ParseParam(const char* param, bool flag, bool) {
  if (flag) {
    m_flags.emplace_back(param);
    return;
  }
  if (m_strFileName.empty()) {
    m_strFileName = param;
    if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
  }
}

}  // namespace framework
