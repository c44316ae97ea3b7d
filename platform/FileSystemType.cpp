#include "FileSystemType.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/vfs.h>

namespace {

constexpr qint64 FatMagic = 0x4d44;
constexpr qint64 ExFatMagic = 0x2011BAB0;
constexpr qint64 NtfsMagic = 0x5346544e;
// The kernel's own NTFS driver of today.
constexpr qint64 Ntfs3Magic = 0x7366746e;
// ntfs-3g, the usual way NTFS is mounted, shows only as FUSE. So do other
// FUSE mounts, and most of them (a phone, a share, a cloud drive) refuse
// the same characters: where it is unsure, a "_" costs less than a file
// that cannot be written.
constexpr qint64 FuseMagic = 0x65735546;

} // namespace

FileSystemType FileSystemType::ofFolder(const QString &folder)
{
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    struct statfs info = {};
    while (::statfs(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno != ENOENT)
            return FileSystemType();
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return FileSystemType();
        path = parent;
    }
    return FileSystemType(qint64(info.f_type));
}

bool FileSystemType::refusesReservedCharacters() const
{
    return m_magic == FatMagic || m_magic == ExFatMagic || m_magic == NtfsMagic || m_magic == Ntfs3Magic
        || m_magic == FuseMagic;
}
