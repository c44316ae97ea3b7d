#include "ListWriter.h"

#include "AtomicFile.h"

#include <pthread.h>

ListWriter::ListWriter(QString path, Report report)
    : m_path(std::move(path)), m_report(std::move(report)), m_thread([this] { serve(); })
{
}

ListWriter::~ListWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ListWriter::save(QList<KeptListFile::Item> items)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(items);
    }
    m_wake.notify_all();
}

bool ListWriter::flush()
{
    std::unique_lock lock(m_mutex);
    m_written.wait(lock, [this] { return !m_pending && !m_writing; });
    return !m_lastWriteFailed;
}

void ListWriter::serve()
{
    pthread_setname_np(pthread_self(), "list writer");
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_pending || m_stopping; });
        if (!m_pending)
            return;
        const QList<KeptListFile::Item> items = *std::exchange(m_pending, std::nullopt);
        m_writing = true;
        lock.unlock();
        AtomicFile file(m_path);
        const bool written = file.open() && file.write(contents(items)) && file.file().flush()
            && file.commit(AtomicFile::Replace::Always);
        if (m_report)
            m_report(written, written ? QString() : file.errorString());
        lock.lock();
        m_writing = false;
        m_lastWriteFailed = !written;
        m_written.notify_all();
    }
}

// Most saves change one item, or the bytes of a few: serialising only those
// keeps a long list cheap to save every second.
QByteArray ListWriter::contents(const QList<KeptListFile::Item> &items)
{
    QHash<QString, Line> lines;
    lines.reserve(items.size());
    QByteArray bytes = KeptListFile::header(items.size());
    for (const KeptListFile::Item &item : items) {
        const auto known = m_lines.constFind(item.link);
        const QByteArray line = known != m_lines.cend() && known->item == item ? known->bytes : KeptListFile::line(item);
        bytes += line;
        lines.insert(item.link, {item, line});
    }
    m_lines = std::move(lines);
    return bytes;
}
