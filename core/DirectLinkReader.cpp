#include "DirectLinkReader.h"

#include "HttpClient.h"
#include "MediaProbe.h"
#include "SourceLinks.h"
#include "StringUtils.h"

#include <QFileInfo>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PartialContent = 206;

// A playlist ("audio/x-mpegurl") lists media, and is read as a page.
bool isMediaType(const QByteArray &type)
{
    return (type.startsWith("audio/") || type.startsWith("video/")) && !type.contains("mpegurl");
}

// The extension the file is saved with: its own name's, else the one its
// type usually has.
QString extensionFor(const QString &fileName, const QByteArray &type)
{
    if (SourceLinks::hasMediaExtension(fileName))
        return QFileInfo(fileName).suffix().toLower();
    if (type == "audio/mpeg")
        return u"mp3"_s;
    if (type == "audio/ogg" || type == "audio/opus")
        return u"ogg"_s;
    if (type == "audio/wav" || type == "audio/x-wav" || type == "audio/wave")
        return u"wav"_s;
    if (type == "audio/flac")
        return u"flac"_s;
    if (type == "video/webm" || type == "audio/webm")
        return u"webm"_s;
    return type.startsWith("audio/") ? u"m4a"_s : u"mp4"_s;
}

} // namespace

SourceReader::Reading DirectLinkReader::read(HttpClient &client, const QString &link, const CancelCheck &) const
{
    Reading reading;
    const QUrl url(link);
    const HttpConnection::Response head = client.probe(url);
    const QString pathName = QUrl::fromPercentEncoding(url.path(QUrl::FullyEncoded).section(u'/', -1).toUtf8());
    const bool namedAsMedia = SourceLinks::hasMediaExtension(url.path());
    // A server may call any file "octet-stream"; its name then tells.
    const bool media = isMediaType(head.contentType)
        || (namedAsMedia && (head.contentType.isEmpty() || head.contentType == "application/octet-stream"));
    if (head.statusCode == 0 && namedAsMedia) {
        reading.note = StringUtils::langStr(408);
        return reading;
    }
    if (!media) {
        reading.outcome = Reading::Outcome::HandedOn;
        return reading;
    }
    const QString fileName = head.fileName.isEmpty() ? pathName : head.fileName;
    const QString extension = extensionFor(fileName, head.contentType);
    reading.title = QFileInfo(fileName).completeBaseName();
    if (reading.title.isEmpty())
        reading.title = url.host();
    const bool audioOnly = head.contentType.startsWith("audio/")
        || (!head.contentType.startsWith("video/") && SourceLinks::namesSoundOnly(extension));
    const qint64 size = head.statusCode == PartialContent ? head.rangeTotal : head.contentLength;
    reading.qualities = {std::make_shared<YoutubeQuality>(
        VideoTypeUnknown, QualityNone, link, std::max<qint64>(size, 0),
        YoutubeQuality::Details{.extension = extension, .audioOnly = audioOnly,
                                .label = audioOnly ? StringUtils::langStr(400) : QString()})};
    reading.outcome = Reading::Outcome::Read;
    return reading;
}

QString DirectLinkReader::titleFromFile(const QString &path) const
{
    return MediaProbe::read(path).title;
}
