#include "HeaderCellAccessible.h"

#include <QAbstractItemView>

HeaderCellAccessible::HeaderCellAccessible(QAbstractItemView &view, Qt::Orientation orientation, int section)
    : m_view(&view), m_orientation(orientation), m_section(section)
{
}

QAccessibleInterface *HeaderCellAccessible::parent() const
{
    return m_view ? QAccessible::queryAccessibleInterface(m_view) : nullptr;
}

QString HeaderCellAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !m_view || !m_view->model() || m_section < 0)
        return {};
    return m_view->model()->headerData(m_section, m_orientation).toString();
}

QAccessible::Role HeaderCellAccessible::role() const
{
    if (m_section < 0)
        return QAccessible::Pane;
    return m_orientation == Qt::Horizontal ? QAccessible::ColumnHeader : QAccessible::RowHeader;
}

// The row header column is never shown.
QAccessible::State HeaderCellAccessible::state() const
{
    QAccessible::State state;
    state.invisible = m_orientation == Qt::Vertical || m_section < 0;
    return state;
}
