#pragma once

#include "HttpConnection.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

enum YoutubeVideoType : qint32 {
    VideoTypeUnknown = 0,
    VideoTypeFLV = 1,
    VideoTypeMP4 = 2,
};

enum YoutubeVideoQuality : qint32 {
    QualityNone = -1,
    Quality240p = 0,
    Quality360p = 1,
    Quality480p = 2,
    Quality720p = 3,
    Quality1080p = 4,
    Quality4K = 5,
};

class YoutubeQuality;
using YoutubeQualityPtr = std::shared_ptr<const YoutubeQuality>;
using YoutubeQualityList = QList<YoutubeQualityPtr>;

// What a source other than the old watch page tells of a stream.
struct StreamDetails
{
    QString formatId{};  // the page reader's name for it
    QString extension{}; // of the file it is ("m4a"); empty: by type
    bool audioOnly = false;
    // One whole file at one address, fetched by our own downloader.
    bool plainFile = true;
    HttpConnection::Headers headers{};
    QString label{}; // shown in the quality menu in place of the grade
};

// One downloadable stream of a video: container, picture grade, address and
// size. Immutable, so it may be read from any thread. An item's chosen stream
// is one of its list's own entries, compared by identity.
class YoutubeQuality final
{
public:
    // The stream's size as its server announces it; -1 when it announces
    // none, 0 when it could not be asked.
    using SizeProbe = std::function<qint64(const QString &url)>;

    using Details = StreamDetails;

    YoutubeQuality(YoutubeVideoType type, YoutubeVideoQuality quality, QString url, qint64 fileContentSize = 0,
                   Details details = {});

    QString videoURL() const { return m_videoURL; }
    const Details &details() const { return m_details; }
    // ".mp4", ".m4a": the extension of the file the stream is saved as.
    QString fileExtension() const;
    qint64 fileContentSize() const { return m_fileContentSize; }
    YoutubeVideoType youtubeVideoType() const { return m_type; }
    YoutubeVideoQuality youtubeVideoQuality() const { return m_quality; }

    // "MP4 (720p (HD)); 37 Mb".
    QString description() const;

    static QString descriptionVideoType(qint32 type);
    static QString descriptionVideoQuality(qint32 quality);

    // The first 32 MP4 streams of a player configuration in page order, each
    // with its size asked from `probe`.
    static YoutubeQualityList youtubeQualityListFromObjectContent(const QString &content, const SizeProbe &probe);
    static YoutubeVideoType videoTypeFromString(const QString &piece);
    static YoutubeQualityPtr youtubeQualityFromString(const QString &piece, YoutubeVideoType type,
                                                      const SizeProbe &probe);
    static YoutubeVideoQuality videoQualityFromString(const QString &keyword);
    static QString videoURLFromString(const QString &piece);

    static YoutubeQualityList qualityListByVideoType(const YoutubeQualityList &list, YoutubeVideoType type);
    static YoutubeQualityPtr minVideoQualityFromList(const YoutubeQualityList &list);
    // The first stream of the preferred type and grade; failing that the
    // lowest grade of that type on offer; null when there is none.
    static YoutubeQualityPtr findMorePreferedQualityInList(const YoutubeQualityList &list, YoutubeVideoType type,
                                                          YoutubeVideoQuality preferred);

private:
    YoutubeVideoType m_type;
    YoutubeVideoQuality m_quality;
    QString m_videoURL;
    qint64 m_fileContentSize;
    Details m_details;
};
