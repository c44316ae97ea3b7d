#include "YoutubeMenuView.h"

#include "RowButtons.h"
#include "StringUtils.h"
#include "YoutubeStatus.h"

#include <QStyleOptionViewItem>

QRectF YoutubeMenuView::getMenuButtonFrame(QSize cell)
{
    return {cell.width() - 26.0, (cell.height() - ButtonSize) * 0.5, ButtonSize, ButtonSize};
}

bool YoutubeMenuView::isMenuButtonVisible(qint32 status)
{
    return status != StatusNew && status != StatusLoadingInfo;
}

QString YoutubeMenuView::toolTip()
{
    return StringUtils::langStr(236);
}

void YoutubeMenuView::paint(QPainter &painter, const QStyleOptionViewItem &option, qint32 status, bool hovered,
                            bool pressed)
{
    if (isMenuButtonVisible(status))
        RowButtons::paint(painter, option, getMenuButtonFrame(option.rect.size()).toRect(), RowButtons::Action,
                          hovered, pressed);
}
