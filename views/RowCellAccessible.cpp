#include "RowCellAccessible.h"

#include "RowControlAccessible.h"
#include "RowDelegate.h"
#include "RowModel.h"
#include "StringUtils.h"
#include "YoutubeDownloader.h"

#include <QAbstractItemView>

RowCellAccessible::RowCellAccessible(QAbstractItemView &view, const QModelIndex &index)
    : m_view(&view), m_index(index)
{
}

RowCellAccessible::~RowCellAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_controls))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *RowCellAccessible::of(QAbstractItemView &view, const QModelIndex &index)
{
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&view);
    return table && table->tableInterface() ? table->tableInterface()->cellAt(index.row(), index.column()) : nullptr;
}

QList<std::pair<int, QRect>> RowCellAccessible::controlsOf(const QAbstractItemView &view, const QModelIndex &index)
{
    const QSize cell = view.visualRect(index).size();
    QList<std::pair<int, QRect>> controls;
    for (const RowDelegate::Hit &button : RowDelegate::buttonsOf(index, cell))
        controls.append({button.button, button.rect});
    if (index.column() != RowModel::OperationsColumn)
        return controls;
    const auto progress = RowDelegate::progressOf(index);
    const auto layout = YoutubeOperationsView::calculateButtonsPositions(
        cell, index.data(RowModel::StatusRole).toInt(), progress.has_value());
    if (layout.progress)
        controls.append({RowControlAccessible::ProgressBar, *layout.progress});
    return controls;
}

QRect RowCellAccessible::controlRect(const QAbstractItemView &view, const QModelIndex &index, int control)
{
    for (const auto &[shown, rect] : controlsOf(view, index)) {
        if (shown == control)
            return rect;
    }
    return {};
}

bool RowCellAccessible::isValid() const
{
    return m_view && m_index.isValid();
}

QWindow *RowCellAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *RowCellAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i) {
        if (QAccessibleInterface *control = child(i); control && control->rect().contains(x, y))
            return control;
    }
    return nullptr;
}

QAccessibleInterface *RowCellAccessible::parent() const
{
    return m_view ? QAccessible::queryAccessibleInterface(m_view) : nullptr;
}

QAccessibleInterface *RowCellAccessible::child(int index) const
{
    if (!isValid())
        return nullptr;
    const auto controls = controlsOf(*m_view, m_index);
    if (index < 0 || index >= controls.size())
        return nullptr;
    const int control = controls.at(index).first;
    if (const auto found = m_controls.constFind(control); found != m_controls.constEnd()) {
        if (QAccessibleInterface *kept = QAccessible::accessibleInterface(*found))
            return kept;
        m_controls.erase(found);
    }
    auto *made = new RowControlAccessible(*m_view, m_index, control);
    m_controls.insert(control, QAccessible::registerAccessibleInterface(made));
    return made;
}

int RowCellAccessible::childCount() const
{
    return isValid() ? int(controlsOf(*m_view, m_index).size()) : 0;
}

int RowCellAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *control = dynamic_cast<const RowControlAccessible *>(child);
    if (!control || !isValid() || control->cell() != QModelIndex(m_index))
        return -1;
    const auto controls = controlsOf(*m_view, m_index);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        if (controls.at(i).first == control->control())
            return int(i);
    }
    return -1;
}

QString RowCellAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return {};
    if (m_index.column() != RowModel::CoverColumn)
        return m_index.data().toString();
    const auto item = m_index.data(RowModel::ItemRole).value<std::shared_ptr<YoutubeDownloader>>();
    if (!item)
        return {};
    const QString title = item->youtubeTitle();
    return StringUtils::langStr(262).arg(title.isEmpty() ? item->youtubeURL() : title);
}

QRect RowCellAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect cell = m_view->visualRect(m_index);
    return QRect(m_view->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::State RowCellAccessible::state() const
{
    QAccessible::State state;
    if (!isValid())
        return state;
    state.invisible = !m_view->viewport()->rect().intersects(m_view->visualRect(m_index));
    state.selectable = true;
    state.extSelectable = true;
    state.focusable = true;
    state.selected = isSelected();
    state.focused = m_view->hasFocus() && m_view->currentIndex() == m_index;
    return state;
}

void *RowCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface *>(this) : nullptr;
}

bool RowCellAccessible::isSelected() const
{
    return isValid() && m_view->selectionModel() && m_view->selectionModel()->isSelected(m_index);
}
