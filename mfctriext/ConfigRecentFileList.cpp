#include "mfctriext/ConfigRecentFileList.h"

#include <cstdio>
#include <string>

#include "framework/CmdUI.h"
#include "framework/Menu.h"
#include "framework/Paths.h"
#include "toolbox/config/ConfigParameter.h"

namespace mfctriext {

namespace {

std::string SlotName(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "%d", index);
  return name;
}

}  // namespace

ConfigRecentFileList::ConfigRecentFileList(toolbox::ConfigSection& section, unsigned start, int size,
                                           int maxDisplayLength)
    : RecentFileList(start, size, maxDisplayLength), section(section) {}

void ConfigRecentFileList::ReadList() {
  for (int i = 0; i < GetSize(); ++i) (*this)[i] = section.GetText(SlotName(i).c_str(), "");
}

void ConfigRecentFileList::WriteList() {
  for (int i = 0; i < GetSize(); ++i) section.GetParameter(SlotName(i).c_str()).SetText((*this)[i].c_str());
}

void ConfigRecentFileList::UpdateMenu(framework::CmdUI& ui) {
  framework::Menu* menu = ui.m_pSubMenu != nullptr ? ui.m_pSubMenu : ui.m_pMenu;
  if (m_strOriginal.empty() && menu != nullptr) menu->GetMenuString(ui.m_nID, m_strOriginal, framework::MF_BYCOMMAND);
  if ((*this)[0].empty()) {
    if (!m_strOriginal.empty()) ui.SetText(m_strOriginal.c_str());
    ui.Enable(false);
    return;
  }
  if (menu == nullptr) return;
  for (int i = 0; i < GetSize(); ++i) menu->DeleteMenu(ui.m_nID + static_cast<unsigned>(i), framework::MF_BYCOMMAND);

  // Without a readable current folder every document counts as lying elsewhere.
  const std::string folder = framework::CurrentFolder();
  for (int j = 0; j < GetSize(); ++j) {
    std::string name;
    if (!GetDisplayName(name, j, folder.c_str(), static_cast<int>(folder.size()), true)) break;
    std::string text;
    char number[16];
    std::snprintf(number, sizeof number, "&%u ", (static_cast<unsigned>(j) + m_nStart + 1) % 10);
    text = number;
    for (char c : name) {
      if (c == '&') text += '&';  // one ampersand on screen, not an access key
      text += c;
    }
    menu->InsertMenu(ui.m_nIndex++, framework::MF_STRING | framework::MF_BYPOSITION, ui.m_nID++, text.c_str());
  }
  ui.m_nIndex--;
  ui.m_nIndexMax = menu->GetMenuItemCount();
  ui.m_bEnableChanged = true;
}

}  // namespace mfctriext
