#include "ListKeeper.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

QString ListKeeper::standardFolder()
{
    // Qt 6.4 has no StateLocation: the XDG rule, by hand.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + u"/.local/state"_s;
    return base + u"/vantrel"_s;
}

ListKeeper::ListKeeper(const QString &folder)
    : m_folder(folder), m_lock(folder + u"/list.lock"_s)
{
    // A lock whose program is gone (a crash) is taken over.
    m_keeps = QDir().mkpath(folder) && m_lock.tryLock(0);
}

QString ListKeeper::listPath() const
{
    return m_folder + u"/list.json"_s;
}

ListKeeper::Reading ListKeeper::read() const
{
    Reading reading;
    QFile file(listPath());
    if (!file.exists())
        return reading;
    const bool opened = file.open(QIODevice::ReadOnly);
    const SavedList::Contents contents = SavedList::read(opened ? file.readAll() : QByteArray());
    reading.items = contents.items;
    if (opened && file.error() == QFileDevice::NoError && !contents.damaged)
        return reading;
    file.close();
    const QString aside = listPath() + u".damaged-"_s
        + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    reading.damagedKeptAs = QFile::rename(listPath(), aside) ? aside : listPath();
    return reading;
}
