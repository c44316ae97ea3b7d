#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// Temporary files that a crash left beside the files they were to replace
// (see AtomicFile), and work folders of yt-dlp's (see WorkFolder), found by
// name and removed. Final names are given as the
// program writes them: "list.json" for one file, "*.mp4" for any file with at
// least one character before the ending. Matching is case-sensitive: the
// program writes its endings in lower case, so "Song.MP4.abcdef" is not ours.
class LeftoverFiles final
{
public:
    LeftoverFiles() = delete;

    // A final name followed by "." and AtomicFile's random suffix.
    static bool isTemporaryName(const QString &fileName, const QStringList &finalNames);
    // Removes the temporary files and work folders directly in `folder`
    // that no path in `claimed` names; returns the paths removed. Symbolic
    // links are left alone, whatever their names, and so is a folder with
    // one of its own inside; a folder that is missing or cannot be read is
    // skipped.
    static QStringList sweep(const QString &folder, const QStringList &finalNames, const QSet<QString> &claimed);
};
