#pragma once

#include "DownloadRetries.h"
#include "WorkFolder.h"

#include <QElapsedTimer>
#include <QString>

class WorkerThread;
class YoutubeDownloader;
class YoutubeQuality;

// The body of an item's download thread for a stream that yt-dlp must fetch
// itself: one in pieces (HLS, DASH fragments), or picture and sound apart,
// which it puts together. Everything yt-dlp writes stays in a work folder
// beside the video file (see WorkFolder), which is the item's partial file;
// the finished file is put in place as the item's video, never over another
// file (see YoutubeDownloader::commitFile), and the folder goes.
//
// A pause ends yt-dlp, and Resume runs it again on what it left there, as
// the next run of the program does after a quit; a removal deletes the
// folder. A run that fails, or prints nothing for a minute, is tried again
// as VideoDownload tries a request; after the last attempt the download
// pauses with yt-dlp's own reason.
class PageReaderDownload final
{
public:
    PageReaderDownload(YoutubeDownloader &item, WorkerThread &thread, const YoutubeQuality &stream,
                       DownloadRetries::Policy policy);
    ~PageReaderDownload();
    PageReaderDownload(const PageReaderDownload &) = delete;
    PageReaderDownload &operator=(const PageReaderDownload &) = delete;

    void run();

private:
    bool step();
    bool fetch();
    bool openFolder();
    bool stops();
    void countTime();
    void takeProgress(const QString &line);
    bool finish();

    YoutubeDownloader &m_item;
    WorkerThread &m_thread;
    const QString m_formatId;
    DownloadRetries m_retries;
    WorkFolder m_folder;
    // The run's progress: bytes of the parts it finished (a picture before
    // its sound), of the part under way, and the bar's maximum.
    qint64 m_partsDone = 0;
    qint64 m_partBytes = 0;
    qint64 m_maximum = 0;
    QElapsedTimer m_sinceCounted;
};
