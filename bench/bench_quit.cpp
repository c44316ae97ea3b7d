// A long kept list against the same with 1,000 items, in the same run:
// quitting (Ctrl+Q until the window is gone and the list is on disk as it
// was), and removing 1,000 selected rows spread over the list at once (the
// longest stall of the GUI thread, the save that follows included).
// Usage: bench_quit MEDIA-FOLDER [ITEMS] [RUNS]. Prints milliseconds, medians.

#include "AppController.h"
#include "BenchHome.h"
#include "KeptList.h"
#include "ListWriter.h"
#include "MainWindow.h"
#include "SampleSite.h"
#include "StallMeter.h"
#include "StateFolder.h"
#include "YoutubeProgramPreferences.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int ReferenceItems = 1000;
constexpr int RemovedRows = 1000;

// The window as it comes up with `count` kept items, their files written
// afresh (a removal deletes partial files); null when something failed.
std::unique_ptr<MainWindow> openWindow(YoutubeProgramPreferences &preferences, const QString &state, int count)
{
    const QList<KeptListFile::Item> items = longList(count, preferences.savedFolderPath());
    if (items.size() != count)
        return nullptr;
    ListWriter(QDir(state).filePath(u"list.json"_s)).save(items);
    auto window = std::make_unique<MainWindow>(preferences);
    window->resize(1000, 700);
    window->controller().keepList(state);
    window->show();
    window->ui().tableView->viewport()->repaint();
    // Covers and the first save settle before anything is measured.
    QTest::qWait(1000);
    if (window->controller().youtubeList().size() != count)
        return nullptr;
    return window;
}

// From Ctrl+Q until the window is destroyed; -1 when the kept list is not
// the one from before quitting.
double quit(std::unique_ptr<MainWindow> window, const QString &state, int count)
{
    if (!window)
        return -1;
    QElapsedTimer clock;
    clock.start();
    window->ui().miQuit->trigger();
    window.reset();
    const double ms = clock.nsecsElapsed() / 1e6;
    return StateFolder(state).read().items.size() == count ? ms : -1;
}

// Selects RemovedRows rows picked here and there (the same ones every run,
// paused and finished ones mixed as in the list) and presses Delete; -1
// when the rows did not go.
double removeSelected(MainWindow &window, int count)
{
    QAbstractItemModel *model = window.ui().tableView->model();
    QList<int> rows(count);
    std::iota(rows.begin(), rows.end(), 0);
    QRandomGenerator pick(20240611);
    std::shuffle(rows.begin(), rows.end(), pick);
    rows.resize(std::min(count, RemovedRows));
    QItemSelection selection;
    for (const int row : std::as_const(rows))
        selection.select(model->index(row, 0), model->index(row, model->columnCount() - 1));
    window.ui().tableView->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    window.ui().miRemoveSelectedURL->trigger();
    const qint64 removal = clock.elapsed();
    QTest::qWait(500);
    if (model->rowCount() != count - std::min(count, RemovedRows))
        return -1;
    return double(std::max(removal, stalls.longest()));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_quit MEDIA-FOLDER [ITEMS] [RUNS]\n");
        return 2;
    }
    const int count = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 20000;
    const int runs = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 3;
    BenchHome home(QString::fromLocal8Bit(argv[1]));
    if (!home.started)
        return 1;
    YoutubeProgramPreferences &preferences = home.preferences;

    QMap<int, QList<double>> quits, removals;
    for (int run = 0; run < runs; ++run) {
        for (const int items : {count, ReferenceItems}) {
            QTemporaryDir state;
            quits[items].append(quit(openWindow(preferences, state.path(), items), state.path(), items));
            auto window = openWindow(preferences, state.path(), items);
            removals[items].append(window ? removeSelected(*window, items) : -1);
        }
    }
    std::printf("quitting (Ctrl+Q until the window is gone) with %d kept items: %.1f ms; with %d: %.1f ms\n", count,
                StallMeter::median(quits[count]), ReferenceItems, StallMeter::median(quits[ReferenceItems]));
    std::printf("removing %d selected rows at once of %d: longest GUI stall %.1f ms; of %d: %.1f ms\n", RemovedRows,
                count, StallMeter::median(removals[count]), ReferenceItems,
                StallMeter::median(removals[ReferenceItems]));
    return 0;
}
