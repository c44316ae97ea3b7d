#pragma once

#include <QColor>

class QPainter;
class QStyleOptionViewItem;

// The list's selected rows: a flat light blue-green while the list has the
// focus in the active window, a grey gradient otherwise. Both are light, so
// the rows' coloured texts read on them as on the list itself.
class SelectionHighlight final
{
public:
    SelectionHighlight() = delete;

    static bool isActive(const QStyleOptionViewItem &cell);
    // Fills the cell's background; false for a cell that is not selected.
    static bool paint(QPainter &painter, const QStyleOptionViewItem &cell);
    // The colour texts are drawn on, and the colour of plain text on it.
    static QColor background(const QStyleOptionViewItem &cell);
    static QColor text(const QStyleOptionViewItem &cell);
};
