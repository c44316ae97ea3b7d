#pragma once

#include "ImageView.h"
#include "ThreadHandOff.h"
#include "YoutubeOperationsView.h"
#include "YoutubeRowViews.h"

#include <QObject>

#include <atomic>
#include <memory>

class CoverLoader;

// The views of one item's row: cover, buttons with progress bar, and menu
// button (whose state is the item's status alone). The item calls them from
// its worker threads; every call is carried to the GUI thread, where the
// state lives, and calls that arrive after the views are gone are dropped.
// The views are always destroyed on the GUI thread, whichever thread lets go
// of them last.
class ItemRowViews final : public QObject,
                           public YoutubeRowViews,
                           public std::enable_shared_from_this<ItemRowViews>
{
    Q_OBJECT

public:
    // On the GUI thread. Covers are asked of `covers` while it lasts: an item
    // may outlive the list that made its views.
    static std::shared_ptr<ItemRowViews> create(std::weak_ptr<CoverLoader> covers, const QImage &placeholder);

    void repaint() override;
    void initProgressIndicator(qint64 maximum) override;
    void setProgressValue(qint64 value) override;
    void setCoverURL(const QString &url) override;

    // GUI thread.
    const YoutubeOperationsView &operationsView() const { return m_operations; }
    const ImageView &imageView() const { return m_image; }

Q_SIGNALS:
    // Something the row shows has changed (GUI thread).
    void changed();

private:
    ItemRowViews(std::weak_ptr<CoverLoader> covers, const QImage &placeholder);
    void showProgress();

    std::weak_ptr<CoverLoader> m_covers;
    ThreadHandOff m_guiThread;
    YoutubeOperationsView m_operations;
    ImageView m_image;
    // Blocks arrive far faster than the row can be drawn: only the latest
    // value travels, with one hand-over in flight at a time.
    std::atomic<qint64> m_progressValue = 0;
    std::atomic<bool> m_progressPending = false;
};
