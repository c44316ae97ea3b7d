#include "DownloadTotals.h"

#include "RowTexts.h"
#include "YoutubeDownloader.h"

#include <cmath>

DownloadTotals DownloadTotals::of(const QList<std::shared_ptr<YoutubeDownloader>> &items)
{
    DownloadTotals totals;
    for (const auto &item : items) {
        const YoutubeStatus status = item->youtubeStatus();
        const RowTexts figures(*item);
        if (isInWork(status))
            totals.add(status, figures.calculateDownloadSpeed(), figures.streamSize(), figures.downloadedFileSize());
    }
    return totals;
}

void DownloadTotals::add(YoutubeStatus status, double speed, qint64 streamBytes, qint64 doneBytes)
{
    if (!isInWork(status))
        return;
    if (status == StatusDownloading)
        m_averageSpeed += speed;
    ++m_needDownload;
    if (status == StatusFinished)
        ++m_downloaded;
    const double done = double(std::max<qint64>(doneBytes, 0));
    m_maxBytes += std::max(double(streamBytes), done);
    m_totalBytes += done;
}

bool DownloadTotals::isProgressHidden() const
{
    return m_totalBytes <= 0 || m_totalBytes >= m_maxBytes;
}

int DownloadTotals::progressValue() const
{
    if (m_maxBytes <= 0)
        return 0;
    return int(std::lround(std::min(m_totalBytes / m_maxBytes, 1.0) * ProgressScale));
}

bool DownloadTotals::isInWork(YoutubeStatus status)
{
    switch (status) {
    case StatusDownloading:
    case StatusDownloadPaused:
    case StatusConverting:
    case StatusConvertPaused:
    case StatusDownloaded:
    case StatusFinished: return true;
    default: return false;
    }
}
