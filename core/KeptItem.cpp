#include "KeptItem.h"

#include "AtomicFile.h"
#include "HttpClient.h"
#include "OutputFileName.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "WatchPage.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

using Restored = YoutubeDownloader::Restored;

// The output of a conversion of `video`: beside it, with its name.
bool isOutputOf(const QString &output, const QString &video)
{
    return !video.isEmpty()
        && (output == OutputFileName::replaceExtension(video, u".mp3"_s)
            || output == OutputFileName::replaceExtension(video, u".wav"_s));
}

// A file the user added is one only by its path, and any other link keeps
// the reader its form asks for.
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

// A page that failed stays failed; without what a page said, any other item
// can only read it again.
bool keepsPage(YoutubeStatus status, SourceKind kind, const KeptListFile::Item &saved)
{
    if (isPageFailure(status))
        return true;
    return !(status == StatusNew || status == StatusLoadingInfo || status == StatusInvalid || status == StatusRemoved
             || (kind == SourceKind::WatchPage && saved.code.isEmpty()) || saved.title.isEmpty()
             || (status != StatusFinished && saved.streamURL.isEmpty()));
}

// A name is taken only as the item would have made it. A list from before
// names were kept names the files after the title alone.
QString savedFileName(const KeptListFile::Item &saved)
{
    const bool madeByUs = !saved.name.isEmpty() && OutputFileName::baseName(saved.name) == saved.name;
    return madeByUs ? saved.name : OutputFileName::baseName(saved.title);
}

void takeCover(Restored &restored, const KeptListFile::Item &saved)
{
    switch (restored.kind) {
    case SourceKind::WatchPage:
        restored.coverURL = WatchPage::coverURL(saved.code);
        restored.tagCoverURL = WatchPage::highQualityCoverURL(restored.coverURL);
        return;
    case SourceKind::PageReader:
        if (HttpClient::isFetchable(QUrl(saved.cover)))
            restored.coverURL = restored.tagCoverURL = saved.cover;
        return;
    case SourceKind::LocalFile:
        restored.coverURL = restored.tagCoverURL = QUrl::fromLocalFile(saved.link).toString();
        return;
    case SourceKind::DirectLink:
        return;
    }
}

YoutubeQualityPtr savedStream(SourceKind kind, const KeptListFile::Item &saved)
{
    if (saved.streamURL.isEmpty())
        return nullptr;
    return std::make_shared<YoutubeQuality>(
        YoutubeVideoType(saved.streamType), YoutubeVideoQuality(saved.streamQuality), saved.streamURL, saved.streamBytes,
        YoutubeQuality::Details{.formatId = saved.streamFormat,
                                .extension = savedExtension(saved.streamExtension),
                                .audioOnly = saved.streamAudioOnly,
                                // Only the page reader runs yt-dlp on a link.
                                .plainFile = !saved.streamInPieces || kind != SourceKind::PageReader});
}

// A file the user added converts again from where it is, as long as it is
// there.
YoutubeStatus restoredFileStatus(YoutubeStatus status, Restored &restored, const KeptListFile::Item &saved)
{
    if (!QFileInfo(saved.link).isFile()) {
        restored.note = StringUtils::langStr(257).arg(saved.link);
        return StatusInfoFailed;
    }
    restored.wholeFile = saved.link;
    return status == StatusConvertPaused ? status : StatusDownloaded;
}

// A download the user paused, or one that stopped on a failure, waits for
// Resume; one that was running or waiting its turn takes its turn again.
YoutubeStatus restoredDownloadStatus(YoutubeStatus status)
{
    return status == StatusDownloadPaused || status == StatusConvertPaused ? StatusDownloadPaused : StatusDownloading;
}

