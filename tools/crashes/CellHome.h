#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The user a cell plays: a fresh home folder with the desktop's XDG folders
// under it, preferences written as a returning user's (MP3 output into a
// folder of the cell's, the video kept, tags written, links added only when
// pasted), and nothing of the real user's touched.
class CellHome final
{
public:
    CellHome();

    bool isValid() const { return m_home.isValid(); }
    QString outputFolder() const;
    QString listPath() const;
    QString stateFolder() const;
    // Where a run of the program writes what it prints.
    QString logPath(const QString &run) const;
    // Everything in the output folder, hidden files included.
    QStringList outputEntries() const;
    // The program's environment: this home, the sample site as the only
    // proxy, the X display given, English texts and no session bus.
    QProcessEnvironment environment(const QString &display, const QString &proxyUrl) const;
    // A saved list of `count` finished items, as a long-time user's program
    // would have left it.
    bool seedList(int count) const;

private:
    QString path(const QString &relative) const;
    bool writePreferences() const;

    QTemporaryDir m_home;
};
