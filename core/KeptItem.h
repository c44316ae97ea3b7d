#pragma once

#include "KeptListFile.h"

class YoutubeDownloader;

// How an item goes into the kept list and comes back from it. The list is a
// file anybody could edit: what it says is taken only as the item would
// have written it, and the files on disk tell how far the work got.
class KeptItem final
{
public:
    KeptItem() = delete;

    // The item as the kept list keeps it; a removed item as it was before.
    static KeptListFile::Item of(const YoutubeDownloader &item);
    // Fills a new item, not yet shared, from `saved` and the disk.
    static void restore(YoutubeDownloader &item, const KeptListFile::Item &saved);
};
