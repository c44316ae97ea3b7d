#include "WatchPage.h"

#include "StringUtils.h"
#include "YoutubeConstants.h"

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isLineEnd(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// Control characters are invisible in a row, end a tag's text early (NUL)
// and upset terminals. They read as "_", as in the file's name; a tab reads
// as a space.
QString withVisibleControls(QStringView line)
{
    QString text;
    text.reserve(line.size());
    for (QChar c : line) {
        if (c == u'\t')
            text.append(u' ');
        else
            text.append(c.category() == QChar::Other_Control ? QChar(u'_') : c);
    }
    return text;
}

} // namespace

QString WatchPage::parseYoutubeTitleFromMainContent(const QString &page)
{
    QString title = StringUtils::parseTagValueFromText(page, u"<title>"_s, u"</title>"_s);
    title = StringUtils::removeIncorrectSymbolsForFileName(StringUtils::decodeHTML(StringUtils::trim(title)));
    const auto lineEnd = std::find_if(title.cbegin(), title.cend(), isLineEnd);
    return withVisibleControls(QStringView(title).left(lineEnd - title.cbegin()));
}

QString WatchPage::parseYoutubeObjectFromMainContent(const QString &page)
{
    return StringUtils::replaceHTMLSymbols(
        StringUtils::parseTagValueFromText(page, u"'PLAYER_CONFIG'"_s, u"</script>"_s));
}

qint32 WatchPage::parseYoutubeVideoDurationFromObjectContent(const QString &configuration)
{
    const QString digits = StringUtils::parseTagValueFromText(configuration, u"\"length_seconds\": "_s);
    qint64 seconds = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            break;
        seconds = std::min<qint64>(seconds * 10 + (c.unicode() - u'0'), std::numeric_limits<qint32>::max());
    }
    return qint32(seconds);
}

QString WatchPage::parseYoutubeDescriptionFromObjectContent(const QString &page)
{
    const QString markup = StringUtils::parseTagValueFromText(page, YOUTUBE_DESCRITION_MASK1.toString(),
                                                              YOUTUBE_DESCRITION_MASK2.toString());
    return StringUtils::removeTags(StringUtils::decodeHTML(markup));
}

QString WatchPage::coverURL(const QString &code)
{
    return YOUTUBE_COVER_URL_TEMPLATE.toString().arg(code);
}

QString WatchPage::highQualityCoverURL(const QString &coverURL)
{
    return QString(coverURL).replace(u"default"_s, u"hqdefault"_s);
}
