#pragma once

class QAction;

namespace framework {

class CmdTarget;
class Menu;

// The user-interface element of one command while its update handler runs: a menu entry
// (m_pMenu and m_nIndex), a tool-bar button (m_pOther) or nothing (a key, tested for
// being enabled before its command runs).
class CmdUI {
 public:
  virtual ~CmdUI() = default;

  unsigned m_nID = 0;
  unsigned m_nIndex = 0;      // position of the entry in m_pMenu
  unsigned m_nIndexMax = 0;   // the menu's item count; an update handler that adds
                              // entries sets it, and m_nIndex to the last entry it added
  Menu* m_pMenu = nullptr;
  Menu* m_pSubMenu = nullptr;  // the popup the entry opens, if it opens one
  QAction* m_pOther = nullptr;
  bool m_bEnableChanged = false;  // Enable was called (or the handler says so itself)
  bool m_bEnabled = true;         // the last state given to Enable

  virtual void Enable(bool on = true);
  // 0 unchecked, 1 checked.
  virtual void SetCheck(int check = 1);
  // Program bytes; a menu entry keeps "&" mnemonics and the "\t" key text.
  virtual void SetText(const char* text);

  // Runs the update handler found along the target's route. When none sets the enabled
  // state and disableIfNoHandler is set, the element is enabled exactly when some target
  // along the route handles the command.
  void DoUpdate(CmdTarget* target, bool disableIfNoHandler);
};

}  // namespace framework
