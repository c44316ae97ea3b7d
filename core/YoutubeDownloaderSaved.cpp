// The item's side of the kept list: KeptItem reads the record, the item
// takes it whole and takes up its work.

#include "YoutubeDownloader.h"

#include "KeptItem.h"
#include "RowTexts.h"
#include "YoutubeDownloaderOwner.h"
#include "YoutubeRowViews.h"

std::shared_ptr<YoutubeDownloader> YoutubeDownloader::restore(const KeptListFile::Item &saved,
                                                              std::weak_ptr<YoutubeDownloaderOwner> owner,
                                                              YoutubeProgramPreferences &preferences)
{
    std::shared_ptr<YoutubeDownloader> item(new YoutubeDownloader(saved.link, std::move(owner), preferences));
    KeptItem::restore(*item, saved);
    return item;
}

// Before the item is shared: no lock, no announcement.
void YoutubeDownloader::takeRestored(const Restored &restored)
{
    m_sourceKind = int(restored.kind);
    m_reader = SourceReader::create(restored.kind, m_preferences);
    m_status = restored.status;
    if (restored.status == StatusLoadingInfo)
        return;
    m_wasContentDownloaded = true;
    m_youtubeCode = restored.code;
    m_youtubeCoverURL = restored.coverURL;
    m_tagCoverURL = restored.tagCoverURL;
    m_youtubeTitle = restored.title;
    m_fileBaseName = restored.fileBaseName;
    m_description = restored.description;
    m_durationInSeconds = restored.durationSeconds;
    if (restored.stream) {
        m_currentQuality = restored.stream;
        m_qualityList = {restored.stream};
    }
    m_statusNote = restored.note;
    m_wholeFilePath = restored.wholeFile;
    m_partialFilePath = restored.partialFile;
    m_downloadedBytes = restored.bytesHeld;
    m_downloadTime = restored.downloadSeconds;
    m_restoredFormat = restored.format;
    m_restoredOutput = restored.output;
    if (const auto listOwner = owner())
        listOwner->claimFileNameAgain(*this, outputFolder(), m_fileBaseName);
}

void YoutubeDownloader::continueRestored()
{
    const YoutubeStatus status = youtubeStatus();
    if (status == StatusLoadingInfo && !m_queued) {
        loadYoutubeContent();
        return;
    }
    if (const auto views = rowViews()) {
        views->setCoverURL(youtubeCoverURL());
        if ((status == StatusDownloadPaused || status == StatusDownloading) && downloadedBytes() > 0) {
            views->initProgressIndicator(RowTexts(*this).streamSize());
            views->setProgressValue(downloadedBytes());
        }
    }
    if (status == StatusDownloaded)
        convertRestored(StatusDownloaded);
}

void YoutubeDownloader::convertRestored(YoutubeStatus from)
{
    convertVideo(m_restoredFormat, m_restoredOutput.isEmpty() ? filePathForSaving(m_restoredFormat) : m_restoredOutput,
                 from);
}
