#pragma once

#include "YoutubeRowViews.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

// Row views that remember what they were told and let a test act at the
// moment a block of data is shown (on the download thread).
class TestRowViews final : public YoutubeRowViews
{
public:
    void repaint() override { ++repaints; }
    void initProgressIndicator(qint64 value) override { maximum = value; }
    void setProgressValue(qint64 value) override
    {
        progress = value;
        if (onProgress)
            onProgress(value);
    }
    void setCoverURL(const QString &url) override
    {
        std::lock_guard lock(mutex);
        coverURL = url;
    }

    std::atomic<int> repaints = 0;
    std::atomic<qint64> maximum = 0;
    std::atomic<qint64> progress = 0;
    std::function<void(qint64)> onProgress; // set before the download starts
    std::mutex mutex;
    QString coverURL;
};
