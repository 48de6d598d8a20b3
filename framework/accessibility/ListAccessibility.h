#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace framework {

// The factory of the list control's reading for screen readers (installed by
// InstallAccessibleReadings): Qt's own reading of the item view, passed on as it is, but for
// what a screen reader needs of a list of check marks. The list is a table (read as one:
// "table with N rows"), and each of its cells that can be checked offers the action
// "toggle", which is how a screen reader knows that a cell's check mark is the thing to say
// when it changes.
//
// The reading of each list control wraps Qt's, which it owns; the cells' readings wrap
// Qt's cells and live until the list's rows change, when Qt lets its cells go too.
// Failure: where memory runs out, Qt's own reading stands in. Null for any other object.
QAccessibleInterface* ListReading(const QString& className, QObject* object);

}  // namespace framework
