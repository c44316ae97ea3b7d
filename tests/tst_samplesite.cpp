#include "SampleSite.h"
#include "TestMedia.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The clip site of today that the sample site plays under every host name
// but the video site's, as an HTTP client and yt-dlp see it.
class TestSampleSite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Nothing may leave this machine: every request goes to the site.
        qunsetenv("no_proxy");
        qunsetenv("NO_PROXY");
        QVERIFY(m_site.start());
        qputenv("http_proxy", m_site.proxyUrl().toUtf8());
        QVERIFY(m_site.media().prepare());
    }

    void answers_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArrayList>("head"); // each the start of a line of the answer's head

        const QByteArrayList html{"Content-Type: text/html"};
        QTest::newRow("page") << u"http://clips.sample.test/watch/abc"_s << QByteArray() << 200 << html;
        QTest::newRow("old page: the video site's only") << u"http://clips.sample.test/watch?v=abc"_s << QByteArray() << 404
                                                          << html;
        QTest::newRow("page of today: not the video site's") << u"http://www.youtube.com/watch/abc"_s << QByteArray()
                                                              << 404 << html;
        QTest::newRow("sound alone, a range")
            << u"http://files.sample.test/media/some.m4a"_s << QByteArray("bytes=100-199") << 206
            << QByteArrayList{"Content-Type: audio/mp4", "Content-Range: bytes 100-199/", "Content-Length: 100"};
        QTest::newRow("picture and sound") << u"http://files.sample.test/media/some.mp4"_s << QByteArray() << 200
                                           << QByteArrayList{"Content-Type: video/mp4"};
        QTest::newRow("attachment")
            << u"http://files.sample.test/download?id=abc"_s << QByteArray() << 200
            << QByteArrayList{"Content-Type: audio/mp4",
                              "Content-Disposition: attachment; filename=\"Paper Engines \\\"Remastered\\\".m4a\""};
        QTest::newRow("playlist") << u"http://clips.sample.test/playlist/evening"_s << QByteArray() << 200
                                  << QByteArrayList{"Content-Type: application/rss+xml"};
    }

    void answers()
    {
        QFETCH(QString, url);
        QFETCH(QByteArray, range);
        QFETCH(int, status);
        QFETCH(QByteArrayList, head);

        QNetworkRequest request{QUrl(url)};
        if (!range.isEmpty())
            request.setRawHeader("Range", range);
        std::unique_ptr<QNetworkReply> reply(m_network.get(request));
        QVERIFY(QSignalSpy(reply.get(), &QNetworkReply::finished).wait(30'000));

        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
        QByteArrayList lines;
        for (const auto &[name, value] : reply->rawHeaderPairs())
            lines.append(name + ": " + value);
        for (const QByteArray &start : head) {
            const auto starts = [&](const QByteArray &line) { return line.startsWith(start); };
            QVERIFY2(std::any_of(lines.cbegin(), lines.cend(), starts), lines.join('\n').constData());
        }
    }

    void toneIsSoundAloneWithATitle()
    {
        const QString tone = m_site.media().toneFile();
        QCOMPARE(TestMedia::probe(tone, u"stream=codec_type"_s, u"v"_s), QString());
        QCOMPARE(TestMedia::probe(tone, u"stream=codec_name"_s), u"aac"_s);
        QCOMPARE(TestMedia::probe(tone, u"format_tags=title"_s), u"Sample Tone"_s);
    }

    void readByYtDlp_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("read"); // a page's formats, "protocol vcodec acodec url"; a playlist's entries

        const QString site = u"http://clips.sample.test"_s;
        const QString title = u"Paper Engines \"Remastered\""_s;
        QTest::newRow("page") << site + u"/watch/abc"_s << title
                              << QStringList{u"http none mp4a.40.2 "_s + site + u"/media/abc.m4a"_s,
                                             u"http avc1.42001E mp4a.40.2 "_s + site + u"/media/abc.mp4"_s};
        QTest::newRow("picture and sound apart") << site + u"/split/abc"_s << title
                                                 << QStringList{u"http none mp4a.40.2 "_s + site + u"/media/abc.m4a"_s,
                                                                u"http avc1.42001E none "_s + site + u"/picture/abc.mp4"_s};
        QTest::newRow("HLS") << site + u"/hls/abc"_s << title
                             << QStringList{u"m3u8_native none mp4a.40.2 "_s + site + u"/hls/abc/sound/index.m3u8"_s,
                                            u"m3u8_native avc1.42001E mp4a.40.2 "_s + site + u"/hls/abc/clip/index.m3u8"_s};
        QTest::newRow("playlist") << site + u"/playlist/evening"_s << u"Quiet Lanterns - Acoustic Session"_s
                                  << QStringList{site + u"/watch/evening-1"_s, site + u"/watch/evening-2"_s,
                                                 site + u"/watch/evening-3"_s};
    }

    void readByYtDlp()
    {
        QFETCH(QString, url);
        QFETCH(QString, title);
        QFETCH(QStringList, read);

        if (!QFileInfo(YtDlp).isExecutable())
            QSKIP("yt-dlp is not installed");
        const std::optional<QByteArray> output = ytDlp({u"--dump-single-json"_s, u"--flat-playlist"_s, u"--"_s, url});
        QVERIFY(output);
        const QJsonObject info = QJsonDocument::fromJson(*output).object();

        QCOMPARE(info[u"title"].toString(), title);
        QStringList found;
        for (const QJsonValue &format : info[u"formats"].toArray()) {
            found.append(QStringList{format[u"protocol"].toString(), format[u"vcodec"].toString(),
                                     format[u"acodec"].toString(), format[u"url"].toString()}
                             .join(u' '));
        }
        for (const QJsonValue &entry : info[u"entries"].toArray())
            found.append(entry[u"url"].toString());
        QCOMPARE(found, read);
    }

    void downloadedByYtDlp_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("selector");
        // As ffprobe counts them in the file made; the clip's 2 s hold 50
        // pictures and 88 blocks of AAC sound.
        QTest::addColumn<int>("pictures");
        QTest::addColumn<int>("soundBlocks");

        QTest::newRow("HLS, the sound alone") << u"http://clips.sample.test/hls/abc"_s << u"ba"_s << 0 << 88;
        QTest::newRow("HLS, picture and sound") << u"http://clips.sample.test/hls/abc"_s << u"b"_s << 50 << 88;
        QTest::newRow("picture and sound apart, put together")
            << u"http://clips.sample.test/split/abc"_s << u"bv+ba"_s << 50 << 88;
    }

    void downloadedByYtDlp()
    {
        QFETCH(QString, url);
        QFETCH(QString, selector);
        QFETCH(int, pictures);
        QFETCH(int, soundBlocks);

        if (!QFileInfo(YtDlp).isExecutable())
            QSKIP("yt-dlp is not installed");
        QTemporaryDir folder;
        const QString file = folder.filePath(u"clip.mp4"_s);
        QVERIFY(ytDlp({u"-f"_s, selector, u"-o"_s, file, u"--"_s, url}));

        QCOMPARE(TestMedia::probe(file, u"stream=nb_frames"_s, u"v"_s).toInt(), pictures);
        QCOMPARE(TestMedia::probe(file, u"stream=nb_frames"_s).toInt(), soundBlocks);
    }

private:
    static inline const QString YtDlp = u"/usr/bin/yt-dlp"_s;

    // What the real yt-dlp prints, told nothing by a configuration or a
    // cache; nullopt when it fails.
    static std::optional<QByteArray> ytDlp(const QStringList &arguments)
    {
        QProcess process;
        process.start(YtDlp, QStringList{u"--ignore-config"_s, u"--no-cache-dir"_s, u"--no-warnings"_s} + arguments);
        if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0) {
            qWarning("%s", process.readAllStandardError().constData());
            return std::nullopt;
        }
        return process.readAllStandardOutput();
    }

    SampleSite m_site{{.mediaDirectory = QStringLiteral(VANTREL_SAMPLE_MEDIA_DIR), .pagesDirectory = {}}};
    QNetworkAccessManager m_network;
};

QTEST_GUILESS_MAIN(TestSampleSite)
#include "tst_samplesite.moc"
