#include "ColumnMinimums.h"

#include "StringUtils.h"
#include "YoutubeMenuView.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The row's padding on either side of its texts, and a pixel each for
// rounding.
constexpr int Padding = 2 * 4 + 2;

// Measured bold, as the status words are drawn: the other lines get a
// little room to spare.
int widest(const QFont &font, const QStringList &lines)
{
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return width + Padding;
}

} // namespace

int ColumnMinimums::title(const QFont &font)
{
    return widest(font, {u"%1: 00:00:00"_s.arg(StringUtils::langStr(188))}) + YoutubeMenuView::ButtonSize;
}

int ColumnMinimums::status(const QFont &font)
{
    constexpr double FastestShown = 999.99 * 1024 * 1024;
    return widest(font, {StringUtils::langStr(47), StringUtils::langStr(52), StringUtils::speedText(FastestShown),
                         u"%1 %2"_s.arg(StringUtils::langStr(54), StringUtils::timeText(99 * 3600))});
}
