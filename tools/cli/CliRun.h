#pragma once

#include "DownloadList.h"
#include "YoutubeStatus.h"

#include <QHash>
#include <QStringList>
#include <QTextStream>

class YoutubeDownloader;
class YoutubeProgramPreferences;

// One run of the command line: puts the links in a download list, downloads
// every item that becomes ready, and reports each status change as a line
// (or a JSON object per line). Ends when every item has reached a status it
// cannot leave by itself.
class CliRun final
{
public:
    CliRun(YoutubeProgramPreferences &preferences, bool json, QTextStream &out);

    // The exit code: 0 when every link was finished, 1 otherwise, 2 when there
    // was no link at all.
    int run(const QStringList &texts);
    // Stops every item in an orderly way (on an interrupt).
    void stop();

private:
    void handle(const DownloadList::Item &item, YoutubeStatus status);
    // A status line, or a line about the item's place in the queue.
    enum class Queue { None, Waits, TurnCame };
    void print(const YoutubeDownloader &item, YoutubeStatus status, Queue queue = Queue::None);
    bool allSettled() const;
    static bool isSettled(YoutubeStatus status);

    const bool m_json;
    QTextStream &m_out;
    DownloadList m_list;
    QHash<const YoutubeDownloader *, YoutubeStatus> m_reported;
    bool m_stopped = false;
};
