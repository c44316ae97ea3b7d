#pragma once

#include <QFile>
#include <QString>

// A file put in place in one step: written under a temporary name in the
// target's folder (so the rename stays on one file system), flushed to disk,
// then renamed to the target and the folder flushed too. A crash, a power cut,
// a full disk or a failure at any point leaves the target as it was: either
// the old file or the whole new one.
class AtomicFile final
{
public:
    explicit AtomicFile(QString targetPath);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the folder if need be, and the temporary file, open for writing
    // without a buffer: what was written is in the file.
    bool open();
    // Takes up a temporary file an earlier run left, to write on at its end:
    // only one named as this target's own, beside it. False, with nothing
    // taken up, for any other file or one that cannot be opened.
    bool adopt(const QString &temporaryPath);
    static bool isTemporaryOf(const QString &targetPath, const QString &path);
    // Takes up a whole file that another program wrote under the target's
    // name into a work folder of the target's (see WorkFolder), to be
    // committed from there as if written here. False for any other file.
    bool adoptFinished(const QString &path);
    // A fresh temporary name for `targetPath`, beside it.
    static QString temporaryPathOf(const QString &targetPath);
    // The name of the file a temporary file of this name was to become;
    // empty when the name is no temporary file's.
    static QStringView targetNameOf(QStringView temporaryName);
    QFile &file() { return m_file; }
    // The temporary file is named after the target, this mark and as many
    // random characters from [A-Za-z0-9]: a name nobody else gives a file,
    // so that one a crash left can be told for ours.
    static constexpr QStringView TemporaryMark = u".vantrel-";
    static constexpr int RandomSuffixLength = 6;
    // Another process, alive, holds the temporary file open (each holds a
    // lock on its own while it writes; the lock goes with the process).
    static bool isInUse(const QString &temporaryPath);
    // Writes all of `data`; false, with the reason in errorString(), when the
    // file system takes less.
    bool write(QByteArrayView data);
    // Appends the whole content of another file, copied inside the kernel
    // where it can be (no trip through our memory), in chunks otherwise.
    bool appendCopyOf(const QString &path);
    QString temporaryPath() const { return m_file.fileName(); }
    // Cuts the temporary file back to `size` bytes and writes on from there,
    // a failed write forgotten.
    bool truncate(qint64 size);

    // Closes the temporary file and flushes it to disk, so that a commit
    // after it only renames. False, with the reason, when the file or the
    // disk failed.
    bool sync();

    enum class Replace { Always, Never };
    // Moves the temporary file into place. With Never a file standing under
    // the target's name is left alone: the commit fails, targetTaken() says
    // so, and the temporary file stays, to be committed under another name.
    // Any other failure drops the temporary file.
    bool commit(Replace replace);
    bool targetTaken() const { return m_targetTaken; }
    QString targetPath() const { return m_targetPath; }
    // Another name in the same folder, for a target found taken.
    void setTargetName(const QString &fileName);
    void discard();
    // Lets go of the temporary file without removing it, for a later run
    // to adopt.
    void keep();

    // Why the last step failed, the temporary file's own error included.
    QString errorString() const { return m_error.isEmpty() ? m_file.errorString() : m_error; }

private:
    QString m_targetPath;
    QFile m_file;
    QString m_error;
    bool m_pending = false;
    bool m_targetTaken = false;
    bool m_synced = false;
};
