#include "framework/docview/RecentFileList.h"

#include <cstdio>

#include "framework/base/TextEncoding.h"
#include "framework/commands/CmdUI.h"
#include "framework/commands/Menu.h"
#include "framework/system/Paths.h"

namespace framework {

RecentFileList::RecentFileList(unsigned start, int size, int maxDisplayLength)
    : names(static_cast<std::size_t>(size > 0 ? size : 0)), m_nStart(start), m_nMaxDisplayLength(maxDisplayLength) {}

RecentFileList::~RecentFileList() = default;

void RecentFileList::Remove(int index) {
  if (index < 0 || index >= GetSize()) return;
  names.erase(names.begin() + index);
  names.emplace_back();
}

void RecentFileList::Add(const char* path) {
  if (names.empty() || path == nullptr || *path == '\0') return;
  const std::string fullPath = FullPath(path);
  std::size_t slot = 0;
  while (slot + 1 < names.size() && names[slot] != fullPath) ++slot;
  // Move the entries before the equal one (or all but the last) down by one.
  for (; slot > 0; --slot) names[slot] = names[slot - 1];
  names[0] = fullPath;
}

std::string RecentFileList::AbbreviatePath(const std::string& path, int maxLength, bool atLeastName) {
  const std::string name = FileNameOf(path);
  const int fullLength = static_cast<int>(path.size());
  const int nameLength = static_cast<int>(name.size());
  if (maxLength >= fullLength) return path;
  if (maxLength < nameLength) return atLeastName ? name : std::string();
  // "/.../" and the name must fit, else the name alone.
  if (maxLength < 5 + nameLength) return name;
  // Drop leading folders until "/..." and the rest fit.
  std::size_t rest = path.find('/');
  if (rest == std::string::npos) return name;
  while (4 + static_cast<int>(path.size() - rest) > maxLength) rest = path.find('/', rest + 1);
  return "/..." + path.substr(rest);
}

bool RecentFileList::GetDisplayName(std::string& name, int index, const char* currentFolder, int currentFolderLength,
                                    bool atLeastName) const {
  if (index < 0 || index >= GetSize() || names[static_cast<std::size_t>(index)].empty()) return false;
  const std::string& path = names[static_cast<std::size_t>(index)];
  const std::string folder = FolderOf(path);
  if (currentFolder != nullptr && static_cast<int>(folder.size()) == currentFolderLength &&
      folder.compare(0, folder.size(), currentFolder, static_cast<std::size_t>(currentFolderLength)) == 0) {
    name = FileNameOf(path);
  } else if (m_nMaxDisplayLength >= 0) {
    name = AbbreviatePath(path, m_nMaxDisplayLength, atLeastName);
  } else {
    name = path;
  }
  return true;
}

void RecentFileList::UpdateMenu(CmdUI& ui) {
  Menu* menu = ui.m_pSubMenu != nullptr ? ui.m_pSubMenu : ui.m_pMenu;
  if (m_strOriginal.empty() && menu != nullptr) menu->GetMenuString(ui.m_nID, m_strOriginal, MF_BYCOMMAND);
  if (names.empty() || names[0].empty()) {
    if (!m_strOriginal.empty()) ui.SetText(m_strOriginal.c_str());
    ui.Enable(false);
    return;
  }
  if (menu == nullptr) return;
  for (int i = 0; i < GetSize(); ++i) menu->DeleteMenu(ui.m_nID + static_cast<unsigned>(i), MF_BYCOMMAND);

  const std::string folder = CurrentFolder();
  for (int i = 0; i < GetSize(); ++i) {
    std::string name;
    if (!GetDisplayName(name, i, folder.c_str(), static_cast<int>(folder.size()))) break;
    std::string text = GetEntryNumber(i);
    for (char c : name) {
      if (c == '&') text += '&';  // shown as one ampersand, not as a mnemonic
      text += c;
    }
    menu->InsertMenu(ui.m_nIndex++, MF_BYPOSITION | MF_STRING, ui.m_nID++, text.c_str());
  }
  ui.m_nIndex--;
  ui.m_nIndexMax = menu->GetMenuItemCount();
  ui.m_bEnableChanged = true;
}

std::string RecentFileList::GetEntryNumber(int index) const {
  const unsigned item = (static_cast<unsigned>(index) + m_nStart) % 16 + 1;
  char number[16];
  std::snprintf(number, sizeof number, item > 10 ? "%u " : item == 10 ? "1&0 " : "&%u ", item);
  return number;
}

// The base list lives only for the run; a derived list keeps it where the program keeps
// its settings.
void RecentFileList::ReadList() {}

void RecentFileList::WriteList() {}

}  // namespace framework
