#include "DownloadList.h"
#include "FileSizeLimit.h"
#include "HttpClient.h"
#include "KeptItem.h"
#include "ProcessResources.h"
#include "RecordingOwner.h"
#include "SiteFixture.h"
#include "TestRowViews.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr qint64 PaddedStreamBytes = 2 * 1024 * 1024;

QString watchLink(const QString &code)
{
    return SiteFixture::watchLink(code) + u"&feature=related"_s;
}

// A page in the site's format with one MP4 stream at the given address.
QByteArray customPage(const QString &title, const QString &streamURL)
{
    return "<html><head><title>\n  " + title.toUtf8() + "\n  - YouTube\n</title></head><body><script>"
           "yt.setConfig({'PLAYER_CONFIG': {\"length_seconds\": 10, \"url_encoded_fmt_stream_map\": \"url="
        + QUrl::toPercentEncoding(streamURL)
        + "\\u0026quality=medium\\u0026type=video%2Fmp4%3B+codecs%3D%22avc1%22\\u0026itag=18\"}});</script></body></html>";
}

// Faults in the sample site's own notation, separated by ";".
void addFaults(SampleSite &site, const QString &faults)
{
    for (const QString &fault : faults.split(u';', Qt::SkipEmptyParts))
        site.addFault(SiteFault::parse(fault).value());
}

} // namespace

