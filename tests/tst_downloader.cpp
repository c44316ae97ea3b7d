#include "NotificationCenter.h"
#include "RecordingOwner.h"
#include "SamplePages.h"
#include "SiteFixture.h"
#include "TestRowViews.h"
#include "YoutubeConstants.h"
#include "YoutubeDownloader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QUrl>

#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int LoadTimeoutMs = 20'000;
constexpr int DownloadTimeoutMs = 30'000;
constexpr qint64 PaddedStreamBytes = 3 * 1024 * 1024;

QString watchLink(const QString &code)
{
    return SiteFixture::watchLink(code) + u"&feature=related"_s;
}

// A page in the site's format with one MP4 stream at the given address.
QByteArray customPage(const QString &title, const QString &streamURL, const QByteArray &extra = {})
{
    return "<html><head><title>\n  " + title.toUtf8() + "\n  - YouTube\n</title></head><body><script>"
           "yt.setConfig({'PLAYER_CONFIG': {\"length_seconds\": 10, \"url_encoded_fmt_stream_map\": \"url="
        + QUrl::toPercentEncoding(streamURL)
        + "\\u0026quality=medium\\u0026type=video%2Fmp4%3B+codecs%3D%22avc1%22\\u0026itag=18\"}});</script>"
        + extra + "</body></html>";
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QString fixturePage(const QString &name)
{
    QFile file(QStringLiteral(VANTREL_FIXTURES_DIR) + u"/watch-pages/"_s + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestDownloader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void wholeRoad();
    void twoItemsAtOnce();
    void pauseAndResumeAskForTheRest();
    void removal_data();
    void removal();
    void faults_data();
    void faults();
    void pauseDuringTheLastBlockStillSaves();
    void removalWhenTheDataEndsWritesNothing();
    void removalDuringThePageLoad();
    void anotherStreamChosenDuringADownload();
    void pageOutcomes_data();
    void pageOutcomes();
    void onlyWebAddressesAreFetched();
    void fileNamesAreSafe_data();
    void fileNamesAreSafe();
    void unwritableFolderPausesAndResumeRetries();
    void userOperationsOnlyWhereTheyApply();
    void quittingStopsEveryItem();

private:
    std::shared_ptr<YoutubeDownloader> newItem(const QString &link);
    bool waitForStatus(const std::shared_ptr<YoutubeDownloader> &item, YoutubeStatus status, int timeoutMs);
    bool startWhenReady(const std::shared_ptr<YoutubeDownloader> &item);
    void removeAndCheckGone(std::shared_ptr<YoutubeDownloader> &item);

    std::unique_ptr<SiteFixture> m_fixture;
    std::unique_ptr<RecordingOwner> m_owner;
    QList<std::shared_ptr<YoutubeDownloader>> m_items;
    std::mutex m_mutex;
    QList<std::pair<YoutubeDownloader *, YoutubeStatus>> m_notified;
};

void TestDownloader::initTestCase()
{
    m_fixture = std::make_unique<SiteFixture>();
    QVERIFY(m_fixture->isReady());
    QVERIFY(m_fixture->site.media().prepare());
    NotificationCenter::defaultCenter().addObserver(
        this, NOTIFICATION_YOUTUBE_STATUS_CHANGED.toString(), nullptr, [this](const Notification &n) {
            const auto item = n.userInfo.value(NOTIFICATION_YOUTUBE_DOWNLOADER_KEY.toString())
                                  .value<std::shared_ptr<YoutubeDownloader>>();
            std::lock_guard lock(m_mutex);
            m_notified.append({item.get(), item->youtubeStatus()});
        });
}

void TestDownloader::init()
{
    m_owner = std::make_unique<RecordingOwner>();
    m_fixture->site.clearFaults();
    m_fixture->site.clearRequests();
    m_fixture->site.media().setStreamBytes(18, 0);
    m_fixture->preferences.setPreferedQuality(Quality360p);
    m_fixture->preferences.setOutputFormat(0);
    std::lock_guard lock(m_mutex);
    m_notified.clear();
}

void TestDownloader::cleanup()
{
    YoutubeDownloader::removeAll(m_items);
    m_items.clear();
    for (const QString &entry : folderEntries(m_fixture->outputDir.path())) {
        const QString path = m_fixture->outputPath(entry);
        QVERIFY(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
    }
}

std::shared_ptr<YoutubeDownloader> TestDownloader::newItem(const QString &link)
{
    auto item = YoutubeDownloader::create(link, m_owner.get(), m_fixture->preferences);
    item->setDownloadPolicy({.attempts = 3, .firstDelay = 100ms, .transferTimeout = 1500ms});
    item->loadYoutubeContent();
    m_items.append(item);
    return item;
}

bool TestDownloader::waitForStatus(const std::shared_ptr<YoutubeDownloader> &item, YoutubeStatus status, int timeoutMs)
{
    if (QTest::qWaitFor([&] { return item->youtubeStatus() == status; }, timeoutMs))
        return true;
    qWarning("waited for status %d, still %d (%s)", int(status), int(item->youtubeStatus()),
             qPrintable(item->statusNote()));
    return false;
}

// Presses download as soon as the page is in.
bool TestDownloader::startWhenReady(const std::shared_ptr<YoutubeDownloader> &item)
{
    if (!waitForStatus(item, StatusReady, LoadTimeoutMs))
        return false;
    item->downloadButtonSelector();
    return true;
}

// Removes the item and checks that no thread of it is left: once the test
// lets go of it, nothing may keep it alive.
void TestDownloader::removeAndCheckGone(std::shared_ptr<YoutubeDownloader> &item)
{
    item->removeObject();
    QCOMPARE(item->youtubeStatus(), StatusRemoved);
    QCOMPARE(m_owner->statuses().last(), StatusRemoved);
    QCOMPARE(m_owner->removals(), 1);
    const std::weak_ptr<YoutubeDownloader> weak = item;
    m_items.removeOne(item);
    item.reset();
    QTRY_VERIFY_WITH_TIMEOUT(weak.expired(), 2000);
}

void TestDownloader::wholeRoad()
{
    const QString code = u"road-Test_01"_s;
    auto item = newItem(watchLink(code));
    auto views = std::make_shared<TestRowViews>();
    item->setRowViews(views);
    QVERIFY(waitForStatus(item, StatusReady, LoadTimeoutMs));

    QCOMPARE(item->youtubeCode(), code);
    QCOMPARE(item->youtubeTitle(), SamplePages::title(code).replace(u'/', u'-'));
    QCOMPARE(item->durationInSeconds(), SamplePages::lengthSeconds(code));
    QVERIFY(item->descriptionText().startsWith(u"Recorded for the sample site (video road-Test_01).\n\nTracks & credits:"_s));
    QCOMPARE(item->youtubeCoverURL(), u"http://i.ytimg.com/vi/road-Test_01/default.jpg"_s);
    QTRY_COMPARE(views->coverURL, item->youtubeCoverURL());
    const YoutubeQualityList streams = item->qualityList();
    QCOMPARE(streams.size(), 3);
    QCOMPARE(streams[0]->youtubeVideoQuality(), Quality720p);
    QCOMPARE(streams[1]->youtubeVideoQuality(), Quality1080p);
    QCOMPARE(streams[2]->youtubeVideoQuality(), Quality360p);
    QCOMPARE(streams[2]->fileContentSize(), m_fixture->streamBytes(18).size());
    QCOMPARE(item->currentQuality().get(), streams[2].get());

    item->downloadButtonSelector();
    QVERIFY(waitForStatus(item, StatusFinished, DownloadTimeoutMs));
    const QString expectedPath = m_fixture->outputPath(item->youtubeTitle() + u".mp4"_s);
    QCOMPARE(item->realyDownloadedFilePath(), expectedPath);
    QCOMPARE(item->filePathForDownloading(), expectedPath);
    QCOMPARE(SiteFixture::fileBytes(expectedPath), m_fixture->streamBytes(18));
    QCOMPARE(folderEntries(m_fixture->outputDir.path()).size(), 1);
    QCOMPARE(views->progress.load(), streams[2]->fileContentSize());
    QCOMPARE(item->downloadedBytes(), streams[2]->fileContentSize());

    QCOMPARE(m_owner->statuses(), (QList<YoutubeStatus>{StatusLoadingInfo, StatusReady, StatusDownloading,
                                                         StatusDownloaded, StatusFinished}));
    {
        std::lock_guard lock(m_mutex);
        QCOMPARE(m_notified.size(), 5);
        for (const auto &[notifiedItem, status] : m_notified)
            QCOMPARE(notifiedItem, item.get());
    }
    // The site saw the page through the proxy in absolute form, and one
    // stream request without a range.
    const QList<SiteRequest> pages = m_fixture->site.requests(u"/watch"_s);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].target, "http://www.youtube.com/watch?v=road-Test_01&feature=related");
    const QList<SiteRequest> streamRequests = m_fixture->site.requests(u"/videoplayback"_s);
    QCOMPARE(streamRequests.size(), 4); // three size probes, one download
    QVERIFY(streamRequests.last().header("range").isEmpty());
}

void TestDownloader::twoItemsAtOnce()
{
    m_fixture->site.addFault({.pathPrefix = u"/videoplayback"_s, .bytesPerSecond = 2'000'000});
    auto first = newItem(watchLink(u"first-of-two"_s));
    auto second = newItem(watchLink(u"second-of-two"_s));
    QVERIFY(waitForStatus(first, StatusReady, LoadTimeoutMs));
    QVERIFY(waitForStatus(second, StatusReady, LoadTimeoutMs));
    first->downloadButtonSelector();
    second->downloadButtonSelector();
    QTRY_VERIFY_WITH_TIMEOUT(first->youtubeStatus() == StatusDownloading && second->youtubeStatus() == StatusDownloading, 5000);
    QVERIFY(waitForStatus(first, StatusFinished, DownloadTimeoutMs));
    QVERIFY(waitForStatus(second, StatusFinished, DownloadTimeoutMs));
    QCOMPARE(SiteFixture::fileBytes(first->realyDownloadedFilePath()), m_fixture->streamBytes(18));
    QCOMPARE(SiteFixture::fileBytes(second->realyDownloadedFilePath()), m_fixture->streamBytes(18));
    QVERIFY(first->realyDownloadedFilePath() != second->realyDownloadedFilePath());
}

void TestDownloader::pauseAndResumeAskForTheRest()
{
    m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
    m_fixture->site.addFault({.pathPrefix = u"/videoplayback"_s, .bytesPerSecond = 1'500'000});
    auto item = newItem(watchLink(u"pause-resume"_s));
    QVERIFY(startWhenReady(item));
    QTRY_VERIFY_WITH_TIMEOUT(item->downloadedBytes() > 300'000, 10'000);

    item->pause();
    QCOMPARE(item->youtubeStatus(), StatusDownloadPaused);
    // Once the connection is gone the count stands still.
    qint64 held = -1;
    QTRY_VERIFY_WITH_TIMEOUT(std::exchange(held, item->downloadedBytes()) == item->downloadedBytes() && held > 0
                                 && (QTest::qWait(300), held == item->downloadedBytes()),
                             5000);
    QVERIFY(held < PaddedStreamBytes);
    item->resume();
    QVERIFY(waitForStatus(item, StatusFinished, DownloadTimeoutMs));

    const QList<SiteRequest> requests = m_fixture->site.requests(u"/videoplayback"_s);
    QVERIFY(requests.size() >= 3);
    QVERIFY(requests[requests.size() - 2].header("range").isEmpty());
    QCOMPARE(requests.last().header("range"), "bytes=" + QByteArray::number(held) + '-');
    QCOMPARE(SiteFixture::fileBytes(item->realyDownloadedFilePath()), m_fixture->streamBytes(18));
}

void TestDownloader::removal_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("downloading") << u"downloading"_s;
    QTest::newRow("paused") << u"paused"_s;
    QTest::newRow("stalled") << u"stalled"_s;
}

