#pragma once

#include <QObject>
#include <functional>
#include <span>

#include "framework/base/Resources.h"

class QKeyEvent;
class QWidget;

namespace framework {

// A frame's accelerator table, translated as a key press reaches the widget of the frame that
// has the focus: after Qt's accessibility bridge has offered the key to a screen reader, and
// before the widget itself. The bridge holds a key press back until the screen reader has
// answered and hands on only those it did not claim, so a key the screen reader takes (its
// modifier key, the keypad in its desktop layout) never runs a command; Qt's own shortcuts
// would run before the bridge sees the key. A key the focus widget claims for itself (by
// accepting the key's ShortcutOverride) stays the widget's.
// Matching: the key and the modifiers exactly; a keypad key counts as the main keyboard's
// key (Del, Ins, and Enter as Return), except the keypad digits, which stay unbound.
// Owned by the frame window (its QObject parent), watching the application's events while it
// lives; the table is the frame's resources, which outlive it. A key of the table is handed
// to route, the frame's command routing. Fails in nothing: a command that is disabled is
// routed and refused there, and the key is still used up.
class AcceleratorTranslator : public QObject {
 public:
  AcceleratorTranslator(QWidget* frame, std::span<const Accelerator> table, std::function<void(unsigned)> route);

  // The command of the table that the key press runs; 0 when none.
  [[nodiscard]] unsigned CommandOf(const QKeyEvent& key) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* frame;
  std::span<const Accelerator> table;
  std::function<void(unsigned)> route;
};

}  // namespace framework
