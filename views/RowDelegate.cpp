#include "RowDelegate.h"

#include "ImageView.h"
#include "RowModel.h"
#include "RowsAccessible.h"
#include "SelectionHighlight.h"
#include "StyledTextPainter.h"
#include "YoutubeDownloader.h"
#include "YoutubeMenuView.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QToolTip>

namespace {

constexpr int TextPadding = 4;

// A status note can be long: it breaks into lines where the cell has room.
constexpr bool StatusWraps = true;

QRect statusArea(QRect cell)
{
    return cell.adjusted(TextPadding, 0, -TextPadding, 0);
}

} // namespace

QStringList RowDelegate::statusLines(const QFont &font, const StyledText &text, QRect cell)
{
    return StyledTextPainter::shownLines(font, text, statusArea(cell).size(), StatusWraps);
}

RowDelegate::RowDelegate(QAbstractItemView &view)
    : QStyledItemDelegate(&view), m_view(view)
{
    view.setMouseTracking(true);
    view.viewport()->installEventFilter(this);
    if (QAbstractItemModel *model = view.model()) {
        connect(model, &QAbstractItemModel::dataChanged, this, &RowDelegate::rowsChanged);
        for (const auto moved : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::rowsInserted})
            connect(model, moved, this, &RowDelegate::followToolTip);
    }
    if (QItemSelectionModel *selection = view.selectionModel())
        connect(selection, &QItemSelectionModel::currentChanged, this, &RowDelegate::rememberStatus);
}

void RowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    if (!SelectionHighlight::paint(*painter, cell))
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, cell.widget);
    paintFocus(*painter, cell, index);

    const QVariant statusData = index.data(RowModel::StatusRole);
    if (!statusData.isValid())
        return;
    const qint32 status = statusData.toInt();
    const int hovered = m_hover.index == index ? m_hover.button : NoButton;
    const bool pressed = m_pressed.index == index && m_pressed.button == hovered;
    switch (index.column()) {
    case RowModel::CoverColumn:
        ImageView::paint(*painter, cell.rect, index.data(RowModel::CoverRole).value<QImage>());
        break;
    case RowModel::TitleColumn: {
        const QRect text = cell.rect.adjusted(TextPadding, 0, -(YoutubeMenuView::ButtonSize + 2 * TextPadding), 0);
        StyledTextPainter::paint(*painter, cell, index.data(RowModel::StyledTextRole).value<StyledText>(), text);
        YoutubeMenuView::paint(*painter, cell, status, hovered == MenuButton, pressed);
        break;
    }
    case RowModel::StatusColumn:
        StyledTextPainter::paint(*painter, cell, index.data(RowModel::StyledTextRole).value<StyledText>(),
                                 statusArea(cell.rect), StatusWraps);
        break;
    case RowModel::OperationsColumn:
    {
        const auto button = hovered >= 0 ? std::optional(YoutubeOperationsView::Button(hovered)) : std::nullopt;
        YoutubeOperationsView::paint(*painter, cell, status, progressOf(index), button, pressed);
        break;
    }
    default: break;
    }
}

// The current row, where the keys act, is framed while the list has the
// focus: one frame round the whole row, not one per cell.
void RowDelegate::paintFocus(QPainter &painter, const QStyleOptionViewItem &cell, const QModelIndex &index) const
{
    if (!m_view.hasFocus() || m_view.currentIndex().row() != index.row())
        return;
    const QRect rect = cell.rect.adjusted(0, 0, -1, -1);
    painter.save();
    painter.setPen(QPen(cell.palette.color(QPalette::Highlight), 1));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    if (index.column() == 0)
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
    if (index.column() == index.model()->columnCount() - 1)
        painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.restore();
}

QList<RowDelegate::Hit> RowDelegate::buttonsOf(const QModelIndex &index, QSize cell)
{
    const QVariant statusData = index.data(RowModel::StatusRole);
    if (!statusData.isValid())
        return {};
    const qint32 status = statusData.toInt();
    if (index.column() == RowModel::TitleColumn && YoutubeMenuView::isMenuButtonVisible(status))
        return {Hit{MenuButton, YoutubeMenuView::getMenuButtonFrame(cell).toRect()}};
    if (index.column() != RowModel::OperationsColumn)
        return {};
    QList<Hit> buttons;
    const bool hasProgress = progressOf(index).has_value();
    for (const auto &[button, rect] : YoutubeOperationsView::calculateButtonsPositions(cell, status, hasProgress).buttons)
        buttons.append({button, rect});
    return buttons;
}

RowDelegate::Hit RowDelegate::buttonAt(const QModelIndex &index, QPoint point, QSize cell)
{
    for (const Hit &button : buttonsOf(index, cell)) {
        if (button.rect.contains(point))
            return button;
    }
    return {};
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
    const QPoint point = mouse->position().toPoint() - option.rect.topLeft();
    const Target target{index, buttonAt(index, point, option.rect.size()).button};
    if (type == QEvent::MouseButtonRelease) {
        const bool clicked = target.button != NoButton && target == m_pressed;
        m_pressed = {};
        m_view.viewport()->update(option.rect);
        if (clicked) {
            m_lastClick.start();
            m_lastClickPosition = mouse->position().toPoint();
            pressButton(target.index, target.button);
        }
        return clicked;
    }
    if (target.button == NoButton)
        return false;
    if (!isSecondClick(*mouse)) {
        m_pressed = target;
        m_view.viewport()->update(option.rect);
    }
    return true;
}

