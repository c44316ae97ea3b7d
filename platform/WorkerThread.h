#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class ThreadGate;

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

    // With a gate, the thread starts when the gate lets it; until then it is
    // counted as running. Set before start().
    void setGate(ThreadGate *gate) { m_gate = gate; }
    void start();
    // A thread still waiting at its gate ends here, without running.
    void cancel();
    bool isCancelled() const { return m_cancelled; }
    bool isRunning() const;
    bool isCurrentThread() const;
    // True when the thread has ended (or never started) within the time.
    bool wait(std::chrono::milliseconds timeout);

private:
    friend class ThreadGate;
    void launch();
    void run();
    void markFinished();

    QString m_name;
    Body m_body;
    std::function<void()> m_willExit;
    ThreadGate *m_gate = nullptr;
    std::atomic<bool> m_cancelled = false;

    mutable std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_started = false;
    bool m_finished = false;
    std::thread m_thread;
};