void TestDownloader::removal()
{
    QFETCH(QString, when);
    m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
    if (when == u"stalled")
        m_fixture->site.addFault({.pathPrefix = u"/videoplayback"_s, .stallAfter = 200'000});
    else
        m_fixture->site.addFault({.pathPrefix = u"/videoplayback"_s, .bytesPerSecond = 1'000'000});
    auto item = newItem(watchLink(u"removal-"_s + when));
    item->setDownloadPolicy({.attempts = 3, .firstDelay = 100ms, .transferTimeout = 30s});
    QVERIFY(startWhenReady(item));
    QTRY_VERIFY_WITH_TIMEOUT(item->downloadedBytes() >= (when == u"stalled" ? 200'000 : 100'000), 10'000);
    if (when == u"paused")
        item->pause();

    removeAndCheckGone(item);
    QCOMPARE(folderEntries(m_fixture->outputDir.path()), QStringList());
}

void TestDownloader::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("pauseMidway");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QByteArray>("lastRange");

    QTest::newRow("connection reset once") << u"path=/videoplayback,reset-after=100000,times=1"_s << false
                                           << int(StatusFinished) << QString() << QByteArray("bytes=100000-");
    QTest::newRow("stall once") << u"path=/videoplayback,stall-after=150000,times=1"_s << false
                                << int(StatusFinished) << QString() << QByteArray("bytes=150000-");
    QTest::newRow("server error once") << u"path=/videoplayback,status=500,times=1"_s << false
                                       << int(StatusFinished) << QString() << QByteArray();
    QTest::newRow("range ignored") << u"path=/videoplayback,ignore-range,throttle=1500000"_s << true
                                   << int(StatusFinished) << QString() << QByteArray();
    QTest::newRow("no length") << u"path=/videoplayback,no-length"_s << false << int(StatusFinished) << QString()
                               << QByteArray();
    QTest::newRow("stream missing") << u"path=/videoplayback,status=404"_s << false << int(StatusDownloadPaused)
                                    << u"HTTP 404"_s << QByteArray();
    QTest::newRow("page server error") << u"path=/watch,status=500"_s << false << int(StatusInfoFailed) << QString()
                                       << QByteArray();
    QTest::newRow("page missing") << u"path=/watch,status=404"_s << false << int(StatusInfoFailed) << QString()
                                  << QByteArray();
    QTest::newRow("page without length") << u"path=/watch,no-length"_s << false << int(StatusFinished) << QString()
                                         << QByteArray();
}

void TestDownloader::faults()
{
    QFETCH(QString, fault);
    QFETCH(bool, pauseMidway);
    QFETCH(int, outcome);
    QFETCH(QString, note);
    QFETCH(QByteArray, lastRange);
    m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
    const std::optional<SiteFault> parsed = SiteFault::parse(fault);
    QVERIFY(parsed);
    // A page fault is armed before the page is asked for; a stream fault
    // once the page is in, since the size probes are stream requests too.
    if (parsed->pathPrefix == u"/watch")
        m_fixture->site.addFault(*parsed);
    auto item = newItem(watchLink(u"fault-"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-')));
    QTRY_VERIFY_WITH_TIMEOUT(item->youtubeStatus() != StatusLoadingInfo, LoadTimeoutMs);
    if (outcome == StatusInfoFailed) {
        QCOMPARE(item->youtubeStatus(), StatusInfoFailed);
        return;
    }
    QCOMPARE(item->youtubeStatus(), StatusReady);
    if (parsed->pathPrefix != u"/watch")
        m_fixture->site.addFault(*parsed);
    m_fixture->site.clearRequests();

    item->downloadButtonSelector();
    if (pauseMidway) {
        QTRY_VERIFY_WITH_TIMEOUT(item->downloadedBytes() > 200'000, 10'000);
        item->pause();
        QTest::qWait(300);
        item->resume();
    }
    QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), outcome, DownloadTimeoutMs);
    if (outcome == StatusFinished) {
        QCOMPARE(SiteFixture::fileBytes(item->realyDownloadedFilePath()), m_fixture->streamBytes(18));
        QVERIFY(item->statusNote().isEmpty());
    } else {
        QVERIFY2(item->statusNote().contains(note), qPrintable(item->statusNote()));
        QVERIFY(item->statusText().contains(note));
        QCOMPARE(folderEntries(m_fixture->outputDir.path()), QStringList());
    }
    if (!lastRange.isEmpty())
        QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).last().header("range"), lastRange);
}

