#include "results/ui/KyGrepResultAccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>

#include "platform/ui/QtText.h"
#include "results/ui/KyGrepResult.h"

namespace tansa2 {
namespace {

static_assert(GrepResultCellChild(0, 0) == TKyGrepResult::ColumnCount(), "one header row comes first");

// A cell reads the list at every question, so a cell kept by a screen reader
// across a new search answers for the new rows or reports itself invalid.
class TGrepResultCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  TGrepResultCell(TKyGrepResult* list, int row, int col) : list_(list), row_(row), col_(col) {}

  bool isValid() const override {
    return list_ && row_ >= -1 && row_ < list_->DataCount() && col_ >= 0 && col_ < TKyGrepResult::ColumnCount();
  }
  QObject* object() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(list_); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

  QString text(QAccessible::Text t) const override {
    if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value)) return {};
    return platform::ToQString(list_->CellText(row_, col_));
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return {};
    const QWidget* viewport = list_->viewport();
    const QRect cell = list_->CellRect(row_, col_);
    return QRect(viewport->mapToGlobal(cell.topLeft()), cell.size());
  }
  QAccessible::Role role() const override { return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    const QRect visible = list_->viewport()->rect();
    const QRect cell = list_->CellRect(row_, col_);
    if (!visible.intersects(cell)) state.offscreen = true;
    if (row_ < 0) return state;
    state.selectable = true;
    state.focusable = true;
    if (isSelected()) {
      state.selected = true;
      state.focused = list_->hasFocus();
    }
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
  }

  bool isSelected() const override { return row_ >= 0 && row_ == list_->SelectedIndex(); }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return col_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

 private:
  QPointer<TKyGrepResult> list_;
  int row_;
  int col_;
};

class TGrepResultAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TGrepResultAccessible(TKyGrepResult* list)
      : QAccessibleWidget(list, QAccessible::Table), generation_(list->RowsGeneration()) {}
  ~TGrepResultAccessible() override { DropCells(); }

  TKyGrepResult* List() const { return static_cast<TKyGrepResult*>(widget()); }

  int childCount() const override { return GrepResultCellChild(List()->DataCount(), 0); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    return Cell(index / TKyGrepResult::ColumnCount() - 1, index % TKyGrepResult::ColumnCount());
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    auto* cell = child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!cell || child->parent() != this) return -1;
    return GrepResultCellChild(cell->rowIndex(), cell->columnIndex());
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const TKyGrepResult* list = List();
    const QPoint local = list->viewport()->mapFromGlobal(QPoint(x, y));
    if (!list->viewport()->rect().contains(local)) return nullptr;
    for (int col = 0; col < TKyGrepResult::ColumnCount(); ++col) {
      const QRect header = list->CellRect(-1, col);
      if (local.x() < header.left() || local.x() > header.right()) continue;
      if (local.y() <= header.bottom()) return Cell(-1, col);
      const QRect top = list->CellRect(list->verticalScrollBar()->value(), col);
      const int row = list->verticalScrollBar()->value() + (local.y() - top.top()) / top.height();
      return row < list->DataCount() ? Cell(row, col) : nullptr;
    }
    return nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    const int current = List()->SelectedIndex();
    return List()->hasFocus() && current >= 0 && current < List()->DataCount() ? Cell(current, 0) : nullptr;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
    return Cell(row, column);
  }
  int selectedCellCount() const override { return selectedRowCount() * columnCount(); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> cells;
    for (int row : selectedRows())
      for (int col = 0; col < columnCount(); ++col) cells.append(Cell(row, col));
    return cells;
  }
  QString columnDescription(int column) const override { return platform::ToQString(List()->CellText(-1, column)); }
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
  int columnCount() const override { return TKyGrepResult::ColumnCount(); }
  int rowCount() const override { return List()->DataCount(); }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override {
    const int current = List()->SelectedIndex();
    if (current >= 0 && current < rowCount()) return {current};
    return {};
  }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override { return row >= 0 && row == List()->SelectedIndex(); }
  // One row is always current, so selecting moves it and nothing unselects.
  bool selectRow(int row) override {
    if (row < 0 || row >= rowCount()) return false;
    List()->SelectData(row);
    return true;
  }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override { DropCells(); }

  QAccessibleInterface* Cell(int row, int col) const {
    // Change events reach the interface only while a screen reader listens.
    if (generation_ != List()->RowsGeneration()) {
      DropCells();
      generation_ = List()->RowsGeneration();
    }
    const int key = GrepResultCellChild(row, col);
    if (const auto found = cells_.constFind(key); found != cells_.cend())
      return QAccessible::accessibleInterface(*found);
    auto* cell = new TGrepResultCell(List(), row, col);
    cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
  }

 private:
  // The rows changed: cells of rows gone must not be handed out again.
  void DropCells() const {
    for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
    cells_.clear();
  }

  mutable QHash<int, QAccessible::Id> cells_;
  mutable unsigned generation_ = 0;
};

QList<QAccessibleInterface*> TGrepResultCell::columnHeaderCells() const {
  auto* table = static_cast<TGrepResultAccessible*>(parent());
  return table ? QList<QAccessibleInterface*>{table->Cell(-1, col_)} : QList<QAccessibleInterface*>{};
}

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  auto* list = qobject_cast<TKyGrepResult*>(object);
  if (!list || className != QLatin1String(TKyGrepResult::staticMetaObject.className())) return nullptr;
  return new TGrepResultAccessible(list);
}

}  // namespace

void InstallGrepResultAccessibility() {
  static const bool installed = (QAccessible::installFactory(Factory), true);
  (void)installed;
}

}  // namespace tansa2
