#include "SampleClipPages.h"

#include "SampleMedia.h"
#include "SamplePages.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PlaylistLength = 3;

// Good in element text and in double-quoted attributes, of HTML and XML.
QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

QString address(const QString &origin, const QString &folder, const QString &name, const QString &suffix = {})
{
    return origin + u'/' + folder + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(name)) + suffix;
}

QString description(const QString &code)
{
    return u"Recorded for the sample site (clip %1). Tracks & credits: 1. Opening \"theme\"."_s.arg(code);
}

// The page's own address, and that of what it offers its media in.
QString pageAddress(const QString &origin, const QString &code, SampleClipPages::Offer offer)
{
    switch (offer) {
    case SampleClipPages::Offer::Whole: return address(origin, u"watch"_s, code);
    case SampleClipPages::Offer::Split: return address(origin, u"split"_s, code);
    case SampleClipPages::Offer::Hls: return address(origin, u"hls"_s, code);
    }
    return {};
}

QString mediaAddress(const QString &origin, const QString &code, SampleClipPages::Offer offer)
{
    switch (offer) {
    case SampleClipPages::Offer::Whole: return address(origin, u"manifest"_s, code, u".mpd"_s);
    case SampleClipPages::Offer::Split: return address(origin, u"split"_s, code, u"/manifest.mpd"_s);
    case SampleClipPages::Offer::Hls: return address(origin, u"hls"_s, code, u"/master.m3u8"_s);
    }
    return {};
}

// The structured data a search engine reads, and the player too: it names
// the manifest. "</" would end the script element early.
QByteArray structuredData(const QString &origin, const QString &code, SampleClipPages::Offer offer)
{
    const int seconds = SamplePages::lengthSeconds(code);
    const QJsonObject video{
        {u"@context"_s, u"https://schema.org"_s},
        {u"@type"_s, u"VideoObject"_s},
        {u"name"_s, SamplePages::title(code)},
        {u"description"_s, description(code)},
        {u"thumbnailUrl"_s, address(origin, u"cover"_s, code, u".jpg"_s)},
        {u"uploadDate"_s, u"2023-03-04"_s},
        {u"duration"_s, u"PT%1M%2S"_s.arg(seconds / 60).arg(seconds % 60)},
        {u"contentUrl"_s, mediaAddress(origin, code, offer)},
    };
    return QJsonDocument(video).toJson(QJsonDocument::Compact).replace("</", "<\\/");
}

} // namespace

QByteArray SampleClipPages::watchPage(const QString &origin, const QString &code, Offer offer)
{
    const QByteArray title = escaped(SamplePages::title(code));
    const QByteArray about = escaped(description(code));
    const QByteArray cover = escaped(address(origin, u"cover"_s, code, u".jpg"_s));
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>" + title + "</title>\n"
           "<meta name=\"description\" content=\"" + about + "\">\n"
           "<meta property=\"og:site_name\" content=\"Sample Clips\">\n"
           "<meta property=\"og:type\" content=\"video.other\">\n"
           "<meta property=\"og:title\" content=\"" + title + "\">\n"
           "<meta property=\"og:description\" content=\"" + about + "\">\n"
           "<meta property=\"og:image\" content=\"" + cover + "\">\n"
           "<meta property=\"og:url\" content=\"" + escaped(pageAddress(origin, code, offer)) + "\">\n"
           "<meta property=\"video:duration\" content=\"" + QByteArray::number(SamplePages::lengthSeconds(code)) + "\">\n"
           "<script type=\"application/ld+json\">" + structuredData(origin, code, offer) + "</script>\n"
           "</head>\n<body>\n"
           "<video id=\"player\" controls preload=\"none\" poster=\"" + cover + "\" data-manifest=\""
           + escaped(mediaAddress(origin, code, offer)) + "\"></video>\n"
           "<h1>" + title + "</h1>\n<p>" + about + "</p>\n"
           "</body>\n</html>\n";
}

// Each format is one whole file, as an on-demand manifest may have it: a
// reader fetches it as a plain download, with ranges.
QByteArray SampleClipPages::manifest(const QString &origin, const QString &code, Offer offer)
{
    const SampleMedia::Format *clip = SampleMedia::format(SampleMedia::ClipItag);
    const bool split = offer == Offer::Split;
    const QString picture = split ? address(origin, u"picture"_s, code, u".mp4"_s)
                                  : address(origin, u"media"_s, code, u".mp4"_s);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" type=\"static\" minBufferTime=\"PT2S\" "
           "mediaPresentationDuration=\"PT" + QByteArray::number(SamplePages::lengthSeconds(code)) + "S\" "
           "profiles=\"urn:mpeg:dash:profile:isoff-on-demand:2011\">\n<Period>\n"
           "<AdaptationSet mimeType=\"video/mp4\" contentType=\"video\">\n"
           "<Representation id=\"360p\" codecs=\"" + (split ? "avc1.42001E" : "avc1.42001E,mp4a.40.2")
           + "\" bandwidth=\"600000\" width=\"" + QByteArray::number(clip->width) + "\" height=\""
           + QByteArray::number(clip->height) + "\">\n"
           "<BaseURL>" + escaped(picture) + "</BaseURL>\n"
           "</Representation>\n</AdaptationSet>\n"
           "<AdaptationSet mimeType=\"audio/mp4\" contentType=\"audio\" lang=\"en\">\n"
           "<Representation id=\"audio\" codecs=\"mp4a.40.2\" bandwidth=\"128000\" audioSamplingRate=\"44100\">\n"
           "<BaseURL>" + escaped(address(origin, u"media"_s, code, u".m4a"_s)) + "</BaseURL>\n"
           "</Representation>\n</AdaptationSet>\n"
           "</Period>\n</MPD>\n";
}

// The sound alone is a variant of its own rather than a rendition of an
// audio group: yt-dlp takes a variant that refers to such a group for a
// picture without sound, and gives a rendition no codec.
QByteArray SampleClipPages::masterPlaylist()
{
    const SampleMedia::Format *clip = SampleMedia::format(SampleMedia::ClipItag);
    return "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-INDEPENDENT-SEGMENTS\n"
           "#EXT-X-STREAM-INF:BANDWIDTH=160000,CODECS=\"mp4a.40.2\"\n"
           "sound/index.m3u8\n"
           "#EXT-X-STREAM-INF:BANDWIDTH=2200000,CODECS=\"avc1.42001E,mp4a.40.2\",RESOLUTION="
           + QByteArray::number(clip->width) + 'x' + QByteArray::number(clip->height) + "\n"
           "clip/index.m3u8\n";
}

QByteArray SampleClipPages::playlist(const QString &origin, const QString &name)
{
    QByteArray items;
    for (int number = 1; number <= PlaylistLength; ++number) {
        const QString code = name + u'-' + QString::number(number);
        // No <guid>: yt-dlp would carry it along in a fragment of the link.
        items += "<item><title>" + escaped(SamplePages::title(code)) + "</title><link>"
            + escaped(pageAddress(origin, code, Offer::Whole)) + "</link></item>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
           "<title>" + escaped(SamplePages::title(name)) + "</title>\n"
           "<link>" + escaped(address(origin, u"playlist"_s, name)) + "</link>\n"
           "<description>Clips of the sample site.</description>\n"
           + items + "</channel>\n</rss>\n";
}

QByteArray SampleClipPages::attachment(const QString &name)
{
    QString file = SamplePages::title(name) + u".m4a"_s;
    file.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
    return "attachment; filename=\"" + file.toUtf8() + '"';
}
