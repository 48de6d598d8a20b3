#include "framework/ScreenReading.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QHash>
#include <QLineEdit>
#include <new>
#include <utility>

#include "framework/ListControl.h"

namespace framework {

namespace {

// The name screen readers look for on a cell that can be checked; Qt's is "Toggle".
const QString kToggle = QStringLiteral("toggle");

class ListAccessible;

// A cell of the list: Qt's cell, with the list's reading as its parent and table, and its
// toggle action named as screen readers know it.
class CellAccessible : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
 public:
  CellAccessible(ListAccessible* list, QAccessibleInterface* cell) : list(list), cell(cell) {}

  bool isValid() const override { return cell->isValid(); }
  QObject* object() const override { return cell->object(); }
  QWindow* window() const override { return cell->window(); }
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int index) const override { return cell->child(index); }
  int childCount() const override { return cell->childCount(); }
  int indexOfChild(const QAccessibleInterface* child) const override { return cell->indexOfChild(child); }
  QAccessibleInterface* childAt(int x, int y) const override { return cell->childAt(x, y); }
  QString text(QAccessible::Text kind) const override { return cell->text(kind); }
  void setText(QAccessible::Text kind, const QString& text) override { cell->setText(kind, text); }
  QRect rect() const override { return cell->rect(); }
  QAccessible::Role role() const override { return cell->role(); }
  QAccessible::State state() const override { return cell->state(); }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return cell->interface_cast(type);
  }

  // The table cell: Qt's answers, in the list's terms.
  bool isSelected() const override { return Cell()->isSelected(); }
  QList<QAccessibleInterface*> columnHeaderCells() const override { return Cell()->columnHeaderCells(); }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return Cell()->rowHeaderCells(); }
  int columnIndex() const override { return Cell()->columnIndex(); }
  int rowIndex() const override { return Cell()->rowIndex(); }
  int columnExtent() const override { return Cell()->columnExtent(); }
  int rowExtent() const override { return Cell()->rowExtent(); }
  QAccessibleInterface* table() const override;

  // Qt offers every cell its toggle; a screen reader then calls every cell a check box. Only
  // a cell with a check mark keeps it.
  QStringList actionNames() const override {
    QStringList names = Actions() != nullptr ? Actions()->actionNames() : QStringList();
    const bool checkable = cell->state().checkable;
    names.removeIf([checkable](const QString& name) { return name == toggleAction() && !checkable; });
    for (QString& name : names) {
      if (name == toggleAction()) name = kToggle;
    }
    return names;
  }
  void doAction(const QString& name) override {
    if (Actions() != nullptr) Actions()->doAction(name == kToggle ? toggleAction() : name);
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    return Actions() != nullptr ? Actions()->keyBindingsForAction(name == kToggle ? toggleAction() : name)
                                : QStringList();
  }

 private:
  QAccessibleTableCellInterface* Cell() const { return cell->tableCellInterface(); }
  QAccessibleActionInterface* Actions() const { return cell->actionInterface(); }

  ListAccessible* list;
  QAccessibleInterface* cell;  // Qt's, owned by Qt's reading of the list
};

// The list: Qt's reading of the item view, as a table, with its cells wrapped.
class ListAccessible : public QAccessibleInterface, public QAccessibleTableInterface {
 public:
  explicit ListAccessible(QAccessibleInterface* view) : view(view), viewId(QAccessible::uniqueId(view)) {}
  ~ListAccessible() override {
    DropCells();
    QAccessible::deleteAccessibleInterface(viewId);
  }

  bool isValid() const override { return view->isValid(); }
  QObject* object() const override { return view->object(); }
  QWindow* window() const override { return view->window(); }
  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override {
    return view->relations(match);
  }
  QAccessibleInterface* focusChild() const override { return Wrap(view->focusChild()); }
  QAccessibleInterface* parent() const override { return view->parent(); }
  QAccessibleInterface* child(int index) const override { return Wrap(view->child(index)); }
  int childCount() const override { return view->childCount(); }
  int indexOfChild(const QAccessibleInterface* child) const override { return view->indexOfChild(Unwrap(child)); }
  QAccessibleInterface* childAt(int x, int y) const override { return Wrap(view->childAt(x, y)); }
  QString text(QAccessible::Text kind) const override { return view->text(kind); }
  void setText(QAccessible::Text kind, const QString& text) override { view->setText(kind, text); }
  QRect rect() const override { return view->rect(); }
  QAccessible::Role role() const override { return QAccessible::Table; }
  QAccessible::State state() const override { return view->state(); }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return view->interface_cast(type);
  }

  QAccessibleInterface* caption() const override { return Table()->caption(); }
  QAccessibleInterface* summary() const override { return Table()->summary(); }
  QString columnDescription(int column) const override { return Table()->columnDescription(column); }
  QString rowDescription(int row) const override { return Table()->rowDescription(row); }
  QAccessibleInterface* cellAt(int row, int column) const override { return Wrap(Table()->cellAt(row, column)); }
  int selectedCellCount() const override { return Table()->selectedCellCount(); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> cells = Table()->selectedCells();
    for (QAccessibleInterface*& cell : cells) cell = Wrap(cell);
    return cells;
  }
  int columnCount() const override { return Table()->columnCount(); }
  int rowCount() const override { return Table()->rowCount(); }
  int selectedColumnCount() const override { return Table()->selectedColumnCount(); }
  int selectedRowCount() const override { return Table()->selectedRowCount(); }
  QList<int> selectedColumns() const override { return Table()->selectedColumns(); }
  QList<int> selectedRows() const override { return Table()->selectedRows(); }
  bool isColumnSelected(int column) const override { return Table()->isColumnSelected(column); }
  bool isRowSelected(int row) const override { return Table()->isRowSelected(row); }
  bool selectRow(int row) override { return Table()->selectRow(row); }
  bool selectColumn(int column) override { return Table()->selectColumn(column); }
  bool unselectRow(int row) override { return Table()->unselectRow(row); }
  bool unselectColumn(int column) override { return Table()->unselectColumn(column); }
  // Qt lets cells go when rows or columns go or the model is reset: their readings go
  // first. (It keeps every cell as data changes and rows come.)
  void modelChange(QAccessibleTableModelChangeEvent* event) override {
    switch (event->modelChangeType()) {
      case QAccessibleTableModelChangeEvent::ModelReset:
      case QAccessibleTableModelChangeEvent::RowsRemoved:
      case QAccessibleTableModelChangeEvent::ColumnsRemoved:
        DropCells();
        break;
      default:
        break;
    }
    Table()->modelChange(event);
  }

 private:
  QAccessibleTableInterface* Table() const { return view->tableInterface(); }

  // The reading of Qt's cell (made as first asked for); anything else as it is.
  QAccessibleInterface* Wrap(QAccessibleInterface* cell) const {
    if (cell == nullptr || cell->tableCellInterface() == nullptr) return cell;
    if (QAccessibleInterface* made = cells.value(cell)) return made;
    auto* made = new (std::nothrow) CellAccessible(const_cast<ListAccessible*>(this), cell);
    if (made == nullptr) return cell;
    QAccessible::registerAccessibleInterface(made);
    cells.insert(cell, made);
    return made;
  }
  const QAccessibleInterface* Unwrap(const QAccessibleInterface* child) const {
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
      if (it.value() == child) return it.key();
    }
    return child;
  }
  void DropCells() {
    const QHash<QAccessibleInterface*, QAccessibleInterface*> dropped = std::exchange(cells, {});
    for (QAccessibleInterface* made : dropped) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  }

  QAccessibleInterface* view;  // Qt's reading of the item view, registered under viewId
  QAccessible::Id viewId;
  mutable QHash<QAccessibleInterface*, QAccessibleInterface*> cells;  // Qt's cell to its reading
};

