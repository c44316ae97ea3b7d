#pragma once

#include "StyledText.h"

#include <QColor>
#include <QRect>
#include <QStringList>

class QFont;
class QPainter;
class QStyleOptionViewItem;

// Draws styled text in a cell, the block centred vertically. Each "\n"
// starts a line; with `wrap`, a line of one run that is too wide breaks at
// its spaces, and what the cell has no room for ends in "…". Without it each
// line is cut short to the width. Colours are brightened on a dark
// background, so the same text reads on light and dark themes.
class StyledTextPainter final
{
public:
    StyledTextPainter() = delete;

    static void paint(QPainter &painter, const QStyleOptionViewItem &cell, const StyledText &text, QRect area,
                      bool wrap = false);
    // The lines as paint() draws them into `area`.
    static QStringList shownLines(const QFont &font, const StyledText &text, QSize area, bool wrap);
    // The shade of a colour of the list's texts; invalid for Plain.
    static QColor colorOf(StyledText::Colour colour);
    static QColor readableOn(const QColor &color, const QColor &background);
};
