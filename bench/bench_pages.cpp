// A page of today's form on the sample site, read through yt-dlp: the
// seconds from adding the link to its row being ready, beside yt-dlp's own
// --dump-single-json on the same page, and, for an MP3, the bytes fetched
// beside the size of the video file. The site runs in this process, so that
// it can count what it sent. Usage: bench_pages MEDIA_FOLDER RUNS

#include "BenchSupport.h"
#include "DownloadList.h"
#include "PreferenceStore.h"
#include "SampleSite.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

// Seconds from the paste to a row that can be downloaded.
double secondsToReady(DownloadList &list, const QString &link)
{
    QElapsedTimer timer;
    timer.start();
    const auto item = list.add({link}, {}).value(0);
    if (!item || !waitUntil([&item] { return item->youtubeStatus() != StatusLoadingInfo; })
        || item->youtubeStatus() != StatusReady)
        return -1;
    const double seconds = timer.nsecsElapsed() / 1e9;
    list.removeAll();
    return seconds;
}

double secondsOfYtDlp(const QString &link)
{
    QElapsedTimer timer;
    timer.start();
    QProcess ytDlp;
    ytDlp.start(u"yt-dlp"_s, {u"--ignore-config"_s, u"--dump-single-json"_s, u"--flat-playlist"_s, u"--no-warnings"_s,
                             u"--"_s, link});
    return ytDlp.waitForFinished(120'000) && ytDlp.exitCode() == 0 ? timer.nsecsElapsed() / 1e9 : -1;
}

qint64 mediaBytesSent(const SampleSite &site)
{
    qint64 bytes = 0;
    for (const SiteRequest &request : site.requests(u"/media/"_s))
        bytes += request.bodyBytesSent;
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 3 || QStandardPaths::findExecutable(u"yt-dlp"_s).isEmpty()) {
        std::fprintf(stderr, "usage: bench_pages MEDIA_FOLDER RUNS (with yt-dlp on PATH)\n");
        return 2;
    }
    SampleSite site({.mediaDirectory = app.arguments().at(1), .pagesDirectory = {}});
    if (!site.media().prepare() || !site.start())
        return 1;
    qputenv("http_proxy", site.proxyUrl().toUtf8());
    qunsetenv("no_proxy");
    QTemporaryDir home;
    PreferenceStore store(home.filePath(u"Vantrel.conf"_s));
    YoutubeProgramPreferences preferences(store);
    preferences.setSavedFolderPath(home.filePath(u"out"_s));
    preferences.setOutputFormat(OutputFormat::Mp3);
    DownloadList list(preferences);

    QList<double> ours, reference;
    const int runs = std::max(1, app.arguments().at(2).toInt());
    for (int run = 0; run < runs; ++run) {
        const QString link = u"http://clips.sample.test/watch/bench%1"_s.arg(run);
        ours.append(secondsToReady(list, link));
        reference.append(secondsOfYtDlp(link));
    }
    if (std::count(ours.cbegin(), ours.cend(), -1) || std::count(reference.cbegin(), reference.cend(), -1)) {
        std::fprintf(stderr, "a page could not be read\n");
        return 1;
    }
    std::printf("%-44s %9s %8s\n", "what", "median s", "ratio");
    std::printf("%-44s %9.3f %8.2f\n", "Vantrel, paste to \"Ready to download\"", median(ours),
                median(ours) / median(reference));
    std::printf("%-44s %9.3f %8s\n", "  yt-dlp --dump-single-json alone", median(reference), "1.00");

    site.clearRequests();
    const auto item = list.add({u"http://clips.sample.test/watch/benchmp3"_s}, {}).value(0);
    waitUntil([&item] { return item->youtubeStatus() == StatusReady; });
    item->downloadButtonSelector();
    if (!waitUntil([&item] { return item->youtubeStatus() == StatusFinished; }))
        return 1;
    const qint64 video = QFileInfo(site.media().streamFile(18)).size();
    std::printf("%-44s %9lld bytes, %.1f %% of the video's %lld\n", "Media fetched for an MP3",
                qlonglong(mediaBytesSent(site)), 100.0 * mediaBytesSent(site) / video, qlonglong(video));
    list.removeAll();
    return 0;
}
