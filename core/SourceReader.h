#pragma once

#include "SourceKind.h"
#include "YoutubeQuality.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class HttpClient;
class YoutubeProgramPreferences;

// How an item learns what its link holds: title, description, cover and the
// streams on offer. One reader per kind of source; the item keeps its status
// machine and hands each step here. Readers run on the item's worker
// threads and keep nothing between calls, so one may serve both at once.
class SourceReader
{
public:
    using CancelCheck = std::function<bool()>;

    struct Reading
    {
        enum class Outcome {
            Read,
            NoStream,     // read, but nothing on offer that can be fetched
            Failed,       // `note` says why
            HandedOn,     // not this reader's kind: a page for yt-dlp
            Playlist,     // `entries` in place of streams
        };
        Outcome outcome = Outcome::Failed;
        QString code{}; // the video site's own name for the video
        QString title{};
        QString description{};
        qint32 durationSeconds = 0;
        QString coverURL{};    // the row's picture
        QString tagCoverURL{}; // the tag's, often larger
        YoutubeQualityList qualities{};
        QString note{};
        QStringList entries{};
    };

    virtual ~SourceReader() = default;

    static std::unique_ptr<SourceReader> create(SourceKind kind, const YoutubeProgramPreferences &preferences);

    virtual SourceKind kind() const = 0;
    virtual Reading read(HttpClient &client, const QString &link, const CancelCheck &cancelled) const = 0;
    // The stream a download takes by default, null when none fits: the one
    // there is, where a source offers one.
    virtual YoutubeQualityPtr choose(const YoutubeQualityList &streams) const
    {
        return streams.isEmpty() ? nullptr : streams.constFirst();
    }
    // Whether the stream must be downloaded; a local file is there already.
    virtual bool downloads() const { return true; }
    // The title a downloaded file's own tag gives, where it should replace
    // the one read before; empty otherwise.
    virtual QString titleFromFile(const QString & /*path*/) const { return {}; }
};
