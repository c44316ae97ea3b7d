#pragma once

#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;
class QStyleOptionViewItem;

// The action button at the right end of a row's title cell, which opens the
// item's menu once its watch page has been read (or failed). Geometry in the
// cell's coordinates, origin top left.
class YoutubeMenuView final
{
public:
    static constexpr int ButtonSize = 24;

    static QRectF getMenuButtonFrame(QSize cell);
    static bool isMenuButtonVisible(qint32 status);

    static QString toolTip();
    static void paint(QPainter &painter, const QStyleOptionViewItem &option, qint32 status, bool hovered,
                      bool pressed);
};