QAccessibleInterface* CellAccessible::parent() const { return list; }
QAccessibleInterface* CellAccessible::table() const { return list; }

// A one-line text field: Qt's reading, but for the words and sentences at the end of its
// text, where Qt's reading never answers (Qt 6.4 loops for ever when asked for the word at
// the caret behind the last character, as a screen reader asks when the user moves by
// words): the text there is that of the last character, as the desktop's toolkits answer.
class TextFieldAccessible : public QAccessibleInterface, public QAccessibleTextInterface {
 public:
  explicit TextFieldAccessible(QAccessibleInterface* field) : field(field), fieldId(QAccessible::uniqueId(field)) {}
  ~TextFieldAccessible() override { QAccessible::deleteAccessibleInterface(fieldId); }

  bool isValid() const override { return field->isValid(); }
  QObject* object() const override { return field->object(); }
  QWindow* window() const override { return field->window(); }
  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override {
    return field->relations(match);
  }
  QAccessibleInterface* focusChild() const override { return field->focusChild(); }
  QAccessibleInterface* parent() const override { return field->parent(); }
  QAccessibleInterface* child(int index) const override { return field->child(index); }
  int childCount() const override { return field->childCount(); }
  int indexOfChild(const QAccessibleInterface* child) const override { return field->indexOfChild(child); }
  QAccessibleInterface* childAt(int x, int y) const override { return field->childAt(x, y); }
  QString text(QAccessible::Text kind) const override { return field->text(kind); }
  void setText(QAccessible::Text kind, const QString& text) override { field->setText(kind, text); }
  QRect rect() const override { return field->rect(); }
  QAccessible::Role role() const override { return field->role(); }
  QAccessible::State state() const override { return field->state(); }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return field->interface_cast(type);
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
  QString attributes(int offset, int* start, int* end) const override { return Text()->attributes(offset, start, end); }

 private:
  QAccessibleTextInterface* Text() const { return field->textInterface(); }

  QAccessibleInterface* field;  // Qt's reading of the field, registered under fieldId
  QAccessible::Id fieldId;
};

// Qt's own reading of the object: asked for again with the program's factory out of the
// way (the factory is called for each class of the object, most derived first).
QAccessibleInterface* QtReading(QObject* object, bool& asking) {
  asking = true;
  QAccessibleInterface* reading = QAccessible::queryAccessibleInterface(object);
  asking = false;
  return reading;
}

// The program's readings, each wrapping Qt's; where memory runs out, Qt's stands in.
QAccessibleInterface* ReadingFactory(const QString&, QObject* object) {
  static bool asking = false;
  if (asking) return nullptr;
  QAccessibleInterface* made = nullptr;
  if (dynamic_cast<ListControl*>(object) != nullptr) {
    QAccessibleInterface* view = QtReading(object, asking);
    if (view == nullptr || view->tableInterface() == nullptr) return view;
    made = new (std::nothrow) ListAccessible(view);
    return made != nullptr ? made : view;
  }
  if (qobject_cast<QLineEdit*>(object) != nullptr) {
    QAccessibleInterface* field = QtReading(object, asking);
    if (field == nullptr || field->textInterface() == nullptr) return field;
    made = new (std::nothrow) TextFieldAccessible(field);
    return made != nullptr ? made : field;
  }
  return nullptr;
}

}  // namespace

void InstallScreenReading() {
  static const bool installed = [] {
    QAccessible::installFactory(ReadingFactory);
    return true;
  }();
  static_cast<void>(installed);
}

}  // namespace framework
