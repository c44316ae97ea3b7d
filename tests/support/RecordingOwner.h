#pragma once

#include "YoutubeDownloader.h"
#include "YoutubeDownloaderOwner.h"

#include <QList>
#include <QStringList>
#include <QTest>

#include <atomic>
#include <functional>
#include <mutex>

// Stands in for the download list: remembers every status an item announced,
// and every note its row was redrawn with, on whichever thread they came.
class RecordingOwner final : public YoutubeDownloaderOwner
{
public:
    void downloaderStatusChanged(YoutubeDownloader &downloader) override
    {
        const YoutubeStatus status = downloader.youtubeStatus();
        {
            std::lock_guard lock(m_mutex);
            m_statuses.append(status);
        }
        if (onStatus)
            onStatus(downloader, status);
    }
    void downloaderNeedsRedraw(YoutubeDownloader &downloader) override
    {
        ++redraws;
        const QString note = downloader.statusNote();
        std::lock_guard lock(m_mutex);
        if (!note.isEmpty() && m_notes.value(m_notes.size() - 1) != note)
            m_notes.append(note);
    }

    QList<YoutubeStatus> statuses() const
    {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }
    QStringList notes() const
    {
        std::lock_guard lock(m_mutex);
        return m_notes;
    }

    // Runs on the thread that changed the status; set before items start.
    std::function<void(YoutubeDownloader &, YoutubeStatus)> onStatus;
    std::atomic<int> redraws = 0;

private:
    mutable std::mutex m_mutex;
    QList<YoutubeStatus> m_statuses;
    QStringList m_notes;
};

// Waits for `status`; gives up at once when the item has come to an end
// elsewhere.
inline bool waitForStatus(const std::shared_ptr<YoutubeDownloader> &item, YoutubeStatus status, int timeoutMs = 60'000)
{
    const QList<YoutubeStatus> ends{StatusNoStream, StatusInfoFailed, StatusFinished, StatusRemoved};
    if (QTest::qWaitFor([&] { return item->youtubeStatus() == status || ends.contains(item->youtubeStatus()); }, timeoutMs)
        && item->youtubeStatus() == status)
        return true;
    qWarning("waited for status %d, came to %d: %s", int(status), int(item->youtubeStatus()), qPrintable(item->statusNote()));
    return false;
}
