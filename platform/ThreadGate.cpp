#include "ThreadGate.h"

#include "WorkerThread.h"

#include <algorithm>

ThreadGate::ThreadGate(int capacity)
    : m_free(capacity)
{
}

void ThreadGate::admit(WorkerThread &thread)
{
    std::lock_guard lock(m_mutex);
    m_waiting.push_back(&thread);
    launchWaiting();
}

void ThreadGate::leave()
{
    std::lock_guard lock(m_mutex);
    if (m_forfeited > 0) {
        --m_forfeited;
        return;
    }
    ++m_free;
    m_placeFreed.notify_all();
    launchWaiting();
}

void ThreadGate::stepAside()
{
    leave();
}

void ThreadGate::stepBack(const WorkerThread &thread)
{
    std::unique_lock lock(m_mutex);
    ++m_steppingBack;
    m_placeFreed.wait(lock, [&] { return m_free > 0 || thread.isCancelled(); });
    --m_steppingBack;
    if (m_free > 0)
        --m_free;
    else
        ++m_forfeited;
    launchWaiting();
}

// Threads stepping back go first: they hold their work half done.
void ThreadGate::launchWaiting()
{
    while (m_free > 0 && m_steppingBack == 0 && !m_waiting.empty()) {
        --m_free;
        WorkerThread *next = m_waiting.front();
        m_waiting.pop_front();
        next->launch();
    }
}

bool ThreadGate::withdraw(WorkerThread &thread)
{
    std::lock_guard lock(m_mutex);
    // A cancelled thread stepping back stops waiting.
    m_placeFreed.notify_all();
    const auto found = std::find(m_waiting.begin(), m_waiting.end(), &thread);
    if (found == m_waiting.end())
        return false;
    m_waiting.erase(found);
    return true;
}
