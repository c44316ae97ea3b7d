#pragma once

#include <QString>

// The kind of file system a folder lies on, as statfs tells it: enough to
// know whether it takes every name Linux allows.
class FileSystemType final
{
public:
    // statfs's f_type; 0 for one that could not be read.
    explicit FileSystemType(qint64 magic = 0) : m_magic(magic) {}
    // The file system of `folder`, or of the nearest folder above it that
    // exists: one not made yet is made there. It may block as long as the
    // disk does: call it off the GUI thread.
    static FileSystemType ofFolder(const QString &folder);

    // FAT and exFAT (a USB stick, a memory card) and NTFS refuse the
    // characters Windows reserves; a name holding one cannot be written.
    bool refusesReservedCharacters() const;

    qint64 magic() const { return m_magic; }

private:
    qint64 m_magic;
};
