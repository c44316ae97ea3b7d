#pragma once

#include "FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <optional>

#include <sys/statvfs.h>
#include <unistd.h>

// A folder on a small file system of its own, to be made read-only or filled
// up for real: a tmpfs, where this process may mount one. Elsewhere the
// folder's mode and the file size limit bring about the same failures.
class ConfinedFolder
{
public:
    explicit ConfinedFolder(QString path)
        : m_path(std::move(path)),
          m_mounted(run({QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=8m"), QStringLiteral("vantrel-test"), m_path}))
    {
    }
    ~ConfinedFolder()
    {
        setReadOnly(false);
        fill(-1);
        if (m_mounted)
            run({QStringLiteral("umount"), QStringLiteral("--lazy"), m_path}); // a failed test's item may hold a file
    }
    ConfinedFolder(const ConfinedFolder &) = delete;
    ConfinedFolder &operator=(const ConfinedFolder &) = delete;

    // Without a mount of its own, root writes through any folder mode.
    bool canBeReadOnly() const { return m_mounted || geteuid() != 0; }

    void setReadOnly(bool readOnly)
    {
        if (m_mounted)
            run({QStringLiteral("mount"), QStringLiteral("-o"), readOnly ? QStringLiteral("remount,ro") : QStringLiteral("remount,rw"), m_path});
        else
            QFile::setPermissions(m_path, readOnly ? QFile::ReadOwner | QFile::ExeOwner
                                                   : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Leaves `bytes` free (-1: all the room there is).
    void fill(qint64 bytes)
    {
        m_limit.reset();
        QFile filler(QDir(m_path).filePath(FillerName));
        filler.remove();
        if (bytes < 0)
            return;
        if (!m_mounted) {
            m_limit.emplace(rlim_t(bytes));
            return;
        }
        struct statvfs room{};
        statvfs(QFile::encodeName(m_path).constData(), &room);
        filler.open(QIODevice::WriteOnly);
        filler.write(QByteArray(qint64(room.f_bavail * room.f_frsize) - bytes, '\0'));
    }

    // What the system says to a write refused by each.
    QString readOnlyReason() const
    {
        return m_mounted ? QStringLiteral("Read-only file system") : QStringLiteral("Permission denied");
    }
    QString fullReason() const { return m_mounted ? QStringLiteral("No space left on device") : QStringLiteral("File too large"); }

private:
    static bool run(const QStringList &command)
    {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(command.first(), command.mid(1));
        return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    static constexpr QLatin1StringView FillerName{".filler"};

    QString m_path;
    bool m_mounted;
    std::optional<FileSizeLimit> m_limit;
};
