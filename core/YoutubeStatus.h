#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The state of a video item. Main road: LoadingInfo, Ready, Downloading (with
// DownloadPaused), Downloaded, Converting (with ConvertPaused), Finished;
// NoStream and InfoFailed end a failed page load; Removed may follow any.
enum YoutubeStatus : qint32 {
    StatusNew = 0,
    StatusLoadingInfo = 1,
    StatusReady = 2,
    StatusInvalid = 3,
    StatusNoStream = 4,
    StatusInfoFailed = 5,
    StatusDownloading = 6,
    StatusDownloadPaused = 7,
    StatusConverting = 8,
    StatusConvertPaused = 9,
    StatusDownloaded = 10,
    StatusFinished = 11,
    StatusRemoved = 12,
};

// Names that stay the same across versions: the command line prints them and
// the saved list stores them.
QString youtubeStatusName(YoutubeStatus status);
std::optional<YoutubeStatus> youtubeStatusFromName(QStringView name);

// A page load that ended without a stream to fetch (read, or not): the page
// may be read again.
bool isPageFailure(YoutubeStatus status);
