#pragma once

#include <QAccessibleInterface>
#include <QString>

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

// The base of the program's readings: Qt's reading of the same object (or cell), passed on as
// it is; a reading overrides what it mends. Does not own Qt's reading: a reading that owns it
// lets it go in its destructor (QAccessible::deleteAccessibleInterface).
class PassedOnReading : public QAccessibleInterface {
 public:
  explicit PassedOnReading(QAccessibleInterface* qtReading) : qt(qtReading) {}

  bool isValid() const override { return qt->isValid(); }
  QObject* object() const override { return qt->object(); }
  QWindow* window() const override { return qt->window(); }
  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override {
    return qt->relations(match);
  }
  QAccessibleInterface* focusChild() const override { return qt->focusChild(); }
  QAccessibleInterface* parent() const override { return qt->parent(); }
  QAccessibleInterface* child(int index) const override { return qt->child(index); }
  int childCount() const override { return qt->childCount(); }
  int indexOfChild(const QAccessibleInterface* child) const override { return qt->indexOfChild(child); }
  QAccessibleInterface* childAt(int x, int y) const override { return qt->childAt(x, y); }
  QString text(QAccessible::Text kind) const override { return qt->text(kind); }
  void setText(QAccessible::Text kind, const QString& text) override { qt->setText(kind, text); }
  QRect rect() const override { return qt->rect(); }
  QAccessible::Role role() const override { return qt->role(); }
  QAccessible::State state() const override { return qt->state(); }
  void* interface_cast(QAccessible::InterfaceType type) override { return qt->interface_cast(type); }

 protected:
  QAccessibleInterface* const qt;  // Qt's reading
};

}  // namespace framework
