#pragma once

#include "YoutubeDownloader.h"
#include "YoutubeDownloaderOwner.h"

#include <QList>

#include <atomic>
#include <functional>
#include <mutex>

// Stands in for the download list: remembers every status an item announced,
// on whichever thread it came.
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

    void downloaderNeedsRedraw(YoutubeDownloader &) override { ++m_redraws; }

    void removeDownloader(YoutubeDownloader &) override { ++m_removals; }

    QList<YoutubeStatus> statuses() const
    {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }

    int redraws() const { return m_redraws; }

    // Runs on the thread that changed the status; set before items start.
    std::function<void(YoutubeDownloader &, YoutubeStatus)> onStatus;
    int removals() const { return m_removals; }

private:
    mutable std::mutex m_mutex;
    QList<YoutubeStatus> m_statuses;
    std::atomic<int> m_redraws = 0;
    std::atomic<int> m_removals = 0;
};
