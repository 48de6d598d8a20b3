#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace framework {

// Installs, once per process, the program's readings for screen readers: the list control's
// (ListAccessibility.h) and the one-line text fields' (TextFieldAccessibility.h). Each passes
// Qt's own reading on as it is, but for what it mends.
void InstallAccessibleReadings();

// For the factory of a reading: Qt's own reading of the object, asked for with the program's
// factories out of the way, and wrapped by wrap, which owns it from then on. Acts only on
// Qt's first question for an object (its most derived class), so that one reading is made.
// Null, with Qt's reading let go, when wrap declines it (returns null: the reading does not
// suit, or memory ran out); Qt's factory then makes its own, as if the program had none.
[[nodiscard]] QAccessibleInterface* WrapQtReading(const QString& className, QObject* object,
                                                  QAccessibleInterface* (*wrap)(QAccessibleInterface* qtReading));

}  // namespace framework
