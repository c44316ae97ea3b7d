#pragma once

#include "YoutubeRowViews.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

// Row views that remember the progress and cover they were shown, and let a
// test act at the moment a progress value is shown (on the item's thread).
class TestRowViews final : public YoutubeRowViews
{
public:
    void repaint() override {}
    void initProgressIndicator(qint64) override {}
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

    std::atomic<qint64> progress = 0;
    std::function<void(qint64)> onProgress; // set before the item's thread shows progress
    std::mutex mutex;
    QString coverURL;
};