void TestDownloader::pauseDuringTheLastBlockStillSaves()
{
    auto item = newItem(watchLink(u"pause-last-block"_s));
    auto views = std::make_shared<TestRowViews>();
    const qint64 size = m_fixture->streamBytes(18).size();
    views->onProgress = [item = item.get(), size](qint64 value) {
        if (value == size)
            item->pause();
    };
    item->setRowViews(views);
    QVERIFY(startWhenReady(item));
    QVERIFY(waitForStatus(item, StatusFinished, DownloadTimeoutMs));
    QCOMPARE(SiteFixture::fileBytes(item->realyDownloadedFilePath()), m_fixture->streamBytes(18));
}

void TestDownloader::removalWhenTheDataEndsWritesNothing()
{
    auto item = newItem(watchLink(u"remove-at-end"_s));
    auto views = std::make_shared<TestRowViews>();
    const qint64 size = m_fixture->streamBytes(18).size();
    std::atomic<bool> lastBlockShown = false;
    // The download thread holds on in its last data block until the removal
    // has begun, then goes on to the end of the data.
    views->onProgress = [item = item.get(), size, &lastBlockShown](qint64 value) {
        if (value != size)
            return;
        lastBlockShown = true;
        while (item->youtubeStatus() != StatusRemoved)
            std::this_thread::sleep_for(1ms);
    };
    item->setRowViews(views);
    QVERIFY(startWhenReady(item));
    QTRY_VERIFY_WITH_TIMEOUT(lastBlockShown.load(), DownloadTimeoutMs);
    removeAndCheckGone(item);
    QCOMPARE(folderEntries(m_fixture->outputDir.path()), QStringList());
}

