#include "RowsAccessible.h"

#include "HeaderCellAccessible.h"
#include "RowCellAccessible.h"

#include <QAbstractItemView>

RowsAccessible::RowsAccessible(QAbstractItemView &view)
    : QAccessibleWidget(&view, QAccessible::Table)
{
}

RowsAccessible::~RowsAccessible()
{
    forgetChildren();
}

void RowsAccessible::forgetChildren()
{
    for (const QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
    m_children.clear();
}

// Rows that came, went or moved renumber the cells: they are made anew when
// asked for.
void RowsAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
        forgetChildren();
}

QAbstractItemView &RowsAccessible::view() const
{
    return *static_cast<QAbstractItemView *>(widget());
}

int RowsAccessible::childIndex(const QModelIndex &index)
{
    return (index.row() + 1) * (index.model()->columnCount() + 1) + index.column() + 1;
}

int RowsAccessible::rowCount() const
{
    return view().model() ? view().model()->rowCount() : 0;
}

int RowsAccessible::columnCount() const
{
    return view().model() ? view().model()->columnCount() : 0;
}

int RowsAccessible::childCount() const
{
    return columnCount() ? (rowCount() + 1) * (columnCount() + 1) : 0;
}

// A cell cached under its number is used while it is still that number's
// cell: rows may have moved while no screen reader listened, and the view
// told of no change.
QAccessibleInterface *RowsAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    const int row = index / (columnCount() + 1) - 1;
    const int column = index % (columnCount() + 1) - 1;
    const QModelIndex cell = row < 0 || column < 0 ? QModelIndex() : view().model()->index(row, column);
    if (const auto found = m_children.constFind(index); found != m_children.constEnd()) {
        QAccessibleInterface *cached = QAccessible::accessibleInterface(*found);
        const auto *rowCell = dynamic_cast<RowCellAccessible *>(cached);
        if (cached && (!rowCell || rowCell->index() == cell))
            return cached;
        QAccessible::deleteAccessibleInterface(*found);
    }
    QAccessibleInterface *made = nullptr;
    if (cell.isValid())
        made = new RowCellAccessible(view(), cell);
    else if (row < 0)
        made = new HeaderCellAccessible(view(), Qt::Horizontal, column);
    else
        made = new HeaderCellAccessible(view(), Qt::Vertical, row);
    m_children.insert(index, QAccessible::registerAccessibleInterface(made));
    return made;
}

int RowsAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (const auto *cell = dynamic_cast<const RowCellAccessible *>(child); cell && cell->isValid())
        return childIndex(cell->index());
    if (const auto *header = dynamic_cast<const HeaderCellAccessible *>(child))
        return header->orientation() == Qt::Horizontal ? header->section() + 1
                                                        : (header->section() + 1) * (columnCount() + 1);
    return -1;
}

QAccessibleInterface *RowsAccessible::childAt(int x, int y) const
{
    const QModelIndex index = view().indexAt(view().viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(childIndex(index)) : nullptr;
}

QAccessibleInterface *RowsAccessible::focusChild() const
{
    const QModelIndex current = view().currentIndex();
    return view().hasFocus() && current.isValid() ? child(childIndex(current)) : nullptr;
}

void *RowsAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface *RowsAccessible::cellAt(int row, int column) const
{
    const QModelIndex index = view().model() ? view().model()->index(row, column) : QModelIndex();
    return index.isValid() ? child(childIndex(index)) : nullptr;
}

int RowsAccessible::selectedCellCount() const
{
    return view().selectionModel() ? int(view().selectionModel()->selectedIndexes().size()) : 0;
}

QList<QAccessibleInterface *> RowsAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    if (view().selectionModel()) {
        for (const QModelIndex &index : view().selectionModel()->selectedIndexes())
            cells.append(child(childIndex(index)));
    }
    return cells;
}

QString RowsAccessible::columnDescription(int column) const
{
    return view().model() ? view().model()->headerData(column, Qt::Horizontal).toString() : QString();
}

QList<int> RowsAccessible::selectedRows() const
{
    QList<int> rows;
    if (view().selectionModel()) {
        for (const QModelIndex &index : view().selectionModel()->selectedRows())
            rows.append(index.row());
    }
    return rows;
}

bool RowsAccessible::isRowSelected(int row) const
{
    return view().selectionModel() && view().selectionModel()->isRowSelected(row, QModelIndex());
}

bool RowsAccessible::selectRow(int row)
{
    return changeRowSelection(row, QItemSelectionModel::Select);
}

bool RowsAccessible::unselectRow(int row)
{
    return changeRowSelection(row, QItemSelectionModel::Deselect);
}

bool RowsAccessible::changeRowSelection(int row, QItemSelectionModel::SelectionFlag how)
{
    const QModelIndex index = view().model() ? view().model()->index(row, 0) : QModelIndex();
    if (!index.isValid() || !view().selectionModel())
        return false;
    view().selectionModel()->select(index, how | QItemSelectionModel::Rows);
    return true;
}
