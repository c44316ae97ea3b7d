#pragma once

#include <QAccessibleInterface>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>

class QAbstractItemView;

// A cell of the download list for a screen reader: its text (the cover cell
// names the picture), and as children the controls the row shows in it.
class RowCellAccessible final : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    Q_DISABLE_COPY_MOVE(RowCellAccessible)

    RowCellAccessible(QAbstractItemView &view, const QModelIndex &index);
    ~RowCellAccessible() override;

    QModelIndex index() const { return m_index; }

    // The cell of `index` as the list's table hands it out.
    static QAccessibleInterface *of(QAbstractItemView &view, const QModelIndex &index);
    // The controls the row shows in `index`'s cell, in cell coordinates, in
    // the order they are painted.
    static QList<std::pair<int, QRect>> controlsOf(const QAbstractItemView &view, const QModelIndex &index);
    // Null when the cell does not show `control` (now).
    static QRect controlRect(const QAbstractItemView &view, const QModelIndex &index, int control);

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_index.column(); }
    int rowIndex() const override { return m_index.row(); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QPointer<QAbstractItemView> m_view;
    QPersistentModelIndex m_index;
    // By control: one object for a control while the screen reader knows it.
    mutable QHash<int, QAccessible::Id> m_controls;
};