void TestDownloader::removalDuringThePageLoad()
{
    m_fixture->site.addFault({.pathPrefix = u"/watch"_s, .bytesPerSecond = 4000});
    auto item = newItem(watchLink(u"remove-while-loading"_s));
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->site.requests(u"/watch"_s).size(), 1, 5000);
    removeAndCheckGone(item);
    const QList<YoutubeStatus> statuses = m_owner->statuses();
    QCOMPARE(statuses, (QList<YoutubeStatus>{StatusLoadingInfo, StatusRemoved}));
}

void TestDownloader::anotherStreamChosenDuringADownload()
{
    m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
    m_fixture->site.addFault({.pathPrefix = u"/videoplayback"_s, .bytesPerSecond = 3'000'000});
    auto item = newItem(watchLink(u"switch-stream"_s));
    QVERIFY(startWhenReady(item));
    QTRY_VERIFY_WITH_TIMEOUT(item->downloadedBytes() > 100'000, 10'000);
    const YoutubeQualityPtr other = item->qualityList().first();
    item->setCurrentQuality(other);
    QCOMPARE(item->currentQuality(), other);
    QVERIFY(waitForStatus(item, StatusFinished, DownloadTimeoutMs));
    QCOMPARE(SiteFixture::fileBytes(item->realyDownloadedFilePath()), m_fixture->streamBytes(18));
    for (const SiteRequest &request : m_fixture->site.requests(u"/videoplayback"_s).mid(3))
        QCOMPARE(request.query.queryItemValue(u"itag"_s), u"18"_s);
}

