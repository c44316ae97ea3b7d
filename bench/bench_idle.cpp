// What the program costs while nothing happens, and what Download All does
// to the machine. The real window on the offscreen platform, the sample site
// in this process; figures from /proc.
//
// Idle scenes, 1,000 links each, measured over 10 s once they have settled:
//   empty     no links at all: what the window and the site cost by themselves
//   ready     every page read, nothing started
//   paused    Download All against slow streams, then Pause All
//   finished  every download done (video only, so no conversion)
// and
//   download-all  Download All on 200 links to MP3: time until all finished,
//                 the most connections to the site and lame encoders at once
//
// Usage: bench_idle [SCENE...] (all of them by default). Each idle figure is
// given for the whole process and without the sample site's thread, which
// wakes 20 times a second to look for its end.

#include "AppController.h"
#include "MainWindow.h"
#include "PreferenceStore.h"
#include "ProcessResources.h"
#include "SampleSite.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

struct ItemState
{
    YoutubeStatus status;
};

// The two places that reach the list's items, so that the benchmark follows
// the list wherever it comes to live.
QList<ItemState> itemStates(AppController &controller)
{
    QList<ItemState> states;
    for (const auto &item : controller.youtubeList())
        states.append(ItemState{item->youtubeStatus()});
    return states;
}

// Pauses the downloads that have their first bytes: their slots go to the
// next in line, so that in the end every item is paused mid-download.
void pauseThoseUnderWay(AppController &controller)
{
    DownloadList::Items underWay;
    for (const auto &item : controller.youtubeList()) {
        if (item->youtubeStatus() == StatusDownloading && item->downloadedBytes() > 0)
            underWay.append(item);
    }
    controller.list().pause(underWay);
}

qsizetype countIn(AppController &controller, std::initializer_list<YoutubeStatus> statuses)
{
    const QList<ItemState> states = itemStates(controller);
    return std::count_if(states.cbegin(), states.cend(), [&](const ItemState &state) {
        return std::find(statuses.begin(), statuses.end(), state.status) != statuses.end();
    });
}

// "1000 paused, 3 downloading": where the items are, for the record and for
// a scene that did not get where it should.
QString census(AppController &controller)
{
    // In the order of YoutubeStatus.
    static const QStringList names{
        u"new"_s,         u"loading"_s,     u"ready"_s,       u"invalid"_s,
        u"no stream"_s,   u"info failed"_s, u"downloading"_s, u"paused"_s,
        u"converting"_s,  u"convert paused"_s, u"downloaded"_s, u"finished"_s,
        u"removed"_s,
    };
    QMap<int, int> counts;
    for (const ItemState &state : itemStates(controller))
        ++counts[state.status];
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts.append(u"%1 %2"_s.arg(it.value()).arg(names.value(it.key(), u"status %1"_s.arg(it.key()))));
    return parts.join(u", "_s);
}

QByteArray readProc(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the threads have cost so far: CPU time in clock ticks and context
// switches, voluntary and forced. Threads are counted as they are now, so
// a scene is measured only once its threads have settled.
struct Usage
{
    qint64 ticks = 0;
    qint64 switches = 0;

    Usage operator-(const Usage &earlier) const { return {ticks - earlier.ticks, switches - earlier.switches}; }
};

Usage threadUsage(const QString &task)
{
    Usage usage;
    const QByteArray stat = readProc(task + u"/stat"_s);
    // After the command name: state is the first field, utime the 12th.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    usage.ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    for (const QByteArray &line : readProc(task + u"/status"_s).split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
            usage.switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return usage;
}

// Every thread's, and the sample site's thread's alone: the site stands in
// for the video site and is no part of the program's cost.
struct ProcessUsage
{
    Usage all;
    Usage site;

    enum class Reader { ReadFirst, ReadLast };

    // Reading a thousand threads' files takes tens of milliseconds of the
    // reading thread: read last at the start and first at the end, its own
    // figures leave both readings out.
    static ProcessUsage now(Reader reader)
    {
        ProcessUsage usage;
        const QString self = u"/proc/self/task/%1"_s.arg(gettid());
        if (reader == Reader::ReadFirst)
            usage.add(threadUsage(self));
        const QDir tasks(u"/proc/self/task"_s);
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString path = tasks.filePath(task);
            if (path == self)
                continue;
            const Usage thread = threadUsage(path);
            usage.add(thread);
            if (readProc(path + u"/comm"_s).trimmed() == "sample site")
                usage.site = thread;
        }
        if (reader == Reader::ReadLast)
            usage.add(threadUsage(self));
        return usage;
    }

    void add(const Usage &thread) { all = {all.ticks + thread.ticks, all.switches + thread.switches}; }
};

