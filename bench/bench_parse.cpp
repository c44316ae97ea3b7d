// Parse time of each archived watch page: title, player configuration, play
// time, description and the stream list (without size probes), as the page
// load does them. Medians of many runs.

#include "WatchPage.h"
#include "YoutubeQuality.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = app.arguments().value(1, QStringLiteral(VANTREL_FIXTURES_DIR) + u"/watch-pages"_s);
    constexpr int Runs = 51;
    std::printf("%-58s %8s %10s %8s\n", "page", "bytes", "median ms", "streams");
    for (const QString &name : QDir(folder).entryList({u"*.html"_s}, QDir::Files, QDir::Name)) {
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString page = QString::fromUtf8(file.readAll());
        std::vector<double> times;
        qsizetype streams = 0;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const QString title = WatchPage::parseYoutubeTitleFromMainContent(page);
            const QString configuration = WatchPage::parseYoutubeObjectFromMainContent(page);
            const qint32 duration = WatchPage::parseYoutubeVideoDurationFromObjectContent(configuration);
            const QString description = WatchPage::parseYoutubeDescriptionFromObjectContent(page);
            streams = YoutubeQuality::youtubeQualityListFromObjectContent(configuration, {}).size();
            times.push_back(timer.nsecsElapsed() / 1e6);
            Q_UNUSED(title);
            Q_UNUSED(duration);
            Q_UNUSED(description);
        }
        std::sort(times.begin(), times.end());
        std::printf("%-58s %8lld %10.3f %8lld\n", qPrintable(name), qlonglong(page.size()), times[Runs / 2],
                    qlonglong(streams));
    }
    return 0;
}
