#pragma once

#include <QIcon>
#include <QRect>

class QPainter;
class QStyleOptionViewItem;

// The flat icon buttons painted into the list's cells, and their icons: the
// desktop theme's where it has them, else the program's own. GUI thread only.
class RowButtons final
{
public:
    enum Kind { Stop, Refresh, Pause, Play, Action, Add, Remove };

    RowButtons() = delete;

    static QIcon icon(Kind kind);
    // `rect` is in the cell's coordinates.
    static void paint(QPainter &painter, const QStyleOptionViewItem &cell, QRect rect, Kind kind, bool hovered,
                      bool pressed);
};