// Established connections to the port, as the kernel lists them; only the
// clients' ends have it as their remote port.
int connectionsTo(quint16 port)
{
    const QByteArray remote = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    int count = 0;
    for (const QByteArray &line : readProc(u"/proc/self/net/tcp"_s).split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        count += fields.size() > 3 && fields.at(2).endsWith(remote) && fields.at(3) == "01";
    }
    return count;
}

// Children of this process running the named program.
int childrenNamed(const QByteArray &name)
{
    const QByteArray ourPid = QByteArray::number(getpid());
    int count = 0;
    for (const QString &pid : QDir(u"/proc"_s).entryList({u"[0-9]*"_s}, QDir::Dirs)) {
        // "pid (command) state ppid ...": the command may hold spaces and parentheses.
        const QByteArray stat = readProc(u"/proc/"_s + pid + u"/stat"_s);
        const qsizetype open = stat.indexOf('(');
        const qsizetype close = stat.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QByteArray command = stat.mid(open + 1, close - open - 1);
        count += command == name && stat.mid(close + 2).split(' ').value(1) == ourPid;
    }
    return count;
}

// Serves the window's events until `done` or the limit; whether it got done.
bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    return QTest::qWaitFor(done, int(limit.count()));
}

// Waits until the thread count has held for three seconds (a minute at most):
// loads, connections and threads on their way out are over.
void settle()
{
    int last = -1;
    for (int steady = 0, round = 0; steady < 3 && round < 60; ++round) {
        QTest::qWait(1000);
        const int now = ProcessResources::threads();
        steady = now == last ? steady + 1 : 0;
        last = now;
    }
}

// "CPU 0.25 % of a core, 12 context switches/s" over `seconds`.
QByteArray rates(const Usage &usage, double seconds)
{
    const double cpu = 100.0 * double(usage.ticks) / double(sysconf(_SC_CLK_TCK)) / seconds;
    return QString::asprintf("CPU %5.2f %% of a core, %6.1f context switches/s", cpu, double(usage.switches) / seconds)
        .toUtf8();
}

// Ten seconds of the application's own event loop, nothing else asked of
// it, not even a sampler: what wakes the process here is the program's.
void measureIdle(const char *scene, int items, const QString &state)
{
    settle();
    const int threadsBefore = ProcessResources::threads();
    QEventLoop loop;
    QTimer::singleShot(10s, &loop, &QEventLoop::quit);
    const ProcessUsage before = ProcessUsage::now(ProcessUsage::Reader::ReadLast);
    QElapsedTimer clock;
    clock.start();
    loop.exec();
    const ProcessUsage after = ProcessUsage::now(ProcessUsage::Reader::ReadFirst);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const Usage all = after.all - before.all;
    const Usage site = after.site - before.site;
    std::printf("%-9s %5d items: all threads %s; without the site's thread %s; %d threads (%d before), "
                "resident %lld MB [%s]\n",
                scene, items, rates(all, seconds).constData(), rates(all - site, seconds).constData(),
                ProcessResources::threads(), threadsBefore, ProcessResources::residentKilobytes() / 1024,
                qPrintable(state));
    std::fflush(stdout);
}

// The main window with settings and an output folder of its own.
class Window
{
public:
    explicit Window(OutputFormat outputFormat)
        : m_store(QDir(m_settings.path()).filePath(u"Vantrel.conf"_s)), m_preferences(m_store)
    {
        m_preferences.setSavedFolderPath(m_music.path());
        m_preferences.setOutputFormat(outputFormat);
        m_preferences.setIsFirstLaunch(false); // no web page opened
        m_window = std::make_unique<MainWindow>(m_preferences);
        m_window->resize(1000, 700);
        m_window->show();
        // As the program starts: with the clipboard observer.
        m_window->controller().applicationDidFinishLaunching();
    }

    ~Window() { m_window->close(); }

    AppController &controller() { return m_window->controller(); }

    // Adds the links and waits until every page has been read.
    bool addLinks(int count)
    {
        QStringList links;
        for (int i = 0; i < count; ++i)
            links.append(u"http://www.youtube.com/watch?v=idle%1"_s.arg(i, 7, 10, QChar(u'0')));
        controller().addYoutubesURL(links);
        return waitFor([this] { return countIn(controller(), {StatusNew, StatusLoadingInfo}) == 0; }, 3min) &&
            countIn(controller(), {StatusReady}) == count;
    }

private:
    QTemporaryDir m_settings;
    QTemporaryDir m_music;
    PreferenceStore m_store;
    YoutubeProgramPreferences m_preferences;
    std::unique_ptr<MainWindow> m_window;
};

constexpr int IdleItems = 1000;

