#pragma once

#include "SampleMedia.h"
#include "SiteFault.h"
#include "SiteRequest.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>

class QEventLoop;

class WorkerThread;

// A small HTTP/1.1 server on 127.0.0.1 that plays the video site under its
// own host names (watch pages, cover pictures and streams with ranges) and a
// clip site of today under every other name (SampleClipPages: pages read
// through yt-dlp, media files, playlists). Clients reach it as their proxy
// (http_proxy), or directly for the video site. It serves from a thread
// of its own, so a test may block its main thread while the site answers.
// Faults make it misbehave on purpose; every request is recorded.
class SampleSite final
{
public:
    struct Options
    {
        QString mediaDirectory;
        QString pagesDirectory; // CODE.html here replaces the generated page
    };

    explicit SampleSite(Options options);
    ~SampleSite();
    SampleSite(const SampleSite &) = delete;
    SampleSite &operator=(const SampleSite &) = delete;

    bool start(quint16 port = 0);
    quint16 port() const { return m_port; }
    QString proxyUrl() const;

    SampleMedia &media() { return m_media; }

    void addFault(const SiteFault &fault);
    void clearFaults();
    void setPage(const QString &code, const QByteArray &html);

    QList<SiteRequest> requests() const;
    QList<SiteRequest> requests(const QString &pathPrefix) const;
    void clearRequests();

    // Used by the connections, on the server's thread. A request is recorded
    // under a ticket that its answer's bytes are counted against.
    qsizetype record(const SiteRequest &request);
    void countBytesSent(qsizetype ticket, qint64 headBytes, qint64 bodyBytes);
    std::optional<SiteFault> takeFault(const QString &path);
    std::optional<QByteArray> page(const QString &code) const;

private:
    Options m_options;
    SampleMedia m_media;
    quint16 m_port = 0;
    std::unique_ptr<WorkerThread> m_thread;
    // The thread's loop while it runs, for the destructor to end.
    std::mutex m_loopMutex;
    QEventLoop *m_loop = nullptr;
    bool m_stopping = false;

    mutable std::mutex m_mutex;
    QList<SiteFault> m_faults;
    QHash<QString, QByteArray> m_pages;
    QList<SiteRequest> m_requests;
    // Requests cleared so far: tickets stay valid across a clearing.
    qsizetype m_requestsCleared = 0;
};
