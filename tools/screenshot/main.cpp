// screenshot: drives the main window against the sample site and saves
// pictures of it in the language of the environment: at the window's default
// size the first start, rows that failed and a row under the pointer; larger,
// a list whose rows show every stage a link goes through (the README's
// picture), the add-links sheet and the preferences. Run under a display
// (scripts/screenshot starts one, once per language).

#include "AppController.h"
#include "MainWindow.h"
#include "PreferenceStore.h"
#include "RowModel.h"
#include "SampleSite.h"
#include "YoutubeDownloader.h"
#include "YoutubeOperationsView.h"
#include "YoutubeProgramPreferences.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Item = std::shared_ptr<YoutubeDownloader>;

QString link(const QString &code)
{
    return u"http://www.youtube.com/watch?v="_s + code;
}

// One window with settings and an output folder of its own.
class Scene
{
public:
    Scene(SampleSite &site, QString folder, QSize size)
        : m_site(site), m_folder(std::move(folder)), m_size(size),
          m_store(QDir(m_settings.path()).filePath(u"Vantrel.conf"_s)), m_preferences(m_store)
    {
        m_preferences.setSavedFolderPath(m_music.path());
        m_preferences.setOutputFormat(OutputFormat::Mp3);
        open();
    }

    // Quits, and starts again with the list kept in `state`, after adding
    // `damage` to the kept file.
    void startAgain(const QString &state, const QByteArray &damage)
    {
        m_window.reset();
        QFile list(QDir(state).filePath(u"list.json"_s));
        if (!list.open(QIODevice::Append) || list.write(damage) != damage.size())
            std::fprintf(stderr, "screenshot: cannot damage the kept list\n");
        list.close();
        open(state);
    }

    ~Scene()
    {
        m_window->close();
        m_site.clearFaults();
    }

    MainWindow &window() { return *m_window; }
    SampleSite &site() { return m_site; }
    YoutubeProgramPreferences &preferences() { return m_preferences; }

    Item add(const QString &code)
    {
        m_window->controller().addYoutubesURL({link(code)});
        return m_window->controller().youtubeList().constLast();
    }

