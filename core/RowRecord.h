#pragma once

#include "YoutubeRowViews.h"

#include <QString>

#include <memory>
#include <mutex>

class DownloadListInbox;
class YoutubeDownloader;

// What an item's download and conversion tell its row (progress, its
// maximum, the cover's address), recorded for the list's views to read on
// their own thread. Every call counts as a change of the item's row.
class RowRecord final : public YoutubeRowViews
{
public:
    struct State
    {
        // No bar before the first run; every new run starts from 0.
        bool hasProgress = false;
        qint64 maximum = 0;
        qint64 value = 0;
        QString coverURL;
    };

    RowRecord(std::weak_ptr<DownloadListInbox> inbox, std::weak_ptr<YoutubeDownloader> item);

    void repaint() override;
    void initProgressIndicator(qint64 maximum) override;
    void setProgressValue(qint64 value) override;
    void setCoverURL(const QString &url) override;

    State state() const;

private:
    void changed();

    const std::weak_ptr<DownloadListInbox> m_inbox;
    const std::weak_ptr<YoutubeDownloader> m_item;
    mutable std::mutex m_mutex;
    State m_state;
};
