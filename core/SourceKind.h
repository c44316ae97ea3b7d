#pragma once

#include <QString>
#include <QStringView>

// Where an item's sound comes from; each kind has a reader of its own.
enum class SourceKind {
    WatchPage,  // the video site's own watch page, read by us
    PageReader, // any other page, read through yt-dlp
    DirectLink, // an address that answers with the media file itself
    LocalFile,  // a file the user already has
};

// Names the saved list stores; a list from before sources were kept names
// none, and means the watch page.
QString sourceKindName(SourceKind kind);
SourceKind sourceKindFromName(QStringView name);
