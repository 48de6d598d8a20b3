#pragma once

// The shapes of the program's resource tables: string table, menu bar, accelerators, tool
// bar and the document template string. The program fills them as plain constant C++
// tables (in resources/) and hands them to the framework; nothing here is copied, so the
// tables must live for the whole run (namespace-scope constants do).
//
// Example:
//   constexpr framework::MenuEntry kFileMenu[] = {
//       {"&New\tCtrl+N", 57600}, {"&Open...\tCtrl+O", 57601}, framework::kMenuSeparator,
//       {"E&xit\tAlt+X", 57665}};
//   constexpr framework::MenuPopup kMenuBar[] = {{"&File", kFileMenu}};
//   constexpr framework::Accelerator kKeys[] = {{Qt::Key_N, Qt::ControlModifier, 57600}};

#include <Qt>
#include <cstddef>
#include <span>

namespace framework {

// One entry of a string table: command prompts ("Prompt\nTool tip"), messages, titles.
// Texts are the program's bytes (UTF-8, or Windows-1252 where not valid UTF-8).
struct StringEntry {
  unsigned id;
  const char* text;
};

// One entry of a popup menu. A text of null with id 0 is a separator. The text keeps its
// "&" mnemonic ("&&" shows one ampersand) and may carry the key text after a "\t", which
// the menu shows right-aligned; the key itself works only through the accelerator table.
struct MenuEntry {
  const char* text;
  unsigned id;
};

inline constexpr MenuEntry kMenuSeparator{nullptr, 0};

// A popup of the menu bar ("&File") and its entries, top to bottom.
struct MenuPopup {
  const char* text;
  std::span<const MenuEntry> entries;
};

// One accelerator: a key (a Qt key code such as Qt::Key_5 or Qt::Key_F5) with its
// modifiers, mapped to a command id. The keypad's keys match as the main keyboard's do
// (its Enter as Return), except its digits: a digit accelerator names the main keyboard's.
struct Accelerator {
  int key;
  Qt::KeyboardModifiers modifiers;
  unsigned id;
};

// One tool-bar button: the command id and the icon's resource path (":/icons/new.svg" or
// a file path). An id of 0 is a separator, whose icon is ignored. Assistive technology
// reads a button by its command's menu entry; a command that no menu has needs a name.
struct ToolBarButton {
  unsigned id;
  const char* icon;
  const char* name = nullptr;
};

inline constexpr ToolBarButton kToolBarSeparator{0, nullptr};

struct ToolBarResource {
  int buttonWidth;
  int buttonHeight;
  std::span<const ToolBarButton> buttons;
};

// Everything the single document template loads by its resource id: the template string,
// the frame's menu bar, accelerators and tool bar, and the window icon (a resource path,
// or null for none).
//
// The template string has seven "\n"-separated fields, in this order: window title,
// default document name, name in the File New choice, file dialog filter name, file
// extension (".vyt"), file type id, file type name.
struct FrameResources {
  const char* docString;
  std::span<const MenuPopup> menuBar;
  std::span<const Accelerator> accelerators;
  ToolBarResource toolBar;
  const char* icon;
};

}  // namespace framework
