#pragma once

#include "KeptListFile.h"

#include <QHash>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Writes the saved list on a thread of its own, so that a slow disk never
// holds up the window: each save replaces the file in one step, and saves
// asked for while one is written collapse into the newest.
class ListWriter final
{
public:
    // Told on the writer's thread after each write whether it reached the
    // disk, and why not when it did not.
    using Report = std::function<void(bool written, const QString &reason)>;

    explicit ListWriter(QString path, Report report = {});
    // Writes what is still waiting, then stops.
    ~ListWriter();
    ListWriter(const ListWriter &) = delete;
    ListWriter &operator=(const ListWriter &) = delete;

    // Any thread.
    void save(QList<KeptListFile::Item> items);
    // Blocks until everything asked for so far is on disk; false when the
    // last write failed.
    bool flush();

private:
    void serve();
    // The file's bytes; an item unchanged since the last save keeps its line.
    QByteArray contents(const QList<KeptListFile::Item> &items);

    const QString m_path;
    const Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_written;
    std::optional<QList<KeptListFile::Item>> m_pending;
    bool m_writing = false;
    bool m_lastWriteFailed = false;
    bool m_stopping = false;
    // The writer thread's own.
    struct Line
    {
        KeptListFile::Item item;
        QByteArray bytes;
    };
    QHash<QString, Line> m_lines;
    std::thread m_thread;
};
