#include "framework/accessibility/AccessibleReadings.h"

#include <QAccessible>
#include <QObject>

#include "framework/accessibility/ListAccessibility.h"
#include "framework/accessibility/TextFieldAccessibility.h"

namespace framework {

void InstallAccessibleReadings() {
  static const bool installed = [] {
    QAccessible::installFactory(ListReading);
    QAccessible::installFactory(TextFieldReading);
    return true;
  }();
  static_cast<void>(installed);
}

// Qt registers whatever a factory returns with its cache of readings; a reading it holds
// already must not come back from a factory, or Qt would hold it twice and delete it twice.
QAccessibleInterface* WrapQtReading(const QString& className, QObject* object,
                                    QAccessibleInterface* (*wrap)(QAccessibleInterface*)) {
  static bool asking = false;
  if (asking || className != QLatin1String(object->metaObject()->className())) return nullptr;
  asking = true;
  QAccessibleInterface* qtReading = QAccessible::queryAccessibleInterface(object);
  asking = false;
  if (qtReading == nullptr) return nullptr;
  if (QAccessibleInterface* wrapped = wrap(qtReading)) return wrapped;
  QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(qtReading));
  return nullptr;
}

}  // namespace framework