bool failed(const char *scene, Window &window, const char *what)
{
    std::fprintf(stderr, "bench_idle %s: %s [%s]\n", scene, what, qPrintable(census(window.controller())));
    return false;
}

bool empty(SampleSite &)
{
    Window window(OutputFormat::Video);
    measureIdle("empty", 0, u"no links"_s);
    return true;
}

bool ready(SampleSite &)
{
    Window window(OutputFormat::Video);
    if (!window.addLinks(IdleItems))
        return failed("ready", window, "not every page was read");
    measureIdle("ready", IdleItems, census(window.controller()));
    return true;
}

bool paused(SampleSite &site)
{
    // Slow enough that none of them finishes before the pause.
    site.addFault(*SiteFault::parse(u"path=/videoplayback,throttle=2000"_s));
    Window window(OutputFormat::Video);
    AppController &controller = window.controller();
    if (!window.addLinks(IdleItems))
        return failed("paused", window, "not every page was read");
    controller.downloadAllURL();
    // Each item paused once its first bytes are in, the way a user pauses
    // downloads one by one: the worst case, every item holding a partial
    // file and whatever a paused download keeps.
    const auto allPaused = [&controller] {
        pauseThoseUnderWay(controller);
        return countIn(controller, {StatusDownloadPaused}) == IdleItems;
    };
    if (!waitFor(allPaused, 4min))
        return failed("paused", window, "not every item could be paused mid-download");
    measureIdle("paused", IdleItems, census(controller));
    site.clearFaults();
    return true;
}

bool finished(SampleSite &)
{
    Window window(OutputFormat::Video);
    AppController &controller = window.controller();
    if (!window.addLinks(IdleItems))
        return failed("finished", window, "not every page was read");
    controller.downloadAllURL();
    if (!waitFor([&controller] { return countIn(controller, {StatusFinished}) == IdleItems; }, 4min))
        return failed("finished", window, "not every download finished");
    measureIdle("finished", IdleItems, census(controller));
    return true;
}

bool downloadAll(SampleSite &site)
{
    constexpr int Items = 200;
    Window window(OutputFormat::Mp3);
    AppController &controller = window.controller();
    if (!window.addLinks(Items))
        return failed("download-all", window, "not every page was read");
    settle();
    // Sampled on a thread of its own, so that a busy GUI thread misses nothing.
    std::atomic<int> mostConnections = 0;
    std::atomic<int> mostEncoders = 0;
    std::atomic<int> mostThreads = 0;
    std::atomic<bool> sampling = true;
    const auto raise = [](std::atomic<int> &most, int now) { most = std::max(most.load(), now); };
    std::thread sampler([&] {
        while (sampling) {
            raise(mostConnections, connectionsTo(site.port()));
            raise(mostEncoders, childrenNamed("lame"));
            raise(mostThreads, ProcessResources::threads());
            std::this_thread::sleep_for(50ms);
        }
    });
    QElapsedTimer clock;
    clock.start();
    controller.downloadAllURL();
    const bool done = waitFor([&controller] { return countIn(controller, {StatusFinished}) == Items; }, 4min);
    const double seconds = clock.nsecsElapsed() / 1e9;
    sampling = false;
    sampler.join();
    if (!done)
        return failed("download-all", window, "not every link was finished");
    std::printf("download-all %d links to MP3: %.1f s from the click until all finished; at most %d connections "
                "to the site, %d lame encoders and %d threads at once\n",
                Items, seconds, mostConnections.load(), mostEncoders.load(), mostThreads.load());
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QList<std::pair<QString, std::function<bool(SampleSite &)>>> scenes{
        {u"empty"_s, empty},       {u"ready"_s, ready},
        {u"paused"_s, paused},     {u"finished"_s, finished},
        {u"download-all"_s, downloadAll},
    };
    QStringList chosen = app.arguments().mid(1);
    if (chosen.isEmpty()) {
        for (const auto &scene : scenes)
            chosen.append(scene.first);
    }

    SampleSite site({.mediaDirectory = QStringLiteral(VANTREL_SAMPLE_MEDIA_DIR), .pagesDirectory = {}});
    if (!site.start() || !site.media().prepare())
        return 1;
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
    qputenv("http_proxy", site.proxyUrl().toUtf8());

    for (const QString &name : chosen) {
        const auto scene = std::find_if(scenes.cbegin(), scenes.cend(), [&](const auto &s) { return s.first == name; });
        if (scene == scenes.cend()) {
            std::fprintf(stderr, "usage: bench_idle [empty|ready|paused|finished|download-all]...\n");
            return 2;
        }
        if (!scene->second(site))
            return 1;
    }
    return 0;
}
