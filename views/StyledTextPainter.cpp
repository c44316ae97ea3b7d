#include "StyledTextPainter.h"

#include "SelectionHighlight.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionViewItem>

namespace {

using Line = QList<StyledText::Run>;

QList<Line> splitLines(const StyledText &text)
{
    QList<Line> lines{Line()};
    for (const StyledText::Run &run : text.runs()) {
        const QStringList pieces = run.text.split(u'\n');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                lines.append(Line());
            if (!pieces.at(i).isEmpty())
                lines.last().append({pieces.at(i), run.color, run.font});
        }
    }
    return lines;
}

QFont fontOf(const QFont &base, StyledText::Font font)
{
    QFont result = base;
    result.setBold(font == StyledText::Font::Bold);
    return result;
}

int lineHeight(const Line &line, const QFont &base)
{
    int height = QFontMetrics(base).height();
    for (const StyledText::Run &run : line)
        height = std::max(height, QFontMetrics(fontOf(base, run.font)).height());
    return height;
}

int lineWidth(const Line &line, const QFont &base)
{
    int width = 0;
    for (const StyledText::Run &run : line)
        width += QFontMetrics(fontOf(base, run.font)).horizontalAdvance(run.text);
    return width;
}

} // namespace

void StyledTextPainter::paint(QPainter &painter, const QStyleOptionViewItem &cell, const StyledText &text, QRect area)
{
    const QColor background = SelectionHighlight::background(cell);
    const QColor plain = SelectionHighlight::text(cell);
    const QList<Line> lines = splitLines(text);
    int blockHeight = 0;
    for (const Line &line : lines)
        blockHeight += lineHeight(line, cell.font);

    painter.save();
    painter.setClipRect(area);
    int y = area.top() + std::max(0, (area.height() - blockHeight) / 2);
    for (const Line &line : lines) {
        const int height = lineHeight(line, cell.font);
        const int free = std::max(0, area.width() - lineWidth(line, cell.font));
        int x = area.left() + (text.alignment() & Qt::AlignHCenter ? free / 2 : 0);
        for (const StyledText::Run &run : line) {
            const QFont font = fontOf(cell.font, run.font);
            const QFontMetrics metrics(font);
            const QString shown = metrics.elidedText(run.text, Qt::ElideRight, area.right() + 1 - x);
            painter.setFont(font);
            painter.setPen(run.color.isValid() ? readableOn(run.color, background) : plain);
            painter.drawText(QRect(x, y, area.right() + 1 - x, height), Qt::AlignLeft | Qt::AlignVCenter, shown);
            x += metrics.horizontalAdvance(shown);
        }
        y += height;
    }
    painter.restore();
}

QColor StyledTextPainter::readableOn(const QColor &color, const QColor &background)
{
    if (background.lightnessF() >= 0.5)
        return color;
    const QColor hsl = color.toHsl();
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), std::max<float>(hsl.lightnessF(), 0.75f));
}
