#include "NotificationCenter.h"
#include "OutputFileName.h"
#include "PreferenceStore.h"
#include "RecordingOwner.h"
#include "WatchPage.h"
#include "YoutubeConstants.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QString archivedPage(const QString &name)
{
    QFile file(QStringLiteral(VANTREL_FIXTURES_DIR "/watch-pages/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// One entry of a page's stream list, as the player configuration has it
// once percent-decoded.
QString stream(const QString &quality, const QString &type, const QString &url)
{
    return u"url="_s + url + u"\\u0026quality="_s + quality + u"\\u0026type=video/"_s + type
        + u"; codecs=\"avc1.64001F, mp4a.40.2\"\\u0026itag=22,"_s;
}

QString configuration(const QStringList &entries)
{
    return u"\"url_encoded_fmt_stream_map\": \""_s + entries.join(QString()) + u"\", \"fmt_list\": \"x\""_s;
}

} // namespace

// The video item's own rules, without the network: links, status, watch
// page parsing, file names and the stream catalogue.
class TestItems : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isYoutubeURLValid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");

        QTest::newRow("watch page") << u"http://www.youtube.com/watch?v=a1B2c3D4e_-&feature=related"_s << true;
        QTest::newRow("capitals with www") << u"HTTP://WWW.YOUTUBE.COM/watch?v=a1B2c3D4e_-"_s << true;
        QTest::newRow("capitals without www") << u"HTTP://YOUTUBE.COM/watch?v=a1B2c3D4e_-"_s << false;
        QTest::newRow("small letters without www") << u"http://youtube.com/watch?v=a1B2c3D4e_-"_s << true;
        QTest::newRow("secure scheme") << u"https://www.youtube.com/watch?v=a1B2c3D4e_-"_s << false;
        QTest::newRow("other sub-domain") << u"http://m.youtube.com/watch?v=a1B2c3D4e_-"_s << false;
        QTest::newRow("inside prose") << u"my channel: http://www.youtube.com/user/someone, enjoy"_s << true;
    }

    void isYoutubeURLValid()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(YoutubeDownloader::isYoutubeURLValid(text), valid);
    }

    void parseYoutubeCodeFromURL_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("code");

        QTest::newRow("letters, digits, dash, underscore") << u"http://www.youtube.com/watch?v=aZ09-_&feature=related"_s
                                                           << u"aZ09-_"_s;
        for (const char *end : {"@", "[", "/", ":", "."})
            QTest::addRow("ends at %s", end) << u"http://youtube.com/watch?v=x"_s + QLatin1StringView(end) + u"y"_s << u"x"_s;
        QTest::newRow("mask in capitals") << u"http://WWW.YOUTUBE.COM/WATCH?V=abcdefghijklmnop"_s << u"abcdefghijklmnop"_s;
        QTest::newRow("user page") << u"my channel: http://www.youtube.com/user/someone"_s << QString();
        QTest::newRow("second mask") << u"http://www.youtube.com/watch?feature=player&v=Zz9"_s << u"Zz9"_s;
        QTest::newRow("accented letter ends the code") << u"http://youtube.com/watch?v=abcé"_s << u"abc"_s;
        QTest::newRow("first mask wins") << u"http://youtube.com/watch?v=first&v=second"_s << u"first"_s;
        QTest::newRow("empty first code falls back") << u"http://youtube.com/watch?v=&v=second"_s << u"second"_s;
        QTest::newRow("sharp s earlier in the text") << u"Grüße: http://www.youtube.com/watch?v=abc"_s << u"abc"_s;
        QTest::newRow("dotless i counts as a letter") << u"http://youtube.com/watch?v=abıc"_s << u"abıc"_s;
        QTest::newRow("astral characters before") << u"\U0001F3B5 http://youtube.com/watch?v=xyz\U0001F3B5"_s << u"xyz"_s;
    }

    void parseYoutubeCodeFromURL()
    {
        QFETCH(QString, url);
        QFETCH(QString, code);
        QCOMPARE(YoutubeDownloader::parseYoutubeCodeFromURL(url), code);
    }

    void youtubesURLsFromText()
    {
        const QString first = u"http://www.youtube.com/watch?v=a1B2c3D4e_-"_s;
        const QString second = u"http://youtube.com/watch?v=Zz9-_x8Yy7w"_s;
        QCOMPARE(YoutubeDownloader::youtubesURLsFromText(u"  "_s + first + u" \t\r\n\nsome words\n"_s + second + u"\n"_s + first),
                 (QStringList{first, second, first}));
        // A Unicode line separator is no line break.
        QCOMPARE(YoutubeDownloader::youtubesURLsFromText(first + u"\u2028"_s + second), QStringList{first + u"\u2028"_s + second});
    }

    void statusTexts_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("outputFormat");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");

        const QColor black(0, 0, 0);
        QTest::newRow("new shows nothing") << int(StatusNew) << 0 << QString() << black;
        QTest::newRow("failed page") << int(StatusInfoFailed) << 0 << u"Could not read the video page"_s << QColor(0xc01c28);
        QTest::newRow("paused conversion") << int(StatusConvertPaused) << 1 << u"Paused"_s << QColor(0x1a5fb4);
        QTest::newRow("converting to mp3") << int(StatusConverting) << 1 << u"Converting to MP3"_s << QColor(0x813d9c);
        QTest::newRow("converting, no format") << int(StatusConverting) << 0 << u"Converting to "_s << QColor(0x813d9c);
        QTest::newRow("downloaded shows nothing") << int(StatusDownloaded) << 2 << QString() << black;
        QTest::newRow("beyond the table") << 13 << 0 << QString() << black;
    }

    void statusTexts()
    {
        QFETCH(int, status);
        QFETCH(int, outputFormat);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        QCOMPARE(YoutubeDownloader::statusDescriptionByYoutubeStatus(status, outputFormat), text);
        QCOMPARE(YoutubeDownloader::colorCellByYoutubeStatus(status), colour);
    }

    // Only real changes are announced, a change from an expected status happens
    // only from there, and Removed is final.
    void statusMoves()
    {
        RecordingOwner owner;
        auto item = newItem(&owner);
        item->setYoutubeStatus(StatusLoadingInfo);
        QVERIFY(item->changeYoutubeStatus(StatusLoadingInfo, StatusLoadingInfo));
        QVERIFY(!item->changeYoutubeStatus(StatusReady, StatusDownloading));
        QCOMPARE(owner.statuses(), QList<YoutubeStatus>{StatusLoadingInfo});
        item->removeObject();
        item->removeObject();
        QCOMPARE(owner.statuses(), (QList<YoutubeStatus>{StatusLoadingInfo, StatusRemoved}));
        QCOMPARE(owner.removals.load(), 1);
        item->setYoutubeStatus(StatusReady);
        QVERIFY(!item->changeYoutubeStatus(StatusRemoved, StatusReady));
        QCOMPARE(item->youtubeStatus(), StatusRemoved);
    }

    void noteJoinsTheStatusText()
    {
        RecordingOwner owner;
        auto item = newItem(&owner);
        QCOMPARE(item->statusText(), u"Loading information…"_s);
        item->setStatusNote(u"retrying"_s);
        item->setStatusNote(u"retrying"_s);
        QCOMPARE(item->statusText(), u"Loading information…\nretrying"_s);
        QCOMPARE(owner.redraws.load(), 1);
    }

    void notificationsCarryTheItem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("count");
        QTest::newRow("status changed") << NOTIFICATION_YOUTUBE_STATUS_CHANGED.toString() << 2;
        QTest::newRow("show menu") << NOTIFICATION_YOUTUBE_SHOW_MENU.toString() << 1;
    }

    void notificationsCarryTheItem()
    {
        QFETCH(QString, name);
        QFETCH(int, count);
        QList<std::shared_ptr<YoutubeDownloader>> seen;
        NotificationCenter::defaultCenter().addObserver(this, name, nullptr, [&seen](const Notification &n) {
            QCOMPARE(n.object, nullptr);
            seen.append(n.userInfo.value(NOTIFICATION_YOUTUBE_DOWNLOADER_KEY.toString()).value<std::shared_ptr<YoutubeDownloader>>());
        });
        auto item = newItem(nullptr);
        item->showMenuButtonSelector();
        item->removeObject();
        NotificationCenter::defaultCenter().removeObserver(this);
        QCOMPARE(seen, QList<std::shared_ptr<YoutubeDownloader>>(count, item));
    }

    void archivedPages_data()
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
        QTest::newRow("2013 channel, empty map") << u"2013-02_channel_player-config_empty-stream-map.html"_s
                                                 << u"TEDTalks - YouTube"_s << true << 956 << QString() << 0;
        QTest::newRow("2013 other config form") << u"2013-06_watch_ytplayer-config_negative.html"_s
                                                << u"Bill's Design Talks: Graphic Design— Now in Production - YouTube"_s
                                                << false << 0 << u"Find out how designers today"_s << 0;
    }

    void archivedPages()
    {
        QFETCH(QString, file);
        QFETCH(QString, title);
        QFETCH(bool, hasConfiguration);
        QFETCH(int, duration);
        QFETCH(QString, descriptionStart);
        QFETCH(int, mp4Streams);
        const QString page = archivedPage(file);
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

    void archivedStreams()
    {
        const QString page = archivedPage(u"2012-07_watch_player-config_derived.html"_s);
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
        for (const YoutubeQualityPtr &stream : streams)
            QVERIFY(!stream->videoURL().contains(u"\\u"_s) && !stream->videoURL().contains(u'%'));
    }

    void title_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");

        QTest::newRow("site name on the next line") << u"<TITLE>\n   My Song\n  - YouTube\n</title>"_s << u"My Song"_s;
        QTest::newRow("entities and slashes") << u"<title>AC/DC &amp; Friends \\ Live</title>"_s << u"AC-DC & Friends - Live"_s;
        QTest::newRow("carriage return ends the line") << u"<title>a\rb</title>"_s << u"a"_s;
        QTest::newRow("entity line feed ends the line") << u"<title>a&#10;b</title>"_s << u"a"_s;
        QTest::newRow("unknown entity kept as a control") << u"<title>Don&rsquo;t</title>"_s << u"Don\u001Ft"_s;
        QTest::newRow("unclosed") << u"<title>x"_s << QString();
    }

    void title()
    {
        QFETCH(QString, page);
        QFETCH(QString, title);
        QCOMPARE(WatchPage::parseYoutubeTitleFromMainContent(page), title);
    }

    void duration_data()
    {
        QTest::addColumn<QString>("configuration");
        QTest::addColumn<int>("seconds");

        QTest::newRow("digits then comma") << u"x \"length_seconds\": 253, y"_s << 253;
        QTest::newRow("quoted number") << u"\"length_seconds\": \"253\""_s << 0;
        QTest::newRow("missing") << u"\"title\": \"x\""_s << 0;
        QTest::newRow("related video key first") << u"\"rv.7.length_seconds\": 284, \"length_seconds\": 162"_s << 162;
        QTest::newRow("saturates") << u"\"length_seconds\": 99999999999"_s << 2147483647;
    }

    void duration()
    {
        QFETCH(QString, configuration);
        QFETCH(int, seconds);
        QCOMPARE(WatchPage::parseYoutubeVideoDurationFromObjectContent(configuration), seconds);
    }

    void description_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("description");

        QTest::newRow("breaks, links, entities")
            << u"<p id=\"eow-description\" >One &amp; two<br />See <a href=\"x\">x.com</a></p>"_s << u"One & two\nSee x.com"_s;
        QTest::newRow("decoded brackets swallow a word") << u"<p id=\"eow-description\" >a &lt;b&gt; c</p>"_s << u"a  c"_s;
        QTest::newRow("marker needs the space") << u"<p id=\"eow-description\">x</p>"_s << QString();
    }

    void description()
    {
        QFETCH(QString, page);
        QFETCH(QString, description);
        QCOMPARE(WatchPage::parseYoutubeDescriptionFromObjectContent(page), description);
    }

    void coverAddresses()
    {
        QCOMPARE(WatchPage::coverURL(u"a1B2c3D4e_-"_s), u"http://i.ytimg.com/vi/a1B2c3D4e_-/default.jpg"_s);
        QCOMPARE(WatchPage::highQualityCoverURL(u"http://i.ytimg.com/vi/a1B2c3D4e_-/default.jpg"_s),
                 u"http://i.ytimg.com/vi/a1B2c3D4e_-/hqdefault.jpg"_s);
    }

    void folder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");

        const QString home = QDir::homePath();
        QTest::newRow("absolute") << u"/Users/u/Music"_s << u"/Users/u/Music/"_s;
        QTest::newRow("with slash") << u"/Users/u/Music/"_s << u"/Users/u/Music/"_s;
        QTest::newRow("default") << u"~/Movies/"_s << home + u"/Movies/"_s;
        QTest::newRow("empty means the default") << QString() << home + u"/Movies/"_s;
        QTest::newRow("home alone") << u"~"_s << home + u"/"_s;
        QTest::newRow("tilde inside kept") << u"/data/~x"_s << u"/data/~x/"_s;
        QTest::newRow("other user's home kept") << u"~bob/Music"_s << u"~bob/Music/"_s;
    }

    void folder()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QCOMPARE(OutputFileName::expandedFolder(stored), expected);
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("mp3");

        QTest::newRow("inner point kept") << u"Take 5.2"_s << u"Take 5.2.mp4"_s << u"Take 5.2.mp3"_s;
        QTest::newRow("leading dot") << u".hidden"_s << u".hidden.mp4"_s << u".hidden.mp3"_s;
        QTest::newRow("unicode stays") << u"Ünïcödé ☺"_s << u"Ünïcödé ☺.mp4"_s << u"Ünïcödé ☺.mp3"_s;
        QTest::newRow("controls and slash") << u"a\u0000b\u001Fc\u007Fd/e"_s << u"a_b_c_d_e.mp4"_s << u"a_b_c_d_e.mp3"_s;
        // Room is left for the temporary suffix: 255 - 16 bytes with ".mp4".
        QTest::newRow("ascii cut") << QString(300, u'x') << QString(235, u'x') + u".mp4"_s << QString(235, u'x') + u".mp3"_s;
        QTest::newRow("three-byte characters cut whole") << QString(100, u'あ') << QString(78, u'あ') + u".mp4"_s
                                                         << QString(78, u'あ') + u".mp3"_s;
        QTest::newRow("pairs never split") << u"x"_s + u"\U0001F600"_s.repeated(100)
                                           << u"x"_s + u"\U0001F600"_s.repeated(58) + u".mp4"_s
                                           << u"x"_s + u"\U0001F600"_s.repeated(58) + u".mp3"_s;
    }

    void fileName()
    {
        QFETCH(QString, title);
        QFETCH(QString, video);
        QFETCH(QString, mp3);
        QCOMPARE(OutputFileName::fileName(title, u".mp4"_s), video);
        QCOMPARE(OutputFileName::replaceExtension(u"/a.b/"_s + video, u".mp3"_s), u"/a.b/"_s + mp3);
        QCOMPARE(OutputFileName::replaceExtension(u"/a.b/noext"_s, u".wav"_s), u"/a.b/noext.wav"_s);
    }

    void streamList_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QStringList>("expected"); // quality@address

        const QString a = stream(u"medium"_s, u"mp4"_s, u"http://s/a"_s);
        QTest::newRow("mp4 in page order") << configuration({a, stream(u"hd720"_s, u"mp4"_s, u"http://s/b"_s),
                                                             stream(u"hd1080"_s, u"mp4"_s, u"http://s/c"_s)})
                                           << QStringList{u"1@http://s/a"_s, u"3@http://s/b"_s, u"4@http://s/c"_s};
        QTest::newRow("other containers skipped")
            << configuration({stream(u"hd720"_s, u"webm"_s, u"http://s/w"_s), a, stream(u"large"_s, u"x-flv"_s, u"http://s/f"_s)})
            << QStringList{u"1@http://s/a"_s};
        QTest::newRow("type compared letter for letter") << u"url=http://s/a\\u0026quality=medium\\u0026TYPE=VIDEO/MP4;"_s
                                                         << QStringList();
        QTest::newRow("marker near the end") << u"url=http://s/a\\u0026quality=small\\u0026type=video/mp4"_s
                                             << QStringList{u"0@http://s/a"_s};
        QTest::newRow("unknown keyword skipped") << configuration({stream(u"hd2160"_s, u"mp4"_s, u"http://s/x"_s), a})
                                                 << QStringList{u"1@http://s/a"_s};
        QTest::newRow("no address kept") << u"quality=medium\\u0026type=video/mp4;"_s << QStringList{u"1@"_s};
        QTest::newRow("no marker") << u"url=http://s/a\\u0026quality=medium"_s << QStringList();
    }

    void streamList()
    {
        QFETCH(QString, content);
        QFETCH(QStringList, expected);
        QStringList found;
        for (const YoutubeQualityPtr &q : YoutubeQuality::youtubeQualityListFromObjectContent(content, {}))
            found.append(QString::number(q->youtubeVideoQuality()) + u'@' + q->videoURL());
        QCOMPARE(found, expected);
    }

    void streamsAreProbedOnce()
    {
        QStringList asked;
        const YoutubeQualityList list = YoutubeQuality::youtubeQualityListFromObjectContent(
            configuration({stream(u"medium"_s, u"mp4"_s, u"http://s/a"_s), stream(u"hd720"_s, u"mp4"_s, u"http://s/big"_s),
                           stream(u"large"_s, u"webm"_s, u"http://s/w"_s), u"quality=small\\u0026type=video/mp4;"_s}),
            [&asked](const QString &url) -> qint64 {
                asked.append(url);
                return url.endsWith(u"big"_s) ? 38'797'312 : 1000;
            });
        // Skipped entries and entries without an address cost no request.
        QCOMPARE(asked, (QStringList{u"http://s/a"_s, u"http://s/big"_s}));
        QCOMPARE(list.size(), 3);
        QCOMPARE(list[0]->fileContentSize(), 1000);
        QCOMPARE(list[1]->fileContentSize(), 38'797'312);
        QCOMPARE(list[2]->fileContentSize(), 0);
    }

    void qualityKeywords_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<int>("quality");

        QTest::newRow("small") << u"small"_s << int(Quality240p);
        QTest::newRow("large") << u"large"_s << int(Quality480p);
        QTest::newRow("capitals and white space") << u"  HD720\t"_s << int(Quality720p);
        QTest::newRow("further letters") << u"hd1080p60"_s << int(Quality1080p);
        QTest::newRow("4k") << u"4K"_s << int(Quality4K);
        QTest::newRow("keyword not at the start") << u"xsmall"_s << int(QualityNone);
    }

    void qualityKeywords()
    {
        QFETCH(QString, keyword);
        QFETCH(int, quality);
        QCOMPARE(int(YoutubeQuality::videoQualityFromString(keyword)), quality);
    }

    void choice_data()
    {
        QTest::addColumn<QList<int>>("offered");
        QTest::addColumn<int>("preferred");
        QTest::addColumn<int>("chosenIndex"); // -1: no choice

        const QList<int> three{Quality360p, Quality720p, Quality1080p};
        QTest::newRow("exact match") << three << int(Quality720p) << 1;
        QTest::newRow("missing grade falls to the lowest") << three << int(Quality480p) << 0;
        QTest::newRow("lowest, not nearest") << QList<int>{Quality720p, Quality1080p} << int(Quality360p) << 0;
        QTest::newRow("first of two equal") << QList<int>{Quality720p, Quality720p} << int(Quality720p) << 0;
        QTest::newRow("first of the lowest") << QList<int>{Quality720p, Quality360p, Quality360p} << int(Quality4K) << 1;
        QTest::newRow("nothing offered") << QList<int>{} << int(Quality360p) << -1;
    }

    void choice()
    {
        QFETCH(QList<int>, offered);
        QFETCH(int, preferred);
        QFETCH(int, chosenIndex);
        YoutubeQualityList list;
        // An FLV stream of the preferred grade must never be chosen.
        list.append(std::make_shared<const YoutubeQuality>(VideoTypeFLV, YoutubeVideoQuality(preferred), u"flv"_s));
        for (int quality : offered)
            list.append(std::make_shared<const YoutubeQuality>(VideoTypeMP4, YoutubeVideoQuality(quality), u"mp4"_s));
        const YoutubeQualityPtr chosen =
            YoutubeQuality::findMorePreferedQualityInList(list, VideoTypeMP4, YoutubeVideoQuality(preferred));
        QCOMPARE(chosen, chosenIndex < 0 ? nullptr : list.at(chosenIndex + 1)); // the list's own entry
    }

    void streamDescription_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("quality");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("expected");

        QTest::newRow("37 Mb") << int(VideoTypeMP4) << int(Quality720p) << qint64(38'797'312) << u"MP4 (720p (HD)); 37 Mb"_s;
        QTest::newRow("under a mebibyte") << int(VideoTypeMP4) << int(Quality360p) << qint64(1'048'575) << u"MP4 (360p); 0 Mb"_s;
        QTest::newRow("size unknown") << int(VideoTypeMP4) << int(Quality360p) << qint64(0) << u"MP4 (360p)"_s;
        QTest::newRow("over 2 GiB") << int(VideoTypeMP4) << int(Quality4K) << qint64(5'000'000'000) << u"MP4 (4K); 4768 Mb"_s;
        QTest::newRow("flv") << int(VideoTypeFLV) << int(Quality240p) << qint64(-1) << u"FLV (240p)"_s;
    }

    void streamDescription()
    {
        QFETCH(int, type);
        QFETCH(int, quality);
        QFETCH(qint64, size);
        QFETCH(QString, expected);
        QCOMPARE(YoutubeQuality(YoutubeVideoType(type), YoutubeVideoQuality(quality), u"u"_s, size).description(), expected);
    }

private:
    std::shared_ptr<YoutubeDownloader> newItem(YoutubeDownloaderOwner *owner)
    {
        return YoutubeDownloader::create(u"http://youtube.com/watch?v=x"_s, owner, m_preferences);
    }

    // Settings of the test's own, never the user's.
    QTemporaryDir m_dir;
    PreferenceStore m_store{m_dir.filePath(QStringLiteral("Vantrel.conf"))};
    YoutubeProgramPreferences m_preferences{m_store};
};

QTEST_GUILESS_MAIN(TestItems)
#include "tst_items.moc"
