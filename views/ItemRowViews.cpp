#include "ItemRowViews.h"

#include "CoverLoader.h"

std::shared_ptr<ItemRowViews> ItemRowViews::create(std::weak_ptr<CoverLoader> covers, const QImage &placeholder)
{
    return std::shared_ptr<ItemRowViews>(new ItemRowViews(std::move(covers), placeholder), [](ItemRowViews *views) {
        // Later, and on the GUI thread: the last reference may go on a worker
        // thread, or in code of the row itself, a click handler among them.
        views->m_guiThread.post([views] { views->deleteLater(); });
    });
}

ItemRowViews::ItemRowViews(std::weak_ptr<CoverLoader> covers, const QImage &placeholder)
    : m_covers(std::move(covers)), m_image(placeholder)
{
}

void ItemRowViews::repaint()
{
    m_guiThread.post([this] { Q_EMIT changed(); });
}

void ItemRowViews::initProgressIndicator(qint64 maximum)
{
    m_guiThread.post([this, maximum] {
        m_operations.initProgressIndicator(maximum);
        Q_EMIT changed();
    });
}

void ItemRowViews::setProgressValue(qint64 value)
{
    m_progressValue = value;
    if (!m_progressPending.exchange(true))
        m_guiThread.post([this] { showProgress(); });
}

void ItemRowViews::showProgress()
{
    m_progressPending = false;
    m_operations.setProgressValue(m_progressValue);
    Q_EMIT changed();
}

void ItemRowViews::setCoverURL(const QString &url)
{
    m_guiThread.post([this, url] {
        const auto covers = m_covers.lock();
        if (!covers || url.isEmpty() || url == m_image.youtubeURL())
            return;
        m_image.setYoutubeURL(url);
        std::weak_ptr<ItemRowViews> views = weak_from_this();
        covers->load(url, [views, url](QImage picture) {
            if (const auto alive = views.lock())
                alive->m_guiThread.post([view = alive.get(), url, picture = std::move(picture)] {
                    // A newer address may have been asked for meanwhile.
                    if (url != view->m_image.youtubeURL() || picture.isNull())
                        return;
                    view->m_image.setImage(picture);
                    Q_EMIT view->changed();
                });
        });
    });
}
