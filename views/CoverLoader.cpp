#include "CoverLoader.h"

#include "HttpClient.h"
#include "MediaProbe.h"
#include "WorkerThread.h"

#include <QDeadlineTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

// Covers are small pictures; a larger body is not one.
constexpr qint64 MaxCoverBytes = 4 * 1024 * 1024;

} // namespace

CoverLoader::CoverLoader(std::chrono::milliseconds timeLimit, int threads)
    : m_timeLimit(timeLimit)
{
    for (int i = 0; i < threads; ++i) {
        m_threads.push_back(
            std::make_unique<WorkerThread>(u"cover"_s, [this](WorkerThread &thread) { serve(thread); }));
        m_threads.back()->start();
    }
}

CoverLoader::~CoverLoader()
{
    stop();
}

void CoverLoader::load(const QString &url, Done done)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_jobs.push_back({url, std::move(done)});
    }
    m_wake.notify_one();
}

void CoverLoader::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    for (const auto &thread : m_threads)
        thread->cancel();
    m_threads.clear();
}

void CoverLoader::serve(WorkerThread &thread)
{
    Job job;
    while (takeJob(job)) {
        QImage picture = fetch(job.url, thread);
        job.done(std::move(picture));
        job = {};
    }
}

bool CoverLoader::takeJob(Job &job)
{
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
    if (m_stopping)
        return false;
    job = std::move(m_jobs.front());
    m_jobs.pop_front();
    return true;
}

QImage CoverLoader::fetch(const QString &url, WorkerThread &thread) const
{
    // A file the user added brings its own picture.
    if (const QUrl address(url); address.isLocalFile())
        return QImage::fromData(MediaProbe::read(address.toLocalFile()).cover);
    const QDeadlineTimer deadline(m_timeLimit);
    HttpClient client([&thread, &deadline] { return thread.isCancelled() || deadline.hasExpired(); });
    const std::optional<QByteArray> bytes = client.fetch(QUrl(url), MaxCoverBytes);
    return bytes ? QImage::fromData(*bytes) : QImage();
}
