#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// A thread with its own Qt event loop, so that timers and network replies
// created on it are served there. Cancellation is a flag the body polls; the
// owner can wait for the end with a time limit. The body runs first, then
// the will-exit hook, both on the thread itself.
class WorkerThread final
{
public:
    using Body = std::function<void(WorkerThread &)>;

    WorkerThread(QString name, Body body, std::function<void()> willExit = {});
    // Cancels and waits for the thread, unless called on the thread itself
    // (its last owner may be its own body), in which case it lets it finish.
    ~WorkerThread();
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    // Called on the thread once it counts as ended, so that whoever hears
    // of it can join it at once. Set before start().
    void setEnded(std::function<void()> ended) { m_ended = std::move(ended); }
    void start();
    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }
    bool isRunning() const;
    bool isCurrentThread() const;
    // True when the thread has ended (or never started) within the time.
    bool wait(std::chrono::milliseconds timeout);

private:
    void run();
    void markFinished();

    QString m_name;
    Body m_body;
    std::function<void()> m_willExit;
    std::function<void()> m_ended;
    std::atomic<bool> m_cancelled = false;

    mutable std::mutex m_mutex;
    std::condition_variable m_endedSignal;
    bool m_started = false;
    bool m_finished = false;
    std::thread m_thread;
};