void TestDownloader::pageOutcomes_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QByteArray>("page"); // served for the link's code; empty: the generated page
    QTest::addColumn<int>("outcome");

    const QString link = watchLink(u"outcome"_s);
    const QByteArray streamless = "<title>x</title><script>'PLAYER_CONFIG': {\"length_seconds\": 3, "
                                  "\"url_encoded_fmt_stream_map\": \"url=http%3A%2F%2Fa\\u0026quality=large"
                                  "\\u0026type=video%2Fx-flv\"}</script>";
    QTest::newRow("only flv streams") << link << streamless << int(StatusNoStream);
    QTest::newRow("no title") << link << QByteArray(streamless).replace("<title>x</title>", "") << int(StatusInfoFailed);
    QTest::newRow("no configuration") << link << QByteArray("<title>x</title><p>nothing</p>") << int(StatusInfoFailed);
    QTest::newRow("not utf-8") << link << QByteArray(customPage(u"x"_s, u"http://a/v"_s)).append("\xff\xfe") << int(StatusInfoFailed);
    QTest::newRow("no description is fine") << link << customPage(u"x"_s, u"http://s.youtube.com/videoplayback?itag=18"_s)
                                            << int(StatusReady);
    QTest::newRow("user page link") << u"see http://www.youtube.com/user/someone"_s << QByteArray() << int(StatusInfoFailed);
    QTest::newRow("archived 2012 page") << link << fixturePage(u"2012-07_watch_player-config_derived.html"_s).toUtf8()
                                        << int(StatusReady);
    QTest::newRow("archived channel page") << link << fixturePage(u"2013-02_channel_player-config_empty-stream-map.html"_s).toUtf8()
                                           << int(StatusNoStream);
    QTest::newRow("archived other config") << link << fixturePage(u"2013-06_watch_ytplayer-config_negative.html"_s).toUtf8()
                                           << int(StatusInfoFailed);
}

