#include "framework/accessibility/MenuAccessibility.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <new>

#include "framework/commands/Menu.h"

namespace framework {

namespace {

// One entry of a popup menu whose text names a key. Read as Qt reads menu entries, but for
// its name and its key.
class MenuEntryAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  MenuEntryAccessible(QMenu* menu, QAction* action) : menu(menu), action(action) {}

  bool isValid() const override { return !menu.isNull() && !action.isNull(); }
  QObject* object() const override { return action; }
  QWindow* window() const override { return menu->windowHandle(); }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(menu); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override { return QAccessible::MenuItem; }

  QString text(QAccessible::Text kind) const override {
    switch (kind) {
      case QAccessible::Name: return Menu::ReadText(action->text());
      case QAccessible::Accelerator: return Menu::KeyText(action->text());
      case QAccessible::Description: return action->statusTip();
      default: return {};
    }
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    const QRect local = menu->actionGeometry(action);
    return {menu->mapToGlobal(local.topLeft()), local.size()};
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!menu->isVisible() || !action->isVisible()) state.invisible = true;
    if (!action->isEnabled()) {
      state.disabled = true;
    } else {
      state.focusable = true;
      state.focused = menu->activeAction() == action;
    }
    if (action->isCheckable()) {
      state.checkable = true;
      state.checked = action->isChecked();
    }
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }

  QStringList actionNames() const override {
    return action->isEnabled() ? QStringList{pressAction()} : QStringList();
  }
  // Chosen as a click chooses it: the menu closes and the command runs.
  void doAction(const QString& name) override {
    if (name != pressAction() || !action->isEnabled()) return;
    menu->hide();
    action->trigger();
  }
  // Screen readers take a binding in the desktop toolkits' form, "mnemonic;path;accelerator",
  // and read the entry's key from its third field.
  QStringList keyBindingsForAction(const QString& name) const override {
    const QString key = Menu::KeyText(action->text());
    return name == pressAction() && !key.isEmpty() ? QStringList{QStringLiteral(";;") + key} : QStringList();
  }

 private:
  QPointer<QMenu> menu;
  QPointer<QAction> action;
};

QAccessibleInterface* MenuEntryFactory(const QString& className, QObject* object) {
  if (className != QLatin1String("QAction")) return nullptr;
  auto* action = qobject_cast<QAction*>(object);
  if (action == nullptr || action->menu() != nullptr || !action->text().contains('\t')) return nullptr;
  for (QObject* owner : action->associatedObjects()) {
    // Without the memory, Qt's own reading of the entry stands in.
    if (auto* menu = qobject_cast<QMenu*>(owner)) return new (std::nothrow) MenuEntryAccessible(menu, action);
  }
  return nullptr;
}

}  // namespace

void InstallMenuAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(MenuEntryFactory);
    return true;
  }();
  static_cast<void>(installed);
}

}  // namespace framework
