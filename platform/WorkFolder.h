#pragma once

#include <QString>

#include <utility>

// A folder for the files another program makes on its way to one of ours
// (yt-dlp's parts, fragments and state), so that none of them lies about
// under a name of its choosing. It stands beside the target and is named
// as AtomicFile names its temporary files, so that one a crash left is told
// for ours by its name alone. While a WorkFolder holds it, it is locked, as
// AtomicFile locks its file: another process sees it in use.
class WorkFolder final
{
public:
    explicit WorkFolder(QString targetPath) : m_targetPath(std::move(targetPath)) {}
    // Removes the folder with what is in it, unless it was kept.
    ~WorkFolder();
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    // Creates a fresh folder (and the one it goes in, if need be); false,
    // with the reason in errorString(), when it cannot.
    bool create();
    // Takes up a folder an earlier run left: only one named as this
    // target's own, beside it, and not in use.
    bool adopt(const QString &path);
    bool isOpen() const { return m_lock >= 0; }
    QString path() const { return m_path; }
    QString targetPath() const { return m_targetPath; }
    // Where the program is to write the target's file.
    QString filePath() const;
    // Lets go of the folder without removing it, for a later run to adopt.
    void keep();
    void remove();
    QString errorString() const { return m_error; }

    // Removes a work folder a run left, unless a process still works in it:
    // the files in it, then the folder itself, which a folder inside keeps
    // (none of ours has one). False when it is still there.
    static bool removeLeftover(const QString &path);

private:
    bool lock(const QString &path);

    QString m_targetPath;
    QString m_path;
    int m_lock = -1;
    QString m_error;
};
