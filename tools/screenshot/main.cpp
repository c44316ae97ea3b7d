// screenshot: drives the main window against the sample site and saves
// pictures of it: the empty window with its hint, and a list whose rows show
// every stage a link goes through. Run under a display (scripts/screenshot
// starts one).

#include "AppController.h"
#include "MainWindow.h"
#include "PreferenceStore.h"
#include "SampleSite.h"
#include "YoutubeDownloader.h"
#include "YoutubeProgramPreferences.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QToolButton>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

QString link(const QString &code)
{
    return u"http://www.youtube.com/watch?v="_s + code;
}

class Scene
{
public:
    Scene(MainWindow &window, SampleSite &site, QString folder)
        : m_window(window), m_site(site), m_folder(std::move(folder))
    {
    }

    std::shared_ptr<YoutubeDownloader> add(const QString &code)
    {
        m_window.controller().addYoutubesURL({link(code)});
        return m_window.controller().youtubeList().constLast();
    }

    bool reach(const std::shared_ptr<YoutubeDownloader> &item, YoutubeStatus status, int timeoutMs = 60'000)
    {
        if (QTest::qWaitFor([&] { return item->youtubeStatus() == status; }, timeoutMs))
            return true;
        std::fprintf(stderr, "screenshot: %s never reached status %d\n", qPrintable(item->youtubeURL()), status);
        return false;
    }

    bool save(const QString &name)
    {
        QTest::qWait(600); // a refresh of the totals, and the queued row updates
        const QString path = QDir(m_folder).filePath(name);
        if (m_window.grab().save(path)) {
            std::printf("%s\n", qPrintable(path));
            return true;
        }
        std::fprintf(stderr, "screenshot: cannot write %s\n", qPrintable(path));
        return false;
    }

    // The add-links sheet, opened with two links and a line of prose copied.
    bool saveSheet()
    {
        QGuiApplication::clipboard()->setText(link(u"Sh33tLinkAa"_s) + u"\nwords\n"_s + link(u"Sh33tLinkBb"_s));
        m_window.ui().miAddYoutubesURL->trigger();
        QTest::qWait(600);
        QWidget *sheet = m_window.findChild<QWidget *>(u"windowAddURL"_s);
        const QString path = QDir(m_folder).filePath(u"sheet.png"_s);
        const bool saved = sheet && sheet->grab().save(path);
        std::printf("%s\n", qPrintable(path));
        return saved;
    }

    // Both pages of the preferences window.
    bool savePreferences()
    {
        m_window.findChild<QWidget *>(u"windowAddURL"_s)->close();
        m_window.ui().miPreferences->trigger();
        QTest::qWait(300);
        auto *preferences = m_window.findChild<QDialog *>(u"windowPreferences"_s);
        if (!preferences)
            return false;
        bool saved = true;
        for (const auto &[button, name] : {std::pair{"btnGeneralOptions", u"preferences-general.png"_s},
                                          std::pair{"btnOutputFormatsOptions", u"preferences-formats.png"_s}}) {
            preferences->findChild<QToolButton *>(QString::fromLatin1(button))->click();
            QTest::qWait(100);
            const QString path = QDir(m_folder).filePath(name);
            saved = preferences->grab().save(path) && saved;
            std::printf("%s\n", qPrintable(path));
        }
        preferences->close();
        return saved;
    }

    void select(int row)
    {
        m_window.activateWindow();
        m_window.ui().tableView->setFocus();
        m_window.ui().tableView->selectRow(row);
    }

    SampleSite &site() { return m_site; }

private:
    MainWindow &m_window;
    SampleSite &m_site;
    QString m_folder;
};

bool playList(Scene &scene)
{
    auto finished = scene.add(u"kM3oRpS2tXw"_s);
    if (!scene.reach(finished, StatusReady))
        return false;
    finished->downloadButtonSelector();
    if (!scene.reach(finished, StatusFinished))
        return false;

    auto converting = scene.add(u"Qw7ZnL0bV4c"_s);
    if (!scene.reach(converting, StatusReady))
        return false;
    converting->downloadButtonSelector();
    if (!scene.reach(converting, StatusConverting))
        return false;

    // Slow streams from here on, so that downloads are seen running.
    scene.site().addFault(*SiteFault::parse(u"path=/videoplayback,throttle=400000"_s));
    auto downloading = scene.add(u"Hx5yTq8eRn2"_s);
    auto paused = scene.add(u"Bd4sWc9uJk1"_s);
    auto ready = scene.add(u"Yp2mFv6gLa3"_s);
    for (const auto &item : {downloading, paused, ready}) {
        if (!scene.reach(item, StatusReady))
            return false;
    }
    downloading->downloadButtonSelector();
    paused->downloadButtonSelector();
    QTest::qWait(2600);
    paused->pause();

    scene.site().setPage(u"Zr0gone0000"_s, "<html><head><title>Gone</title></head><body></body></html>");
    if (!scene.reach(scene.add(u"Zr0gone0000"_s), StatusInfoFailed))
        return false;
    scene.site().addFault(*SiteFault::parse(u"path=/watch,stall-after=0"_s));
    scene.add(u"Lo4dingNow7"_s);
    QTest::qWait(1000);
    scene.select(4);

    return scene.save(u"list.png"_s);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot MEDIA-FOLDER OUTPUT-FOLDER\n");
        return 2;
    }
    QTemporaryDir settings;
    QTemporaryDir music;
    SampleSite site({.mediaDirectory = QString::fromLocal8Bit(argv[1]), .pagesDirectory = {}});
    if (!settings.isValid() || !music.isValid() || !site.start() || !site.media().prepare())
        return 1;
    // Streams of a realistic size, so that sizes, speeds and times read true.
    site.media().setDefaultStreamBytes(24 * 1024 * 1024);
    qunsetenv("no_proxy");
    qputenv("http_proxy", site.proxyUrl().toUtf8());

    PreferenceStore store(QDir(settings.path()).filePath(u"Vantrel.conf"_s));
    YoutubeProgramPreferences preferences(store);
    preferences.setSavedFolderPath(music.path());
    preferences.setOutputFormat(1);
    MainWindow window(preferences);
    window.resize(1000, 780);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    Scene scene(window, site, QString::fromLocal8Bit(argv[2]));
    QTest::qWait(1200); // a turn of the hint's animation
    const bool ok = scene.save(u"empty.png"_s) && playList(scene) && scene.saveSheet() && scene.savePreferences();
    window.close();
    return ok ? 0 : 1;
}
