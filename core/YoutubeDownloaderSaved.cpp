// How an item goes into the saved list and comes back from it.

#include "YoutubeDownloader.h"

#include "AtomicFile.h"
#include "HttpClient.h"
#include "OutputFileName.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "WatchPage.h"
#include "YoutubeDownloaderOwner.h"
#include "YoutubeProgramPreferences.h"
#include "YoutubeRowViews.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

// The output of a conversion of `video`: beside it, with its name.
bool isOutputOf(const QString &output, const QString &video)
{
    return !video.isEmpty()
        && (output == OutputFileName::replaceExtension(video, u".mp3"_s)
            || output == OutputFileName::replaceExtension(video, u".wav"_s));
}

// The list is a file anybody could edit: a file the user added is one only
// by its path, and any other link keeps the reader its form asks for.
SourceKind savedKind(const KeptListFile::Item &saved)
{
    const SourceKind byForm = SourceLinks::kindOf(saved.link);
    const SourceKind kept = sourceKindFromName(saved.source);
    return (kept == SourceKind::LocalFile) == (byForm == SourceKind::LocalFile) ? kept : byForm;
}

// An extension names a file the item writes: only a media file's.
QString savedExtension(const QString &extension)
{
    return SourceLinks::isMediaExtension(extension) ? extension : QString();
}

} // namespace

KeptListFile::Item YoutubeDownloader::savedItem() const
{
    const YoutubeQualityPtr stream = currentQuality();
    const auto running = conversion();
    const YoutubeStatus status = youtubeStatus();
    const SourceKind kind = sourceKind();
    return {.link = youtubeURL(),
            .source = sourceKindName(kind),
            .cover = kind == SourceKind::PageReader ? youtubeCoverURL() : QString(),
            .code = youtubeCode(),
            .title = youtubeTitle(),
            .description = descriptionText(),
            .durationSeconds = durationInSeconds(),
            .streamType = stream ? qint32(stream->youtubeVideoType()) : 0,
            .streamQuality = stream ? qint32(stream->youtubeVideoQuality()) : 0,
            .streamURL = stream ? stream->videoURL() : QString(),
            .streamBytes = stream ? stream->fileContentSize() : 0,
            .streamFormat = stream ? stream->details().formatId : QString(),
            .streamExtension = stream ? stream->details().extension : QString(),
            .streamAudioOnly = stream && stream->details().audioOnly,
            .streamInPieces = stream && !stream->details().plainFile,
            .status = youtubeStatusName(status == StatusRemoved ? YoutubeStatus(m_statusBeforeRemoval.load()) : status),
            .note = statusNote(),
            .folder = savedFolderPath(),
            .name = locked(m_fileBaseName),
            .file = wholeFilePath(),
            .partialFile = partialFilePath(),
            .bytesHeld = downloadedBytes(),
            .downloadSeconds = downloadTime(),
            // A restored conversion that has not run again keeps its own.
            .format = running ? qint32(running->job().outputFormat)
                              : m_restoredOutput.isEmpty() ? -1 : qint32(m_restoredFormat),
            .output = running ? running->job().outputPath : m_restoredOutput};
}

std::shared_ptr<YoutubeDownloader> YoutubeDownloader::restore(const KeptListFile::Item &saved,
                                                              std::weak_ptr<YoutubeDownloaderOwner> owner,
                                                              YoutubeProgramPreferences &preferences)
{
    std::shared_ptr<YoutubeDownloader> item(new YoutubeDownloader(saved.link, std::move(owner), preferences));
    item->takeSaved(saved);
    return item;
}

// Before the item is shared: no lock, no announcement.
void YoutubeDownloader::takeSaved(const KeptListFile::Item &saved)
{
    const YoutubeStatus status = youtubeStatusFromName(saved.status).value_or(StatusLoadingInfo);
    const SourceKind kind = savedKind(saved);
    m_sourceKind = int(kind);
    m_reader = SourceReader::create(kind, m_preferences);
    m_savedFolderPath = saved.folder;
    // A page that failed stays failed; without what a page said, any other
    // item can only read it again.
    const bool failed = status == StatusNoStream || status == StatusInfoFailed;
    if (!failed
        && (status == StatusNew || status == StatusLoadingInfo || status == StatusInvalid || status == StatusRemoved
            || (kind == SourceKind::WatchPage && saved.code.isEmpty()) || saved.title.isEmpty()
            || (status != StatusFinished && saved.streamURL.isEmpty()))) {
        m_status = StatusLoadingInfo;
        return;
    }
    m_wasContentDownloaded = true;
    m_youtubeCode = saved.code;
    takeCover(kind, saved);
    m_youtubeTitle = saved.title;
    takeFileName(saved.name);
    m_description = saved.description;
    m_durationInSeconds = saved.durationSeconds;
    if (!saved.streamURL.isEmpty()) {
        m_currentQuality = std::make_shared<YoutubeQuality>(
            YoutubeVideoType(saved.streamType), YoutubeVideoQuality(saved.streamQuality), saved.streamURL,
            saved.streamBytes,
            YoutubeQuality::Details{.formatId = saved.streamFormat,
                                    .extension = savedExtension(saved.streamExtension),
                                    .audioOnly = saved.streamAudioOnly,
                                    // Only the page reader runs yt-dlp on a link.
                                    .plainFile = !saved.streamInPieces || kind != SourceKind::PageReader});
        m_qualityList = {m_currentQuality};
    }
    m_statusNote = saved.note;
    m_downloadTime = saved.downloadSeconds;
    m_restoredFormat = isOutputFormat(saved.format) ? OutputFormat(saved.format) : m_preferences.outputFormat();
    m_status = restoredStatus(status, saved, kind);
}

