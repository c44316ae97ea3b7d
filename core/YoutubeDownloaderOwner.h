#pragma once

#include "OutputNames.h"

#include <QList>
#include <QStringList>

#include <memory>

class YoutubeDownloader;

// The download list and its table, as an item sees them, called from any
// thread (an implementation hands them to the GUI thread). The owner
// outlives the worker threads of its items, or is reached weakly.
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
    // A thread of the item's has ended and can be joined; the item may be
    // gone from the list, and is not held.
    virtual void downloaderWorkEnded(const std::weak_ptr<YoutubeDownloader> &) {}
};
