#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace framework {

// The factory of the one-line text fields' reading for screen readers (installed by
// InstallAccessibleReadings): Qt's own reading of the field, passed on as it is, but where
// Qt's answers stop a screen reader:
// - Qt tells of a field's text attributes (it has none) as a run of no characters, and a
//   screen reader that reads a line run by run then reads nothing of it: a field that takes
//   the focus is heard without its text. The run is the whole text.
// - Qt never answers when asked for the word or sentence at the end of the text (it loops
//   for ever), as a screen reader asks when the user moves by words: the answer there is
//   that at the last character, as the desktop's toolkits give.
//
// Each field's reading wraps Qt's, which it owns. A field without Qt's text reading (the
// line edit inside a spin box, which the spin box reads) is left to Qt. Failure: where
// memory runs out, Qt's own reading stands in. Null for any other object.
QAccessibleInterface* TextFieldReading(const QString& className, QObject* object);

}  // namespace framework
