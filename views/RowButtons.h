#pragma once

#include <QIcon>
#include <QRect>

class QPainter;
class QStyleOptionViewItem;

// The flat icon buttons painted into the list's cells, and the program's
// icons for them and for the toolbar: drawn for 16, 24 and 32 pixels, so
// that they stay sharp, and the same on every desktop. GUI thread only.
class RowButtons final
{
public:
    enum Kind { Stop, Refresh, Pause, Resume, Play, Action, Add, Remove };

    RowButtons() = delete;

    static QIcon icon(Kind kind);
    // `rect` is in the cell's coordinates. A hovered button is framed, a
    // pressed one sunken; the icon shows in every state.
    static void paint(QPainter &painter, const QStyleOptionViewItem &cell, QRect rect, Kind kind, bool hovered,
                      bool pressed);
};
