// The kept list with 1,000 items: saving it (the writing on the writer's
// thread, the first time and with one item changed, beside a plain atomic
// write of the same bytes), starting the window with it (until the rows are painted, beside
// starting with no list), and the longest stall of the GUI thread while
// rows are removed one after another, each removal saving the list.
// Prints milliseconds, medians of five runs.

#include "AppController.h"
#include "BenchHome.h"
#include "KeptList.h"
#include "ListWriter.h"
#include "MainWindow.h"
#include "SampleSite.h"
#include "StallMeter.h"
#include "StateFolder.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Runs = 5;

template<typename Work>
double milliseconds(Work work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

// From the window's making to the list painted with every row in the model.
double startWindow(YoutubeProgramPreferences &preferences, const QString &state, int expectedRows)
{
    QElapsedTimer clock;
    clock.start();
    MainWindow window(preferences);
    window.resize(1000, 700);
    window.controller().keepList(state);
    window.show();
    window.ui().tableView->viewport()->repaint();
    const double ms = clock.nsecsElapsed() / 1e6;
    if (window.controller().youtubeList().size() != expectedRows)
        return -1;
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_keep MEDIA-FOLDER [ITEMS]\n");
        return 2;
    }
    const int count = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1000;
    QTemporaryDir state;
    QTemporaryDir empty;
    BenchHome home(QString::fromLocal8Bit(argv[1]));
    if (!home.started)
        return 1;
    YoutubeProgramPreferences &preferences = home.preferences;
    const QList<KeptListFile::Item> items = longList(count, home.music.path());
    if (items.isEmpty())
        return 1;

    QList<double> firstWrites, writes, plainWrites;
    const QString listPath = state.filePath(u"list.json"_s);
    const QByteArray bytes = KeptListFile::write(items);
    for (int run = 0; run < Runs; ++run) {
        ListWriter writer(listPath);
        firstWrites.append(milliseconds([&] {
            writer.save(items);
            writer.flush();
        }));
        // As while a download runs: one item's bytes change between saves.
        QList<KeptListFile::Item> next = items;
        next[0].bytesHeld += run + 1;
        writes.append(milliseconds([&] {
            writer.save(next);
            writer.flush();
        }));
        plainWrites.append(milliseconds([&] {
            QSaveFile file(state.filePath(u"plain.json"_s));
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            file.commit();
        }));
    }
    std::printf("saving %d items (%lld bytes) on the writer's thread: first save %.2f ms, a save with one item changed "
                "%.2f ms; the same bytes written by QSaveFile: %.2f ms\n",
                count, qint64(QFileInfo(listPath).size()), StallMeter::median(firstWrites), StallMeter::median(writes),
                StallMeter::median(plainWrites));

    QList<double> starts, emptyStarts;
    for (int run = 0; run < Runs; ++run) {
        starts.append(startWindow(preferences, state.path(), count));
        emptyStarts.append(startWindow(preferences, empty.path(), 0));
    }
    std::printf("window up with %d kept rows painted: %.1f ms; with none: %.1f ms\n", count,
                StallMeter::median(starts), StallMeter::median(emptyStarts));

    MainWindow window(preferences);
    window.controller().keepList(state.path());
    window.show();
    DownloadList &list = window.controller().list();
    QList<double> snapshots;
    StallMeter stalls;
    for (int removal = 0; removal < 50; ++removal) {
        list.remove({list.items().constLast()});
        // The save follows in the same turn of the event loop.
        snapshots.append(milliseconds([] { QCoreApplication::processEvents(); }));
        QTest::qWait(20);
    }
    std::printf("removing 50 of %d rows one by one, each saving the list: GUI thread %.2f ms per save (median), "
                "longest stall %lld ms\n",
                count, StallMeter::median(snapshots), stalls.longest());
    return 0;
}
