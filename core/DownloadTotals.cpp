#include "DownloadTotals.h"

#include "DownloadList.h"
#include "RowTexts.h"
#include "YoutubeDownloader.h"

#include <cmath>

namespace {

// A conversion's row shows its percent; a finished item is converted whole.
double convertedShare(YoutubeStatus status, const RowRecord::State &row)
{
    if (status == StatusFinished)
        return 1;
    const bool converting = status == StatusConverting || status == StatusConvertPaused;
    if (!converting || !row.hasProgress || row.maximum <= 0)
        return 0;
    return std::clamp(double(row.value) / double(row.maximum), 0.0, 1.0);
}

} // namespace

DownloadTotals DownloadTotals::of(const DownloadList &list)
{
    DownloadTotals totals;
    for (const auto &item : list.items()) {
        const YoutubeStatus status = item->youtubeStatus();
        if (!isInWork(status))
            continue;
        const RowTexts figures(*item);
        totals.add(status, figures.calculateDownloadSpeed(), figures.streamSize(), figures.downloadedFileSize(),
                   convertedShare(status, list.rowState(*item)));
    }
    return totals;
}

void DownloadTotals::add(YoutubeStatus status, double speed, qint64 streamBytes, qint64 doneBytes,
                         double convertedShare)
{
    if (!isInWork(status))
        return;
    if (status == StatusDownloading)
        m_averageSpeed += speed;
    ++m_needDownload;
    if (status == StatusFinished)
        ++m_downloaded;
    const double done = double(std::max<qint64>(doneBytes, 0));
    const double size = std::max(double(streamBytes), done);
    m_maxBytes += size;
    m_totalBytes += done;
    m_work += 2 * size;
    m_workDone += done + size * std::clamp(convertedShare, 0.0, 1.0);
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

int DownloadTotals::workPercent() const
{
    if (m_work <= 0)
        return 0;
    return int(std::floor(std::min(m_workDone / m_work, 1.0) * 100));
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
