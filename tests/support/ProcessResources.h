#pragma once

#include <QDir>
#include <QFile>
#include <QThread>

#include <string_view>

#include <unistd.h>

// What this process holds, as the kernel counts it.
namespace ProcessResources {


// Open files, sockets and pipes included; or sockets alone.
inline int openFiles(bool socketsOnly = false)
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    int count = 0;
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[64] = {};
        const ssize_t length = readlink(QFile::encodeName(fds.filePath(fd)).constData(), target, sizeof target - 1);
        count += !socketsOnly || (length > 0 && std::string_view(target).starts_with("socket:"));
    }
    return count;
}

// A count once what is closing on other threads has gone: the same twice in
// a row, 100 ms apart.
template <typename Count>
int settled(Count count)
{
    int last = -1;
    for (int now = count(); now != last; now = count()) {
        last = now;
        QThread::msleep(100);
    }
    return last;
}

// The number on a "VmRSS:"-like line of /proc/self/status (kilobytes there).
inline qint64 statusValue(QByteArrayView field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// From the status line, not by listing the threads: a listing of a
// thousand costs more than the idle process it measures.
inline int threads()
{
    return int(statusValue("Threads:"));
}

inline qint64 residentKilobytes()
{
    return statusValue("VmRSS:");
}

inline qint64 peakResidentKilobytes()
{
    return statusValue("VmHWM:");
}

} // namespace ProcessResources
