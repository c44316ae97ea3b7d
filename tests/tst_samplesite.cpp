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
        QTest::addColumn<QStringList>("links"); // a page's formats without a picture, a playlist's entries

        const QString site = u"http://clips.sample.test"_s;
        QTest::newRow("page") << site + u"/watch/abc"_s << u"Paper Engines \"Remastered\""_s
                              << QStringList{site + u"/media/abc.m4a"_s};
        QTest::newRow("playlist") << site + u"/playlist/evening"_s << u"Quiet Lanterns - Acoustic Session"_s
                                  << QStringList{site + u"/watch/evening-1"_s, site + u"/watch/evening-2"_s,
                                                 site + u"/watch/evening-3"_s};
    }

    void readByYtDlp()
    {
        QFETCH(QString, url);
        QFETCH(QString, title);
        QFETCH(QStringList, links);

        const QString program = u"/usr/bin/yt-dlp"_s;
        if (!QFileInfo(program).isExecutable())
            QSKIP("yt-dlp is not installed");
        QProcess ytDlp;
        ytDlp.start(program, {u"--ignore-config"_s, u"--no-cache-dir"_s, u"--dump-single-json"_s, u"--flat-playlist"_s,
                              u"--no-warnings"_s, u"--"_s, url});
        QVERIFY(ytDlp.waitForFinished(60'000));
        QVERIFY2(ytDlp.exitCode() == 0, ytDlp.readAllStandardError().constData());
        const QJsonObject info = QJsonDocument::fromJson(ytDlp.readAllStandardOutput()).object();

        QCOMPARE(info[u"title"].toString(), title);
        QStringList read;
        for (const QJsonValue &format : info[u"formats"].toArray()) {
            if (format[u"vcodec"] == u"none"_s && format[u"acodec"].toString(u"none"_s) != u"none")
                read.append(format[u"url"].toString());
        }
        for (const QJsonValue &entry : info[u"entries"].toArray())
            read.append(entry[u"url"].toString());
        QCOMPARE(read, links);
    }

private:
    SampleSite m_site{{.mediaDirectory = QStringLiteral(VANTREL_SAMPLE_MEDIA_DIR), .pagesDirectory = {}}};
    QNetworkAccessManager m_network;
};

QTEST_GUILESS_MAIN(TestSampleSite)
#include "tst_samplesite.moc"
