#include "framework/commands/AcceleratorTranslator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <utility>


namespace framework {

namespace {

constexpr Qt::KeyboardModifiers kTableModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// Whether the widget that has the focus wants the key for itself, as it tells Qt's shortcuts.
bool FocusWidgetClaims(const QKeyEvent& key, QObject* receiver) {
  QObject* focus = QApplication::focusWidget();
  QKeyEvent claim(QEvent::ShortcutOverride, key.key(), key.modifiers(), key.nativeScanCode(), key.nativeVirtualKey(),
                  key.nativeModifiers(), key.text(), key.isAutoRepeat(), key.count());
  claim.ignore();
  QCoreApplication::sendEvent(focus != nullptr ? focus : receiver, &claim);
  return claim.isAccepted();
}

}  // namespace

AcceleratorTranslator::AcceleratorTranslator(QWidget* owner, std::span<const Accelerator> accelerators,
                                             std::function<void(unsigned)> routing)
    : QObject(owner), frame(owner), table(accelerators), route(std::move(routing)) {
  qApp->installEventFilter(this);
}

unsigned AcceleratorTranslator::CommandOf(const QKeyEvent& key) const {
  int code = key.key();
  if (key.modifiers() & Qt::KeypadModifier) {
    if (code >= Qt::Key_0 && code <= Qt::Key_9) return 0;
    if (code == Qt::Key_Enter) code = Qt::Key_Return;
  }
  const Qt::KeyboardModifiers modifiers = key.modifiers() & kTableModifiers;
  for (const Accelerator& accelerator : table) {
    if (accelerator.key == code && accelerator.modifiers == modifiers) return accelerator.id;
  }
  return 0;
}

// The key press is seen on its way to the focus widget, and again on the way to each parent
// that the widget leaves it to; on the way to the window itself it may still be the screen
// reader's.
bool AcceleratorTranslator::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  if (static_cast<QWidget*>(watched)->window() != frame) return false;
  const auto& key = *static_cast<QKeyEvent*>(event);
  const unsigned id = CommandOf(key);
  if (id == 0 || FocusWidgetClaims(key, watched)) return false;
  route(id);
  return true;
}

}  // namespace framework
