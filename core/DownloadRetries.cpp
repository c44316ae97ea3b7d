#include "DownloadRetries.h"

#include "EventLoopStep.h"
#include "StringUtils.h"
#include "WorkerThread.h"
#include "YoutubeDownloader.h"

#include <algorithm>
#include <exception>

namespace {

constexpr qint64 PollIntervalMs = 100;

} // namespace

void DownloadRetries::failed(const QString &reason, qint64 progress)
{
    m_failedAt = std::max(m_failedAt, progress);
    if (++m_failures > m_policy.attempts) {
        giveUp(StringUtils::langStr(301).arg(reason));
        return;
    }
    const auto delay = m_policy.firstDelay * (1 << (m_failures - 1));
    m_retryAt = QDeadlineTimer(delay);
    showNote(StringUtils::langStr(300)
                 .arg(reason)
                 .arg(std::chrono::duration<double>(delay).count(), 0, 'f', 0)
                 .arg(m_failures)
                 .arg(m_policy.attempts));
}

void DownloadRetries::progressed(qint64 progress)
{
    if (progress > m_failedAt)
        m_failures = 0;
    if (m_noteShown) {
        m_noteShown = false;
        m_item.setStatusNote({});
    }
}

bool DownloadRetries::waitForRetry()
{
    if (!m_retryAt || m_retryAt->hasExpired())
        return false;
    EventLoopStep::run(int(std::min(PollIntervalMs, m_retryAt->remainingTime())));
    return true;
}

void DownloadRetries::paused()
{
    if (m_failures > 0) {
        m_noteShown = false;
        m_item.setStatusNote({});
    }
    m_retryAt.reset();
    m_failures = 0;
}

void DownloadRetries::showNote(const QString &note)
{
    m_noteShown = true;
    m_item.setStatusNote(note);
}

void DownloadRetries::notPlaced(const QString &reason)
{
    m_failedAt = 0;
    showNote(StringUtils::langStr(302).arg(reason));
    m_item.changeYoutubeStatus(StatusDownloaded, StatusDownloadPaused);
}

void DownloadRetries::giveUp(const QString &note)
{
    m_failures = 0;
    m_retryAt.reset();
    showNote(note);
    m_item.changeYoutubeStatus(StatusDownloading, StatusDownloadPaused);
}

void DownloadRetries::runSteps(const WorkerThread &thread, const std::function<bool()> &step)
{
    try {
        while (!thread.isCancelled() && step()) {
        }
    } catch (const std::exception &error) {
        giveUp(StringUtils::langStr(301).arg(QString::fromLocal8Bit(error.what())));
    }
}
