#include "LeftoverFiles.h"

#include "AtomicFile.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

bool isFinalName(QStringView name, QStringView finalName)
{
    if (!finalName.startsWith(u'*'))
        return name == finalName;
    const QStringView ending = finalName.sliced(1);
    return name.size() > ending.size() && name.endsWith(ending);
}

// Paths compared as the file system resolves them, so a claim spelled through
// a linked folder, "//" or "/./" still protects its file.
QSet<QString> resolvedClaims(const QSet<QString> &claimed, const QStringList &finalNames)
{
    QSet<QString> resolved;
    for (const QString &path : claimed) {
        if (LeftoverFiles::isTemporaryName(QFileInfo(path).fileName(), finalNames))
            resolved.insert(QFileInfo(path).canonicalFilePath());
    }
    return resolved;
}

} // namespace

bool LeftoverFiles::isTemporaryName(const QString &fileName, const QStringList &finalNames)
{
    const QStringView name = AtomicFile::targetNameOf(fileName);
    return !name.isEmpty() && std::any_of(finalNames.cbegin(), finalNames.cend(), [name](const QString &finalName) {
        return isFinalName(name, finalName);
    });
}

QStringList LeftoverFiles::sweep(const QString &folder, const QStringList &finalNames, const QSet<QString> &claimed)
{
    // QDir would take an empty path for the current folder: a location that
    // could not be found must not become whatever folder we were started in.
    if (folder.isEmpty())
        return {};
    // The name filters keep the listing from looking further at files that
    // cannot match; the exact check follows.
    QStringList filters;
    for (const QString &finalName : finalNames)
        filters.append(finalName + AtomicFile::TemporaryMark.toString() + QString(AtomicFile::RandomSuffixLength, u'?'));
    const QDir dir(folder);
    const QStringList candidates = dir.entryList(
        filters, QDir::Files | QDir::Dirs | QDir::NoSymLinks | QDir::Hidden | QDir::CaseSensitive, QDir::Unsorted);
    if (candidates.isEmpty())
        return {};

    const QSet<QString> kept = resolvedClaims(claimed, finalNames);
    const QString resolvedFolder = QFileInfo(folder).canonicalFilePath();
    QStringList removed;
    for (const QString &name : candidates) {
        if (!isTemporaryName(name, finalNames) || kept.contains(QDir::cleanPath(resolvedFolder + u'/' + name)))
            continue;
        const QString path = QDir::cleanPath(dir.absoluteFilePath(name));
        // Still written by a program that runs (vantrel-cli, say): not left over.
        const bool gone = QFileInfo(path).isDir() ? WorkFolder::removeLeftover(path)
                                                  : !AtomicFile::isInUse(path) && QFile::remove(path);
        if (gone)
            removed.append(path);
    }
    return removed;
}