void TestDownloader::pageOutcomes()
{
    QFETCH(QString, link);
    QFETCH(QByteArray, page);
    QFETCH(int, outcome);
    if (QByteArray(QTest::currentDataTag()).startsWith("archived") && page.isEmpty())
        QSKIP("archived pages not present");
    m_fixture->site.setPage(u"outcome"_s, page.isEmpty() ? SamplePages::watchPage(u"outcome"_s) : page);
    auto item = newItem(link);
    QTRY_VERIFY_WITH_TIMEOUT(item->youtubeStatus() != StatusLoadingInfo, LoadTimeoutMs);
    QCOMPARE(int(item->youtubeStatus()), outcome);
    QCOMPARE(item->currentQuality() != nullptr, outcome == StatusReady);
}

void TestDownloader::onlyWebAddressesAreFetched()
{
    // A link that is valid by its text but names a local file.
    auto local = newItem(u"file:///etc/hostname?http://www.youtube.com/watch?v=local"_s);
    QVERIFY(waitForStatus(local, StatusInfoFailed, LoadTimeoutMs));
    QVERIFY(local->youtubeContent().isEmpty());

    // A page whose stream lives on the local disk: no probe, no download.
    m_fixture->site.setPage(u"localstream"_s, customPage(u"Local"_s, u"file:///etc/hostname"_s));
    auto item = newItem(watchLink(u"localstream"_s));
    QVERIFY(waitForStatus(item, StatusReady, LoadTimeoutMs));
    QCOMPARE(item->currentQuality()->fileContentSize(), 0);
    item->downloadButtonSelector();
    QVERIFY(waitForStatus(item, StatusDownloadPaused, DownloadTimeoutMs));
    QVERIFY(!item->statusNote().isEmpty());
    QCOMPARE(folderEntries(m_fixture->outputDir.path()), QStringList());
    QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).size(), 0);
}

void TestDownloader::fileNamesAreSafe_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("control characters") << u"A&#1;B&rsquo;s C"_s << u"A_B_s C.mp4"_s;
    QTest::newRow("quotes and shell characters kept") << u"&quot;$(rm -rf ~)&quot; `x` 'y'"_s
                                                      << u"\"$(rm -rf ~)\" `x` 'y'.mp4"_s;
    const QString japanese = QString(u"音楽"_s).repeated(50);
    QTest::newRow("long japanese title cut")
        << japanese << japanese.left((255 - 16 - 4) / 3) + u".mp4"_s;
    const QString emoji = QString(u"\U0001F3B5"_s).repeated(70);
    QTest::newRow("emoji never split") << emoji << emoji.left(58 * 2) + u".mp4"_s;
}

void TestDownloader::fileNamesAreSafe()
{
    QFETCH(QString, title);
    QFETCH(QString, fileName);
    m_fixture->site.setPage(u"names"_s, customPage(title, u"http://s.youtube.com/videoplayback?itag=18"_s));
    auto item = newItem(watchLink(u"names"_s));
    // A folder that does not exist yet is made.
    const QString folder = m_fixture->outputPath(u"new/sub"_s);
    item->setSavedFolderPath(folder);
    QVERIFY(startWhenReady(item));
    QVERIFY(waitForStatus(item, StatusFinished, DownloadTimeoutMs));
    QCOMPARE(item->realyDownloadedFilePath(), folder + u'/' + fileName);
    QCOMPARE(folderEntries(folder), QStringList{fileName});
    QVERIFY(fileName.toUtf8().size() <= 255);
}

