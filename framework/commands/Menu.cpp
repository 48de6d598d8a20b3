#include "framework/commands/Menu.h"

#include <QAction>
#include <QMenu>

#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "framework/base/TextEncoding.h"

namespace framework {

namespace {
constexpr const char* kCommandIdProperty = "commandId";
}

unsigned Menu::CommandIdOf(const QAction* action) {
  if (action == nullptr || action->isSeparator()) return 0;
  if (action->menu() != nullptr) return 0xFFFFFFFF;
  return action->property(kCommandIdProperty).toUInt();
}

void Menu::SetCommandId(QAction* action, unsigned id) { action->setProperty(kCommandIdProperty, id); }

std::string Menu::PromptOf(unsigned id) {
  const char* text = FindString(id);
  // Every recent-file entry shares the prompt of the first.
  if (text == nullptr && id >= ID_FILE_MRU_FIRST && id <= ID_FILE_MRU_LAST) text = FindString(ID_FILE_MRU_FILE1);
  if (text == nullptr) return std::string();
  const std::string whole = text;
  return whole.substr(0, whole.find('\n'));
}

QString Menu::ReadText(const QString& entryText) {
  const QString text = entryText.section('\t', 0, 0);
  QString read;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;  // "&N" reads "N", "&&" reads "&"
    read += text[i];
  }
  return read;
}

QString Menu::KeyText(const QString& entryText) {
  const qsizetype tab = entryText.indexOf('\t');
  return tab < 0 ? QString() : entryText.mid(tab + 1);
}

unsigned Menu::GetMenuItemCount() const { return static_cast<unsigned>(menu->actions().size()); }

QAction* Menu::GetAction(unsigned position) const {
  const QList<QAction*> actions = menu->actions();
  return position < static_cast<unsigned>(actions.size()) ? actions.at(position) : nullptr;
}

unsigned Menu::GetMenuItemID(unsigned position) const {
  QAction* action = GetAction(position);
  return action == nullptr ? 0xFFFFFFFF : CommandIdOf(action);
}

QAction* Menu::Find(unsigned item, unsigned flags) const {
  if (flags & MF_BYPOSITION) return GetAction(item);
  for (QAction* action : menu->actions()) {
    if (action->menu() == nullptr && !action->isSeparator() && CommandIdOf(action) == item) return action;
  }
  return nullptr;
}

bool Menu::GetMenuString(unsigned item, std::string& text, unsigned flags) const {
  QAction* action = Find(item, flags);
  if (action == nullptr) return false;
  text = ToBytes(action->text());
  return true;
}

bool Menu::InsertMenu(unsigned position, unsigned flags, unsigned id, const char* text) {
  QAction* action = new QAction(ToQString(text), menu);
  SetCommandId(action, id);
  action->setStatusTip(ToQString(PromptOf(id).c_str()));
  if (flags & MF_GRAYED) action->setEnabled(false);
  QAction* before = (flags & MF_BYPOSITION) ? GetAction(position) : Find(position, MF_BYCOMMAND);
  menu->insertAction(before, action);
  return true;
}

bool Menu::DeleteMenu(unsigned item, unsigned flags) {
  QAction* action = Find(item, flags);
  if (action == nullptr) return false;
  menu->removeAction(action);
  if (action->parent() == menu) delete action;
  return true;
}

}  // namespace framework
