#include "SelectionHighlight.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QWidget>

namespace {

const QColor ActiveFill(182, 234, 235);
const QColor InactiveTop(190, 190, 190);
const QColor InactiveBottom(150, 150, 150);

} // namespace

bool SelectionHighlight::isActive(const QStyleOptionViewItem &cell)
{
    return (cell.state & QStyle::State_Active) && cell.widget && cell.widget->hasFocus();
}

bool SelectionHighlight::paint(QPainter &painter, const QStyleOptionViewItem &cell)
{
    if (!(cell.state & QStyle::State_Selected))
        return false;
    if (isActive(cell)) {
        painter.fillRect(cell.rect, ActiveFill);
        return true;
    }
    QLinearGradient fill(cell.rect.topLeft(), cell.rect.bottomLeft());
    fill.setColorAt(0, InactiveTop);
    fill.setColorAt(1, InactiveBottom);
    painter.fillRect(cell.rect, fill);
    return true;
}

QColor SelectionHighlight::background(const QStyleOptionViewItem &cell)
{
    if (!(cell.state & QStyle::State_Selected))
        return cell.palette.color(QPalette::Base);
    return isActive(cell) ? ActiveFill : InactiveBottom;
}

QColor SelectionHighlight::text(const QStyleOptionViewItem &cell)
{
    // The highlight is light whatever the theme.
    return cell.state & QStyle::State_Selected ? QColor(Qt::black) : cell.palette.color(QPalette::Text);
}
