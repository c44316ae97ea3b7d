#pragma once

#include "YoutubeStatus.h"

class DownloadList;

// What the window's bottom bar shows of the whole list: the speed of the
// running downloads, the bytes done out of the bytes in work, and how many
// items are finished out of those in work. Sums are in double precision:
// lists beyond a few GiB are ordinary, and a float stops counting single
// blocks there.
class DownloadTotals final
{
public:
    // The bar's range: byte counts do not fit an int.
    static constexpr int ProgressScale = 10'000;

    static DownloadTotals of(const DownloadList &list);

    // One item's share. A stream of unknown size counts with the bytes
    // received, in both sums. `convertedShare` (0..1) is how far its
    // conversion has come.
    void add(YoutubeStatus status, double speed, qint64 streamBytes, qint64 doneBytes, double convertedShare);

    double averageSpeed() const { return m_averageSpeed; }
    double maxDownloadBytes() const { return m_maxBytes; }
    double totalDownloadedBytes() const { return m_totalBytes; }
    int downloadedObjects() const { return m_downloaded; }
    int needDownloadObjects() const { return m_needDownload; }

    // Hidden while nothing has arrived, and when everything in work is here.
    bool isProgressHidden() const;
    // The done share on 0..ProgressScale.
    int progressValue() const;
    // How much of the work in hand is done, 0..100: the download and the
    // conversion of each item weigh alike, in proportion to its size.
    int workPercent() const;

    static bool isInWork(YoutubeStatus status);

private:
    double m_averageSpeed = 0;
    double m_maxBytes = 0;
    double m_totalBytes = 0;
    double m_work = 0;
    double m_workDone = 0;
    int m_downloaded = 0;
    int m_needDownload = 0;
};
