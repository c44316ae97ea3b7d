#pragma once

#include "FileSystemType.h"

#include <QString>

// Names of the files an item writes, made safe for the file system only
// where they must be: control characters are replaced, direction overrides
// dropped, and a name too long for the file system is cut at a character
// boundary. On a file system that refuses the characters Windows reserves,
// those are replaced too. Everything else of the title stays, so the file
// is recognisable.
class OutputFileName final
{
public:
    OutputFileName() = delete;

    // Room left in a name for the suffix of a temporary file beside it.
    static constexpr int TemporarySuffixBytes = 16;
    static constexpr int MaxNameBytes = 255;
    // Every file an item writes ends in a media extension of at most four
    // letters (".webm", ".mp3").
    static constexpr int ExtensionBytes = 5;

    // The folder as a path ending in "/": a leading "~" expanded, empty
    // meaning the default output folder.
    static QString expandedFolder(const QString &folder);
    // The name, without extension, of an item's files: the title, and from
    // the second `number` on " (2)", " (3)", ...; cut so that any of the
    // item's extensions still fits the file system's limit. An extension
    // always follows, so dots and spaces at the end, which FAT refuses or
    // drops at the end of a file's name, stay.
    static QString baseName(const QString &title, int number = 1, FileSystemType fileSystem = FileSystemType());
    // The path with its last extension replaced ("Take 5.2.mp4" gives
    // "Take 5.2.mp3").
    static QString replaceExtension(const QString &path, const QString &extension);
};
