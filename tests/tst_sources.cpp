#include "DownloadList.h"
#include "KeptItem.h"
#include "SamplePages.h"
#include "SiteFixture.h"
#include "StandInProgram.h"
#include "TestMedia.h"
#include "YoutubeDownloader.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QTest>

#include <cmath>

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

QString titleTag(const QString &mp3)
{
    TagLib::MPEG::File file(QFile::encodeName(mp3).constData());
    return file.hasID3v2Tag() ? QString::fromStdString(file.ID3v2Tag()->title().to8Bit(true)) : QString();
}

QByteArray checksum(const QString &path)
{
    return QCryptographicHash::hash(SiteFixture::fileBytes(path), QCryptographicHash::Sha256);
}

// yt-dlp's answer for a page with one sound file on the sample site; the
// stand-in counts its runs in the file "runs" beside the output.
QByteArray standInScript(const QByteArray &json, const QString &runs)
{
    return "echo run >> '" + runs.toUtf8() + "'\ncat <<'JSON'\n" + json + "\nJSON\n";
}

// A download that broke off asked for the rest, not the whole again.
bool asksForTheRest(const QList<SiteRequest> &requests)
{
    return std::any_of(requests.cbegin(), requests.cend(), [](const SiteRequest &request) {
        const QByteArray range = request.header("Range");
        return !range.isEmpty() && !range.startsWith("bytes=0-");
    });
}

QByteArray pageJson(const QByteArray &title, const QByteArray &formatUrl, const QByteArray &thumbnail = {},
                    const QByteArray &extension = "m4a")
{
    return "{\"id\":\"stand\",\"title\":" + title + ",\"duration\":2.4,\"description\":\"From the stand-in\","
           "\"thumbnail\":\"" + thumbnail + "\",\"webpage_url\":\"http://clips.sample.test/watch/stand\","
           "\"formats\":[{\"format_id\":\"a\",\"url\":\"" + formatUrl + "\",\"protocol\":\"http\",\"ext\":\"" + extension + "\","
           "\"vcodec\":\"none\",\"acodec\":\"mp4a.40.2\",\"abr\":128}]}";
}

} // namespace