class TestDownloader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
    }

    void init()
    {
        m_owner = std::make_shared<RecordingOwner>();
        m_fixture->site.clearFaults();
        m_fixture->site.clearRequests();
        m_fixture->site.media().setStreamBytes(18, 0);
        m_fixture->preferences.setPreferedQuality(Quality360p);
        m_fixture->preferences.setOutputFormat(OutputFormat::Video);
        m_fixture->preferences.setSavedFolderPath(m_fixture->outputDir.path());
    }

    void cleanup()
    {
        YoutubeDownloader::removeAll(m_items);
        m_items.clear();
        m_fixture->clearOutput();
    }

    void wholeRoad()
    {
        auto item = newItem(watchLink(u"road-Test_01"_s));
        // A folder that does not exist yet is made.
        m_fixture->preferences.setSavedFolderPath(m_fixture->outputPath(u"new/sub"_s));
        auto views = std::make_shared<TestRowViews>();
        item->setRowViews(views);
        QVERIFY(waitForStatus(item, StatusReady));

        QCOMPARE(item->youtubeCode(), u"road-Test_01"_s);
        QCOMPARE(item->youtubeTitle(), u"Northern Gardens \"Remastered\""_s);
        QCOMPARE(item->durationInSeconds(), 446);
        QVERIFY(item->descriptionText().startsWith(u"Recorded for the sample site (video road-Test_01).\n\nTracks & credits:"_s));
        QTRY_COMPARE(views->coverURL, u"http://i.ytimg.com/vi/road-Test_01/default.jpg"_s);
        const YoutubeQualityList streams = item->qualityList();
        QCOMPARE(streams.size(), 3);
        QCOMPARE(streams[2]->youtubeVideoQuality(), Quality360p);
        QCOMPARE(streams[2]->fileContentSize(), m_fixture->streamBytes(18).size());
        QCOMPARE(item->currentQuality(), streams[2]);

        item->downloadButtonSelector();
        QVERIFY(waitForStatus(item, StatusFinished));
        const QString path = m_fixture->outputPath(u"new/sub/Northern Gardens \"Remastered\".mp4"_s);
        QCOMPARE(item->wholeFilePath(), path);
        QCOMPARE(SiteFixture::fileBytes(path), m_fixture->streamBytes(18));
        QCOMPARE(SiteFixture::entries(m_fixture->outputPath(u"new/sub"_s)).size(), 1);
        QCOMPARE(views->progress.load(), streams[2]->fileContentSize());
        QCOMPARE(m_owner->statuses(), (QList<YoutubeStatus>{StatusLoadingInfo, StatusReady, StatusDownloading,
                                                             StatusDownloaded, StatusFinished}));
        // The page went through the proxy in absolute form; three size probes,
        // then one download.
        QCOMPARE(m_fixture->site.requests(u"/watch"_s).constFirst().target,
                 "http://www.youtube.com/watch?v=road-Test_01&feature=related");
        QCOMPARE(m_fixture->site.requests().size(), 5);
    }

    void pauseAndResumeAskForTheRest()
    {
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        addFaults(m_fixture->site, u"path=/videoplayback,throttle=2000000"_s);
        auto item = newItem(watchLink(u"pause-resume"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        const int threads = ProcessResources::settled(ProcessResources::threads);
        item->downloadButtonSelector();
        QTRY_VERIFY_WITH_TIMEOUT(item->downloadedBytes() > 300'000, 10'000);

        item->pause();
        QCOMPARE(item->youtubeStatus(), StatusDownloadPaused);
        // Once the connection is gone the count stands still.
        qint64 held = -1;
        QTRY_VERIFY_WITH_TIMEOUT(std::exchange(held, item->downloadedBytes()) == item->downloadedBytes()
                                     && (QTest::qWait(300), held == item->downloadedBytes()),
                                 5000);
        QVERIFY(held < PaddedStreamBytes);
        // Paused, the download keeps its own thread and no network one.
        QCOMPARE(ProcessResources::settled(ProcessResources::threads), threads + 1);
        item->resume();
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).last().header("range"), "bytes=" + QByteArray::number(held) + '-');
        QCOMPARE(SiteFixture::fileBytes(item->wholeFilePath()), m_fixture->streamBytes(18));
        // The site's own count, which the crash matrix bounds refetches by.
        QTRY_COMPARE(m_fixture->site.requests(u"/videoplayback"_s).last().bodyBytesSent, PaddedStreamBytes - held);
    }

    void faults_data()
    {
        QTest::addColumn<QString>("beforePage"); // armed before the page load and its size probes
        QTest::addColumn<QString>("onceReady");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("note");

        const int finished = StatusFinished;
        QTest::newRow("connection reset once") << QString() << u"path=/videoplayback,reset-after=100000,times=1"_s << finished
                                               << QString();
        QTest::newRow("stall once") << QString() << u"path=/videoplayback,stall-after=150000,times=1"_s << finished << QString();
        QTest::newRow("server error once") << QString() << u"path=/videoplayback,status=500,times=1"_s << finished << QString();
        QTest::newRow("range ignored")
            << QString() << u"path=/videoplayback,reset-after=100000,times=1;path=/videoplayback,ignore-range"_s << finished
            << QString();
        QTest::newRow("range from elsewhere")
            << QString() << u"path=/videoplayback,reset-after=100000,times=1;path=/videoplayback,range-shift=1000,times=1"_s
            << finished << QString();
        // Nothing says how long the stream is but the range it is sent as:
        // the size probes learn nothing.
        QTest::newRow("no length, connection dropped")
            << u"path=/videoplayback,ignore-range,no-length,times=3;"
               "path=/videoplayback,no-length,reset-after=100000,times=1;path=/videoplayback,no-length"_s
            << QString() << finished << QString();
        // Taken at its word, the announced length would end the file short.
        QTest::newRow("whole body longer than announced once")
            << QString() << u"path=/videoplayback,ignore-range,length-delta=-500000,times=1"_s << finished << QString();
        // Every attempt starts over and breaks at the same byte: no progress, no end.
        QTest::newRow("range ignored, every connection reset")
            << QString() << u"path=/videoplayback,ignore-range,reset-after=100000"_s << int(StatusDownloadPaused)
            << u"Download stopped: Connection closed. Press Resume to try again."_s;
        QTest::newRow("stream missing") << QString() << u"path=/videoplayback,status=404"_s << int(StatusDownloadPaused)
                                        << u"Download stopped: HTTP 404. Press Resume to try again."_s;
        QTest::newRow("page server error") << u"path=/watch,status=500"_s << QString() << int(StatusInfoFailed)
                                           << u"The page could not be fetched: HTTP 500"_s;
        QTest::newRow("page without length") << u"path=/watch,no-length"_s << QString() << finished << QString();
    }

    void faults()
    {
        QFETCH(QString, beforePage);
        QFETCH(QString, onceReady);
        QFETCH(int, outcome);
        QFETCH(QString, note);
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        addFaults(m_fixture->site, beforePage);
        auto item = newItem(watchLink(u"fault"_s));
        QTRY_VERIFY_WITH_TIMEOUT(item->youtubeStatus() != StatusLoadingInfo, 20'000);
        addFaults(m_fixture->site, onceReady);
        item->downloadButtonSelector();
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), outcome, 30'000);
        QCOMPARE(item->statusNote(), note);
        if (outcome == StatusFinished) {
            QCOMPARE(SiteFixture::fileBytes(item->wholeFilePath()), m_fixture->streamBytes(18));
            return;
        }
        // At most what arrived, kept for Resume under a temporary name.
        for (const QString &entry : m_fixture->outputEntries())
            QVERIFY2(!entry.endsWith(u".mp4"_s), qPrintable(entry));
    }

    void pauseDuringTheLastBlockStillSaves()
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
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(SiteFixture::fileBytes(item->wholeFilePath()), m_fixture->streamBytes(18));
    }

    // No thread of the item is left: once the test lets go of it, nothing
    // keeps it alive; and the page that arrives late changes nothing.
    void removalDuringThePageLoad()
    {
        addFaults(m_fixture->site, u"path=/watch,throttle=4000"_s);
        auto item = newItem(watchLink(u"remove-while-loading"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_fixture->site.requests(u"/watch"_s).size(), 1, 5000);
        item->removeObject();
        const std::weak_ptr<YoutubeDownloader> weak = item;
        m_items.clear();
        item.reset();
        QTRY_VERIFY_WITH_TIMEOUT(weak.expired(), 2000);
        QCOMPARE(m_owner->statuses(), (QList<YoutubeStatus>{StatusLoadingInfo, StatusRemoved}));
    }

    // Removing returns while the item's thread still runs; the thread takes
    // its partial file with it, and a list that goes meanwhile joins it and
    // is reached by it no more (the sanitizer builds watch that).
    void removalDoesNotWaitForTheWork_data()
    {
        QTest::addColumn<bool>("listGoes");
        QTest::newRow("list stays") << false;
        QTest::newRow("list goes at once") << true;
    }

    void removalDoesNotWaitForTheWork()
    {
        QFETCH(bool, listGoes);
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        auto list = std::make_unique<DownloadList>(m_fixture->preferences);
        auto item = list->add({watchLink(u"remove-busy"_s)}, m_fixture->outputDir.path()).constFirst();
        QVERIFY(waitForStatus(item, StatusReady));
        addFaults(m_fixture->site, u"path=/videoplayback,throttle=20000"_s);
        list->download({item});
        QTRY_VERIFY(item->downloadedBytes() > 0);
        QCOMPARE(m_fixture->outputEntries().size(), 1);
        list->remove({item});
        QVERIFY(list->items().isEmpty());
        QVERIFY(item->hasWorkRunning());
        const std::weak_ptr<YoutubeDownloader> weak = item;
        item.reset();
        if (listGoes)
            list.reset();
        QTRY_VERIFY(weak.expired());
        QTRY_COMPARE(m_fixture->outputEntries(), QStringList());
    }

    void anotherStreamChosenDuringADownload()
    {
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        addFaults(m_fixture->site, u"path=/videoplayback,reset-after=200000,times=4"_s);
        auto item = newItem(watchLink(u"switch-stream"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        const YoutubeQualityPtr other = item->qualityList().first();
        auto views = std::make_shared<TestRowViews>();
        views->onProgress = [item = item.get(), other](qint64) { item->setCurrentQuality(other); };
        item->setRowViews(views);
        item->downloadButtonSelector();
        // The download goes on, after the reset too, with the stream it began.
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(item->currentQuality(), other);
        QCOMPARE(SiteFixture::fileBytes(item->wholeFilePath()), m_fixture->streamBytes(18));
    }

    void pageOutcomes_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QByteArray>("page"); // served for the code "outcome"
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("pageReads"); // a second one by yt-dlp

        const QString link = watchLink(u"outcome"_s);
        const QByteArray streamless = "<title>x</title><script>'PLAYER_CONFIG': {\"url_encoded_fmt_stream_map\": "
                                      "\"url=http%3A%2F%2Fa\\u0026quality=large\\u0026type=video%2Fx-flv\"}</script>";
        const QByteArray good = customPage(u"x"_s, u"http://s.youtube.com/videoplayback?itag=18"_s);
        QTest::newRow("only flv streams") << link << streamless << int(StatusNoStream) << 1;
        QTest::newRow("no title") << link << QByteArray(streamless).replace("<title>x</title>", "") << int(StatusInfoFailed) << 1;
        // Today's pages carry no configuration of the old form: yt-dlp reads them.
        QTest::newRow("no configuration") << link << QByteArray("<title>x</title><p>nothing</p>") << int(StatusInfoFailed) << 2;
        QTest::newRow("not utf-8") << link << good + "\xff\xfe" << int(StatusInfoFailed) << 1;
        QTest::newRow("no description is fine") << link << good << int(StatusReady) << 1;
        // The site serves a good page for "v=%41bc", but the link has no code.
        QTest::newRow("link without a code") << u"http://www.youtube.com/watch?v=%41bc"_s << good << int(StatusInfoFailed) << 1;
        // Real pages are far smaller; reading on would only fill memory.
        QTest::newRow("a page of 50 MB") << link << good + QByteArray(50 << 20, ' ') << int(StatusInfoFailed) << 1;
        QTest::newRow("archived 2012 page")
            << link
            << SiteFixture::fileBytes(QStringLiteral(VANTREL_FIXTURES_DIR "/watch-pages/2012-07_watch_player-config_derived.html"))
            << int(StatusReady) << 1;
    }

    void pageOutcomes()
    {
        QFETCH(QString, link);
        QFETCH(QByteArray, page);
        QFETCH(int, outcome);
        QFETCH(int, pageReads);
        if (page.isEmpty())
            QSKIP("archived pages not present");
        m_fixture->site.setPage(u"outcome"_s, page);
        m_fixture->site.setPage(u"Abc"_s, page);
        auto item = newItem(link);
        QTRY_VERIFY_WITH_TIMEOUT(item->youtubeStatus() != StatusLoadingInfo, 20'000);
        QCOMPARE(int(item->youtubeStatus()), outcome);
        QCOMPARE(m_fixture->site.requests(u"/watch"_s).size(), pageReads);
    }

    // Each stream offered is asked for its size before the item is ready.
    void thousandsOfStreamsAreCut()
    {
        QByteArrayList streams;
        for (int i = 0; i < 10'000; ++i)
            streams.append("url=http%3A%2F%2Fs.youtube.com%2Fvideoplayback%3Fitag%3D18%26n%3D" + QByteArray::number(i)
                           + "\\u0026quality=" + (i % 2 ? "medium" : "small") + "\\u0026type=video%2Fmp4%3B");
        m_fixture->site.setPage(u"streams"_s, "<title>Many</title><script>'PLAYER_CONFIG': {\"url_encoded_fmt_stream_map\": \""
                                                 + streams.join(',') + "\"}</script>");
        auto item = newItem(watchLink(u"streams"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).size(), 32);
        QCOMPARE(item->currentQuality()->videoURL(), u"http://s.youtube.com/videoplayback?itag=18&n=1"_s);
    }

    void probe_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<qint64>("size");

        // Slow: a probe that read the body would never end in time.
        QTest::newRow("range answered, no length") << u"path=/videoplayback,no-length,throttle=1000"_s << PaddedStreamBytes;
        QTest::newRow("range ignored") << u"path=/videoplayback,ignore-range,throttle=1000"_s << PaddedStreamBytes;
        QTest::newRow("range ignored, no length")
            << u"path=/videoplayback,ignore-range,no-length,throttle=1000"_s << qint64(-1);
        QTest::newRow("error status") << u"path=/videoplayback,status=404"_s << qint64(0);
        QTest::newRow("stalled after the head") << u"path=/videoplayback,stall-after=0"_s << PaddedStreamBytes;
        QTest::newRow("connection refused") << QString() << qint64(0);
    }

    // The size of a stream from the head of its answer alone.
    void probe()
    {
        QFETCH(QString, fault);
        QFETCH(qint64, size);
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        const QByteArray proxy = qgetenv("http_proxy");
        if (fault.isEmpty())
            qputenv("http_proxy", "http://127.0.0.1:1");
        addFaults(m_fixture->site, fault);
        const qint64 probed = HttpClient().probeSize(QUrl(u"http://r1.youtube.com/videoplayback?itag=18"_s));
        qputenv("http_proxy", proxy);
        QCOMPARE(probed, size);
        QCOMPARE(m_fixture->site.requests().size(), fault.isEmpty() ? 0 : 1);
    }

    // The site's own count of what it sent: each probe cost it a head and a
    // byte, not the stream.
    void pageLoadProbesCostAFewBytes()
    {
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        auto item = newItem(watchLink(u"probe-cost"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        QCOMPARE(item->currentQuality()->fileContentSize(), PaddedStreamBytes);
        const QList<SiteRequest> probes = m_fixture->site.requests(u"/videoplayback"_s);
        QCOMPARE(probes.size(), 3);
        for (const SiteRequest &probe : probes)
            QCOMPARE_LT(probe.bytesSent(), qint64(512));
    }

    // What arrives is on disk, beside the video's name, until the end; a
    // removal takes it away.
    void streamGoesToATemporaryFile()
    {
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        addFaults(m_fixture->site, u"path=/videoplayback,throttle=100000"_s);
        m_fixture->site.setPage(u"streamed"_s, customPage(u"Streamed"_s, u"http://s.youtube.com/videoplayback?itag=18"_s));
        auto item = newItem(watchLink(u"streamed"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        item->downloadButtonSelector();
        QTRY_VERIFY(item->downloadedBytes() > 0);
        const qint64 received = item->downloadedBytes();
        const QStringList entries = m_fixture->outputEntries();
        QCOMPARE(entries.size(), 1);
        QVERIFY(entries.constFirst().startsWith(u"Streamed.mp4."_s));
        QVERIFY(QFileInfo(m_fixture->outputPath(entries.constFirst())).size() >= received);
        item->removeObject();
        QCOMPARE(m_fixture->outputEntries(), QStringList());
    }

    void pageFetchStopsAtItsLimit()
    {
        HttpClient client;
        const QUrl page(u"http://www.youtube.com/watch?v=limit"_s);
        const std::optional<QByteArray> whole = client.fetch(page, 1 << 20);
        QVERIFY(whole && whole->contains("<title>"));
        QVERIFY(!client.fetch(page, whole->size() - 1));
    }

    void onlyWebAddressesAreFetched()
    {
        // Valid by its text, but a local file.
        auto local = newItem(u"file:///etc/hostname?http://www.youtube.com/watch?v=local"_s);
        QVERIFY(waitForStatus(local, StatusInfoFailed));

        // A page whose stream lives on the local disk: no probe, no download.
        m_fixture->site.setPage(u"localstream"_s, customPage(u"Local"_s, u"file:///etc/hostname"_s));
        auto item = newItem(watchLink(u"localstream"_s));
        QVERIFY(startWhenReady(item));
        QVERIFY(waitForStatus(item, StatusDownloadPaused));
        QVERIFY(!item->statusNote().isEmpty());
        QCOMPARE(m_fixture->outputEntries(), QStringList());
        QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).size(), 0);
    }

    // A disk that fills up while the video is written: the old file of that name
    // stays whole, nothing half-written is left, and Resume saves the data kept.
    void saveFailingHalfWayKeepsTheOldFile()
    {
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        m_fixture->site.setPage(u"full-disk"_s, customPage(u"Full"_s, u"http://s.youtube.com/videoplayback?itag=18"_s));
        const QString path = m_fixture->outputPath(u"Full.mp4"_s);
        QVERIFY(SiteFixture::writeFile(path, "the old file"));
        auto item = newItem(watchLink(u"full-disk"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        {
            const FileSizeLimit limit(PaddedStreamBytes / 2);
            item->downloadButtonSelector();
            QVERIFY(waitForStatus(item, StatusDownloadPaused));
        }
        QVERIFY2(item->statusNote().startsWith(u"Could not save the video file"_s), qPrintable(item->statusNote()));
        QCOMPARE(SiteFixture::fileBytes(path), "the old file");
        // What arrived waits beside it for Resume.
        const QStringList entries = m_fixture->outputEntries();
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries.at(0).startsWith(u"Full (2).mp4.vantrel-"_s));
        QVERIFY(QFileInfo(m_fixture->outputPath(entries.at(0))).size() <= PaddedStreamBytes / 2);
        QVERIFY(!m_owner->statuses().contains(StatusFinished));
        // Paused, the item does nothing: its time stands still, its row too.
        const double time = item->downloadTime();
        const int redraws = m_owner->redraws;
        QTest::qWait(1200);
        QCOMPARE(item->downloadTime(), time);
        QCOMPARE(m_owner->redraws, redraws);

        item->resume();
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(SiteFixture::fileBytes(m_fixture->outputPath(u"Full (2).mp4"_s)), m_fixture->streamBytes(18));
        QCOMPARE(SiteFixture::fileBytes(path), "the old file");
        QCOMPARE(m_fixture->outputEntries(), (QStringList{u"Full (2).mp4"_s, u"Full.mp4"_s}));
        QVERIFY(item->statusNote().isEmpty());
    }

    void renameIntoPlaceFails_data()
    {
        QTest::addColumn<bool>("folderGoes"); // else a file takes the video's name
        QTest::addColumn<QString>("saved");

        QTest::newRow("a file takes the name meanwhile") << false << u"Taken (2).mp4"_s;
        QTest::newRow("the output folder deleted meanwhile") << true << u"Taken.mp4"_s;
    }

    // Every byte is in, but the file cannot take its name. One taken
    // meanwhile stays as it is, and the video takes the next free name; a
    // folder gone pauses the item with the reason rather than finish without
    // a file, and once the folder is back Resume ends with the whole video.
    void renameIntoPlaceFails()
    {
        QFETCH(bool, folderGoes);
        QFETCH(QString, saved);
        const QString folder = m_fixture->outputPath(u"videos"_s);
        const QString path = folder + u"/Taken.mp4"_s;
        QVERIFY(QDir().mkpath(folder));
        m_fixture->preferences.setSavedFolderPath(folder);
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        m_fixture->site.setPage(u"taken"_s, customPage(u"Taken"_s, u"http://s.youtube.com/videoplayback?itag=18"_s));
        addFaults(m_fixture->site, u"path=/videoplayback,throttle=2000000"_s);
        auto item = newItem(watchLink(u"taken"_s));
        QVERIFY(startWhenReady(item));
        QTRY_VERIFY(item->downloadedBytes() > 0);
        if (folderGoes) {
            QVERIFY(QDir(folder).removeRecursively());
            QVERIFY(waitForStatus(item, StatusDownloadPaused));
            QCOMPARE(item->statusNote(),
                     u"Could not save the video file: No such file or directory. Press Resume to try again."_s);
            QVERIFY(QDir().mkpath(folder));
            item->resume();
        } else {
            QVERIFY(SiteFixture::writeFile(path, "the user's own"));
        }
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(SiteFixture::fileBytes(folder + u'/' + saved), m_fixture->streamBytes(18));
        QCOMPARE(item->filePathForDownloading(), folder + u'/' + saved);
        if (!folderGoes) {
            QCOMPARE(SiteFixture::entries(folder), (QStringList{u"Taken (2).mp4"_s, u"Taken.mp4"_s}));
            QCOMPARE(SiteFixture::fileBytes(path), "the user's own");
        }
    }

    // A stream said to be beyond 2 GiB: its size is shown as it is, and when
    // the bytes stop far short of it the download pauses with the reason.
    void lengthBeyondTwoGiB()
    {
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        // Whole answers only: the site's ranges would tell the true length.
        addFaults(m_fixture->site, u"path=/videoplayback,ignore-range,length-delta=3221225472"_s);
        auto item = newItem(watchLink(u"huge"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        QCOMPARE(item->currentQuality()->fileContentSize(), qint64(3'223'322'624));
        QCOMPARE(item->currentQuality()->description(), u"MP4 (360p); 3074 Mb"_s);
        item->downloadButtonSelector();
        QVERIFY(waitForStatus(item, StatusDownloadPaused));
        QCOMPARE(item->downloadedBytes(), PaddedStreamBytes);
        QCOMPARE(item->statusNote(), u"Download stopped: Connection closed. Press Resume to try again."_s);
        for (const QString &entry : m_fixture->outputEntries())
            QVERIFY2(!entry.endsWith(u".mp4"_s), qPrintable(entry));
    }

    // Paused between two attempts, the row no longer promises the next one.
    void pauseDuringARetry()
    {
        addFaults(m_fixture->site, u"path=/videoplayback,status=500"_s);
        auto item = newItem(watchLink(u"retry"_s));
        item->setDownloadPolicy({.attempts = 3, .firstDelay = 5s, .transferTimeout = 1000ms});
        QVERIFY(startWhenReady(item));
        QTRY_VERIFY(item->statusNote().contains(u"Trying again"_s));
        item->pause();
        QTRY_VERIFY(item->statusNote().isEmpty());
        QCOMPARE(int(item->youtubeStatus()), int(StatusDownloadPaused));
    }

    void retriesAsAnnounced_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");

        QTest::newRow("stream missing") << u"path=/videoplayback,status=404"_s << u"HTTP 404"_s;
        QTest::newRow("reset after the head") << u"path=/videoplayback,reset-after=0"_s << u"Connection closed"_s;
    }

    // A stream that never comes: each retry the row announces is made, and
    // none beyond, before the download pauses for good.
    void retriesAsAnnounced()
    {
        auto item = newItem(watchLink(u"retries"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        m_fixture->site.clearRequests();
        addFaults(m_fixture->site, fault);
        item->downloadButtonSelector();
        QVERIFY(waitForStatus(item, StatusDownloadPaused));
        QStringList notes;
        for (int attempt = 1; attempt <= 3; ++attempt)
            notes.append(u"Connection lost (%1). Trying again in 0 s (%2 of 3)…"_s.arg(reason).arg(attempt));
        notes.append(u"Download stopped: %1. Press Resume to try again."_s.arg(reason));
        QCOMPARE(m_owner->notes(), notes);
        QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).size(), 4);
    }

    void userOperationsOnlyWhereTheyApply()
    {
        auto item = newItem(watchLink(u"operations"_s));
        QVERIFY(waitForStatus(item, StatusReady));
        item->pause();
        item->resume();
        item->play();
        QCOMPARE(m_owner->statuses(), (QList<YoutubeStatus>{StatusLoadingInfo, StatusReady}));
        // A second start of the page load or of the download does nothing.
        item->loadYoutubeContent();
        item->downloadVideo();
        item->downloadVideo();
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(m_fixture->site.requests(u"/watch"_s).size(), 1);
        QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).size(), 4);
    }

    // Two slots for five downloads: the rest wait in list order, leave the
    // line when paused or removed, and a slot freed by a failure or a pause
    // goes to the next at once. Removing everything starts nobody.
    void downloadsTakeTurns()
    {
        m_fixture->preferences.setSimultaneousDownloads(2);
        const auto restore = qScopeGuard([this] { m_fixture->preferences.setSimultaneousDownloads(4); });
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        DownloadList list(m_fixture->preferences);
        QStringList links;
        for (const QString &code : {u"turn-a"_s, u"turn-b"_s, u"turn-c"_s, u"turn-d"_s, u"turn-e"_s})
            links.append(watchLink(code));
        const DownloadList::Items items = list.add(links, m_fixture->outputDir.path());
        for (const auto &item : items) {
            item->setDownloadPolicy({.attempts = 0, .firstDelay = 10ms, .transferTimeout = 5s});
            QVERIFY(waitForStatus(item, StatusReady));
        }
        // The first download to ask fails at once; the others crawl.
        addFaults(m_fixture->site, u"path=/videoplayback,times=1,status=404;path=/videoplayback,throttle=20000"_s);
        const auto places = [&items] {
            QList<int> ahead;
            for (const auto &item : items)
                ahead.append(item->placeInLine());
            return ahead;
        };
        list.downloadAll();
        QTRY_COMPARE(places(), (QList<int>{-1, -1, -1, 0, 1}));
        QTRY_COMPARE((QSet{items[0]->youtubeStatus(), items[1]->youtubeStatus()}),
                     (QSet{StatusDownloading, StatusDownloadPaused}));
        QTRY_VERIFY(items[2]->downloadedBytes() > 0);
        items[3]->pause();
        QTRY_COMPARE(places(), (QList<int>{-1, -1, -1, -1, 0}));
        (items[0]->youtubeStatus() == StatusDownloading ? items[0] : items[1])->pause();
        QTRY_VERIFY(items[4]->downloadedBytes() > 0);
        items[3]->resume();
        QTRY_COMPARE(places(), (QList<int>{-1, -1, -1, 0, -1}));
        list.removeAll();
        // A download's run shows its bar first thing.
        QTest::qWait(300);
        QVERIFY(!std::dynamic_pointer_cast<RowRecord>(items[3]->rowViews())->state().hasProgress);
    }

    // The queue as the user steers it, two downloads at a time. Each row is
    // a list of steps on five ready items a-e, and what each item does then:
    // "run" holds a place, a number is how many wait ahead of it, "paused".
    void queueFollowsTheList_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("expected");
        QTest::newRow("in list order") << QStringList{u"download a b c d e"_s} << u"a:run b:run c:0 d:1 e:2"_s;
        QTest::newRow("in the order asked") << QStringList{u"download e d c b a"_s} << u"a:0 b:1 c:2 d:run e:run"_s;
        QTest::newRow("moved up") << QStringList{u"download a b c d e"_s, u"up e"_s, u"up e"_s}
                                  << u"a:run b:run c:1 d:2 e:0"_s;
        QTest::newRow("moved down past the waiting") << QStringList{u"download a b c d e"_s, u"down c"_s}
                                                     << u"a:run b:run c:1 d:0 e:2"_s;
        QTest::newRow("dragged to the top") << QStringList{u"download a b c d e"_s, u"to d e 0"_s}
                                            << u"a:run b:run c:2 d:0 e:1"_s;
        QTest::newRow("limit lowered") << QStringList{u"download a b c d e"_s, u"limit 1"_s}
                                       << u"a:run b:0 c:1 d:2 e:3"_s;
        QTest::newRow("limit raised") << QStringList{u"download a b c d e"_s, u"limit 4"_s}
                                      << u"a:run b:run c:run d:run e:0"_s;
        QTest::newRow("running paused") << QStringList{u"download a b c d e"_s, u"pause a"_s}
                                        << u"a:paused b:run c:run d:0 e:1"_s;
        QTest::newRow("waiting paused") << QStringList{u"download a b c d e"_s, u"pause c"_s}
                                        << u"a:run b:run c:paused d:0 e:1"_s;
        QTest::newRow("paused then resumed waits its turn")
            << QStringList{u"download a b c d e"_s, u"pause a"_s, u"resume a"_s} << u"a:0 b:run c:run d:1 e:2"_s;
        QTest::newRow("running removed") << QStringList{u"download a b c d e"_s, u"remove b"_s}
                                         << u"a:run c:run d:0 e:1"_s;
        QTest::newRow("waiting removed") << QStringList{u"download a b c d e"_s, u"remove c"_s}
                                         << u"a:run b:run d:0 e:1"_s;
    }

    void queueFollowsTheList()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, expected);
        m_fixture->preferences.setSimultaneousDownloads(2);
        const auto restore = qScopeGuard([this] { m_fixture->preferences.setSimultaneousDownloads(4); });
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        DownloadList list(m_fixture->preferences);
        QMap<QString, DownloadList::Item> named;
        for (const QString &name : {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s})
            named.insert(name, list.add({watchLink(u"queue-"_s + name)}, m_fixture->outputDir.path()).constFirst());
        for (const auto &item : std::as_const(named))
            QVERIFY(waitForStatus(item, StatusReady));
        addFaults(m_fixture->site, u"path=/videoplayback,throttle=20000"_s);
        for (const QString &step : std::as_const(steps)) {
            QStringList words = step.split(u' ');
            const QString verb = words.takeFirst();
            if (verb == u"limit") {
                m_fixture->preferences.setSimultaneousDownloads(words[0].toInt());
                list.followLimit();
                continue;
            }
            const int row = verb == u"to" ? words.takeLast().toInt() : 0;
            DownloadList::Items items;
            for (const QString &name : std::as_const(words))
                items.append(named.value(name));
            if (verb == u"download")
                for (const auto &item : std::as_const(items))
                    list.download({item});
            else if (verb == u"pause")
                list.pause(items);
            else if (verb == u"resume")
                list.resume(items);
            else if (verb == u"remove")
                list.remove(items);
            else if (verb == u"up" || verb == u"down")
                list.moveBy(items, verb == u"up" ? -1 : 1);
            else
                list.moveTo(items, row);
            // The list hears of what each step did before the next.
            QTest::qWait(50);
        }
        const auto queue = [&list, &named] {
            QStringList said;
            for (const auto &[name, item] : named.asKeyValueRange()) {
                if (!list.items().contains(item))
                    continue;
                const YoutubeDownloader::Wait wait = item->waiting();
                said.append(name + u':'
                            + (item->youtubeStatus() == StatusDownloadPaused ? u"paused"_s
                               : wait.what == YoutubeDownloader::Wait::For::Turn ? QString::number(wait.ahead)
                               : item->downloadedBytes() > 0                     ? u"run"_s
                                                                                 : u"?"_s));
            }
            return said.join(u' ');
        };
        QTRY_COMPARE(queue(), expected);
        // Nothing more moves by itself.
        QTest::qWait(300);
        QCOMPARE(queue(), expected);
    }

    // What the program does on quit: every item, whatever it is doing, stops
    // within the time limit and no thread is left behind.
    // Every item goes, with its threads, connections and files.
    void quittingStopsEveryItem()
    {
        // Qt looks up proxies on a thread of its own, started once.
        HttpClient().probeSize(QUrl(u"http://s.youtube.com/videoplayback?itag=18"_s));
        const int threads = ProcessResources::settled(ProcessResources::threads);
        const int files = ProcessResources::settled([] { return ProcessResources::openFiles(); });
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        auto finished = newItem(watchLink(u"quit-finished"_s));
        QVERIFY(startWhenReady(finished));
        QVERIFY(waitForStatus(finished, StatusFinished));

        QList<std::shared_ptr<YoutubeDownloader>> busy;
        for (const QString &code : {u"quit-downloading"_s, u"quit-paused"_s, u"quit-stalled"_s})
            busy.append(newItem(watchLink(code)));
        for (const auto &item : busy) {
            item->setDownloadPolicy({.attempts = 3, .firstDelay = 50ms, .transferTimeout = 30s});
            QVERIFY(waitForStatus(item, StatusReady));
        }
        // One of the three downloads stalls, the others crawl.
        addFaults(m_fixture->site, u"path=/videoplayback,times=1,stall-after=1000;path=/videoplayback,throttle=500000"_s);
        for (const auto &item : busy)
            item->downloadButtonSelector();
        busy[1]->pause();
        addFaults(m_fixture->site, u"path=/watch,throttle=1000"_s);
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
        QCOMPARE(m_fixture->outputEntries().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(ProcessResources::threads(), threads, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(ProcessResources::openFiles(), files, 2000);
    }

    // Quitting mid-download keeps the partial file; the next run resumes it
    // with a range, reading the page again for an address that expired.
    void quitAndRestoreAskForTheRest()
    {
        m_fixture->site.media().setStreamBytes(18, PaddedStreamBytes);
        addFaults(m_fixture->site, u"path=/videoplayback,throttle=2000000"_s);
        const QString listPath = m_fixture->outputPath(u"state/list.json"_s);
        QList<KeptListFile::Item> saved;
        {
            DownloadList list(m_fixture->preferences);
            list.saveTo(listPath);
            const auto item = list.add({watchLink(u"kept"_s)}, m_fixture->outputDir.path()).constFirst();
            QVERIFY(waitForStatus(item, StatusReady));
            item->downloadButtonSelector();
            QTRY_VERIFY_WITH_TIMEOUT(item->downloadedBytes() > 300'000, 10'000);
            list.close();
            saved = KeptListFile::read(SiteFixture::fileBytes(listPath)).items;
        }
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved[0].status, u"downloading"_s);
        const QStringList partial = QDir(m_fixture->outputDir.path()).entryList({u"*.mp4.*"_s});
        QCOMPARE(partial.size(), 1);
        const qint64 held = QFileInfo(m_fixture->outputPath(partial[0])).size();
        QVERIFY(held > 300'000 && held < PaddedStreamBytes);

        m_fixture->site.clearFaults();
        m_fixture->site.clearRequests();
        addFaults(m_fixture->site, u"path=/videoplayback,times=1,status=403"_s);
        DownloadList list(m_fixture->preferences);
        list.restore(saved);
        const auto item = list.items().constFirst();
        // It was running: it takes its turn again by itself.
        QCOMPARE(item->youtubeStatus(), StatusDownloading);
        QCOMPARE(item->downloadedBytes(), held);
        QVERIFY(waitForStatus(item, StatusFinished));
        QCOMPARE(m_fixture->site.requests(u"/watch"_s).size(), 1);
        QCOMPARE(m_fixture->site.requests(u"/videoplayback"_s).last().header("range"), "bytes=" + QByteArray::number(held) + '-');
        QCOMPARE(SiteFixture::fileBytes(item->wholeFilePath()), m_fixture->streamBytes(18));
        QCOMPARE(m_fixture->outputEntries(), (QStringList{u"Midnight Lanterns \"Remastered\".mp4"_s, u"state"_s}));
    }

    // Two videos of one title keep the names they were given through a
    // restart, though none of their files is there yet to tell.
    void restartKeepsNames()
    {
        QList<KeptListFile::Item> saved;
        {
            DownloadList list(m_fixture->preferences);
            for (const auto &item : list.add({watchLink(u"dup0"_s), watchLink(u"dup15"_s)}, m_fixture->outputDir.path())) {
                QVERIFY(waitForStatus(item, StatusReady));
                saved.append(KeptItem::of(*item));
            }
        }
        const QString title = u"Northern Harbour Don't Stop"_s;
        QCOMPARE(saved[0].title, title);
        QCOMPARE(saved[1].title, title);
        QStringList names{saved[0].name, saved[1].name};
        names.sort();
        QCOMPARE(names, (QStringList{title, title + u" (2)"_s}));

        DownloadList list(m_fixture->preferences);
        list.restore(saved);
        list.downloadAll();
        for (int i = 0; i < 2; ++i) {
            QVERIFY(waitForStatus(list.items()[i], StatusFinished));
            QCOMPARE(list.items()[i]->wholeFilePath(), m_fixture->outputPath(saved[i].name + u".mp4"_s));
        }
        QCOMPARE(m_fixture->outputEntries(), (QStringList{title + u" (2).mp4"_s, title + u".mp4"_s}));
    }

    void keptNames_data()
    {
        QTest::addColumn<QString>("name"); // as the kept list says
        QTest::addColumn<QString>("video");

        const QString title = u"Midnight Lanterns \"Remastered\""_s;
        QTest::newRow("numbered") << title + u" (3)"_s << title + u" (3).mp4"_s;
        // The list is a file anybody could edit: only names the program
        // would make are taken.
        QTest::newRow("climbs out") << u"../Escaped"_s << title + u".mp4"_s;
        QTest::newRow("into a folder") << u"sub/Inside"_s << title + u".mp4"_s;
        QTest::newRow("reordering text") << u"Song\u202Egpj"_s << title + u".mp4"_s;
        QTest::newRow("none, as before names were kept") << QString() << title + u".mp4"_s;
    }

    void keptNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, video);
        KeptListFile::Item saved = readyItem(u"kept"_s);
        saved.name = name;
        DownloadList list(m_fixture->preferences);
        list.restore({saved});
        list.downloadAll();
        QVERIFY(waitForStatus(list.items()[0], StatusFinished));
        QCOMPARE(list.items()[0]->wholeFilePath(), m_fixture->outputPath(video));
        QCOMPARE(m_fixture->outputEntries(), QStringList{video});
    }

    // A name is the item's only while it is listed.
    void removedItemsLetGoOfTheirNames()
    {
        DownloadList list(m_fixture->preferences);
        const auto first = list.add({watchLink(u"dup0"_s)}, m_fixture->outputDir.path()).constFirst();
        QVERIFY(waitForStatus(first, StatusReady));
        list.remove({first});
        const auto second = list.add({watchLink(u"dup15"_s)}, m_fixture->outputDir.path()).constFirst();
        QVERIFY(waitForStatus(second, StatusReady));
        QCOMPARE(KeptItem::of(*second).name, u"Northern Harbour Don't Stop"_s);
    }

    void restoredStatuses_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("files"); // made beforehand, in the output folder; %1 is the title
        QTest::addColumn<QString>("partialFile");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("restored");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("finally"); // after what the restored item goes on to do

        const QString video = u"%1.mp4"_s;
        const QString partial = u"%1.mp4.vantrel-kn23vd"_s;
        const QString wav = u"%1.wav"_s;
        const int paused = StatusDownloadPaused;
        const int downloading = StatusDownloading;
        const int finished = StatusFinished;
        QTest::newRow("finished") << u"finished"_s << QStringList{wav} << QString() << wav << wav << finished << 0LL
                                  << QString() << finished;
        QTest::newRow("finished, file gone")
            << u"finished"_s << QStringList() << QString() << wav << wav << finished << 0LL
            << u"File not found: "_s + m_fixture->outputPath(wav) << finished;
        QTest::newRow("downloading") << u"downloading"_s << QStringList{partial} << partial << QString() << QString()
                                     << downloading << 5LL << QString() << finished;
        QTest::newRow("partial file where the download began")
            << u"downloading"_s << QStringList{u"before/"_s + partial} << u"before/"_s + partial << QString()
            << QString() << downloading << 5LL << QString() << finished;
        QTest::newRow("video not its own") << u"downloaded"_s << QStringList{u"Other.mp4"_s} << QString()
                                           << u"Other.mp4"_s << QString() << downloading << 0LL << QString()
                                           << finished;
        QTest::newRow("partial file not its own")
            << u"download-paused"_s << QStringList{u"notes.txt"_s} << u"notes.txt"_s << QString() << QString() << paused
            << 0LL << QString() << paused;
        QTest::newRow("partial file gone, video there")
            << u"downloading"_s << QStringList{video} << partial << video << QString() << finished << 0LL << QString()
            << finished;
        QTest::newRow("partial file put in place unsaved")
            << u"downloading"_s << QStringList{video} << partial << QString() << QString() << finished << 0LL
            << QString() << finished;
        QTest::newRow("converting") << u"converting"_s << QStringList{video} << QString() << video << wav
                                    << int(StatusConverting) << 0LL << QString() << finished;
        QTest::newRow("conversion paused") << u"convert-paused"_s << QStringList{video} << QString() << video << wav
                                           << int(StatusConvertPaused) << 0LL << QString() << int(StatusConvertPaused);
        QTest::newRow("converted, video deleted")
            << u"convert-paused"_s << QStringList{wav} << QString() << video << wav << finished << 0LL << QString()
            << finished;
        QTest::newRow("converting, every file gone")
            << u"converting"_s << QStringList() << QString() << video << wav << downloading << 0LL << QString()
            << finished;
        QTest::newRow("loading") << u"loading"_s << QStringList() << QString() << QString() << QString()
                                 << int(StatusLoadingInfo) << 0LL << QString() << int(StatusReady);
    }

    // The files on disk decide what a restored item comes back as; removing
    // it afterwards leaves no temporary file.
    void restoredStatuses()
    {
        QFETCH(QString, status);
        QFETCH(QStringList, files);
        QFETCH(QString, partialFile);
        QFETCH(QString, file);
        QFETCH(QString, output);
        QFETCH(int, restored);
        QFETCH(qint64, bytes);
        QFETCH(QString, note);
        QFETCH(int, finally);
        KeptListFile::Item saved = readyItem(u"restored"_s);
        const QByteArray video = m_fixture->streamBytes(18);
        const auto inFolder = [&](const QString &name) {
            return name.isEmpty() ? name : m_fixture->outputPath(name.arg(saved.title));
        };
        for (const QString &name : files) {
            QVERIFY(QDir().mkpath(QFileInfo(inFolder(name)).absolutePath()));
            QVERIFY(SiteFixture::writeFile(inFolder(name), name.endsWith(u".mp4"_s) ? video : "12345"));
        }
        note = note.arg(saved.title);
        saved.status = status;
        saved.partialFile = inFolder(partialFile);
        saved.file = inFolder(file);
        saved.format = output.isEmpty() ? -1 : int(OutputFormat::Wav);
        saved.output = inFolder(output);
        m_fixture->site.clearRequests();

        DownloadList list(m_fixture->preferences);
        list.restore({saved});
        const auto item = list.items().constFirst();
        QCOMPARE(int(item->youtubeStatus()), restored);
        QCOMPARE(item->downloadedBytes(), bytes);
        QCOMPARE(item->statusNote(), note);
        QVERIFY(waitForStatus(item, YoutubeStatus(finally)));
        QCOMPARE(m_fixture->site.requests(u"/watch"_s).size(), status == u"loading"_s ? 1 : 0);
        list.removeAll();
        QTRY_COMPARE(QDir(m_fixture->outputDir.path()).entryList({u"*.mp4.*"_s}), QStringList());
    }

private:
    // What the saved list holds of an item whose page was read.
    KeptListFile::Item readyItem(const QString &code)
    {
        DownloadList list(m_fixture->preferences);
        const auto item = list.add({watchLink(code)}, m_fixture->outputDir.path()).constFirst();
        if (!waitForStatus(item, StatusReady))
            return {};
        return KeptItem::of(*item);
    }

    std::shared_ptr<YoutubeDownloader> newItem(const QString &link)
    {
        auto item = YoutubeDownloader::create(link, m_owner, m_fixture->preferences);
        item->setDownloadPolicy({.attempts = 3, .firstDelay = 50ms, .transferTimeout = 1000ms});
        item->loadYoutubeContent();
        m_items.append(item);
        return item;
    }

    // Presses download as soon as the page is in.
    bool startWhenReady(const std::shared_ptr<YoutubeDownloader> &item)
    {
        if (!waitForStatus(item, StatusReady))
            return false;
        item->downloadButtonSelector();
        return true;
    }

    std::unique_ptr<SiteFixture> m_fixture;
    std::shared_ptr<RecordingOwner> m_owner;
    QList<std::shared_ptr<YoutubeDownloader>> m_items;
};

QTEST_GUILESS_MAIN(TestDownloader)
#include "tst_downloader.moc"