// Downloading or after: the files on disk tell how far the work got. Only
// files named as this item's own are taken: the work writes and deletes
// what it names.
YoutubeStatus restoredWorkStatus(YoutubeStatus status, Restored &restored, const KeptListFile::Item &saved,
                                 const QString &outputFolder)
{
    const QString videoName = restored.fileBaseName + restored.stream->fileExtension();
    const QFileInfo partial(saved.partialFile);
    const QString partialName = partial.fileName();
    // A paused download stays in the folder it began in.
    const bool ownPartialFile = !partialName.isEmpty() && AtomicFile::targetNameOf(partialName) == videoName;
    // yt-dlp's work folder for a stream it fetches, a file for one of ours.
    const bool inPieces = !restored.stream->details().plainFile;
    if (ownPartialFile && (inPieces ? partial.isDir() : partial.isFile()) && !partial.isSymLink()) {
        restored.partialFile = saved.partialFile;
        restored.bytesHeld = inPieces ? saved.bytesHeld : partial.size();
        return restoredDownloadStatus(status);
    }
    // Its own name in a folder of its own: the output folder, or the one its
    // download began in.
    const QString fileFolder = QFileInfo(saved.file).absolutePath();
    const bool ownFolder = fileFolder == QDir(outputFolder).absolutePath()
        || (ownPartialFile && fileFolder == partial.absolutePath());
    QString video = ownFolder && QFileInfo(saved.file).fileName() == videoName ? saved.file : QString();
    // The partial file went into place just before the run ended, too late
    // for the list to hear of it: the video is there, whole.
    const QString begunAs = partial.absolutePath() + u'/' + videoName;
    if (video.isEmpty() && ownPartialFile && saved.streamBytes > 0 && QFileInfo(begunAs).size() == saved.streamBytes)
        video = begunAs;
    const QString output = isOutputOf(saved.output, video.isEmpty() ? saved.file : video) ? saved.output : QString();
    restored.output = output;
    if (!video.isEmpty() && QFileInfo(video).isFile()) {
        restored.wholeFile = video;
        // Paused by the user, it waits for Resume.
        return status == StatusConvertPaused ? status : StatusDownloaded;
    }
    // The video goes only once the output is tagged.
    if (!output.isEmpty() && QFileInfo(output).isFile()) {
        restored.wholeFile = output;
        return StatusFinished;
    }
    restored.downloadSeconds = 0;
    return restoredDownloadStatus(status);
}

YoutubeStatus restoredStatus(YoutubeStatus status, Restored &restored, const KeptListFile::Item &saved,
                             const QString &outputFolder)
{
    switch (status) {
    case StatusNoStream:
    case StatusInfoFailed:
    case StatusReady:
        return status;
    case StatusFinished:
        restored.wholeFile = saved.file;
        if (!QFileInfo(saved.file).isFile())
            restored.note = StringUtils::langStr(257).arg(saved.file);
        return status;
    default:
        break;
    }
    if (restored.kind == SourceKind::LocalFile)
        return restoredFileStatus(status, restored, saved);
    return restoredWorkStatus(status, restored, saved, outputFolder);
}

} // namespace

KeptListFile::Item KeptItem::of(const YoutubeDownloader &item)
{
    const YoutubeQualityPtr stream = item.currentQuality();
    const auto running = item.conversion();
    const YoutubeStatus status = item.youtubeStatus();
    const SourceKind kind = item.sourceKind();
    return {.link = item.youtubeURL(),
            .source = sourceKindName(kind),
            .cover = kind == SourceKind::PageReader ? item.youtubeCoverURL() : QString(),
            .code = item.youtubeCode(),
            .title = item.youtubeTitle(),
            .description = item.descriptionText(),
            .durationSeconds = item.durationInSeconds(),
            .streamType = stream ? qint32(stream->youtubeVideoType()) : 0,
            .streamQuality = stream ? qint32(stream->youtubeVideoQuality()) : 0,
            .streamURL = stream ? stream->videoURL() : QString(),
            .streamBytes = stream ? stream->fileContentSize() : 0,
            .streamFormat = stream ? stream->details().formatId : QString(),
            .streamExtension = stream ? stream->details().extension : QString(),
            .streamAudioOnly = stream && stream->details().audioOnly,
            .streamInPieces = stream && !stream->details().plainFile,
            .status = youtubeStatusName(status == StatusRemoved ? YoutubeStatus(item.m_statusBeforeRemoval.load()) : status),
            .note = item.statusNote(),
            .folder = item.savedFolderPath(),
            .name = item.locked(item.m_fileBaseName),
            .file = item.wholeFilePath(),
            .partialFile = item.partialFilePath(),
            .bytesHeld = item.downloadedBytes(),
            .downloadSeconds = item.downloadTime(),
            // A restored conversion that has not run again keeps its own.
            .format = running ? qint32(running->job().outputFormat)
                              : item.m_restoredOutput.isEmpty() ? -1 : qint32(item.m_restoredFormat),
            .output = running ? running->job().outputPath : item.m_restoredOutput};
}

void KeptItem::restore(YoutubeDownloader &item, const KeptListFile::Item &saved)
{
    const YoutubeStatus status = youtubeStatusFromName(saved.status).value_or(StatusLoadingInfo);
    Restored restored;
    restored.kind = savedKind(saved);
    item.setSavedFolderPath(saved.folder);
    if (!keepsPage(status, restored.kind, saved)) {
        item.takeRestored(restored);
        return;
    }
    restored.code = saved.code;
    takeCover(restored, saved);
    restored.title = saved.title;
    restored.fileBaseName = savedFileName(saved);
    restored.description = saved.description;
    restored.durationSeconds = saved.durationSeconds;
    restored.stream = savedStream(restored.kind, saved);
    restored.note = saved.note;
    restored.downloadSeconds = saved.downloadSeconds;
    restored.format = isOutputFormat(saved.format) ? OutputFormat(saved.format) : item.preferences().outputFormat();
    restored.status = restoredStatus(status, restored, saved, item.outputFolder());
    item.takeRestored(restored);
}