// Links of today: pages read through yt-dlp (a stand-in for each way it can
// fail, Debian's own against the sample site), addresses of media files,
// and files the user already has. Each ends as an MP3 whose tags and sound
// independent readers check.
class TestSources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
        const QString folder = m_media.path();
        QVERIFY(TestMedia::makeMp4(folder + u"/plain.m4a"_s, 1.5, 44100, 2));
        QVERIFY(TestMedia::ffmpeg({u"-i"_s, folder + u"/plain.m4a"_s, u"-c"_s, u"copy"_s, u"-metadata"_s,
                                   u"title=Harbour Song"_s, u"-metadata"_s, u"comment=Live"_s, folder + u"/tagged.m4a"_s}));
        QVERIFY(TestMedia::makeMp4(folder + u"/clip.mp4"_s, 1.5, 44100, 2, true));
        QVERIFY(TestMedia::ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc2=size=64x48:rate=5:duration=1"_s, u"-c:v"_s,
                                   u"libx264"_s, u"-preset"_s, u"ultrafast"_s, folder + u"/silent.mp4"_s}));
        QVERIFY(SiteFixture::writeFile(folder + u"/notes.mp3"_s, "shopping list\n"));
    }

    void init()
    {
        m_fixture->site.clearFaults();
        m_fixture->site.clearRequests();
        m_fixture->preferences.setOutputFormat(OutputFormat::Mp3);
        m_fixture->preferences.setBitrate(128);
        m_fixture->preferences.setDeleteInputFileAfterConvert(true);
        m_fixture->preferences.setPageReaderPath({});
        m_list = std::make_unique<DownloadList>(m_fixture->preferences);
    }

    void cleanup()
    {
        m_list.reset();
        m_fixture->clearOutput();
    }

    // The file is only ever read: never moved, written or deleted, also
    // with "delete the video after converting" on, and its MP3 never takes
    // its place, also in the output folder itself.
    void localFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("inOutputFolder");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("output"); // the MP3's name, or the row's note

        QTest::newRow("title tag") << u"tagged.m4a"_s << false << int(StatusFinished) << u"Harbour Song"_s
                                   << u"Harbour Song.mp3"_s;
        QTest::newRow("no tags") << u"plain.m4a"_s << false << int(StatusFinished) << u"plain"_s << u"plain.mp3"_s;
        QTest::newRow("a video") << u"clip.mp4"_s << false << int(StatusFinished) << u"clip"_s << u"clip.mp3"_s;
        QTest::newRow("in the output folder") << u"plain.m4a"_s << true << int(StatusFinished) << u"plain"_s
                                              << u"plain (2).mp3"_s;
        QTest::newRow("an MP3 of that name there") << u"notes.mp3"_s << true << int(StatusInfoFailed) << u"notes"_s
                                                   << u"Not a media file: "_s;
        QTest::newRow("no sound") << u"silent.mp4"_s << false << int(StatusInfoFailed) << u"silent"_s
                                  << u"The file holds no sound."_s;
    }

    void localFiles()
    {
        QFETCH(QString, file);
        QFETCH(bool, inOutputFolder);
        QFETCH(int, status);
        QFETCH(QString, title);
        QFETCH(QString, output);
        const QString original = m_media.filePath(file);
        const QString path = inOutputFolder ? m_fixture->outputPath(file) : original;
        if (inOutputFolder)
            QVERIFY(QFile::copy(original, path));
        // Read-only, as files on a disc or another user's are.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray before = checksum(path);

        const auto item = add(QUrl::fromLocalFile(path).toString());
        QTRY_VERIFY_WITH_TIMEOUT(item->youtubeStatus() != StatusLoadingInfo, 20'000);
        QCOMPARE(item->youtubeTitle(), title);
        if (status == StatusFinished) {
            item->downloadButtonSelector();
            QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), status, 60'000);
            QCOMPARE(item->wholeFilePath(), m_fixture->outputPath(output));
            QCOMPARE(titleTag(item->wholeFilePath()), title);
            QCOMPARE(TestMedia::probe(item->wholeFilePath(), u"stream=codec_name"_s), u"mp3"_s);
        } else {
            QCOMPARE(int(item->youtubeStatus()), status);
            QVERIFY2(item->statusNote().startsWith(output), qPrintable(item->statusNote()));
        }
        QCOMPARE(checksum(path), before);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(m_fixture->outputPath(file));
    }

    // A file is a video already: "video only" has nothing to make of it.
    void localVideoOnlyIsRefused()
    {
        m_fixture->preferences.setOutputFormat(OutputFormat::Video);
        const auto item = add(m_media.filePath(u"clip.mp4"_s));
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusReady), 20'000);
        item->downloadButtonSelector();
        QCOMPARE(int(item->youtubeStatus()), int(StatusReady));
        QCOMPARE(item->statusNote(), u"There is nothing to download: choose MP3 or WAV to convert this file."_s);
        QCOMPARE(m_fixture->outputEntries(), QStringList());
    }

    // No yt-dlp needed: the address's name or its answer's type tells.
    void directLinks_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("readTitle");     // before the download
        QTest::addColumn<QString>("finishedTitle"); // the file's own tag, once read

        QTest::newRow("by extension") << u"http://files.sample.test/media/sample-tone.m4a"_s << QString()
                                      << u"sample-tone"_s << u"Sample Tone"_s;
        QTest::newRow("by content type") << u"http://files.sample.test/download?id=abc"_s << QString()
                                         << SamplePages::title(u"abc"_s) << u"Sample Tone"_s;
        QTest::newRow("resumed after a reset") << u"http://files.sample.test/media/Quiet%20Tide.m4a"_s
                                               << u"path=/media/,reset-after=20000,times=1"_s << u"Quiet Tide"_s
                                               << u"Sample Tone"_s;
    }

    void directLinks()
    {
        QFETCH(QString, link);
        QFETCH(QString, fault);
        QFETCH(QString, readTitle);
        QFETCH(QString, finishedTitle);
        const auto item = add(link);
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusReady), 20'000);
        // The download's, not the probe's.
        if (!fault.isEmpty())
            m_fixture->site.addFault(SiteFault::parse(fault).value());
        QCOMPARE(item->youtubeTitle(), readTitle);
        QCOMPARE(int(item->sourceKind()), int(SourceKind::DirectLink));
        item->downloadButtonSelector();
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusFinished), 60'000);
        QCOMPARE(titleTag(item->wholeFilePath()), finishedTitle);
        // Whole: ffmpeg decodes the tone's 2 seconds from the MP3.
        QCOMPARE(TestMedia::probe(item->wholeFilePath(), u"stream=codec_name"_s), u"mp3"_s);
        if (!fault.isEmpty())
            QVERIFY(asksForTheRest(m_fixture->site.requests(u"/media/"_s)));
    }

    void pageReaderFailures_data()
    {
        QTest::addColumn<QByteArray>("script"); // none: yt-dlp is not installed
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("note");

        QTest::newRow("not installed") << QByteArray() << int(StatusInfoFailed)
                                       << u"yt-dlp is needed for this page. Install it with “apt install yt-dlp”, "
                                          "or a newer one with “pipx install yt-dlp”."_s;
        QTest::newRow("exit status") << QByteArray("echo '[generic] none: Downloading webpage' >&2\n"
                                                   "echo 'ERROR: [generic] Unsupported URL: http://clips.sample.test/none' >&2\n"
                                                   "echo 'after the error'\nexit 1")
                                     << int(StatusInfoFailed)
                                     << u"yt-dlp: [generic] Unsupported URL: http://clips.sample.test/none"_s;
        QTest::newRow("not JSON") << QByteArray("echo '<html>'") << int(StatusInfoFailed)
                                  << u"yt-dlp gave no page description it could read"_s;
        QTest::newRow("local and script addresses")
            << standInScript(pageJson("\"Local\"", "file:///etc/hostname", "javascript:alert(1)"), u"/dev/null"_s)
            << int(StatusNoStream) << QString();
    }

    void pageReaderFailures()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, status);
        QFETCH(QString, note);
        const StandInProgram ytDlp(u"yt-dlp"_s, script);
        const QByteArray path = qgetenv("PATH");
        // Neither the one set nor one on the search path.
        if (script.isEmpty())
            qputenv("PATH", QFile::encodeName(m_media.path()));
        m_fixture->preferences.setPageReaderPath(script.isEmpty() ? m_media.filePath(u"yt-dlp"_s) : ytDlp.path());
        const auto item = add(u"http://clips.sample.test/watch/none"_s);
        QTRY_VERIFY_WITH_TIMEOUT(item->youtubeStatus() != StatusLoadingInfo, 20'000);
        qputenv("PATH", path);
        QCOMPARE(int(item->youtubeStatus()), status);
        QCOMPARE(item->statusNote(), note);
        QCOMPARE(item->youtubeCoverURL(), QString());
        QCOMPARE(m_fixture->site.requests(u"/etc/"_s).size(), 0);
    }

    // What the page says becomes the row; an address that expired is read
    // again through yt-dlp; a page without a title is named by its id.
    void pageReaderStandIn()
    {
        const QString runs = m_fixture->outputPath(u".runs"_s);
        // An extension that is a path would put the download elsewhere.
        const StandInProgram ytDlp(
            u"yt-dlp"_s,
            standInScript(pageJson("null", "http://files.sample.test/media/stand.m4a", {}, "m4a/../../../escaped"), runs));
        m_fixture->preferences.setPageReaderPath(ytDlp.path());
        m_fixture->site.addFault(SiteFault::parse(u"path=/media/stand.m4a,status=403,times=2"_s).value());
        const auto item = add(u"https://clips.sample.test/watch?v=stand"_s);
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusReady), 20'000);
        QCOMPARE(item->youtubeTitle(), u"stand"_s);
        QCOMPARE(item->durationInSeconds(), 2);
        QCOMPARE(item->descriptionText(), u"From the stand-in"_s);
        QVERIFY(item->currentQuality()->details().audioOnly);
        item->downloadButtonSelector();
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusFinished), 60'000);
        QCOMPARE(titleTag(item->wholeFilePath()), u"stand"_s);
        QCOMPARE(SiteFixture::fileBytes(runs), QByteArray("run\nrun\n"));
        QCOMPARE(m_fixture->outputEntries(), (QStringList{u".runs"_s, u"stand.mp3"_s}));
    }

    // Two playlists that list each other: each is opened once.
    void playlistsWithinPlaylists()
    {
        const StandInProgram ytDlp(u"yt-dlp"_s, "case \"$*\" in */a) other=b ;; *) other=a ;; esac\n"
                                                "echo '{\"_type\":\"playlist\",\"id\":\"p\",\"entries\":"
                                                "[{\"url\":\"http://clips.sample.test/playlist/'$other'\"}]}'");
        m_fixture->preferences.setPageReaderPath(ytDlp.path());
        add(u"http://clips.sample.test/playlist/a"_s);
        QTRY_VERIFY_WITH_TIMEOUT(m_list->items().size() == 1 && m_list->items().constFirst()->youtubeStatus() == StatusNoStream,
                                 20'000);
        const auto left = m_list->items().constFirst();
        QCOMPARE(left->youtubeURL(), u"http://clips.sample.test/playlist/b"_s);
        QCOMPARE(left->statusNote(), u"A playlist within a playlist is not opened."_s);
    }

    // A playlist's entries take its row's place, in order; an entry that is
    // no web address is left out.
    void playlistEntriesBecomeRows()
    {
        const StandInProgram ytDlp(
            u"yt-dlp"_s,
            standInScript("{\"_type\":\"playlist\",\"id\":\"set\",\"title\":\"Evening set\",\"entries\":["
                          "{\"_type\":\"url\",\"url\":\"http://files.sample.test/media/one.m4a\"},"
                          "{\"_type\":\"url\",\"url\":\"javascript:alert(1)\"},"
                          "{\"_type\":\"url\",\"url\":\"http://files.sample.test/media/two.m4a\"}]}",
                          u"/dev/null"_s));
        m_fixture->preferences.setPageReaderPath(ytDlp.path());
        add(u"http://clips.sample.test/playlist/set"_s);
        const auto links = [this] {
            QStringList found;
            for (const auto &item : m_list->items())
                found.append(item->youtubeURL());
            return found;
        };
        QTRY_COMPARE_WITH_TIMEOUT(links(), (QStringList{u"http://files.sample.test/media/one.m4a"_s,
                                                        u"http://files.sample.test/media/two.m4a"_s}),
                                  20'000);
    }

    // The old pages are read as they always were: yt-dlp is never asked.
    void oldPagesNeverStartThePageReader()
    {
        const QString runs = m_fixture->outputPath(u".runs"_s);
        const StandInProgram ytDlp(u"yt-dlp"_s, standInScript("{}", runs));
        m_fixture->preferences.setPageReaderPath(ytDlp.path());
        const auto item = add(SiteFixture::watchLink(u"oldForm"_s));
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusReady), 20'000);
        QVERIFY(!QFileInfo::exists(runs));
    }

    // The kept list brings back every kind of item as it was; a list that
    // calls an address a file the user has is not believed.
    void keptListKeepsTheSource()
    {
        const QString runs = m_fixture->outputPath(u".runs"_s);
        const StandInProgram ytDlp(
            u"yt-dlp"_s, standInScript(pageJson("\"Stand\"", "http://files.sample.test/media/stand.m4a",
                                                "http://clips.sample.test/cover/stand.jpg"),
                                       runs));
        m_fixture->preferences.setPageReaderPath(ytDlp.path());
        const QString file = m_media.filePath(u"tagged.m4a"_s);
        const DownloadList::Items items = m_list->add(
            {file, u"http://files.sample.test/media/sample-tone.m4a"_s, u"http://clips.sample.test/watch/stand"_s}, {});
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(items.cbegin(), items.cend(),
                                             [](const auto &item) { return item->youtubeStatus() == StatusReady; }),
                                 20'000);
        QList<KeptListFile::Item> saved;
        for (const auto &item : items)
            saved.append(KeptItem::of(*item));
        saved.append(saved.at(1));
        saved.last().link = u"http://files.sample.test/media/other.m4a"_s;
        saved.last().source = u"file"_s;
        // A user's file outside the output folder, named as the item's video:
        // converting it would put an MP3 beside it, and might delete it.
        saved.append(saved.at(1));
        saved.last().link = u"http://files.sample.test/media/plain.m4a"_s;
        saved.last().status = u"convert-paused"_s;
        saved.last().name = u"plain"_s;
        saved.last().file = m_media.filePath(u"plain.m4a"_s);
        // No web address for yt-dlp, whatever the list says.
        KeptListFile::Item notAPage{.link = u"file:///etc/hostname?http://www.youtube.com/watch?v=x"_s, .source = u"yt-dlp"_s};
        QFile::remove(runs);
        const QByteArray userFile = checksum(m_media.filePath(u"plain.m4a"_s));
        m_list = std::make_unique<DownloadList>(m_fixture->preferences);
        m_list->restore(saved + QList<KeptListFile::Item>{notAPage});
        QTRY_COMPARE_WITH_TIMEOUT(int(m_list->items().constLast()->youtubeStatus()), int(StatusInfoFailed), 20'000);
        QVERIFY(!QFileInfo::exists(runs));
        QCOMPARE(checksum(m_media.filePath(u"plain.m4a"_s)), userFile);
        QVERIFY(!QFileInfo::exists(m_media.filePath(u"plain.mp3"_s)));

        QStringList restored;
        for (const auto &item : m_list->items())
            restored.append(u"%1 %2 %3 %4 %5"_s.arg(int(item->sourceKind()))
                                .arg(youtubeStatusName(item->youtubeStatus()), item->youtubeTitle(),
                                     item->currentQuality() ? item->currentQuality()->fileExtension() : QString(),
                                     item->youtubeCoverURL()));
        QCOMPARE(restored, (QStringList{u"3 ready Harbour Song .m4a "_s + QUrl::fromLocalFile(file).toString(),
                                        u"2 ready sample-tone .m4a "_s,
                                        u"1 ready Stand .m4a http://clips.sample.test/cover/stand.jpg"_s,
                                        u"2 ready sample-tone .m4a "_s, u"2 download-paused sample-tone .m4a "_s,
                                        u"1 info-failed   "_s}));
    }

    // Debian's yt-dlp against the sample site's page of today's form: the
    // MP3 is made from the sound alone, and the picture is never fetched.
    void todaysPageThroughYtDlp()
    {
        const QString code = u"Lm4sNq7Rz2k"_s;
        const auto item = add(u"http://clips.sample.test/watch/"_s + code);
        QTRY_VERIFY_WITH_TIMEOUT(item->youtubeStatus() != StatusLoadingInfo, 60'000);
        QCOMPARE(int(item->youtubeStatus()), int(StatusReady));
        QCOMPARE(item->youtubeTitle(), SamplePages::title(code));
        item->downloadButtonSelector();
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusFinished), 60'000);
        QCOMPARE(titleTag(item->wholeFilePath()), SamplePages::title(code));
        for (const SiteRequest &request : m_fixture->site.requests(u"/media/"_s))
            QVERIFY2(request.path.endsWith(u".m4a"_s), qPrintable(request.path));
    }

    // Debian's yt-dlp fetches what is not one file: HLS segments (of the
    // sound alone for an MP3, never of the clip), or picture and sound apart,
    // which it puts together. Interrupted, it takes up the segments it has;
    // removed, it leaves nothing behind.
    void fetchedByYtDlp_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("interruption");
        QTest::addColumn<QString>("streams");    // picture+sound codecs as ffprobe reads them
        QTest::addColumn<QString>("notFetched"); // a path never asked for

        const int mp3 = int(OutputFormat::Mp3);
        const int video = int(OutputFormat::Video);
        QTest::newRow("HLS to MP3") << u"hls/Tg3nHv8Mc4j"_s << mp3 << QString() << u"mjpeg+mp3"_s << u"/hls/Tg3nHv8Mc4j/clip/"_s;
        QTest::newRow("HLS video") << u"hls/Wd5rMx2Kp7s"_s << video << QString() << u"h264+aac"_s << u"/hls/Wd5rMx2Kp7s/sound/"_s;
        QTest::newRow("picture and sound apart") << u"split/Pb6wKe2Ys9d"_s << video << QString() << u"h264+aac"_s
                                                 << u"/media/Pb6wKe2Ys9d.mp4"_s;
        QTest::newRow("paused, resumed") << u"hls/Jq8vLc3Nt5b"_s << mp3 << u"pause"_s << u"mjpeg+mp3"_s << u"/hls/Jq8vLc3Nt5b/clip/"_s;
        QTest::newRow("quit, taken up") << u"hls/Rz4kTw9Fb2m"_s << mp3 << u"quit"_s << u"mjpeg+mp3"_s << u"/hls/Rz4kTw9Fb2m/clip/"_s;
        QTest::newRow("removed") << u"hls/Yc7pDs6Hg1x"_s << mp3 << u"remove"_s << QString() << u"/hls/Yc7pDs6Hg1x/clip/"_s;
        QTest::newRow("quit, removed") << u"hls/Bn5sQe1Vz8r"_s << mp3 << u"quit, remove"_s << QString()
                                       << u"/hls/Bn5sQe1Vz8r/clip/"_s;
    }

    void fetchedByYtDlp()
    {
        QFETCH(QString, page);
        QFETCH(int, format);
        QFETCH(QString, interruption);
        QFETCH(QString, notFetched);
        m_fixture->preferences.setOutputFormat(OutputFormat(format));
        const QString code = page.section(u'/', 1);
        const QString segments = u"/hls/%1/sound/"_s.arg(code);
        const QString listPath = m_media.filePath(u"list.json"_s);
        m_list->saveTo(listPath);
        auto item = add(u"http://clips.sample.test/"_s + page);
        QTRY_VERIFY_WITH_TIMEOUT(item->youtubeStatus() != StatusLoadingInfo, 60'000);
        QCOMPARE(int(item->youtubeStatus()), int(StatusReady));
        if (!interruption.isEmpty())
            m_fixture->site.addFault(SiteFault::parse(u"path=%1,throttle=4000"_s.arg(segments)).value());
        item->downloadButtonSelector();
        if (!interruption.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(!m_fixture->site.requests(segments + u"1.ts"_s).isEmpty(), 60'000);
        if (interruption == u"remove") {
            m_list->remove({item});
            QTRY_COMPARE_WITH_TIMEOUT(m_fixture->outputEntries(), QStringList(), 2000);
            return;
        }
        if (interruption == u"pause") {
            item->pause();
            QCOMPARE(int(item->youtubeStatus()), int(StatusDownloadPaused));
            // yt-dlp is gone: nothing more is asked for.
            const qsizetype asked = m_fixture->site.requests(segments).size();
            QTest::qWait(2500);
            QCOMPARE(m_fixture->site.requests(segments).size(), asked);
            m_fixture->site.clearFaults();
            item->resume();
        }
        if (interruption.startsWith(u"quit"_s)) {
            m_list->close();
            const QList<KeptListFile::Item> saved = KeptListFile::read(SiteFixture::fileBytes(listPath)).items;
            m_fixture->site.clearFaults();
            m_list = std::make_unique<DownloadList>(m_fixture->preferences);
            m_list->restore(saved);
            item = m_list->items().constFirst();
            QCOMPARE(int(item->youtubeStatus()), int(StatusDownloading));
            if (interruption.endsWith(u"remove"_s)) {
                m_list->remove({item});
                QTRY_COMPARE_WITH_TIMEOUT(m_fixture->outputEntries(), QStringList(), 2000);
                return;
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusFinished), 60'000);
        const QString file = item->wholeFilePath();
        QTEST(TestMedia::probe(file, u"stream=codec_name"_s, u"v"_s) + u'+' + TestMedia::probe(file, u"stream=codec_name"_s),
              "streams");
        QVERIFY(std::abs(TestMedia::decodedSeconds(file, m_media.filePath(u"pcm"_s)) - 2) < 0.1);
        QCOMPARE(m_fixture->outputEntries(), QStringList{QFileInfo(file).fileName()});
        QCOMPARE(m_fixture->site.requests(notFetched).size(), 0);
        // Taken up where it stopped, not begun again.
        if (!interruption.isEmpty())
            QCOMPARE(m_fixture->site.requests(segments + u"0.ts"_s).size(), 1);
    }

    // yt-dlp that fails is run again as a broken connection is tried again;
    // then the row pauses with yt-dlp's reason, its work kept for Resume.
    void ytDlpFailurePausesTheRow()
    {
        const QString runs = m_fixture->outputPath(u".runs"_s);
        const QByteArray page = "{\"id\":\"f\",\"title\":\"Broken\",\"formats\":[{\"format_id\":\"160\",\"protocol\":"
                                "\"m3u8_native\",\"ext\":\"mp4\",\"vcodec\":\"none\",\"acodec\":\"mp4a.40.2\","
                                "\"url\":\"http://clips.sample.test/hls/f/sound/index.m3u8\"}]}";
        const StandInProgram ytDlp(
            u"yt-dlp"_s, "case \"$*\" in *--dump-single-json*) " + standInScript(page, runs)
                             + ";;\n*) echo run >> '" + runs.toUtf8()
                             + "'; echo 'ERROR: fragment 3 not found, unable to continue' >&2; exit 1 ;; esac");
        m_fixture->preferences.setPageReaderPath(ytDlp.path());
        const auto item = add(u"http://clips.sample.test/watch/f"_s);
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusReady), 20'000);
        item->setDownloadPolicy({.attempts = 1, .firstDelay = 10ms});
        item->downloadButtonSelector();
        QTRY_COMPARE_WITH_TIMEOUT(int(item->youtubeStatus()), int(StatusDownloadPaused), 20'000);
        QCOMPARE(item->statusNote(),
                 u"Download stopped: yt-dlp: fragment 3 not found, unable to continue. Press Resume to try again."_s);
        QCOMPARE(SiteFixture::fileBytes(runs), QByteArray("run\nrun\nrun\n"));
        QVERIFY(QFileInfo(item->partialFilePath()).isDir());
    }

private:
    DownloadList::Item add(const QString &link)
    {
        const DownloadList::Items added = m_list->add({link}, {});
        return added.isEmpty() ? nullptr : added.constFirst();
    }

    std::unique_ptr<SiteFixture> m_fixture;
    QTemporaryDir m_media;
    std::unique_ptr<DownloadList> m_list;
};

QTEST_GUILESS_MAIN(TestSources)
#include "tst_sources.moc"
