#include "RowDelegate.h"

#include "ItemRowViews.h"
#include "RowModel.h"
#include "SelectionHighlight.h"
#include "StyledTextPainter.h"
#include "YoutubeDownloader.h"
#include "YoutubeMenuView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int TextPadding = 4;

} // namespace

RowDelegate::RowDelegate(QAbstractItemView &view)
    : QStyledItemDelegate(&view), m_view(view)
{
    view.setMouseTracking(true);
    view.viewport()->installEventFilter(this);
}

void RowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    if (!SelectionHighlight::paint(*painter, cell))
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, cell.widget);

    const auto item = itemOf(index);
    if (!item)
        return;
    const qint32 status = item->youtubeStatus();
    const auto views = viewsOf(*item);
    const int hovered = m_hover.index == index ? m_hover.button : NoButton;
    const bool pressed = m_pressed.index == index && m_pressed.button == hovered;
    switch (index.column()) {
    case RowModel::CoverColumn:
        if (views)
            views->imageView().paint(*painter, cell.rect);
        break;
    case RowModel::TitleColumn: {
        const QRect text = cell.rect.adjusted(TextPadding, 0, -(YoutubeMenuView::ButtonSize + 2 * TextPadding), 0);
        StyledTextPainter::paint(*painter, cell, index.data(RowModel::StyledTextRole).value<StyledText>(), text);
        YoutubeMenuView::paint(*painter, cell, status, hovered == MenuButton, pressed);
        break;
    }
    case RowModel::StatusColumn:
        StyledTextPainter::paint(*painter, cell, index.data(RowModel::StyledTextRole).value<StyledText>(),
                                 cell.rect.adjusted(TextPadding, 0, -TextPadding, 0));
        break;
    case RowModel::OperationsColumn:
        if (views) {
            const auto button = hovered >= 0 ? std::optional(YoutubeOperationsView::Button(hovered)) : std::nullopt;
            views->operationsView().paint(*painter, cell, status, button, pressed);
        }
        break;
    default: break;
    }
}

int RowDelegate::buttonAt(const QModelIndex &index, QPoint point, QSize cell)
{
    const auto item = itemOf(index);
    if (!item)
        return NoButton;
    const qint32 status = item->youtubeStatus();
    if (index.column() == RowModel::TitleColumn && YoutubeMenuView::isMenuButtonVisible(status)
        && YoutubeMenuView::getMenuButtonFrame(cell).contains(point))
        return MenuButton;
    if (index.column() != RowModel::OperationsColumn)
        return NoButton;
    const auto views = viewsOf(*item);
    const auto button = views ? views->operationsView().buttonAt(point, cell, status) : std::nullopt;
    return button ? int(*button) : NoButton;
}

bool RowDelegate::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                              const QModelIndex &index)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseButtonDblClick)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const Target target{index, buttonAt(index, mouse->position().toPoint() - option.rect.topLeft(), option.rect.size())};
    if (type == QEvent::MouseButtonRelease) {
        const bool clicked = target.button != NoButton && target == m_pressed;
        m_pressed = {};
        m_view.viewport()->update(option.rect);
        if (clicked)
            press(target);
        return clicked;
    }
    if (target.button == NoButton)
        return false;
    m_pressed = target;
    m_view.viewport()->update(option.rect);
    return true;
}

bool RowDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove)
        setHover(targetAt(static_cast<QMouseEvent *>(event)->position().toPoint()));
    else if (event->type() == QEvent::Leave)
        setHover({});
    return QStyledItemDelegate::eventFilter(watched, event);
}

RowDelegate::Target RowDelegate::targetAt(QPoint viewportPoint) const
{
    const QModelIndex index = m_view.indexAt(viewportPoint);
    if (!index.isValid())
        return {};
    const QRect cell = m_view.visualRect(index);
    return {index, buttonAt(index, viewportPoint - cell.topLeft(), cell.size())};
}

void RowDelegate::setHover(const Target &target)
{
    if (target == m_hover)
        return;
    for (const Target &changed : {m_hover, target}) {
        if (changed.index.isValid())
            m_view.viewport()->update(m_view.visualRect(changed.index));
    }
    m_hover = target;
}

void RowDelegate::press(const Target &target)
{
    // Held here: a removal takes the item out of the list while this runs.
    const auto item = itemOf(target.index);
    if (!item)
        return;
    if (target.button == MenuButton)
        item->showMenuButtonSelector();
    else
        YoutubeOperationsView::perform(YoutubeOperationsView::Button(target.button), *item);
}

std::shared_ptr<YoutubeDownloader> RowDelegate::itemOf(const QModelIndex &index)
{
    return index.data(RowModel::ItemRole).value<std::shared_ptr<YoutubeDownloader>>();
}

std::shared_ptr<ItemRowViews> RowDelegate::viewsOf(const YoutubeDownloader &item)
{
    return std::dynamic_pointer_cast<ItemRowViews>(item.rowViews());
}
