// The watch page readers: title, player configuration, duration and
// description, on whatever page text arrives.
#include "FuzzSupport.h"
#include "WatchPage.h"

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString DurationMarker = u"\"length_seconds\": "_s;

bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

// The digits after the marker as Qt reads a number, capped at the largest
// qint32; 0 without marker or digits.
qint32 expectedDuration(const QString &text)
{
    const qsizetype marker = text.indexOf(DurationMarker, 0, Qt::CaseInsensitive);
    if (marker < 0)
        return 0;
    const QStringView rest = QStringView(text).mid(marker + DurationMarker.size());
    qsizetype end = 0;
    while (end < rest.size() && rest[end] >= u'0' && rest[end] <= u'9')
        ++end;
    QStringView digits = rest.left(end);
    while (!digits.isEmpty() && digits.front() == u'0')
        digits = digits.mid(1);
    constexpr qint32 Max = std::numeric_limits<qint32>::max();
    if (digits.size() > 10)
        return Max;
    return digits.isEmpty() ? 0 : qint32(std::min<qlonglong>(digits.toLongLong(), Max));
}

void checkDuration(const QString &text)
{
    const qint32 seconds = WatchPage::parseYoutubeVideoDurationFromObjectContent(text);
    require(seconds >= 0, "the duration is never negative");
    require(seconds == expectedDuration(text), "the duration is the number after the marker");
}

void checkTitle(const QString &page)
{
    const QString title = WatchPage::parseYoutubeTitleFromMainContent(page);
    require(title.size() <= page.size(), "the title is no longer than the page");
    require(QStringView(title).isValidUtf16(), "the title keeps surrogate pairs whole");
    for (QChar c : title) {
        require(c != u'/' && c != u'\\', "no path separator in the title");
        require(!isLineBreak(c), "the title is one line");
        require(c.category() != QChar::Other_Control, "no control character in the title");
    }
    if (!page.contains(u"<title>"_s, Qt::CaseInsensitive))
        require(title.isEmpty(), "no title without a title element");
}

void checkConfiguration(const QString &page)
{
    const QString configuration = WatchPage::parseYoutubeObjectFromMainContent(page);
    require(configuration.size() <= page.size(), "percent decoding never lengthens");
    if (!page.contains(u"'PLAYER_CONFIG'"_s, Qt::CaseInsensitive))
        require(configuration.isEmpty(), "no configuration without its marker");
    checkDuration(configuration);
}

void checkDescription(const QString &page)
{
    const QString description = WatchPage::parseYoutubeDescriptionFromObjectContent(page);
    require(description.size() <= page.size(), "the description is no longer than the page");
    require(QStringView(description).isValidUtf16(), "the description keeps surrogate pairs whole");
    require(hasNoTag(description), "no tag left in the description");
    if (!page.contains(u"<p id=\"eow-description\" >"_s, Qt::CaseInsensitive))
        require(description.isEmpty(), "no description without its element");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = fuzzText(data, size);
    checkTitle(page);
    checkConfiguration(page);
    checkDuration(page);
    checkDescription(page);
    return 0;
}
