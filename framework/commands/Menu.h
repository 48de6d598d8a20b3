#pragma once

#include <QString>
#include <string>

class QAction;
class QMenu;

namespace framework {

// Flags of the menu operations: entries are addressed by command id or by position.
inline constexpr unsigned MF_BYCOMMAND = 0x0;
inline constexpr unsigned MF_BYPOSITION = 0x400;
inline constexpr unsigned MF_STRING = 0x0;
inline constexpr unsigned MF_ENABLED = 0x0;
inline constexpr unsigned MF_GRAYED = 0x1;

// A popup menu, over a QMenu that it does not own. Entries are QActions carrying their
// command id; a separator has id 0 and an entry that opens a popup answers 0xFFFFFFFF.
// Entries inserted here run their command through the frame like every other entry.
class Menu {
 public:
  explicit Menu(QMenu* menu) : menu(menu) {}

  QMenu* GetQMenu() const { return menu; }
  unsigned GetMenuItemCount() const;
  unsigned GetMenuItemID(unsigned position) const;
  // The entry at the position; null outside the menu.
  QAction* GetAction(unsigned position) const;

  // The entry's text with its "&" and "\t" key text, as the program's bytes; false when
  // there is no such entry.
  bool GetMenuString(unsigned item, std::string& text, unsigned flags) const;
  // Inserts a text entry before the given position (at the end when past it). Its status
  // prompt is the command's string.
  bool InsertMenu(unsigned position, unsigned flags, unsigned id, const char* text);
  bool DeleteMenu(unsigned item, unsigned flags);

  // The command's status-bar prompt: the part of its string before "\n".
  static std::string PromptOf(unsigned id);
  // An entry's text as it is read out: without its "&" and its key text ("&New\tCtrl+N":
  // "New"; "&&" stays one "&").
  static QString ReadText(const QString& entryText);
  // The key an entry's text names after its tab ("Ctrl+N"); empty without one.
  static QString KeyText(const QString& entryText);
  // Reads and stores an action's command id.
  static unsigned CommandIdOf(const QAction* action);
  static void SetCommandId(QAction* action, unsigned id);

 private:
  QAction* Find(unsigned item, unsigned flags) const;

  QMenu* menu;
};

}  // namespace framework
