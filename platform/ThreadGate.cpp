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
    if (m_free == 0) {
        m_waiting.push_back(&thread);
        return;
    }
    --m_free;
    thread.launch();
}

void ThreadGate::leave()
{
    std::lock_guard lock(m_mutex);
    if (m_waiting.empty()) {
        ++m_free;
        return;
    }
    WorkerThread *next = m_waiting.front();
    m_waiting.pop_front();
    next->launch();
}

bool ThreadGate::withdraw(WorkerThread &thread)
{
    std::lock_guard lock(m_mutex);
    const auto found = std::find(m_waiting.begin(), m_waiting.end(), &thread);
    if (found == m_waiting.end())
        return false;
    m_waiting.erase(found);
    return true;
}