void TestDownloader::unwritableFolderPausesAndResumeRetries()
{
    // The folder to write in is blocked by a file of that name.
    const QString blocker = m_fixture->outputPath(u"blocked"_s);
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    auto item = newItem(watchLink(u"unwritable"_s));
    item->setSavedFolderPath(blocker + u"/inside"_s);
    QVERIFY(startWhenReady(item));
    QVERIFY(waitForStatus(item, StatusDownloadPaused, DownloadTimeoutMs));
    QVERIFY(!item->statusNote().isEmpty());
    QCOMPARE(m_owner->statuses().count(StatusFinished), 0);

    const int streamRequests = m_fixture->site.requests(u"/videoplayback"_s).size();
    QVERIFY(QFile::remove(blocker));
    item->resume();
    QVERIFY(waitForStatus(item, StatusFinished, DownloadTimeoutMs));
    // The data was kept: saving again needed no new request.
    QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).size(), streamRequests);
    QCOMPARE(SiteFixture::fileBytes(item->realyDownloadedFilePath()), m_fixture->streamBytes(18));
    QVERIFY(item->statusNote().isEmpty());
}

void TestDownloader::userOperationsOnlyWhereTheyApply()
{
    auto item = newItem(watchLink(u"operations"_s));
    QVERIFY(waitForStatus(item, StatusReady, LoadTimeoutMs));
    const int announced = m_owner->statuses().size();
    item->pause();
    item->resume();
    item->play();
    QCOMPARE(item->youtubeStatus(), StatusReady);
    QCOMPARE(m_owner->statuses().size(), announced);
    // A second start of the page load or of the download does nothing.
    item->loadYoutubeContent();
    item->downloadVideo();
    item->downloadVideo();
    QVERIFY(waitForStatus(item, StatusFinished, DownloadTimeoutMs));
    QCOMPARE(m_fixture->site.requests(u"/watch"_s).size(), 1);
    QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).size(), 4);
}

// What the program does on quit: every item, whatever it is doing, stops
// within the time limit and no thread is left behind.
void TestDownloader::quittingStopsEveryItem()
{
    m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
    auto finished = newItem(watchLink(u"quit-finished"_s));
    QVERIFY(startWhenReady(finished));
    QVERIFY(waitForStatus(finished, StatusFinished, DownloadTimeoutMs));

    QList<std::shared_ptr<YoutubeDownloader>> busy;
    for (const QString &code : {u"quit-downloading"_s, u"quit-paused"_s, u"quit-stalled"_s})
        busy.append(newItem(watchLink(code)));
    for (const auto &item : busy)
        QVERIFY(waitForStatus(item, StatusReady, LoadTimeoutMs));
    // One of the three downloads stalls, the others crawl.
    m_fixture->site.addFault({.pathPrefix = u"/videoplayback"_s, .times = 1, .stallAfter = 1000});
    m_fixture->site.addFault({.pathPrefix = u"/videoplayback"_s, .bytesPerSecond = 500'000});
    for (const auto &item : busy)
        item->downloadButtonSelector();
    busy[1]->pause();
    m_fixture->site.addFault({.pathPrefix = u"/watch"_s, .bytesPerSecond = 1000});
    busy.append(newItem(watchLink(u"quit-loading"_s)));
    QTRY_VERIFY_WITH_TIMEOUT(busy[0]->downloadedBytes() > 0 && busy[2]->downloadedBytes() > 0, 10'000);

    QList<std::weak_ptr<YoutubeDownloader>> watched;
    for (const auto &item : std::as_const(m_items))
        watched.append(item);
    YoutubeDownloader::removeAll(m_items);
    m_items.clear();
    busy.clear();
    finished.reset();
    for (const auto &weak : watched)
        QTRY_VERIFY_WITH_TIMEOUT(weak.expired(), 2000);
    QCOMPARE(m_owner->removals(), 5);
    QCOMPARE(folderEntries(m_fixture->outputDir.path()).size(), 1);
}

QTEST_GUILESS_MAIN(TestDownloader)
#include "tst_downloader.moc"
