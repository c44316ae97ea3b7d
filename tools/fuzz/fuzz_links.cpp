// Link recognition: which lines of a pasted text are links (the video site's
// old watch pages among them), and the video code a link carries. ASCII input is checked against readings made here
// with plain lower-casing; any input against the promises that hold for all.
#include "FuzzSupport.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "WatchLink.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isAsciiCodeSymbol(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'-' || u == u'_' || (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

// A code symbol of any script: one whose upper case begins with an ASCII
// letter or digit ("ı" reads as "I"), as the recognition is documented.
bool isCodeSymbol(QStringView text, qsizetype i)
{
    if (isAsciiCodeSymbol(text[i]))
        return true;
    const QString upper = text.mid(i, startsPair(text, i) ? 2 : 1).toString().toUpper();
    const QChar first = upper.isEmpty() ? text[i] : upper.front();
    return first != u'-' && first != u'_' && isAsciiCodeSymbol(first);
}

bool isLink(const QString &asciiLine)
{
    const QString lower = asciiLine.toLower();
    return lower.contains(u"http://www.youtube.com"_s) || asciiLine.contains(u"http://youtube.com"_s);
}

QStringList expectedLinks(const QString &asciiText)
{
    QStringList links;
    for (const QString &line : asciiText.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && isLink(trimmed))
            links.append(trimmed);
    }
    return links;
}

QString expectedCodeAfter(const QString &asciiURL, const QString &mask)
{
    const qsizetype found = asciiURL.toLower().indexOf(mask);
    if (found < 0)
        return {};
    const qsizetype start = found + mask.size();
    qsizetype end = start;
    while (end < asciiURL.size() && isAsciiCodeSymbol(asciiURL[end]))
        ++end;
    return asciiURL.mid(start, end - start);
}

QString expectedCode(const QString &asciiURL)
{
    const QString code = expectedCodeAfter(asciiURL, u"youtube.com/watch?v="_s);
    return code.isEmpty() ? expectedCodeAfter(asciiURL, u"&v="_s) : code;
}

// What follows the first occurrence of `mask`; null when there is none.
QStringView afterMask(const QString &url, QStringView mask)
{
    const qsizetype found = url.indexOf(mask, 0, Qt::CaseInsensitive);
    return found < 0 ? QStringView() : QStringView(url).mid(found + mask.size());
}

bool isWholeRunAtStart(QStringView rest, const QString &code)
{
    return rest.startsWith(code) && (rest.size() == code.size() || !isCodeSymbol(rest, code.size()));
}

// The code is the whole run of code symbols right after a mask.
void checkCode(const QString &url, const QString &code)
{
    for (qsizetype i = 0; i < code.size(); ++i) {
        require(isCodeSymbol(code, i), "the code holds code symbols only");
        require(WatchLink::isYoutubeCodeSymbolAcceptable(code, i), "the code's symbols are acceptable");
    }
    if (code.isEmpty())
        return;
    require(isWholeRunAtStart(afterMask(url, u"youtube.com/watch?v="), code)
                || isWholeRunAtStart(afterMask(url, u"&v="), code),
            "the code is the whole run of symbols after a mask");
}

void checkLinks(const QString &text)
{
    const QStringList links = SourceLinks::linksFromText(text);
    for (const QString &link : links) {
        require(SourceLinks::link(link) == link, "every link found is a link as the list keeps it");
        require(!link.contains(u'\n') && link == link.trimmed() && !link.isEmpty(), "links are trimmed lines");
        checkCode(link, WatchLink::parseYoutubeCodeFromURL(link));
    }
    require(links.size() + SourceLinks::countOfLinesNotLinks(text) == StringUtils::parseStringList(text, u"\n"_s).size(),
            "every line is a link or left out");
    if (isAscii(text)) {
        // The lines naming the site are links, in their order, among others.
        qsizetype next = 0;
        for (const QString &expected : expectedLinks(text)) {
            next = links.indexOf(expected, next);
            require(next >= 0, "the lines naming the site are links");
            ++next;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);
    checkLinks(text);

    const QString code = WatchLink::parseYoutubeCodeFromURL(text);
    checkCode(text, code);
    if (isAscii(text)) {
        require(WatchLink::isYoutubeURLValid(text) == isLink(text), "validity is naming the site");
        require(code == expectedCode(text), "the code is the run of code symbols after the first mask");
    }
    for (qsizetype i = -1; i <= text.size(); ++i) {
        const bool acceptable = WatchLink::isYoutubeCodeSymbolAcceptable(text, i);
        require(acceptable == (i >= 0 && i < text.size() && isCodeSymbol(text, i)),
                "acceptable symbols are letters, digits, '-' and '_' once upper-cased");
    }
    return 0;
}
