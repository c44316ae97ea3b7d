#include "WatchPage.h"
#include "YoutubeQuality.h"

#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QString fixture(const QString &name)
{
    QFile file(QStringLiteral(VANTREL_FIXTURES_DIR) + u"/watch-pages/"_s + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestWatchPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void archivedPages_data();
    void archivedPages();
    void archivedStreams();
    void title_data();
    void title();
    void duration_data();
    void duration();
    void description_data();
    void description();
    void coverAddresses();
};

void TestWatchPage::archivedPages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("hasConfiguration");
    QTest::addColumn<int>("duration");
    QTest::addColumn<QString>("descriptionStart");
    QTest::addColumn<int>("mp4Streams");

    QTest::newRow("2011 old stream map") << u"2011-04_watch_player-config_old-fmt-stream-map.html"_s
                                         << u"YouTube"_s << true << 473
                                         << u"Master of the Puppets by Metallica. Converted to 8 bit"_s << 0;
    QTest::newRow("2012 player config") << u"2012-07_watch_player-config_derived.html"_s
                                        << u"The Legend of Zelda, gypsy rumba style"_s << true << 162
                                        << u"Here's a medley of two melodies from the original Legend of Zelda NES game: "
                                           "the main theme and the \"fairy fountain\" theme. We funked it up a bit. :)\n\n"
                                           "It was a great privilege"_s
                                        << 2;
    QTest::newRow("2012 other config form") << u"2012-07_watch_yt-playerconfig_negative.html"_s
                                            << u"The Legend of Zelda, gypsy rumba style"_s << false << 0
                                            << u"Here's a medley"_s << 0;
    QTest::newRow("2013 channel, empty map") << u"2013-02_channel_player-config_empty-stream-map.html"_s
                                             << u"TEDTalks - YouTube"_s << true << 956 << QString() << 0;
    QTest::newRow("2013 other config form") << u"2013-06_watch_ytplayer-config_negative.html"_s
                                            << u"Bill's Design Talks: Graphic Design— Now in Production - YouTube"_s
                                            << false << 0 << u"Find out how designers today"_s << 0;
}

void TestWatchPage::archivedPages()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(bool, hasConfiguration);
    QFETCH(int, duration);
    QFETCH(QString, descriptionStart);
    QFETCH(int, mp4Streams);
    const QString page = fixture(file);
    if (page.isEmpty())
        QSKIP("archived pages not present");

    QCOMPARE(WatchPage::parseYoutubeTitleFromMainContent(page), title);
    const QString configuration = WatchPage::parseYoutubeObjectFromMainContent(page);
    QCOMPARE(!configuration.isEmpty(), hasConfiguration);
    QCOMPARE(WatchPage::parseYoutubeVideoDurationFromObjectContent(configuration), duration);
    const QString description = WatchPage::parseYoutubeDescriptionFromObjectContent(page);
    QVERIFY2(description.startsWith(descriptionStart), qPrintable(description.left(200)));
    QCOMPARE(descriptionStart.isEmpty(), description.isEmpty());
    QVERIFY(!description.contains(u'<'));
    QCOMPARE(YoutubeQuality::youtubeQualityListFromObjectContent(configuration, {}).size(), mp4Streams);
}

void TestWatchPage::archivedStreams()
{
    const QString page = fixture(u"2012-07_watch_player-config_derived.html"_s);
    if (page.isEmpty())
        QSKIP("archived pages not present");
    const YoutubeQualityList streams =
        YoutubeQuality::youtubeQualityListFromObjectContent(WatchPage::parseYoutubeObjectFromMainContent(page), {});
    QCOMPARE(streams.size(), 2);
    QCOMPARE(streams[0]->youtubeVideoQuality(), Quality720p);
    QCOMPARE(streams[1]->youtubeVideoQuality(), Quality360p);
    // The addresses come out fully decoded, the doubly escaped commas of
    // "sparams" included, and end before the next parameter.
    QVERIFY(streams[0]->videoURL().startsWith(
        u"http://o-o.preferred.aapt-syd1.v21.lscache7.c.youtube.com/videoplayback?upn=f2Y-acB01Ds"
        "&sparams=cp,id,ip,ipbits,itag,ratebypass,source,upn,expire&"_s));
    QVERIFY(streams[0]->videoURL().contains(u"&itag=22&"_s));
    QVERIFY(streams[1]->videoURL().contains(u"&itag=18&"_s));
    for (const YoutubeQualityPtr &stream : streams) {
        QVERIFY(!stream->videoURL().contains(u"\\u"_s));
        QVERIFY(!stream->videoURL().contains(u'%'));
    }
    QCOMPARE(YoutubeQuality::findMorePreferedQualityInList(streams, VideoTypeMP4, Quality360p), streams[1]);
    QCOMPARE(YoutubeQuality::findMorePreferedQualityInList(streams, VideoTypeMP4, Quality720p), streams[0]);
    QCOMPARE(YoutubeQuality::findMorePreferedQualityInList(streams, VideoTypeMP4, Quality1080p), streams[1]);
}

