#pragma once

#include "DownloadRetries.h"
#include "HttpClient.h"
#include "YoutubeQuality.h"

#include <QByteArray>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

class AtomicFile;
class WorkerThread;
class YoutubeDownloader;

// The body of an item's download thread: fetches one stream in one or more
// requests, resuming with "Range" after a pause or a broken connection. What
// arrives goes straight to a temporary file beside the video file, which is
// renamed into place when every byte is there, never over another file (see
// YoutubeDownloader::commitFile); a pause keeps it, a removal
// deletes it, quitting keeps it for the next run, which writes on where it
// ended. Memory use does not grow with the stream.
//
// The stream's address and size are taken once, at the start. The loop looks
// at cancellation and at the item's status at least ten times a second, so a
// hanging connection never holds up a pause or a removal; a paused download
// sleeps until it is woken. Failed requests
// are retried a few times with growing delays; an address the server refuses
// may have expired, and the watch page is read once for a fresh one before
// that. After the retries the download pauses and
// the user can resume it. A write that fails (a full disk) pauses it with the
// reason; Resume continues from the last byte written.
class VideoDownload final
{
public:
    VideoDownload(YoutubeDownloader &item, WorkerThread &thread, const YoutubeQuality &stream,
                  DownloadRetries::Policy policy);
    ~VideoDownload();

    void run();

private:
    bool step();
    void adoptPartialFile();
    bool addressRefused() const;
    void readStreamAgain();
    void waitForTurn();
    HttpClient &client();
    bool startRequest();
    void endRequest();
    void onResponse(const HttpConnection::Response &response);
    void onData(QIODevice &body);
    void onFinished();
    void onFailed(const QString &reason);
    void onViewTimer();
    void showProgress();
    bool save();
    // Appends to the temporary file; the reason when that failed.
    QString write(QIODevice &body, qint64 bytes);
    void restartFile();

    YoutubeDownloader &m_item;
    WorkerThread &m_thread;
    QUrl m_url;
    HttpConnection::Headers m_headers;
    DownloadRetries m_retries;
    qint64 m_expected; // the whole stream's bytes; 0 or less when unknown

    std::unique_ptr<HttpClient> m_client;
    const QString m_path;
    std::unique_ptr<AtomicFile> m_file;
    qint64 m_received = 0; // bytes in the file
    std::unique_ptr<HttpConnection> m_connection;
    bool m_connectionEnded = false;
    qint64 m_requestOffset = 0;
    QTimer m_viewTimer;
    // The failure that asked for a fresh stream address, once per run.
    std::optional<QString> m_refusedReason;
    bool m_streamReadAgain = false;
    bool m_complete = false;
};
