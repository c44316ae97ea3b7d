#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class WorkerThread;
class YoutubeDownloader;

// What a download goes through when it fails: tried again a few times with
// growing delays, the row saying so, then paused with the reason for the
// user to resume. Only progress beyond the furthest failure ends a run of
// failures: a source that breaks at the same place each time, starting
// over, must not be tried for ever. One per download, on its thread.
class DownloadRetries final
{
public:
    struct Policy
    {
        int attempts = 5;
        std::chrono::milliseconds firstDelay{1000}; // doubled at each attempt
        // A request that moves no byte for this long has failed.
        std::chrono::milliseconds transferTimeout{30'000};
    };

    DownloadRetries(YoutubeDownloader &item, Policy policy) : m_item(item), m_policy(policy) {}

    const Policy &policy() const { return m_policy; }
    // A failure with the download at `progress`: a retry is set for later,
    // or after the last attempt the item pauses with the reason.
    void failed(const QString &reason, qint64 progress);
    // The download got to `progress`; a retry's note goes.
    void progressed(qint64 progress);
    // While a retry is due later: waits a little (briefly, so that a pause
    // or a removal is seen) and says true.
    bool waitForRetry();
    // Paused meanwhile: no retry is coming, so the row must not promise one.
    // A note the download paused with stays.
    void paused();
    // A whole download that could not be put in place, for `reason`: its
    // data is gone, so all progress counts again, and the item pauses from
    // downloaded with the reason for Resume to fetch it anew.
    void notPlaced(const QString &reason);
    // Pauses the download with `note`.
    void giveUp(const QString &note);
    // Runs `step` until it says the download is over or the thread is
    // cancelled. Trouble on this thread is this item's alone: an exception
    // pauses the download with the reason instead of ending the program.
    void runSteps(const WorkerThread &thread, const std::function<bool()> &step);

private:
    // A note for the row that a later success takes away.
    void showNote(const QString &note);

    YoutubeDownloader &m_item;
    const Policy m_policy;
    int m_failures = 0;
    qint64 m_failedAt = 0; // the most the download held at a failure
    std::optional<QDeadlineTimer> m_retryAt;
    bool m_noteShown = false;
};
