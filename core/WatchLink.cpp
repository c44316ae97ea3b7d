#include "WatchLink.h"

#include "StringUtils.h"
#include "YoutubeConstants.h"

bool WatchLink::isYoutubeURLValid(const QString &text)
{
    if (text.isEmpty())
        return false;
    return text.contains(YOUTUBE_URL_TEMPLATE1, Qt::CaseInsensitive)
        || text.contains(YOUTUBE_URL_TEMPLATE2, Qt::CaseSensitive);
}

QString WatchLink::parseYoutubeCodeFromURL(const QString &url)
{
    const QString code = parseYoutubeCodeFromURLByMask(url, YOUTUBE_MASK1);
    return code.isEmpty() ? parseYoutubeCodeFromURLByMask(url, YOUTUBE_MASK2) : code;
}

QString WatchLink::parseYoutubeCodeFromURLByMask(const QString &url, QStringView mask)
{
    const qsizetype found = url.indexOf(mask, 0, Qt::CaseInsensitive);
    if (found < 0 || mask.isEmpty())
        return {};
    const qsizetype start = found + mask.size();
    qsizetype end = start;
    while (end < url.size() && isYoutubeCodeSymbolAcceptable(url, end))
        ++end;
    return url.mid(start, end - start);
}

bool WatchLink::isYoutubeCodeSymbolAcceptable(const QString &text, qsizetype position)
{
    if (position < 0 || position >= text.size())
        return false;
    const QChar c = text.at(position);
    return c == u'-' || c == u'_' || StringUtils::isCharNumber(text, position)
        || StringUtils::isCharLetter(text, position);
}