// The second click of a double click is no click of its own: after the
// first one removed its row, it would land on the next row's button. It
// comes as a double click, or as a plain press when the row under it is
// another one now.
bool RowDelegate::isSecondClick(const QMouseEvent &event) const
{
    if (event.type() == QEvent::MouseButtonDblClick)
        return true;
    return m_lastClick.isValid()
        && !m_lastClick.hasExpired(QGuiApplication::styleHints()->mouseDoubleClickInterval())
        && (event.position().toPoint() - m_lastClickPosition).manhattanLength() <= QApplication::startDragDistance();
}

bool RowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                            const QModelIndex &index)
{
    if (!event || event->type() != QEvent::ToolTip || view != &m_view)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    m_toolTipIndex = index;
    m_toolTipPosition = event->pos();
    m_toolTipGlobalPosition = event->globalPos();
    showToolTip();
    return true;
}

// A button says what it does; elsewhere the cell's whole text shows, which
// the cell may have had to cut short.
void RowDelegate::showToolTip()
{
    const auto item = itemOf(m_toolTipIndex);
    if (!item) {
        QToolTip::hideText();
        return;
    }
    const QRect cell = m_view.visualRect(m_toolTipIndex);
    const Hit hit = buttonAt(m_toolTipIndex, m_toolTipPosition - cell.topLeft(), cell.size());
    QString text;
    if (hit.button == MenuButton)
        text = YoutubeMenuView::toolTip();
    else if (hit.button != NoButton)
        text = YoutubeOperationsView::toolTip(YoutubeOperationsView::Button(hit.button));
    else
        text = m_toolTipIndex.data(Qt::ToolTipRole).toString();
    m_toolTipText = text;
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(m_toolTipGlobalPosition, text, m_view.viewport(),
                           hit.button == NoButton ? cell : hit.rect.translated(cell.topLeft()));
}

void RowDelegate::rowsChanged(const QModelIndex &first, const QModelIndex &last)
{
    announceStatus(first, last);
    if (m_toolTipIndex.row() >= first.row() && m_toolTipIndex.row() <= last.row())
        followToolTip();
}

void RowDelegate::rememberStatus(const QModelIndex &current)
{
    m_spoken = {current.siblingAtColumn(RowModel::StatusColumn), current.data(RowModel::StatusRole)};
}

// A screen reader hears of the row the user is on when its status moves on,
// not of every row's progress.
void RowDelegate::announceStatus(const QModelIndex &first, const QModelIndex &last)
{
    const QModelIndex cell = m_spoken.cell;
    if (!cell.isValid() || cell.row() < first.row() || cell.row() > last.row())
        return;
    const QVariant status = cell.data(RowModel::StatusRole);
    if (status == m_spoken.status)
        return;
    m_spoken.status = status;
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(&m_view, QAccessible::NameChanged);
    event.setChild(RowsAccessible::childIndex(cell));
    QAccessible::updateAccessibility(&event);
}

// An open tooltip of a row follows it: a status that changes under it is
// shown as it is now, and a row that moved away from the pointer, or went,
// takes its tooltip along. Other widgets' tooltips are left alone.
void RowDelegate::followToolTip()
{
    if (m_toolTipText.isEmpty() || !QToolTip::isVisible() || QToolTip::text() != m_toolTipText)
        return;
    if (m_toolTipIndex.isValid() && m_view.indexAt(m_toolTipPosition) == m_toolTipIndex) {
        showToolTip();
        return;
    }
    QToolTip::hideText();
    m_toolTipIndex = QPersistentModelIndex();
}

bool RowDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove)
        setHover(targetAt(static_cast<QMouseEvent *>(event)->position().toPoint()));
    else if (event->type() == QEvent::Leave) {
        setHover({});
        m_toolTipIndex = QPersistentModelIndex();
        m_toolTipText.clear();
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

RowDelegate::Target RowDelegate::targetAt(QPoint viewportPoint) const
{
    const QModelIndex index = m_view.indexAt(viewportPoint);
    if (!index.isValid())
        return {};
    const QRect cell = m_view.visualRect(index);
    return {index, buttonAt(index, viewportPoint - cell.topLeft(), cell.size()).button};
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

void RowDelegate::pressButton(const QModelIndex &index, int button)
{
    // Held here: a removal takes the item out of the list while this runs.
    const auto item = itemOf(index);
    if (item && m_press)
        m_press(item, button);
}

std::shared_ptr<YoutubeDownloader> RowDelegate::itemOf(const QModelIndex &index)
{
    return index.data(RowModel::ItemRole).value<std::shared_ptr<YoutubeDownloader>>();
}

std::optional<YoutubeOperationsView::Progress> RowDelegate::progressOf(const QModelIndex &index)
{
    const QVariant maximum = index.data(RowModel::ProgressMaximumRole);
    if (!maximum.isValid())
        return std::nullopt;
    return YoutubeOperationsView::Progress{index.data(RowModel::ProgressRole).toLongLong(), maximum.toLongLong()};
}
