#pragma once

#include "KeptListFile.h"

#include <QLockFile>
#include <QString>

class DownloadList;
class YoutubeProgramPreferences;

// The folder where the download list is kept between runs. One running
// program at a time keeps it: a second one started meanwhile neither
// restores nor saves, and leaves the first one's files alone.
class StateFolder final
{
public:
    // The user's state folder for the program ($XDG_STATE_HOME/vantrel).
    static QString standardFolder();

    explicit StateFolder(const QString &folder);

    bool keepsList() const { return m_keeps; }
    QString listPath() const;

    struct Reading
    {
        QList<KeptListFile::Item> items;
        // Where a list that could not be read whole was moved; empty when
        // it was whole (or there was none).
        QString damagedKeptAs;
    };
    // The kept list, what can be read of it; a damaged file is moved aside,
    // so that it is reported once and the next save does not replace it.
    Reading read() const;

    // At start: brings the kept list back into `list` if the preferences
    // say so, removes temporary files no kept item claims, and from then on
    // keeps `list` here. Returns where a damaged list was moved, if it was.
    QString takeUp(DownloadList &list, const YoutubeProgramPreferences &preferences) const;

private:
    void removeLeftovers(const QList<KeptListFile::Item> &items, bool claimed, const QString &defaultFolder) const;

    QString m_folder;
    QLockFile m_lock;
    bool m_keeps = false;
};
