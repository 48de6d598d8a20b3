#include "framework/accessibility/ListAccessibility.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QHash>
#include <new>
#include <utility>

#include "framework/accessibility/AccessibleReadings.h"
#include "framework/listcontrol/ListControl.h"

namespace framework {

namespace {

// The name screen readers look for on a cell that can be checked; Qt's is "Toggle".
const QString kToggle = QStringLiteral("toggle");

class ListAccessible;

// A cell of the list: Qt's cell, with the list's reading as its parent and table, and its
// toggle action named as screen readers know it.
class CellAccessible : public PassedOnReading,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
 public:
  CellAccessible(ListAccessible* list, QAccessibleInterface* cell) : PassedOnReading(cell), list(list) {}

  QAccessibleInterface* parent() const override;
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return qt->interface_cast(type);
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
    const bool checkable = qt->state().checkable;
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
  QAccessibleTableCellInterface* Cell() const { return qt->tableCellInterface(); }
  QAccessibleActionInterface* Actions() const { return qt->actionInterface(); }

  ListAccessible* list;  // Qt's cell is owned by Qt's reading of the list
};

// The list: Qt's reading of the item view, as a table, with its cells wrapped.
class ListAccessible : public PassedOnReading, public QAccessibleTableInterface {
 public:
  explicit ListAccessible(QAccessibleInterface* view) : PassedOnReading(view), viewId(QAccessible::uniqueId(view)) {}
  ~ListAccessible() override {
    DropCells();
    QAccessible::deleteAccessibleInterface(viewId);
  }

  QAccessibleInterface* focusChild() const override { return Wrap(qt->focusChild()); }
  QAccessibleInterface* child(int index) const override { return Wrap(qt->child(index)); }
  int indexOfChild(const QAccessibleInterface* child) const override { return qt->indexOfChild(Unwrap(child)); }
  QAccessibleInterface* childAt(int x, int y) const override { return Wrap(qt->childAt(x, y)); }
  QAccessible::Role role() const override { return QAccessible::Table; }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return qt->interface_cast(type);
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
  QAccessibleTableInterface* Table() const { return qt->tableInterface(); }

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

  QAccessible::Id viewId;  // of Qt's reading of the item view, owned here
  mutable QHash<QAccessibleInterface*, QAccessibleInterface*> cells;  // Qt's cell to its reading
};

QAccessibleInterface* CellAccessible::parent() const { return list; }
QAccessibleInterface* CellAccessible::table() const { return list; }

// Qt's reading of a list control as the list's, where it is the table it should be.
QAccessibleInterface* WrapList(QAccessibleInterface* view) {
  if (view->tableInterface() == nullptr) return nullptr;
  return new (std::nothrow) ListAccessible(view);
}

}  // namespace

QAccessibleInterface* ListReading(const QString& className, QObject* object) {
  if (dynamic_cast<ListControl*>(object) == nullptr) return nullptr;
  return WrapQtReading(className, object, WrapList);
}

}  // namespace framework
