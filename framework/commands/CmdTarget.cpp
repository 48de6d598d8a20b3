#include "framework/commands/CmdTarget.h"

#include "framework/commands/CmdUI.h"

namespace framework {

CommandMap::CommandMap(const CommandMap* base, std::initializer_list<CommandEntry> entries)
    : base(base), entries(entries) {}

const CommandEntry* CommandMap::FindCommand(unsigned id) const {
  for (const CommandEntry& entry : entries) {
    if (entry.command && id >= entry.first && id <= entry.last) return &entry;
  }
  return base == nullptr ? nullptr : base->FindCommand(id);
}

const CommandEntry* CommandMap::FindUpdate(unsigned id) const {
  for (const CommandEntry& entry : entries) {
    if (entry.update && id >= entry.first && id <= entry.last) return &entry;
  }
  return base == nullptr ? nullptr : base->FindUpdate(id);
}

const CommandMap& CmdTarget::GetCommandMap() const {
  static const CommandMap map(nullptr, {});
  return map;
}

bool CmdTarget::OnCmdMsg(unsigned id, CmdPass pass, CmdUI* ui) {
  const CommandMap& map = GetCommandMap();
  switch (pass) {
    case CmdPass::execute:
      if (const CommandEntry* entry = map.FindCommand(id)) {
        entry->command(*this, id);
        return true;
      }
      return false;
    case CmdPass::update:
      if (const CommandEntry* entry = map.FindUpdate(id)) {
        if (ui != nullptr) entry->update(*this, *ui);
        return true;
      }
      return false;
    case CmdPass::probe:
      return map.FindCommand(id) != nullptr;
  }
  return false;
}

}  // namespace framework
