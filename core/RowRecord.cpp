#include "RowRecord.h"

#include "DownloadListInbox.h"
#include "YoutubeDownloader.h"

RowRecord::RowRecord(std::weak_ptr<DownloadListInbox> inbox, std::weak_ptr<YoutubeDownloader> item)
    : m_inbox(std::move(inbox)), m_item(std::move(item))
{
}

// Called beside every status report, which the list takes as a change of
// the row already.
void RowRecord::repaint()
{
}

void RowRecord::initProgressIndicator(qint64 maximum)
{
    {
        std::lock_guard lock(m_mutex);
        m_state.hasProgress = true;
        m_state.maximum = maximum;
        m_state.value = 0;
    }
    changed();
}

void RowRecord::setProgressValue(qint64 value)
{
    {
        std::lock_guard lock(m_mutex);
        m_state.value = value;
    }
    changed();
}

void RowRecord::setCoverURL(const QString &url)
{
    {
        std::lock_guard lock(m_mutex);
        m_state.coverURL = url;
    }
    changed();
}

RowRecord::State RowRecord::state() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

void RowRecord::changed()
{
    const auto inbox = m_inbox.lock();
    const auto item = m_item.lock();
    if (inbox && item)
        inbox->downloaderNeedsRedraw(*item);
}
