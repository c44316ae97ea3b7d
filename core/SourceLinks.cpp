#include "SourceLinks.h"

#include "StringUtils.h"
#include "WatchLink.h"

#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

// Constant data: nothing to destroy while a worker may still look.
constexpr std::array<QStringView, 17> MediaExtensions{u"mp4", u"m4a", u"m4v", u"mov", u"webm", u"mkv",
                                                      u"flv", u"mp3", u"aac", u"ogg", u"oga", u"opus",
                                                      u"wav", u"flac", u"avi", u"wma", u"3gp"};

bool isVideoSiteHost(const QString &host)
{
    const QString name = host.toLower();
    return name == u"youtube.com" || name.endsWith(u".youtube.com") || name == u"youtu.be";
}

QUrl webAddress(const QString &line)
{
    const QUrl url(line.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return {};
    return url;
}

} // namespace

std::optional<QString> SourceLinks::link(const QString &line)
{
    // The old watch page's links as they always were, whatever follows.
    if (WatchLink::isYoutubeURLValid(line))
        return line;
    const QString text = line.trimmed();
    if (text.startsWith(u"file:", Qt::CaseInsensitive)) {
        const QUrl url(text);
        if (url.isLocalFile() && url.host().isEmpty() && !url.toLocalFile().isEmpty())
            return QFileInfo(url.toLocalFile()).absoluteFilePath();
        return std::nullopt;
    }
    // Typed or pasted, a path names a media file by its extension: "/r/x" is
    // more likely a site's path than a file.
    if (text.startsWith(u'/') && hasMediaExtension(text))
        return QFileInfo(text).absoluteFilePath();
    if (webAddress(text).isValid())
        return text;
    return std::nullopt;
}

SourceKind SourceLinks::kindOf(const QString &link)
{
    if (WatchLink::isYoutubeURLValid(link))
        return SourceKind::WatchPage;
    if (link.startsWith(u'/'))
        return SourceKind::LocalFile;
    // Any other address may answer with a media file itself; its answer
    // tells, and a page goes on to yt-dlp. The video site's never do.
    return isVideoSiteHost(QUrl(link).host()) ? SourceKind::PageReader : SourceKind::DirectLink;
}

QStringList SourceLinks::linksFromText(const QString &text)
{
    QStringList links;
    for (const QString &line : StringUtils::parseStringList(text, u"\n"_s)) {
        if (const auto found = link(line))
            links.append(*found);
    }
    return links;
}

qsizetype SourceLinks::countOfLinesNotLinks(const QString &text)
{
    const QStringList lines = StringUtils::parseStringList(text, u"\n"_s);
    return std::count_if(lines.cbegin(), lines.cend(), [](const QString &line) { return !link(line); });
}

QStringList SourceLinks::videoSiteLinksFromText(const QString &text)
{
    QStringList links;
    for (const QString &line : StringUtils::parseStringList(text, u"\n"_s)) {
        if (WatchLink::isYoutubeURLValid(line) || isVideoSiteHost(webAddress(line).host()))
            links.append(line.trimmed());
    }
    return links;
}

bool SourceLinks::hasMediaExtension(const QString &path)
{
    return isMediaExtension(QFileInfo(path).suffix().toLower());
}

bool SourceLinks::isMediaExtension(const QString &extension)
{
    return std::find(MediaExtensions.cbegin(), MediaExtensions.cend(), extension) != MediaExtensions.cend();
}

bool SourceLinks::namesSoundOnly(const QString &extension)
{
    constexpr std::array<QStringView, 9> SoundOnly{u"m4a", u"mp3", u"aac", u"ogg", u"oga", u"opus", u"wav", u"flac", u"wma"};
    return std::any_of(SoundOnly.cbegin(), SoundOnly.cend(), [&extension](QStringView candidate) {
        return extension.compare(candidate, Qt::CaseInsensitive) == 0;
    });
}

QStringList SourceLinks::fileExtensions()
{
    QStringList dotted;
    for (QStringView extension : MediaExtensions)
        dotted.append(u'.' + extension.toString());
    return dotted;
}
