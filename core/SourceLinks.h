#pragma once

#include "SourceKind.h"

#include <QString>
#include <QStringList>

#include <optional>

// Which lines of a text are links Vantrel can take, and which reader each
// goes to first: the video site's watch pages of the old form to our own
// reader, its other links to yt-dlp, any other address to the direct link
// reader (which hands pages on to yt-dlp), absolute paths and file://
// addresses to the local file reader.
class SourceLinks final
{
public:
    // The link as the list keeps it (a file:// address becomes its path),
    // or nothing when no reader could take the line.
    static std::optional<QString> link(const QString &line);
    static SourceKind kindOf(const QString &link);
    // Every line that is a link, as link() gives it, in order.
    static QStringList linksFromText(const QString &text);
    // The lines, blank ones aside, that are no links.
    static qsizetype countOfLinesNotLinks(const QString &text);
    // Links of the video site itself, any scheme, short links included:
    // what copying may add without being asked.
    static QStringList videoSiteLinksFromText(const QString &text);
    // A file or address path whose extension names audio or video.
    static bool hasMediaExtension(const QString &path);
    // "m4a", "webm": an extension of ours for a media file, exactly.
    static bool isMediaExtension(const QString &extension);
    // An extension ("m4a") of files that hold sound alone.
    static bool namesSoundOnly(const QString &extension);
    // Every extension a downloaded or converted file may have, dot included.
    static QStringList fileExtensions();
};
