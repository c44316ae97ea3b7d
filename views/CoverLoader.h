#pragma once

#include <QImage>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class WorkerThread;

// Fetches and decodes cover pictures on a few threads of its own, never on
// the GUI thread, each within a time limit, so that a stalled picture host
// costs a placeholder and nothing else. Requests may come from any thread.
class CoverLoader final
{
public:
    // Called on a loader thread with the picture, null when none arrived.
    using Done = std::function<void(QImage)>;

    explicit CoverLoader(std::chrono::milliseconds timeLimit = std::chrono::seconds(20), int threads = 4);
    // Stops the transfers and waits for the threads.
    ~CoverLoader();
    CoverLoader(const CoverLoader &) = delete;
    CoverLoader &operator=(const CoverLoader &) = delete;

    void load(const QString &url, Done done);
    // Drops what is queued and cuts running transfers short; load() then
    // does nothing. Waits for the threads.
    void stop();

private:
    struct Job
    {
        QString url;
        Done done;
    };

    void serve(WorkerThread &thread);
    bool takeJob(Job &job);
    QImage fetch(const QString &url, WorkerThread &thread) const;

    const std::chrono::milliseconds m_timeLimit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::vector<std::unique_ptr<WorkerThread>> m_threads;
};
