#include "SkippedLines.h"

#include "StringUtils.h"

#include <QStringList>

QString SkippedLines::text(qsizetype notLinks, qsizetype listed, bool done)
{
    QStringList sentences;
    if (notLinks > 0) {
        const int one = done ? 240 : 242;
        sentences.append(notLinks == 1 ? StringUtils::langStr(one) : StringUtils::langStr(one + 1).arg(notLinks));
    }
    if (listed > 0)
        sentences.append(listed == 1 ? StringUtils::langStr(440) : StringUtils::langStr(441).arg(listed));
    return sentences.join(u' ');
}
