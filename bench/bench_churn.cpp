// Adds ITEMS links, starts the download of every other one, and removes them
// all mid-download, ROUNDS times over, as a user clearing the list would.
// After each round it prints the round, the seconds removal took, and what
// the process still holds: threads, open files, sockets, resident memory in
// kilobytes. The first line is the process before any item. http_proxy must
// point at a site whose streams are slow enough to be caught mid-way.

#include "BenchSupport.h"
#include "PreferenceStore.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

using Items = QList<std::shared_ptr<YoutubeDownloader>>;

void printHeld(int round, double removalSeconds)
{
    std::printf("%d %.3f %d %d %d %lld\n", round, removalSeconds,
                ProcessResources::settled(ProcessResources::threads),
                ProcessResources::settled([] { return ProcessResources::openFiles(); }),
                ProcessResources::openFiles(true), ProcessResources::residentKilobytes());
    std::fflush(stdout);
}

// One round; the seconds removal took, or -1 when the items never got going.
double churn(int round, int count, YoutubeProgramPreferences &preferences)
{
    Items items;
    for (int i = 0; i < count; ++i) {
        items.append(YoutubeDownloader::create(u"http://www.youtube.com/watch?v=churn%1x%2"_s.arg(round).arg(i), {},
                                               preferences));
        items.last()->loadYoutubeContent();
    }
    const bool ready = waitUntil([&items] {
        return std::all_of(items.begin(), items.end(), [](const auto &item) { return item->youtubeStatus() == StatusReady; });
    });
    for (qsizetype i = 0; i < items.size(); i += 2)
        items[i]->downloadButtonSelector();
    const bool downloading = ready && waitUntil([&items] {
        for (qsizetype i = 0; i < items.size(); i += 2) {
            if (items[i]->downloadedBytes() == 0)
                return false;
        }
        return true;
    });
    QElapsedTimer timer;
    timer.start();
    YoutubeDownloader::removeAll(items);
    items.clear();
    return downloading ? timer.nsecsElapsed() / 1e9 : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 4) {
        std::fprintf(stderr, "usage: bench_churn ROUNDS ITEMS OUTPUT_FOLDER\n");
        return 2;
    }
    // Thousands of page loads must never reach the real site.
    if (!qEnvironmentVariable("http_proxy").startsWith(u"http://127.0.0.1:"_s)) {
        std::fprintf(stderr, "http_proxy must point at the sample site on 127.0.0.1\n");
        return 2;
    }
    QTemporaryDir settings;
    PreferenceStore store(settings.filePath(u"Vantrel.conf"_s));
    YoutubeProgramPreferences preferences(store);
    preferences.setSavedFolderPath(app.arguments().at(3));
    preferences.setOutputFormat(OutputFormat::Video);

    printHeld(0, 0);
    for (int round = 1; round <= app.arguments().at(1).toInt(); ++round) {
        const double seconds = churn(round, app.arguments().at(2).toInt(), preferences);
        if (seconds < 0) {
            std::fprintf(stderr, "round %d: the items did not get going\n", round);
            return 1;
        }
        printHeld(round, seconds);
    }
    return 0;
}
