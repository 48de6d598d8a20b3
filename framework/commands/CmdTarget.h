#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

namespace framework {

class CmdTarget;
class CmdUI;

// One line of a command table: a command handler or an update handler for one id or a
// range of ids. Made with OnCommand, OnCommandRange, OnUpdateUI and OnUpdateUIRange below.
struct CommandEntry {
  unsigned first;
  unsigned last;
  std::function<void(CmdTarget&, unsigned id)> command;  // empty for an update handler
  std::function<void(CmdTarget&, CmdUI&)> update;        // empty for a command handler
};

// A class's command table, chained to its base class's table; the class's own entries
// win. A derived class declares its table by overriding GetCommandMap:
//
//   const framework::CommandMap& MainView::GetCommandMap() const {
//     static const framework::CommandMap map(&ControlView::GetCommandMap(), {
//         framework::OnCommand(ID_ITEM_CHECK, &MainView::OnItemCheck),
//         framework::OnCommandRange(ID_ITEM_QUANTITY_0, ID_ITEM_QUANTITY_9, &MainView::OnItemQuantityDigit),
//         framework::OnUpdateUI(ID_VIEW_TRIP_ONLY, &MainView::OnUpdateViewTripOnly),
//     });
//     return map;
//   }
class CommandMap {
 public:
  CommandMap(const CommandMap* base, std::initializer_list<CommandEntry> entries);

  const CommandEntry* FindCommand(unsigned id) const;
  const CommandEntry* FindUpdate(unsigned id) const;

 private:
  const CommandMap* base;
  std::vector<CommandEntry> entries;
};

// What a routed command message asks of a target.
enum class CmdPass {
  execute,  // run the command handler
  update,   // run the update handler with the CmdUI
  probe,    // only tell whether a command handler exists
};

// Anything that handles commands: application, document, view, frame.
class CmdTarget {
 public:
  virtual ~CmdTarget() = default;

  // The class's command table; the base has none.
  virtual const CommandMap& GetCommandMap() const;

  // Handles the pass for id if this target's table names it, and answers whether it did.
  // Targets that pass commands on (a view to its document, a frame to its view and to
  // the application) override this.
  virtual bool OnCmdMsg(unsigned id, CmdPass pass, CmdUI* ui);
};

// A handler without arguments for one command id.
template <class T>
CommandEntry OnCommand(unsigned id, void (T::*handler)()) {
  return {id, id, [handler](CmdTarget& target, unsigned) { (static_cast<T&>(target).*handler)(); }, {}};
}

// A handler for a range of ids; it receives the id.
template <class T>
CommandEntry OnCommandRange(unsigned first, unsigned last, void (T::*handler)(unsigned)) {
  return {first, last, [handler](CmdTarget& target, unsigned id) { (static_cast<T&>(target).*handler)(id); }, {}};
}

// An update handler: enables, checks or renames the command's menu entry or button.
template <class T>
CommandEntry OnUpdateUI(unsigned id, void (T::*handler)(CmdUI&)) {
  return {id, id, {}, [handler](CmdTarget& target, CmdUI& ui) { (static_cast<T&>(target).*handler)(ui); }};
}

template <class T>
CommandEntry OnUpdateUIRange(unsigned first, unsigned last, void (T::*handler)(CmdUI&)) {
  return {first, last, {}, [handler](CmdTarget& target, CmdUI& ui) { (static_cast<T&>(target).*handler)(ui); }};
}

}  // namespace framework