void TestWatchPage::title_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");

    QTest::newRow("site name on the next line") << u"<TITLE>\n   My Song\n  - YouTube\n</title>"_s << u"My Song"_s;
    QTest::newRow("entities and slashes") << u"<title>AC/DC &amp; Friends \\ Live</title>"_s << u"AC-DC & Friends - Live"_s;
    QTest::newRow("carriage return ends the line") << u"<title>a\rb</title>"_s << u"a"_s;
    QTest::newRow("line separator ends the line") << u"<title>a\u2028b</title>"_s << u"a"_s;
    QTest::newRow("entity line feed ends the line") << u"<title>a&#10;b</title>"_s << u"a"_s;
    QTest::newRow("unknown entity kept as a control") << u"<title>Don&rsquo;t</title>"_s << u"Don\u001Ft"_s;
    QTest::newRow("no title") << u"<html></html>"_s << QString();
    QTest::newRow("unclosed") << u"<title>x"_s << QString();
}

void TestWatchPage::title()
{
    QFETCH(QString, page);
    QFETCH(QString, title);
    QCOMPARE(WatchPage::parseYoutubeTitleFromMainContent(page), title);
}

void TestWatchPage::duration_data()
{
    QTest::addColumn<QString>("configuration");
    QTest::addColumn<int>("seconds");

    QTest::newRow("digits then comma") << u"x \"length_seconds\": 253, y"_s << 253;
    QTest::newRow("quoted number") << u"\"length_seconds\": \"253\""_s << 0;
    QTest::newRow("missing") << u"\"title\": \"x\""_s << 0;
    QTest::newRow("related video key first") << u"\"rv.7.length_seconds\": 284, \"length_seconds\": 162"_s << 162;
    QTest::newRow("saturates") << u"\"length_seconds\": 99999999999"_s << 2147483647;
    QTest::newRow("at the end") << u"\"length_seconds\": "_s << 0;
}

void TestWatchPage::duration()
{
    QFETCH(QString, configuration);
    QFETCH(int, seconds);
    QCOMPARE(WatchPage::parseYoutubeVideoDurationFromObjectContent(configuration), seconds);
}

void TestWatchPage::description_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("description");

    QTest::newRow("breaks, links, entities")
        << u"<p id=\"eow-description\" >One &amp; two<br />See <a href=\"x\">x.com</a></p>"_s
        << u"One & two\nSee x.com"_s;
    QTest::newRow("decoded brackets swallow a word")
        << u"<p id=\"eow-description\" >a &lt;b&gt; c</p>"_s << u"a  c"_s;
    QTest::newRow("marker needs the space") << u"<p id=\"eow-description\">x</p>"_s << QString();
    QTest::newRow("missing") << u"<p>x</p>"_s << QString();
}

void TestWatchPage::description()
{
    QFETCH(QString, page);
    QFETCH(QString, description);
    QCOMPARE(WatchPage::parseYoutubeDescriptionFromObjectContent(page), description);
}

void TestWatchPage::coverAddresses()
{
    const QString small = WatchPage::coverURL(u"a1B2c3D4e_-"_s);
    QCOMPARE(small, u"http://i.ytimg.com/vi/a1B2c3D4e_-/default.jpg"_s);
    QCOMPARE(WatchPage::highQualityCoverURL(small), u"http://i.ytimg.com/vi/a1B2c3D4e_-/hqdefault.jpg"_s);
}

QTEST_GUILESS_MAIN(TestWatchPage)
#include "tst_watchpage.moc"
