#include "ListSaver.h"

#include "AtomicFile.h"

#include <pthread.h>

ListSaver::ListSaver(QString path)
    : m_path(std::move(path)), m_thread([this] { serve(); })
{
}

ListSaver::~ListSaver()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ListSaver::save(QList<SavedList::Item> items)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(items);
    }
    m_wake.notify_all();
}

bool ListSaver::flush()
{
    std::unique_lock lock(m_mutex);
    m_written.wait(lock, [this] { return !m_pending && !m_writing; });
    return !m_lastWriteFailed;
}

void ListSaver::serve()
{
    pthread_setname_np(pthread_self(), "list saver");
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_pending || m_stopping; });
        if (!m_pending)
            return;
        const QList<SavedList::Item> items = *std::exchange(m_pending, std::nullopt);
        m_writing = true;
        lock.unlock();
        AtomicFile file(m_path);
        const bool written = file.open() && file.write(SavedList::write(items)) && file.file().flush() && file.commit();
        lock.lock();
        m_writing = false;
        m_lastWriteFailed = !written;
        m_written.notify_all();
    }
}