// The list is a file anybody could edit: a name is taken only as the item
// would have made it. A list from before names were kept names the files
// after the title alone.
void YoutubeDownloader::takeFileName(const QString &name)
{
    const bool madeByUs = !name.isEmpty() && OutputFileName::baseName(name) == name;
    m_fileBaseName = madeByUs ? name : OutputFileName::baseName(m_youtubeTitle);
    if (const auto listOwner = owner())
        listOwner->claimFileNameAgain(*this, outputFolder(), m_fileBaseName);
}

void YoutubeDownloader::takeCover(SourceKind kind, const KeptListFile::Item &saved)
{
    switch (kind) {
    case SourceKind::WatchPage:
        m_youtubeCoverURL = WatchPage::coverURL(saved.code);
        m_tagCoverURL = WatchPage::highQualityCoverURL(m_youtubeCoverURL);
        return;
    case SourceKind::PageReader:
        if (HttpClient::isFetchable(QUrl(saved.cover)))
            m_youtubeCoverURL = m_tagCoverURL = saved.cover;
        return;
    case SourceKind::LocalFile:
        m_youtubeCoverURL = m_tagCoverURL = QUrl::fromLocalFile(saved.link).toString();
        return;
    case SourceKind::DirectLink:
        return;
    }
}

// A file the user added converts again from where it is, as long as it is
// there.
YoutubeStatus YoutubeDownloader::restoredFileStatus(YoutubeStatus status)
{
    if (!QFileInfo(m_youtubeURL).isFile()) {
        m_statusNote = StringUtils::langStr(257).arg(m_youtubeURL);
        return StatusInfoFailed;
    }
    m_wholeFilePath = m_youtubeURL;
    return status == StatusConvertPaused ? status : StatusDownloaded;
}

YoutubeStatus YoutubeDownloader::restoredStatus(YoutubeStatus status, const KeptListFile::Item &saved, SourceKind kind)
{
    switch (status) {
    case StatusNoStream:
    case StatusInfoFailed:
        return status;
    case StatusFinished:
        m_wholeFilePath = saved.file;
        if (!QFileInfo(saved.file).isFile())
            m_statusNote = StringUtils::langStr(257).arg(saved.file);
        return status;
    default:
        break;
    }
    if (status == StatusReady)
        return status;
    if (kind == SourceKind::LocalFile)
        return restoredFileStatus(status);
    // Downloading or after: the files on disk tell how far the work got.
    // Only files named as this item's own are taken: the list is a file
    // anybody could edit, and the work writes and deletes what it names.
    const QString videoName = QFileInfo(videoFilePath(m_currentQuality->fileExtension())).fileName();
    const QFileInfo partial(saved.partialFile);
    const QString partialName = partial.fileName();
    // A paused download stays in the folder it began in.
    const bool ownPartialFile = !partialName.isEmpty() && AtomicFile::targetNameOf(partialName) == videoName;
    // yt-dlp's work folder for a stream it fetches, a file for one of ours.
    const bool inPieces = !m_currentQuality->details().plainFile;
    if (ownPartialFile && (inPieces ? partial.isDir() : partial.isFile()) && !partial.isSymLink()) {
        m_partialFilePath = saved.partialFile;
        m_downloadedBytes = inPieces ? saved.bytesHeld : partial.size();
        return StatusDownloadPaused;
    }
    // Its own name in a folder of its own: the output folder, or the one its
    // download began in.
    const QString fileFolder = QFileInfo(saved.file).absolutePath();
    const bool ownFolder = fileFolder == QDir(outputFolder()).absolutePath()
        || (ownPartialFile && fileFolder == partial.absolutePath());
    QString video = ownFolder && QFileInfo(saved.file).fileName() == videoName ? saved.file : QString();
    // The partial file went into place just before the run ended, too late
    // for the list to hear of it: the video is there, whole.
    const QString begunAs = partial.absolutePath() + u'/' + videoName;
    if (video.isEmpty() && ownPartialFile && saved.streamBytes > 0 && QFileInfo(begunAs).size() == saved.streamBytes)
        video = begunAs;
    const QString output = isOutputOf(saved.output, video.isEmpty() ? saved.file : video) ? saved.output : QString();
    m_restoredOutput = output;
    if (!video.isEmpty() && QFileInfo(video).isFile()) {
        m_wholeFilePath = video;
        // Paused by the user, it waits for Resume.
        return status == StatusConvertPaused ? status : StatusDownloaded;
    }
    // The video goes only once the output is tagged.
    if (!output.isEmpty() && QFileInfo(output).isFile()) {
        m_wholeFilePath = output;
        return StatusFinished;
    }
    m_downloadTime = 0;
    return StatusDownloadPaused;
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
        if (status == StatusDownloadPaused && downloadedBytes() > 0) {
            views->initProgressIndicator(streamSize());
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
