#include "StyledTextPainter.h"

#include "SelectionHighlight.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTextLayout>

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
                lines.last().append({pieces.at(i), run.colour, run.font});
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

// A one-run line broken at its spaces into lines no wider than `width`.
QList<Line> wrapped(const Line &line, const QFont &base, int width)
{
    if (line.size() != 1 || lineWidth(line, base) <= width)
        return {line};
    const StyledText::Run &run = line.constFirst();
    QTextLayout layout(run.text, fontOf(base, run.font));
    layout.setTextOption(QTextOption(Qt::AlignLeft));
    layout.beginLayout();
    QList<Line> lines;
    for (QTextLine piece = layout.createLine(); piece.isValid(); piece = layout.createLine()) {
        piece.setLineWidth(width);
        lines.append({{run.text.mid(piece.textStart(), piece.textLength()).trimmed(), run.colour, run.font}});
    }
    layout.endLayout();
    return lines;
}

// The lines that fit the area's height; the last one shown says with "…"
// that more follows. Wrapped text has no empty lines to cut at.
QList<Line> layoutLines(const QFont &base, const StyledText &text, QSize area, bool wrap)
{
    QList<Line> lines;
    for (const Line &line : splitLines(text)) {
        if (!wrap)
            lines.append(line);
        else if (!line.isEmpty())
            lines.append(wrapped(line, base, area.width()));
    }
    int height = 0;
    qsizetype shown = 0;
    while (shown < lines.size() && height + lineHeight(lines.at(shown), base) <= area.height())
        height += lineHeight(lines.at(shown++), base);
    if (!wrap || shown == lines.size() || shown == 0)
        return lines;
    Line &last = lines[shown - 1];
    last.last().text += u' ' + lines.at(shown).constFirst().text + QChar(0x2026);
    lines.resize(shown);
    return lines;
}

// A run as it is drawn: cut to the room left on its line, at its place.
struct Placed
{
    StyledText::Run run;
    QRect rect;
};

QList<Placed> place(const QFont &base, const StyledText &text, QRect area, bool wrap)
{
    const QList<Line> lines = layoutLines(base, text, area.size(), wrap);
    int blockHeight = 0;
    for (const Line &line : lines)
        blockHeight += lineHeight(line, base);
    QList<Placed> placed;
    int y = area.top() + std::max(0, (area.height() - blockHeight) / 2);
    for (const Line &line : lines) {
        const int height = lineHeight(line, base);
        const int free = std::max(0, area.width() - lineWidth(line, base));
        int x = area.left() + (text.alignment() & Qt::AlignHCenter ? free / 2 : 0);
        for (const StyledText::Run &run : line) {
            const QFontMetrics metrics(fontOf(base, run.font));
            const QString shown = metrics.elidedText(run.text, Qt::ElideRight, area.right() + 1 - x);
            placed.append({{shown, run.colour, run.font}, QRect(x, y, area.right() + 1 - x, height)});
            x += metrics.horizontalAdvance(shown);
        }
        y += height;
    }
    return placed;
}

} // namespace

void StyledTextPainter::paint(QPainter &painter, const QStyleOptionViewItem &cell, const StyledText &text, QRect area,
                              bool wrap)
{
    const QColor background = SelectionHighlight::background(cell);
    const QColor plain = SelectionHighlight::text(cell);
    painter.save();
    painter.setClipRect(area);
    for (const auto &[run, rect] : place(cell.font, text, area, wrap)) {
        painter.setFont(fontOf(cell.font, run.font));
        const QColor colour = colorOf(run.colour);
        painter.setPen(colour.isValid() ? readableOn(colour, background) : plain);
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, run.text);
    }
    painter.restore();
}

QStringList StyledTextPainter::shownLines(const QFont &font, const StyledText &text, QSize area, bool wrap)
{
    QStringList shown;
    int y = -1;
    for (const auto &[run, rect] : place(font, text, QRect(QPoint(), area), wrap)) {
        if (rect.y() != y)
            shown.append(QString());
        shown.last() += run.text;
        y = rect.y();
    }
    return shown;
}

QColor StyledTextPainter::colorOf(StyledText::Colour colour)
{
    switch (colour) {
    case StyledText::Colour::Blue: return {0x1a, 0x5f, 0xb4};
    case StyledText::Colour::Purple: return {0x81, 0x3d, 0x9c};
    case StyledText::Colour::Red: return {0xc0, 0x1c, 0x28};
    case StyledText::Colour::Brown: return {0x86, 0x5e, 0x3c};
    case StyledText::Colour::Plain: break;
    }
    return {};
}

QColor StyledTextPainter::readableOn(const QColor &color, const QColor &background)
{
    if (background.lightnessF() >= 0.5)
        return color;
    const QColor hsl = color.toHsl();
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), std::max<float>(hsl.lightnessF(), 0.75f));
}
