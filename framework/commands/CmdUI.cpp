#include "framework/commands/CmdUI.h"

#include <QAction>

#include "framework/base/TextEncoding.h"
#include "framework/commands/CmdTarget.h"
#include "framework/commands/Menu.h"

namespace framework {

namespace {

QAction* ElementAction(const CmdUI& ui) {
  if (ui.m_pMenu != nullptr) return ui.m_pMenu->GetAction(ui.m_nIndex);
  return ui.m_pOther;
}

}  // namespace

void CmdUI::Enable(bool on) {
  m_bEnabled = on;
  m_bEnableChanged = true;
  if (QAction* action = ElementAction(*this)) action->setEnabled(on);
}

void CmdUI::SetCheck(int check) {
  if (QAction* action = ElementAction(*this)) {
    action->setCheckable(true);
    action->setChecked(check != 0);
  }
}

void CmdUI::SetText(const char* text) {
  if (QAction* action = ElementAction(*this)) action->setText(ToQString(text));
}

void CmdUI::DoUpdate(CmdTarget* target, bool disableIfNoHandler) {
  if (m_nID == 0) return;
  m_bEnableChanged = false;
  target->OnCmdMsg(m_nID, CmdPass::update, this);
  if (disableIfNoHandler && !m_bEnableChanged) Enable(target->OnCmdMsg(m_nID, CmdPass::probe, nullptr));
}

}  // namespace framework
