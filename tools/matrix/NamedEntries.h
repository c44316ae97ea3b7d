#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>

// The rows and columns of the matrix programs are looked up by name, on their
// command lines and in the cell names they hand their own processes.
namespace NamedEntries {

// The entries whose names begin with one of `prefixes`; every entry when empty.
template<typename Entry>
QList<Entry> matching(const QList<Entry> &entries, const QStringList &prefixes)
{
    QList<Entry> found;
    for (const Entry &entry : entries) {
        const bool wanted = prefixes.isEmpty() || std::any_of(prefixes.cbegin(), prefixes.cend(), [&entry](const QString &prefix) {
            return entry.name.startsWith(prefix, Qt::CaseInsensitive);
        });
        if (wanted)
            found.append(entry);
    }
    return found;
}

template<typename Entry>
const Entry *find(const QList<Entry> &entries, const QString &name)
{
    const auto found = std::find_if(entries.cbegin(), entries.cend(), [&name](const Entry &entry) { return entry.name == name; });
    return found == entries.cend() ? nullptr : &*found;
}

} // namespace NamedEntries
