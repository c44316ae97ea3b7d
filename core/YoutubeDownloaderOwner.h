#pragma once

#include "OutputNames.h"

#include <QList>
#include <QStringList>

class YoutubeDownloader;

// The download list and its table, as an item sees them. All but the last
// are called from any thread (an implementation hands them to the GUI thread);
// removeDownloaders() only from the thread that removes the items. The owner
// outlives the worker threads of its items.
class YoutubeDownloaderOwner
{
public:
    virtual ~YoutubeDownloaderOwner() = default;

    // The item's status changed: reload the table.
    virtual void downloaderStatusChanged(YoutubeDownloader &downloader) = 0;
    // The item's row needs drawing again (speed and remaining time).
    virtual void downloaderNeedsRedraw(YoutubeDownloader &downloader) = 0;
    // The item's files changed (a partial file came or went): a kept list
    // must know before the next crash could leave the file unclaimed.
    virtual void downloaderFilesChanged(YoutubeDownloader &) {}
    // The item's link is a playlist: its entries' links take its place, in
    // order.
    virtual void downloaderFoundEntries(YoutubeDownloader &, const QStringList & /*links*/) {}
    // The name the item's files get in `folder` (see OutputNames): free on
    // disk, and among the owner's items where it has several.
    virtual QString claimFileName(YoutubeDownloader &, const QString &folder, const QString &title)
    {
        return OutputNames::firstFreeOnDisk(folder, title);
    }
    // A name an earlier run gave the item stays its own.
    virtual void claimFileNameAgain(YoutubeDownloader &, const QString & /*folder*/, const QString & /*baseName*/) {}
    // The item's name is free again: it left while it claimed one.
    virtual void releaseFileName(YoutubeDownloader &) {}
    // Take the items out of the list, all at once: those removed together
    // come in one call.
    virtual void removeDownloaders(const QList<YoutubeDownloader *> &downloaders) = 0;
};
