// The main window with a long list, driven on the offscreen platform:
// pasting 1,000 links (the longest stall of the GUI thread while their pages
// load), one refresh of the totals, and repainting the list while scrolling.
// Prints milliseconds.

#include "AppController.h"
#include "BenchHome.h"
#include "MainWindow.h"
#include "SampleSite.h"
#include "StallMeter.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

bool settled(const DownloadList::Items &items)
{
    return std::none_of(items.cbegin(), items.cend(),
                        [](const auto &item) { return item->youtubeStatus() == StatusLoadingInfo; });
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1000;
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_window MEDIA-FOLDER [ITEMS]\n");
        return 2;
    }
    BenchHome home(QString::fromLocal8Bit(argv[1]));
    if (!home.started || !home.site.media().prepare())
        return 1;
    YoutubeProgramPreferences &preferences = home.preferences;
    SampleSite &site = home.site;
    MainWindow window(preferences);
    window.resize(1000, 700);
    window.show();
    AppController &controller = window.controller();

    QStringList links;
    for (int i = 0; i < count; ++i)
        links.append(u"http://www.youtube.com/watch?v=bench%1"_s.arg(i, 6, 10, QChar(u'0')));
    QGuiApplication::clipboard()->setText(links.join(u'\n'));
    QElapsedTimer clock;
    {
        StallMeter stalls;
        clock.start();
        window.ui().miPaste->trigger();
        const qint64 pasteMs = clock.elapsed();
        std::printf("paste of %d links: %lld ms on the GUI thread\n", count, pasteMs);
        std::fflush(stdout);
        if (!QTest::qWaitFor([&] { return settled(controller.youtubeList()); }, 600'000))
            return 1;
        std::printf("all pages read after %lld ms; longest stall of the GUI thread meanwhile %lld ms\n",
                    clock.elapsed(), std::max(stalls.longest(), pasteMs));
    }

    const auto measureTicks = [&](const char *state) {
        QList<double> ticks;
        for (int i = 0; i < 201; ++i) {
            QElapsedTimer tick;
            tick.start();
            controller.totalsBar().refresh();
            ticks.append(tick.nsecsElapsed() / 1e6);
        }
        std::printf("refresh tick with %d items %s: median %.3f ms, longest %.3f ms\n", count, state, StallMeter::median(ticks),
                    *std::max_element(ticks.cbegin(), ticks.cend()));
    };
    const auto measureScrolling = [&](const char *state) {
        QScrollBar *scroll = window.ui().tableView->verticalScrollBar();
        QList<double> frames;
        for (int value = 0; value <= scroll->maximum(); value += 40) {
            scroll->setValue(value);
            QElapsedTimer frame;
            frame.start();
            window.ui().tableView->viewport()->repaint();
            frames.append(frame.nsecsElapsed() / 1e6);
        }
        std::printf("scrolling with %d items %s: %lld repaints of the list, median %.2f ms, longest %.2f ms\n", count,
                    state, qint64(frames.size()), StallMeter::median(frames), *std::max_element(frames.cbegin(), frames.cend()));
    };
    measureTicks("ready");
    measureScrolling("ready");
    // Every item in work: slow streams keep the first ones downloading, the
    // rest waiting their turn.
    site.addFault(*SiteFault::parse(u"path=/videoplayback,throttle=2000"_s));
    controller.downloadAllURL();
    if (!QTest::qWaitFor([&] { return controller.youtubeList().constFirst()->downloadedBytes() > 0; }, 120'000))
        return 1;
    measureTicks("downloading");
    controller.downloadAllURL();
    measureTicks("paused");
    measureScrolling("paused");

    window.close();
    return 0;
}
