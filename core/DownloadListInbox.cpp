#include "DownloadListInbox.h"

#include "DownloadList.h"

DownloadListInbox::DownloadListInbox(DownloadList &list)
    : m_list(&list)
{
}

void DownloadListInbox::detach()
{
    std::lock_guard lock(m_mutex);
    m_list = nullptr;
}

void DownloadListInbox::downloaderStatusChanged(YoutubeDownloader &downloader)
{
    std::lock_guard lock(m_mutex);
    if (m_list)
        m_list->takeStatusChange(downloader);
}

void DownloadListInbox::downloaderNeedsRedraw(YoutubeDownloader &downloader)
{
    std::lock_guard lock(m_mutex);
    if (m_list)
        m_list->takeRowChange(downloader);
}

void DownloadListInbox::downloaderFilesChanged(YoutubeDownloader &)
{
    std::lock_guard lock(m_mutex);
    if (m_list)
        m_list->takeFilesChange();
}

void DownloadListInbox::downloaderFoundEntries(YoutubeDownloader &downloader, const QStringList &links)
{
    std::lock_guard lock(m_mutex);
    if (m_list)
        m_list->takeEntries(downloader, links);
}

QString DownloadListInbox::claimFileName(YoutubeDownloader &downloader, const QString &folder, const QString &title)
{
    return m_names.claim(&downloader, folder, title);
}

void DownloadListInbox::claimFileNameAgain(YoutubeDownloader &downloader, const QString &folder, const QString &baseName)
{
    m_names.claimAgain(&downloader, folder, baseName);
}

void DownloadListInbox::releaseFileName(YoutubeDownloader &downloader)
{
    m_names.release(&downloader);
}

void DownloadListInbox::downloaderWorkEnded(const std::weak_ptr<YoutubeDownloader> &downloader)
{
    std::lock_guard lock(m_mutex);
    if (m_list)
        m_list->takeWorkEnded(downloader);
}
