#pragma once

#include "OutputNames.h"
#include "YoutubeDownloaderOwner.h"

#include <mutex>

class DownloadList;

// The list as its items reach it from their threads. Items hold it weakly,
// the list detaches it as it goes: a call from a thread that outlived the
// list finds nobody and does nothing, and the list is never destroyed while
// a call is inside it. It also holds the names of the items' files.
class DownloadListInbox final : public YoutubeDownloaderOwner
{
public:
    explicit DownloadListInbox(DownloadList &list);

    // On the list's thread, before the list goes.
    void detach();

    void downloaderStatusChanged(YoutubeDownloader &downloader) override;
    void downloaderNeedsRedraw(YoutubeDownloader &downloader) override;
    void downloaderFilesChanged(YoutubeDownloader &downloader) override;
    void downloaderFoundEntries(YoutubeDownloader &downloader, const QStringList &links) override;
    QString claimFileName(YoutubeDownloader &downloader, const QString &folder, const QString &title) override;
    void claimFileNameAgain(YoutubeDownloader &downloader, const QString &folder, const QString &baseName) override;
    void releaseFileName(YoutubeDownloader &downloader) override;
    void downloaderWorkEnded(const std::weak_ptr<YoutubeDownloader> &downloader) override;

private:
    std::mutex m_mutex;
    DownloadList *m_list;
    // Its own lock: names are claimed while the disk is looked at, which
    // must not hold up the reports.
    OutputNames m_names;
};
