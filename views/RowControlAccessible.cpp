#include "RowControlAccessible.h"

#include "RowCellAccessible.h"
#include "RowDelegate.h"
#include "RowModel.h"
#include "YoutubeMenuView.h"

#include <QAbstractItemView>

using namespace Qt::Literals::StringLiterals;

RowControlAccessible::RowControlAccessible(QAbstractItemView &view, const QModelIndex &cell, int control)
    : m_view(&view), m_cell(cell), m_control(control)
{
}

bool RowControlAccessible::isValid() const
{
    return m_view && m_cell.isValid() && RowCellAccessible::controlRect(*m_view, m_cell, m_control).isValid();
}

QWindow *RowControlAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *RowControlAccessible::parent() const
{
    return m_view ? RowCellAccessible::of(*m_view, m_cell) : nullptr;
}

QString RowControlAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return {};
    if (m_control == ProgressBar)
        return t == QAccessible::Value ? u"%1 %"_s.arg(currentValue().toInt()) : QString();
    if (t != QAccessible::Name)
        return {};
    if (m_control == RowDelegate::MenuButton)
        return YoutubeMenuView::toolTip();
    return YoutubeOperationsView::toolTip(YoutubeOperationsView::Button(m_control));
}

QRect RowControlAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect cell = m_view->visualRect(m_cell);
    const QRect local = RowCellAccessible::controlRect(*m_view, m_cell, m_control);
    return QRect(m_view->viewport()->mapToGlobal(cell.topLeft() + local.topLeft()), local.size());
}

QAccessible::Role RowControlAccessible::role() const
{
    return m_control == ProgressBar ? QAccessible::ProgressBar : QAccessible::Button;
}

QAccessible::State RowControlAccessible::state() const
{
    QAccessible::State state;
    state.invisible = !isValid() || !m_view->viewport()->rect().intersects(m_view->visualRect(m_cell));
    state.readOnly = m_control == ProgressBar;
    return state;
}

void *RowControlAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface && m_control != ProgressBar)
        return static_cast<QAccessibleActionInterface *>(this);
    if (type == QAccessible::ValueInterface && m_control == ProgressBar)
        return static_cast<QAccessibleValueInterface *>(this);
    return nullptr;
}

QStringList RowControlAccessible::actionNames() const
{
    return {pressAction()};
}

// Through the delegate, as a click goes: the list then acts on the row.
void RowControlAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction() || !isValid())
        return;
    if (auto *delegate = dynamic_cast<RowDelegate *>(m_view->itemDelegate()))
        delegate->pressButton(m_cell, m_control);
}

QVariant RowControlAccessible::currentValue() const
{
    const auto progress = RowDelegate::progressOf(m_cell);
    return progress ? YoutubeOperationsView::scaledProgress(*progress) * 100 / YoutubeOperationsView::ProgressScale : 0;
}
