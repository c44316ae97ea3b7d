// Downloads one link through the program's own item, as the list would, and
// prints the seconds from pressing download to the file being written, the
// bytes, the process's peak resident memory, and the seconds until the last
// byte had arrived. One download per process,
// so that the peak belongs to it alone. http_proxy must point at the site.

#include "BenchSupport.h"
#include "PreferenceStore.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// Waits for `status` (or a later one), giving up early on a status the item
// cannot leave by itself.
bool waitFor(const std::shared_ptr<YoutubeDownloader> &item, YoutubeStatus status)
{
    const auto stuck = [&item] {
        const YoutubeStatus now = item->youtubeStatus();
        return now == StatusInfoFailed || now == StatusNoStream || now == StatusDownloadPaused;
    };
    const auto reached = [&item, status] {
        return item->youtubeStatus() == status || item->youtubeStatus() == StatusFinished;
    };
    waitUntil([&] { return reached() || stuck(); });
    return reached();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 3) {
        std::fprintf(stderr, "usage: bench_download LINK OUTPUT_FOLDER\n");
        return 2;
    }
    QTemporaryDir settings;
    PreferenceStore store(settings.filePath(u"Vantrel.conf"_s));
    YoutubeProgramPreferences preferences(store);
    preferences.setSavedFolderPath(app.arguments().at(2));

    auto item = YoutubeDownloader::create(app.arguments().at(1), {}, preferences);
    item->loadYoutubeContent();
    if (!waitFor(item, StatusReady)) {
        std::fprintf(stderr, "the page did not load\n");
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    item->downloadButtonSelector();
    if (!waitFor(item, StatusDownloaded)) {
        std::fprintf(stderr, "the download did not end: %s\n", qPrintable(item->statusNote()));
        return 1;
    }
    const double transferSeconds = timer.nsecsElapsed() / 1e9;
    if (!waitFor(item, StatusFinished)) {
        std::fprintf(stderr, "the download did not finish: %s\n", qPrintable(item->statusNote()));
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const qint64 bytes = QFileInfo(item->wholeFilePath()).size();
    QFile::remove(item->wholeFilePath());
    std::printf("%.4f %lld %lld %.4f\n", seconds, qlonglong(bytes), qlonglong(peakResidentKilobytes()), transferSeconds);
    item->removeObject();
    return 0;
}
