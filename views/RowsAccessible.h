#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QItemSelectionModel>

class QAbstractItemView;

// The download list for a screen reader: a table of the model's cells, whose
// cells hold the controls the delegate paints (see RowCellAccessible).
// Children are numbered as the view numbers them in its own accessibility
// events: a header row and a header column first, hidden or not.
class RowsAccessible final : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    Q_DISABLE_COPY_MOVE(RowsAccessible)

    explicit RowsAccessible(QAbstractItemView &view);
    ~RowsAccessible() override;

    // The number of `index`'s cell among the children.
    static int childIndex(const QModelIndex &index);

    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *focusChild() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override;
    int rowCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

private:
    QAbstractItemView &view() const;
    void forgetChildren();
    bool changeRowSelection(int row, QItemSelectionModel::SelectionFlag how);

    mutable QHash<int, QAccessible::Id> m_children;
};
