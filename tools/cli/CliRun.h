#pragma once

#include "ThreadHandOff.h"
#include "YoutubeDownloaderOwner.h"
#include "YoutubeStatus.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QTextStream>

#include <memory>

class YoutubeDownloader;
class YoutubeProgramPreferences;

// One run of the command line: adds the links as the list does, downloads
// every item that becomes ready, and reports each status change as a line
// (or a JSON object per line). Ends when every item has reached a status it
// cannot leave by itself.
class CliRun final : public YoutubeDownloaderOwner
{
public:
    CliRun(YoutubeProgramPreferences &preferences, bool json, QTextStream &out);

    // The exit code: 0 when every link was finished, 1 otherwise, 2 when there
    // was no link at all.
    int run(const QStringList &texts);
    // Stops every item in an orderly way (on an interrupt).
    void stop();

    void downloaderStatusChanged(YoutubeDownloader &downloader) override;
    void downloaderNeedsRedraw(YoutubeDownloader &) override {}
    void removeDownloader(YoutubeDownloader &) override {}

private:
    struct Report;
    void handle(const Report &report);
    void print(const Report &report);
    bool allSettled() const;
    static bool isSettled(YoutubeStatus status);

    YoutubeProgramPreferences &m_preferences;
    const bool m_json;
    QTextStream &m_out;
    ThreadHandOff m_mainThread;
    QList<std::shared_ptr<YoutubeDownloader>> m_items;
    QHash<const YoutubeDownloader *, YoutubeStatus> m_reported;
    bool m_stopped = false;
};
