#include "framework/accessibility/TextFieldAccessibility.h"

#include <QAccessible>
#include <QLineEdit>
#include <new>

#include "framework/accessibility/AccessibleReadings.h"

namespace framework {

namespace {

class TextFieldAccessible : public PassedOnReading, public QAccessibleTextInterface {
 public:
  explicit TextFieldAccessible(QAccessibleInterface* field)
      : PassedOnReading(field), fieldId(QAccessible::uniqueId(field)) {}
  ~TextFieldAccessible() override { QAccessible::deleteAccessibleInterface(fieldId); }

  using PassedOnReading::text;  // the reading's own texts (name, description), besides the field's

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return qt->interface_cast(type);
  }

  void selection(int index, int* start, int* end) const override { Text()->selection(index, start, end); }
  int selectionCount() const override { return Text()->selectionCount(); }
  void addSelection(int start, int end) override { Text()->addSelection(start, end); }
  void removeSelection(int index) override { Text()->removeSelection(index); }
  void setSelection(int index, int start, int end) override { Text()->setSelection(index, start, end); }
  int cursorPosition() const override { return Text()->cursorPosition(); }
  void setCursorPosition(int position) override { Text()->setCursorPosition(position); }
  QString text(int start, int end) const override { return Text()->text(start, end); }
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    return Text()->textBeforeOffset(offset, type, start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    return Text()->textAfterOffset(offset, type, start, end);
  }
  QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    if (offset == -2) offset = cursorPosition();  // the caret, as screen readers ask for it
    const int length = characterCount();
    const bool loops = type == QAccessible::WordBoundary || type == QAccessible::SentenceBoundary;
    if (loops && length > 0 && offset >= length) offset = length - 1;
    return Text()->textAtOffset(offset, type, start, end);
  }
  int characterCount() const override { return Text()->characterCount(); }
  QRect characterRect(int offset) const override { return Text()->characterRect(offset); }
  int offsetAtPoint(const QPoint& point) const override { return Text()->offsetAtPoint(point); }
  void scrollToSubstring(int start, int end) override { Text()->scrollToSubstring(start, end); }
  QString attributes(int offset, int* start, int* end) const override {
    QString attributes = Text()->attributes(offset, start, end);
    if (*start == *end) {
      *start = 0;
      *end = characterCount();
    }
    return attributes;
  }

 private:
  QAccessibleTextInterface* Text() const { return qt->textInterface(); }

  QAccessible::Id fieldId;  // of Qt's reading of the field, owned here
};

QAccessibleInterface* WrapTextField(QAccessibleInterface* field) {
  if (field->textInterface() == nullptr) return nullptr;
  return new (std::nothrow) TextFieldAccessible(field);
}

}  // namespace

QAccessibleInterface* TextFieldReading(const QString& className, QObject* object) {
  if (qobject_cast<QLineEdit*>(object) == nullptr) return nullptr;
  return WrapQtReading(className, object, WrapTextField);
}

}  // namespace framework
