#pragma once

#include <QString>

// Reads what the program needs from the text of a watch page. Plain text
// searches, no markup parser: each value lies between a start marker and the
// first end marker after it.
class WatchPage final
{
public:
    WatchPage() = delete;

    // The first line of the title element, entities decoded, "/" and "\"
    // turned into "-" since the title names files, control characters as "_".
    static QString parseYoutubeTitleFromMainContent(const QString &page);
    // The player configuration block, percent-decoded.
    static QString parseYoutubeObjectFromMainContent(const QString &page);
    // Seconds after "length_seconds": ; 0 when missing. Saturates.
    static qint32 parseYoutubeVideoDurationFromObjectContent(const QString &configuration);
    // The description as plain text.
    static QString parseYoutubeDescriptionFromObjectContent(const QString &page);

    static QString coverURL(const QString &code);
    static QString highQualityCoverURL(const QString &coverURL);
};
