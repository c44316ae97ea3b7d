#pragma once

#include <QHash>
#include <QString>

#include <mutex>

// The names the list's items write their files under, folder by folder: no
// two items share one, and none is given while a file of it (of any kind an
// item writes) stands on disk, so that an item never writes over a file it
// did not make. Names are the items' own until they leave, and suit the
// folder's file system. Any thread; a claim looks at the disk, so it is
// made off the GUI thread.
class OutputNames final
{
public:
    // The first of "Title", "Title (2)", "Title (3)", ... that no other owner
    // holds and no file on disk has, now held by `owner` in place of what it
    // held before.
    QString claim(const void *owner, const QString &folder, const QString &title);
    // Holds a name an earlier run gave `owner`, whatever is on disk: its
    // files are its own.
    void claimAgain(const void *owner, const QString &folder, const QString &baseName);
    void release(const void *owner);

    // The first such name free on disk alone, for an item without a list.
    static QString firstFreeOnDisk(const QString &folder, const QString &title);

private:
    static QString key(const QString &folder, const QString &baseName);
    // Under the lock.
    bool isHeldByAnother(const void *owner, const QString &key) const;
    void hold(const void *owner, const QString &key);

    std::mutex m_mutex;
    QHash<QString, const void *> m_owners; // by folder and name
    QHash<const void *, QString> m_names;  // by owner
};
