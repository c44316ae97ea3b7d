#pragma once

#include "StyledText.h"

#include <QRect>

class QPainter;
class QStyleOptionViewItem;

// Draws styled text in a cell: one line per "\n", each line elided to the
// width, the block centred vertically. Colours are brightened on a dark
// background, so the same text reads on light and dark themes.
class StyledTextPainter final
{
public:
    StyledTextPainter() = delete;

    static void paint(QPainter &painter, const QStyleOptionViewItem &cell, const StyledText &text, QRect area);
    static QColor readableOn(const QColor &color, const QColor &background);
};
