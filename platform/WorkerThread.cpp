#include "WorkerThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

#include <pthread.h>

WorkerThread::WorkerThread(QString name, Body body, std::function<void()> willExit)
    : m_name(std::move(name)), m_body(std::move(body)), m_willExit(std::move(willExit))
{
}

WorkerThread::~WorkerThread()
{
    if (!m_thread.joinable())
        return;
    if (isCurrentThread()) {
        m_thread.detach();
        return;
    }
    cancel();
    m_thread.join();
}

void WorkerThread::start()
{
    std::lock_guard lock(m_mutex);
    if (!std::exchange(m_started, true))
        m_thread = std::thread([this] { run(); });
}

void WorkerThread::run()
{
    pthread_setname_np(pthread_self(), m_name.left(15).toUtf8().constData());
    // The body may hold the last reference to the object that owns this
    // thread: it is released only after the last use of `this`.
    Body body = std::move(m_body);
    std::function<void()> willExit = std::move(m_willExit);
    const std::function<void()> ended = std::move(m_ended);
    {
        // Gives this thread an event dispatcher for the body's timers and
        // network replies.
        QEventLoop loop;
        body(*this);
        if (willExit)
            willExit();
        // Objects the body handed to deleteLater() must go with the thread.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    markFinished();
    if (ended)
        ended();
    body = nullptr;
    willExit = nullptr;
}

void WorkerThread::markFinished()
{
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_endedSignal.notify_all();
}

bool WorkerThread::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_started && !m_finished;
}

bool WorkerThread::isCurrentThread() const
{
    return m_thread.get_id() == std::this_thread::get_id();
}

bool WorkerThread::wait(std::chrono::milliseconds timeout)
{
    if (isCurrentThread())
        return false; // a thread cannot outwait itself
    std::unique_lock lock(m_mutex);
    if (!m_started)
        return true;
    if (!m_endedSignal.wait_for(lock, timeout, [this] { return m_finished; }))
        return false;
    lock.unlock();
    if (m_thread.joinable())
        m_thread.join();
    return true;
}