    bool reach(const Item &item, YoutubeStatus status, int timeoutMs = 60'000)
    {
        if (QTest::qWaitFor([&] { return item->youtubeStatus() == status; }, timeoutMs))
            return true;
        std::fprintf(stderr, "screenshot: %s never reached status %d\n", qPrintable(item->youtubeURL()), status);
        return false;
    }

    Item ready(const QString &code)
    {
        Item item = add(code);
        return reach(item, StatusReady) ? item : nullptr;
    }

    // A row whose watch page has no title: reading it failed.
    bool pageGone()
    {
        m_site.setPage(u"Zr0gone0000"_s, "<html><head><title>Gone</title></head><body></body></html>");
        return reach(add(u"Zr0gone0000"_s), StatusInfoFailed);
    }

    // Streams from here on come slowly enough to be seen running.
    void slowStreams() { m_site.addFault(*SiteFault::parse(u"path=/videoplayback,throttle=400000"_s)); }

    // The window as the screen shows it, tooltips and menus over it included.
    bool save(const QString &name, bool wholeScreen = false)
    {
        QTest::qWait(600); // a refresh of the totals, and the queued row updates
        const QString path = QDir(m_folder).filePath(name);
        QPixmap picture = m_window->grab();
        if (wholeScreen) {
            const QRect frame = m_window->geometry();
            picture = m_window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        }
        if (picture.save(path)) {
            std::printf("%s\n", qPrintable(path));
            return true;
        }
        std::fprintf(stderr, "screenshot: cannot write %s\n", qPrintable(path));
        return false;
    }

    bool saveWidget(QWidget *widget, const QString &name)
    {
        const QString path = QDir(m_folder).filePath(name);
        const bool saved = widget && widget->grab().save(path);
        std::printf("%s\n", qPrintable(path));
        return saved;
    }

    void select(int row)
    {
        m_window->ui().tableView->setFocus();
        m_window->ui().tableView->selectRow(row);
    }

    // The pointer over one of a row's buttons, as a user would rest it there.
    void hover(int row, YoutubeOperationsView::Button button)
    {
        TableViewDragged *table = m_window->ui().tableView;
        const QModelIndex index = table->model()->index(row, RowModel::OperationsColumn);
        const QRect cell = table->visualRect(index);
        const auto status = m_window->controller().youtubeList().at(row)->youtubeStatus();
        for (const auto &[shown, frame] : YoutubeOperationsView::calculateButtonsPositions(cell.size(), status, true).buttons) {
            if (shown == button) {
                const QPoint point = frame.translated(cell.topLeft()).center();
                QTest::mouseMove(table->viewport(), point - QPoint(6, 0));
                QTest::qWait(50);
                QTest::mouseMove(table->viewport(), point);
            }
        }
        QTest::qWait(1500); // long enough for the tooltip
    }

private:
    void open(const QString &state = {})
    {
        m_window = std::make_unique<MainWindow>(m_preferences);
        if (m_size.isValid())
            m_window->resize(m_size);
        if (!state.isEmpty())
            m_window->controller().keepList(state);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            std::fprintf(stderr, "screenshot: the window was not shown\n");
        m_window->activateWindow();
    }

    SampleSite &m_site;
    QString m_folder;
    QSize m_size;
    QTemporaryDir m_settings;
    QTemporaryDir m_music;
    PreferenceStore m_store;
    YoutubeProgramPreferences m_preferences;
    std::unique_ptr<MainWindow> m_window;
};

bool firstStart(Scene &scene, const QString &language)
{
    QTest::qWait(1200); // a turn of the hint's animation
    return scene.save(u"first-start-%1.png"_s.arg(language));
}

// A download that fails before its first byte and tries again, one that has
// given up, and a page that could not be read.
bool failedRows(Scene &scene, const QString &language)
{
    // The streams answer nothing but 404, from their size on.
    scene.site().addFault(*SiteFault::parse(u"path=/videoplayback,status=404"_s));
    const Item retrying = scene.ready(u"R3tryingA1b"_s);
    const Item stopped = scene.ready(u"St0ppedB2cd"_s);
    if (!retrying || !stopped)
        return false;
    if (!scene.pageGone())
        return false;
    stopped->setDownloadPolicy({.attempts = 1, .firstDelay = 100ms});
    retrying->setDownloadPolicy({.attempts = 5, .firstDelay = 60s});
    stopped->downloadButtonSelector();
    retrying->downloadButtonSelector();
    if (!scene.reach(stopped, StatusDownloadPaused))
        return false;
    QTest::qWait(1000);
    return scene.save(u"failed-row-%1.png"_s.arg(language));
}

// The pointer on the download button of a ready row, beside a running one.
bool hoveredRow(Scene &scene, const QString &language)
{
    scene.slowStreams();
    const Item running = scene.ready(u"Hx5yTq8eRn2"_s);
    const Item ready = scene.ready(u"Yp2mFv6gLa3"_s);
    if (!running || !ready)
        return false;
    running->downloadButtonSelector();
    QTest::qWait(2000);
    scene.hover(1, YoutubeOperationsView::DownloadButton);
    return scene.save(u"hovered-row-%1.png"_s.arg(language), true);
}

// Every stage a link goes through, in a window large enough for six rows.
bool listAtWork(Scene &scene, const QString &language)
{
    const Item finished = scene.ready(u"kM3oRpS2tXw"_s);
    if (!finished)
        return false;
    finished->downloadButtonSelector();
    if (!scene.reach(finished, StatusFinished))
        return false;

    const Item converting = scene.ready(u"Qw7ZnL0bV4c"_s);
    if (!converting)
        return false;
    converting->downloadButtonSelector();
    if (!scene.reach(converting, StatusConverting))
        return false;

    scene.slowStreams();
    const Item downloading = scene.ready(u"Hx5yTq8eRn2"_s);
    const Item paused = scene.ready(u"Bd4sWc9uJk1"_s);
    if (!downloading || !paused || !scene.ready(u"Yp2mFv6gLa3"_s))
        return false;
    downloading->downloadButtonSelector();
    paused->downloadButtonSelector();
    QTest::qWait(2600);
    paused->pause();

    if (!scene.pageGone())
        return false;
    scene.site().addFault(*SiteFault::parse(u"path=/watch,stall-after=0"_s));
    scene.add(u"Lo4dingNow7"_s);
    QTest::qWait(1000);
    scene.select(4);
    return scene.save(language == u"en" ? u"screenshot.png"_s : u"screenshot-%1.png"_s.arg(language));
}

// More downloads than slots: the rest wait their turn, in list order.
bool waitingRows(Scene &scene, const QString &language)
{
    scene.preferences().setSimultaneousDownloads(2);
    scene.slowStreams();
    for (const QString &code : {u"Qw7ZnL0bV4c"_s, u"Hx5yTq8eRn2"_s, u"kM3oRpS2tXw"_s, u"Bd4sWc9uJk1"_s, u"Yp2mFv6gLa3"_s}) {
        if (!scene.ready(code))
            return false;
    }
    scene.window().controller().downloadAllURL();
    QTest::qWait(2600);
    return scene.save(u"waiting-rows-%1.png"_s.arg(language));
}

// The list kept at quitting, back at the next start: downloads paused with
// their bars, a finished row whose file went, and the word about a kept
// file that was damaged.
bool keptList(Scene &scene, const QString &language)
{
    const QTemporaryDir state;
    scene.window().controller().keepList(state.path());
    const Item finished = scene.ready(u"kM3oRpS2tXw"_s);
    const Item gone = scene.ready(u"Qw7ZnL0bV4c"_s);
    if (!finished || !gone)
        return false;
    finished->downloadButtonSelector();
    gone->downloadButtonSelector();
    if (!scene.reach(finished, StatusFinished) || !scene.reach(gone, StatusFinished))
        return false;
    scene.slowStreams();
    const Item paused = scene.ready(u"Bd4sWc9uJk1"_s);
    const Item downloading = scene.ready(u"Hx5yTq8eRn2"_s);
    if (!paused || !downloading || !scene.ready(u"Yp2mFv6gLa3"_s))
        return false;
    paused->downloadButtonSelector();
    downloading->downloadButtonSelector();
    if (!QTest::qWaitFor([&] { return paused->downloadedBytes() > 9'000'000; }, 60'000))
        return false;
    paused->pause();
    QFile::remove(gone->wholeFilePath());
    scene.startAgain(state.path(), "{\"link\":\"http://www.youtube.com/watch?v=Cut");
    scene.select(1);
    return scene.save(u"kept-list-%1.png"_s.arg(language));
}

// The window at its smallest: every control whole, a download's time left
// on a line of its own.
bool smallestWindow(Scene &scene, const QString &language)
{
    scene.slowStreams();
    const Item downloading = scene.ready(u"Hx5yTq8eRn2"_s);
    if (!downloading || !scene.ready(u"Yp2mFv6gLa3"_s))
        return false;
    downloading->downloadButtonSelector();
    QTest::qWait(2600);
    return scene.save(u"smallest-%1.png"_s.arg(language));
}

// The add-links sheet, opened with two links and a line of prose copied, and
// both pages of the preferences window.
bool sheetAndPreferences(Scene &scene, const QString &language)
{
    MainWindow &window = scene.window();
    QGuiApplication::clipboard()->setText(link(u"Sh33tLinkAa"_s) + u"\nwords\n"_s + link(u"Sh33tLinkBb"_s));
    window.ui().miAddYoutubesURL->trigger();
    QTest::qWait(600);
    auto *sheet = window.findChild<QDialog *>(u"windowAddURL"_s);
    bool saved = scene.saveWidget(sheet, u"sheet-%1.png"_s.arg(language));
    sheet->close();
    window.ui().miPreferences->trigger();
    QTest::qWait(300);
    auto *preferences = window.findChild<QDialog *>(u"windowPreferences"_s);
    if (!preferences)
        return false;
    for (const auto &[button, page] : {std::pair{"btnGeneralOptions", u"general"_s},
                                      std::pair{"btnOutputFormatsOptions", u"formats"_s}}) {
        preferences->findChild<QToolButton *>(QString::fromLatin1(button))->click();
        QTest::qWait(100);
        saved = scene.saveWidget(preferences, u"preferences-%1-%2.png"_s.arg(page, language)) && saved;
    }
    preferences->close();
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot MEDIA-FOLDER OUTPUT-FOLDER\n");
        return 2;
    }
    SampleSite site({.mediaDirectory = QString::fromLocal8Bit(argv[1]), .pagesDirectory = {}});
    if (!site.start() || !site.media().prepare())
        return 1;
    // Streams of a realistic size, so that sizes, speeds and times read true.
    site.media().setDefaultStreamBytes(24 * 1024 * 1024);
    qunsetenv("no_proxy");
    qputenv("http_proxy", site.proxyUrl().toUtf8());

    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString language = QLocale::languageToCode(QLocale::system().language());
    using Shot = std::function<bool(Scene &, const QString &)>;
    const std::pair<Shot, QSize> shots[] = {
        {firstStart, {}}, {failedRows, {}}, {hoveredRow, {}}, {listAtWork, {1000, 780}}, {waitingRows, {}},
        {keptList, {}},
        {sheetAndPreferences, {}}, {smallestWindow, {1, 1}},
    };
    for (const auto &[shot, size] : shots) {
        Scene scene(site, output, size);
        if (!shot(scene, language))
            return 1;
    }
    return 0;
}
