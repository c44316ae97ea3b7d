#include "StateFolder.h"

#include "DownloadList.h"
#include "LeftoverFiles.h"
#include "OutputFileName.h"
#include "SourceLinks.h"
#include "YoutubeProgramPreferences.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

QString StateFolder::standardFolder()
{
    // Qt 6.4 has no StateLocation: the XDG rule, by hand.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + u"/.local/state"_s;
    return base + u"/vantrel"_s;
}

StateFolder::StateFolder(const QString &folder)
    : m_folder(folder), m_lock(folder + u"/list.lock"_s)
{
    // A lock whose program is gone (a crash) is taken over.
    m_keeps = QDir().mkpath(folder) && m_lock.tryLock(0);
}

QString StateFolder::listPath() const
{
    return m_folder + u"/list.json"_s;
}

StateFolder::Reading StateFolder::read() const
{
    Reading reading;
    QFile file(listPath());
    if (!file.exists())
        return reading;
    const bool opened = file.open(QIODevice::ReadOnly);
    const KeptListFile::Contents contents = KeptListFile::read(opened ? file.readAll() : QByteArray());
    reading.items = contents.items;
    if (opened && file.error() == QFileDevice::NoError && !contents.damaged)
        return reading;
    file.close();
    const QString aside = listPath() + u".damaged-"_s
        + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    reading.damagedKeptAs = QFile::rename(listPath(), aside) ? aside : listPath();
    return reading;
}

QString StateFolder::takeUp(DownloadList &list, const YoutubeProgramPreferences &preferences) const
{
    const Reading reading = read();
    const bool restoring = preferences.restoreListAtStart();
    // Lines that could not be read may claim partial files: none goes.
    if (reading.damagedKeptAs.isEmpty())
        removeLeftovers(reading.items, restoring, preferences.savedFolderPath());
    LeftoverFiles::sweep(m_folder, {u"list.json"_s}, {});
    if (restoring)
        list.restore(reading.items);
    list.saveTo(listPath());
    return reading.damagedKeptAs;
}

// Before anything downloads: every temporary file of our kind found now is
// from a run that ended.
void StateFolder::removeLeftovers(const QList<KeptListFile::Item> &items, bool claimed, const QString &defaultFolder) const
{
    QSet<QString> folders{OutputFileName::expandedFolder(defaultFolder)};
    QSet<QString> partialFiles;
    for (const KeptListFile::Item &item : items) {
        folders.insert(OutputFileName::expandedFolder(item.folder.isEmpty() ? defaultFolder : item.folder));
        if (!item.partialFile.isEmpty()) {
            // A download stays in the folder it began in.
            folders.insert(QFileInfo(item.partialFile).absolutePath());
            if (claimed)
                partialFiles.insert(item.partialFile);
        }
    }
    // Any stream's file may be on its way, whatever its kind.
    QStringList finalNames;
    for (const QString &extension : SourceLinks::fileExtensions())
        finalNames.append(u'*' + extension);
    for (const QString &folder : std::as_const(folders))
        LeftoverFiles::sweep(folder, finalNames, partialFiles);
}
