#include "DownloadTotals.h"
#include "OutputFileName.h"
#include "OutputNames.h"
#include "PreferenceStore.h"
#include "RecordingOwner.h"
#include "RowTexts.h"
#include "SourceLinks.h"
#include "StringUtils.h"
#include "WatchLink.h"
#include "WatchPage.h"
#include "YoutubeConstants.h"
#include "YoutubeProgramPreferences.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <optional>
#include <tuple>

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

// What a program prints, if it succeeds.
std::optional<QString> run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A FAT file system in a file, as on a USB stick.
bool makeFatImage(const QString &path)
{
    QFile image(path);
    return image.open(QIODevice::WriteOnly) && image.resize(8 << 20) && run(u"/usr/sbin/mkfs.vfat"_s, {path});
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
        QCOMPARE(WatchLink::isYoutubeURLValid(text), valid);
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
        QCOMPARE(WatchLink::parseYoutubeCodeFromURL(url), code);
    }

    // Lines trimmed of all white space, blank ones and other text dropped.
    void linksFromText()
    {
        const QString first = u"http://www.youtube.com/watch?v=a1B2c3D4e_-"_s;
        const QString second = u"http://youtube.com/watch?v=Zz9-_x8Yy7w"_s;
        const QString text = u" \t"_s + first + u"\u000B\u000C\u0085\r\n\n some words\n\u00A0\u3000"_s + second + u"\u2029\n"_s + first;
        QCOMPARE(SourceLinks::linksFromText(text), (QStringList{first, second, first}));
        // Neither a Unicode line separator nor a zero-width space is white space here.
        QCOMPARE(SourceLinks::linksFromText(first + u"\u2028\u200B"_s), QStringList{first + u"\u2028\u200B"_s});
    }

    // Which reader each line goes to; no line is a link no reader could take.
    void sourceLinks_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("link"); // null: left out
        QTest::addColumn<int>("kind");

        const auto row = [](const char *name, const QString &line, const QString &link, SourceKind kind) {
            QTest::newRow(name) << line << link << int(kind);
        };
        const QString old = u"http://www.youtube.com/watch?v=a1B2c3D4e_-"_s;
        row("old watch page", old, old, SourceKind::WatchPage);
        row("secure watch page", u"https://www.youtube.com/watch?v=a1B2c3D4e_-"_s,
            u"https://www.youtube.com/watch?v=a1B2c3D4e_-"_s, SourceKind::PageReader);
        row("short link", u" https://youtu.be/a1B2c3D4e_- "_s, u"https://youtu.be/a1B2c3D4e_-"_s, SourceKind::PageReader);
        row("another site", u"http://clips.sample.test/watch/x"_s, u"http://clips.sample.test/watch/x"_s,
            SourceKind::DirectLink);
        row("video site, another page", u"https://m.youtube.com/shorts/x.mp4"_s, u"https://m.youtube.com/shorts/x.mp4"_s,
            SourceKind::PageReader);
        row("media file by name", u"https://files.example/a/Song.M4A?sig=1"_s, u"https://files.example/a/Song.M4A?sig=1"_s,
            SourceKind::DirectLink);
        row("path", u"/music/Song.mp3"_s, u"/music/Song.mp3"_s, SourceKind::LocalFile);
        row("path with dots", u"/music/../music/Song.mp3"_s, u"/music/Song.mp3"_s, SourceKind::LocalFile);
        row("file address", u"file:///music/Zo%C3%AB%20live.flac"_s, u"/music/Zoë live.flac"_s, SourceKind::LocalFile);
        row("file on another host", u"file://server/music/Song.mp3"_s, QString(), SourceKind::WatchPage);
        row("ftp", u"ftp://files.example/Song.mp3"_s, QString(), SourceKind::WatchPage);
        row("script", u"javascript:alert(1)//.mp3"_s, QString(), SourceKind::WatchPage);
        row("no host", u"http:///Song.mp3"_s, QString(), SourceKind::WatchPage);
        row("words", u"a song I like"_s, QString(), SourceKind::WatchPage);
        row("relative path", u"music/Song.mp3"_s, QString(), SourceKind::WatchPage);
        row("path of no media file", u"/r/music"_s, QString(), SourceKind::WatchPage);
    }

    void sourceLinks()
    {
        QFETCH(QString, line);
        QFETCH(QString, link);
        QFETCH(int, kind);
        QCOMPARE(SourceLinks::link(line).value_or(QString()), link);
        if (!link.isNull())
            QCOMPARE(int(SourceLinks::kindOf(link)), kind);
    }

    // Copying adds the video site's own links alone, whatever their form.
    void videoSiteLinksFromText()
    {
        const QString text = u"http://www.youtube.com/watch?v=a1\nhttps://m.youtube.com/watch?v=b2\n"
                             "https://youtu.be/c3\nhttps://notyoutube.com/watch?v=d4\nhttps://clips.sample.test/e5\n"
                             "/music/Song.mp3"_s;
        QCOMPARE(SourceLinks::videoSiteLinksFromText(text),
                 (QStringList{u"http://www.youtube.com/watch?v=a1"_s, u"https://m.youtube.com/watch?v=b2"_s,
                              u"https://youtu.be/c3"_s}));
    }

    void statusTexts_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<OutputFormat>("outputFormat");
        QTest::addColumn<QString>("text");
        QTest::addColumn<StyledText::Colour>("colour");

        using Colour = StyledText::Colour;
        QTest::newRow("failed page") << int(StatusInfoFailed) << OutputFormat::Video << u"Could not read the video page"_s << Colour::Red;
        QTest::newRow("paused conversion") << int(StatusConvertPaused) << OutputFormat::Mp3 << u"Paused"_s << Colour::Blue;
        QTest::newRow("converting to mp3") << int(StatusConverting) << OutputFormat::Mp3 << u"Converting to MP3"_s << Colour::Purple;
        QTest::newRow("downloaded shows nothing") << int(StatusDownloaded) << OutputFormat::Wav << QString() << Colour::Plain;
        QTest::newRow("beyond the table") << 13 << OutputFormat::Video << QString() << Colour::Plain;
    }

    void statusTexts()
    {
        QFETCH(int, status);
        QFETCH(OutputFormat, outputFormat);
        QFETCH(QString, text);
        QFETCH(StyledText::Colour, colour);
        QCOMPARE(RowTexts::statusDescriptionByYoutubeStatus(status, outputFormat), text);
        QCOMPARE(RowTexts::colourByYoutubeStatus(status), colour);
    }

    // A row in line says what it waits for, never that it runs, and shows
    // no speed for a download that has not begun.
    void waitingTexts_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("placeInLine");
        QTest::addColumn<bool>("waitsForCore");
        QTest::addColumn<QString>("text");

        QTest::newRow("page load in line") << int(StatusLoadingInfo) << 3 << false << u"Waiting (3 ahead)"_s;
        QTest::newRow("download next in line") << int(StatusDownloading) << 0 << false << u"Waiting (0 ahead)"_s;
        QTest::newRow("conversion without a core") << int(StatusConverting) << -1 << true << u"Waiting for a free core"_s;
        QTest::newRow("download with its turn") << int(StatusDownloading) << -1 << false
                                                << u"Downloading\nSpeed:  1.50 MB/s"_s;
        QTest::newRow("paused in line stays paused") << int(StatusDownloadPaused) << 2 << false
                                                     << u"Paused\n1.5 MB"_s;
    }

    void waitingTexts()
    {
        QFETCH(int, status);
        QFETCH(int, placeInLine);
        QFETCH(bool, waitsForCore);
        QFETCH(QString, text);
        auto item = newItem(nullptr);
        item->setYoutubeStatus(YoutubeStatus(status));
        item->setPlaceInLine(placeInLine);
        item->setWaitingForCore(waitsForCore);
        item->setDownloadedBytes(1'572'864);
        item->addDownloadTime(1.0);
        const RowTexts texts(*item);
        QCOMPARE(texts.descriptionObjectYoutubeStatus().plainText(), text);
        QCOMPARE(texts.statusText(), text.section(u'\n', 0, 0));
    }

    // Only real changes are announced, a change from an expected status happens
    // only from there, and Removed is final. A note joins the status text.
    void timeText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");

        QTest::newRow("under a minute") << 59.0 << u"00:59"_s;
        QTest::newRow("last second before an hour") << 3599.0 << u"59:59"_s;
        QTest::newRow("an hour") << 3600.0 << u"01:00:00"_s;
        QTest::newRow("fraction dropped") << 3725.9 << u"01:02:05"_s;
        QTest::newRow("beyond a day") << 104858.0 << u"29:07:38"_s;
        QTest::newRow("absurd estimate") << 1e30 << u"999:59:59"_s;
        QTest::newRow("not a number") << std::nan("") << u"00:00"_s;
        QTest::newRow("negative") << -5.0 << u"00:00"_s;
    }

    void timeText()
    {
        QFETCH(double, seconds);
        QTEST(StringUtils::timeText(seconds), "text");
    }

    void speedTextReadsTheSameEverywhere()
    {
        QCOMPARE(StringUtils::speedText(1'572'864), u"Speed:  1.50 MB/s"_s);
    }

    void measures_data()
    {
        QTest::addColumn<qint64>("streamBytes");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<float>("speed");
        QTest::addColumn<float>("remaining");

        QTest::newRow("half of 10 MiB in 10 s") << qint64(10'485'760) << qint64(5'242'880) << 10.0 << 524'288.0f << 10.0f;
        QTest::newRow("no time counted yet") << qint64(10'485'760) << qint64(5'242'880) << 0.0 << 0.0f << 0.0f;
        QTest::newRow("nothing received yet") << qint64(10'485'760) << qint64(0) << 4.0 << 0.0f << 0.0f;
        QTest::newRow("size unknown") << qint64(-1) << qint64(1000) << 2.0 << 500.0f << 0.0f;
        QTest::newRow("more than announced") << qint64(100) << qint64(200) << 2.0 << 100.0f << 0.0f;
    }

    void measures()
    {
        QFETCH(qint64, streamBytes);
        QFETCH(qint64, bytes);
        QFETCH(double, seconds);
        QTEST(RowTexts::downloadSpeed(bytes, seconds), "speed");
        QTEST(RowTexts::remainingTime(streamBytes, bytes, seconds), "remaining");
    }

    void totals_data()
    {
        // Each item: status, speed, stream bytes, bytes done.
        using Item = std::tuple<YoutubeStatus, double, qint64, qint64, double>;
        QTest::addColumn<QList<Item>>("items");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("finished");
        QTest::addColumn<int>("inWork");
        QTest::addColumn<bool>("barHidden");
        QTest::addColumn<int>("barValue");
        QTest::addColumn<int>("workPercent");

        QTest::newRow("empty list") << QList<Item>{} << 0.0 << 0 << 0 << true << 0 << 0;
        QTest::newRow("nothing received yet")
            << QList<Item>{{StatusDownloading, 0.0, 1000, 0, 0.0}} << 0.0 << 0 << 1 << true << 0 << 0;
        QTest::newRow("two running downloads")
            << QList<Item>{{StatusDownloading, 1'048'576.0, 4000, 1000, 0.0}, {StatusDownloading, 524'288.0, 4000, 1000, 0.0}}
            << 1'572'864.0 << 0 << 2 << false << 2500 << 12;
        QTest::newRow("paused keeps its bytes, adds no speed")
            << QList<Item>{{StatusDownloadPaused, 9999.0, 1000, 500, 0.0}} << 0.0 << 0 << 1 << false << 5000 << 25;
        QTest::newRow("all downloaded, one converting")
            << QList<Item>{{StatusConverting, 0.0, 1000, 1000, 0.5}, {StatusFinished, 0.0, 3000, 3000, 1.0}}
            << 0.0 << 1 << 2 << true << 10'000 << 93;
        QTest::newRow("conversions are half the work")
            << QList<Item>{{StatusConverting, 0.0, 1000, 1000, 0.0}, {StatusConverting, 0.0, 1000, 1000, 0.0}}
            << 0.0 << 0 << 2 << true << 10'000 << 50;
        QTest::newRow("a paused conversion keeps its share")
            << QList<Item>{{StatusConvertPaused, 0.0, 1000, 1000, 0.25}} << 0.0 << 0 << 1 << true << 10'000 << 62;
        QTest::newRow("one of three finished")
            << QList<Item>{{StatusFinished, 0.0, 1000, 1000, 1.0}, {StatusDownloading, 0.0, 1000, 10, 0.0},
                           {StatusDownloadPaused, 0.0, 1000, 90, 0.0}}
            << 0.0 << 1 << 3 << false << 3667 << 35;
        QTest::newRow("not in work counts nowhere")
            << QList<Item>{{StatusReady, 5.0, 1000, 0, 0.0}, {StatusInfoFailed, 0.0, 0, 0, 0.0},
                           {StatusDownloading, 0.0, 1000, 250, 0.0}}
            << 0.0 << 0 << 1 << false << 2500 << 12;
        QTest::newRow("unknown size counts the bytes received in both sums")
            << QList<Item>{{StatusDownloading, 0.0, -1, 600, 0.0}, {StatusDownloading, 0.0, 1000, 200, 0.0}}
            << 0.0 << 0 << 2 << false << 5000 << 25;
        QTest::newRow("beyond 2 GiB")
            << QList<Item>{{StatusDownloading, 0.0, 3'000'000'000, 1'500'000'000, 0.0},
                           {StatusFinished, 0.0, 1'000'000'000, 1'000'000'000, 1.0}}
            << 0.0 << 1 << 2 << false << 6250 << 43;
        QTest::newRow("more done than announced is clamped")
            << QList<Item>{{StatusDownloading, 0.0, 100, 150, 0.0}} << 0.0 << 0 << 1 << true << 10'000 << 50;
    }

    void totals()
    {
        using Item = std::tuple<YoutubeStatus, double, qint64, qint64, double>;
        QFETCH(QList<Item>, items);
        DownloadTotals totals;
        for (const auto &[status, speed, streamBytes, doneBytes, converted] : items)
            totals.add(status, speed, streamBytes, doneBytes, converted);
        QTEST(totals.averageSpeed(), "speed");
        QTEST(totals.downloadedObjects(), "finished");
        QTEST(totals.needDownloadObjects(), "inWork");
        QTEST(totals.isProgressHidden(), "barHidden");
        QTEST(totals.progressValue(), "barValue");
        QTEST(totals.workPercent(), "workPercent");
    }

    void statusMoves()
    {
        const auto owner = std::make_shared<RecordingOwner>();
        auto item = newItem(owner);
        item->setYoutubeStatus(StatusLoadingInfo);
        QVERIFY(item->changeYoutubeStatus(StatusLoadingInfo, StatusLoadingInfo));
        QVERIFY(!item->changeYoutubeStatus(StatusReady, StatusDownloading));
        item->setStatusNote(u"retrying"_s);
        item->setStatusNote(u"retrying"_s);
        QCOMPARE(RowTexts(*item).statusText(), u"Loading information…\nretrying"_s);
        QCOMPARE(owner->redraws.load(), 1);
        item->removeObject();
        item->removeObject();
        QCOMPARE(owner->statuses(), (QList<YoutubeStatus>{StatusLoadingInfo, StatusRemoved}));
        item->setYoutubeStatus(StatusReady);
        QVERIFY(!item->changeYoutubeStatus(StatusRemoved, StatusReady));
        QCOMPARE(item->youtubeStatus(), StatusRemoved);
    }

    // Pages the site really served.
    void archivedPages()
    {
        const QString page = archivedPage(u"2012-07_watch_player-config_derived.html"_s);
        if (page.isEmpty())
            QSKIP("archived pages not present");
        QCOMPARE(WatchPage::parseYoutubeTitleFromMainContent(page), u"The Legend of Zelda, gypsy rumba style"_s);
        const QString configuration = WatchPage::parseYoutubeObjectFromMainContent(page);
        QCOMPARE(WatchPage::parseYoutubeVideoDurationFromObjectContent(configuration), 162);
        QVERIFY(WatchPage::parseYoutubeDescriptionFromObjectContent(page).startsWith(
            u"Here's a medley of two melodies from the original Legend of Zelda NES game: the main theme and the "
            "\"fairy fountain\" theme. We funked it up a bit. :)\n\nIt was a great privilege"_s));
        const YoutubeQualityList streams = YoutubeQuality::youtubeQualityListFromObjectContent(configuration, {});
        QCOMPARE(streams.size(), 2);
        QCOMPARE(streams[0]->youtubeVideoQuality(), Quality720p);
        QCOMPARE(streams[1]->youtubeVideoQuality(), Quality360p);
        // The addresses come out fully decoded, the doubly escaped commas of
        // "sparams" included, and end before the next parameter.
        QVERIFY(streams[0]->videoURL().startsWith(
            u"http://o-o.preferred.aapt-syd1.v21.lscache7.c.youtube.com/videoplayback?upn=f2Y-acB01Ds"
            "&sparams=cp,id,ip,ipbits,itag,ratebypass,source,upn,expire&"_s));
        QVERIFY(streams[0]->videoURL().contains(u"&itag=22&"_s) && streams[1]->videoURL().contains(u"&itag=18&"_s));
        for (const YoutubeQualityPtr &stream : streams)
            QVERIFY(!stream->videoURL().contains(u"\\u"_s) && !stream->videoURL().contains(u'%'));
        // An older page and a channel page: their titles as they stand, no MP4 stream.
        for (const auto &[file, title] : {std::pair{u"2011-04_watch_player-config_old-fmt-stream-map"_s, u"YouTube"_s},
                                          std::pair{u"2013-02_channel_player-config_empty-stream-map"_s, u"TEDTalks - YouTube"_s}}) {
            const QString other = archivedPage(file + u".html"_s);
            const QString otherConfiguration = WatchPage::parseYoutubeObjectFromMainContent(other);
            QCOMPARE(WatchPage::parseYoutubeTitleFromMainContent(other), title);
            QVERIFY(YoutubeQuality::youtubeQualityListFromObjectContent(otherConfiguration, {}).isEmpty());
        }
    }

    void pageParts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("description");

        QTest::newRow("title with the site name on the next line") << u"<TITLE>\n   My Song\n  - YouTube\n</title>"_s
                                                                   << u"My Song"_s << u"0"_s << QString();
        QTest::newRow("title with entities and slashes") << u"<title>AC/DC &amp; Friends \\ Live</title>"_s
                                                         << u"AC-DC & Friends - Live"_s << u"0"_s << QString();
        QTest::newRow("carriage return ends the title") << u"<title>a\rb</title>"_s << u"a"_s << u"0"_s << QString();
        QTest::newRow("entity line feed ends the title") << u"<title>a&#10;b</title>"_s << u"a"_s << u"0"_s << QString();
        QTest::newRow("unknown entity marked") << u"<title>Don&rsquo;t</title>"_s << u"Don_t"_s << u"0"_s << QString();
        QTest::newRow("controls marked, tab a space") << u"<title>\u0001A\u0000B&#0;\u001B[0m\u007F\u0085\tC</title>"_s
                                                      << u"_A_B__[0m_"_s << u"0"_s << QString();
        QTest::newRow("unclosed title") << u"<title>x"_s << QString() << u"0"_s << QString();
        QTest::newRow("play time: digits then comma") << u"x \"length_seconds\": 253, y"_s << QString() << u"253"_s << QString();
        QTest::newRow("play time: quoted number") << u"\"length_seconds\": \"253\""_s << QString() << u"0"_s << QString();
        QTest::newRow("play time: related video key first") << u"\"rv.7.length_seconds\": 284, \"length_seconds\": 162"_s
                                                            << QString() << u"162"_s << QString();
        QTest::newRow("play time saturates") << u"\"length_seconds\": 99999999999"_s << QString() << u"2147483647"_s
                                             << QString();
        QTest::newRow("description: breaks, links, entities")
            << u"<p id=\"eow-description\" >One &amp; two<br />See <a href=\"x\">x.com</a></p>"_s << QString() << u"0"_s
            << u"One & two\nSee x.com"_s;
        QTest::newRow("description: decoded brackets swallow a word") << u"<p id=\"eow-description\" >a &lt;b&gt; c</p>"_s
                                                                      << QString() << u"0"_s << u"a  c"_s;
        QTest::newRow("description marker needs the space") << u"<p id=\"eow-description\">x</p>"_s << QString() << u"0"_s
                                                            << QString();
    }

    // The parts are taken from the page text; the play time from the player
    // configuration, here the same text.
    void pageParts()
    {
        QFETCH(QString, page);
        QFETCH(QString, title);
        QFETCH(QString, duration);
        QFETCH(QString, description);
        QCOMPARE(WatchPage::parseYoutubeTitleFromMainContent(page), title);
        QCOMPARE(QString::number(WatchPage::parseYoutubeVideoDurationFromObjectContent(page)), duration);
        QCOMPARE(WatchPage::parseYoutubeDescriptionFromObjectContent(page), description);
    }

    void folder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");

        const QString home = QDir::homePath();
        QTest::newRow("absolute") << u"/Users/u/Music"_s << u"/Users/u/Music/"_s;
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
        QTest::addColumn<int>("number");

        QTest::newRow("inner point kept") << u"Take 5.2"_s << u"Take 5.2.mp4"_s << u"Take 5.2.mp3"_s << 1;
        QTest::newRow("second of a name") << u"Take 5.2"_s << u"Take 5.2 (2).mp4"_s << u"Take 5.2 (2).mp3"_s << 2;
        // The number stays whole; the title gives way to it.
        QTest::newRow("numbered and cut") << QString(300, u'x') << QString(229, u'x') + u" (12).mp4"_s
                                          << QString(229, u'x') + u" (12).mp3"_s << 12;
        QTest::newRow("leading dot") << u".hidden"_s << u".hidden.mp4"_s << u".hidden.mp3"_s << 1;
        QTest::newRow("unicode stays") << u"Ünïcödé ☺"_s << u"Ünïcödé ☺.mp4"_s << u"Ünïcödé ☺.mp3"_s << 1;
        QTest::newRow("controls and slash") << u"a\u0000b\u001Fc\u007Fd/e"_s << u"a_b_c_d_e.mp4"_s << u"a_b_c_d_e.mp3"_s << 1;
        QTest::newRow("direction overrides dropped") << u"Song\u202Egpj.exe\u2066\u2069 \u200F"_s
                                                     << u"Songgpj.exe \u200F.mp4"_s << u"Songgpj.exe \u200F.mp3"_s << 1;
        // Room is left for the temporary suffix: 255 - 16 bytes with ".mp4".
        QTest::newRow("ascii cut") << QString(300, u'x') << QString(234, u'x') + u".mp4"_s << QString(234, u'x') + u".mp3"_s << 1;
        QTest::newRow("three-byte characters cut whole") << QString(100, u'あ') << QString(78, u'あ') + u".mp4"_s
                                                         << QString(78, u'あ') + u".mp3"_s << 1;
        QTest::newRow("pairs never split") << u"x"_s + u"\U0001F600"_s.repeated(100)
                                           << u"x"_s + u"\U0001F600"_s.repeated(58) + u".mp4"_s
                                           << u"x"_s + u"\U0001F600"_s.repeated(58) + u".mp3"_s << 1;
    }

    void fileName()
    {
        QFETCH(QString, title);
        QFETCH(QString, video);
        QFETCH(QString, mp3);
        QFETCH(int, number);
        QCOMPARE(OutputFileName::baseName(title, number) + u".mp4"_s, video);
        QCOMPARE(OutputFileName::replaceExtension(u"/a.b/"_s + video, u".mp3"_s), u"/a.b/"_s + mp3);
        QCOMPARE(OutputFileName::replaceExtension(u"/a.b/noext"_s, u".wav"_s), u"/a.b/noext.wav"_s);
    }

    void namesOnFat_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("onFat");

        QTest::newRow("reserved characters") << u"Q&A: \"Why?\" <Live> *|\\ ab"_s << u"Q&A_ _Why__ _Live_ ___ ab"_s;
        // The extension follows them.
        QTest::newRow("dots and spaces at the end") << u"Vol. 2. "_s << u"Vol. 2. "_s;
        QTest::newRow("nothing reserved") << u"Schön – Live (2012) #1"_s << u"Schön – Live (2012) #1"_s;
    }

    // FAT, exFAT and NTFS refuse what Windows reserves: it becomes "_", and
    // mtools, a FAT writer of its own, takes the name. Elsewhere the title
    // stays as it is.
    void namesOnFat()
    {
        QFETCH(QString, title);
        QFETCH(QString, onFat);
        // statfs's FAT, exFAT, NTFS (both drivers) and FUSE (ntfs-3g); ext4 and tmpfs.
        for (const qint64 refusing : {0x4d44, 0x2011BAB0, 0x5346544e, 0x7366746e, 0x65735546})
            QCOMPARE(OutputFileName::baseName(title, 1, FileSystemType(refusing)), onFat);
        for (const qint64 taking : {0xEF53, 0x01021994})
            QCOMPARE(OutputFileName::baseName(title, 1, FileSystemType(taking)), title);
        QTemporaryDir folder;
        QCOMPARE(OutputNames::firstFreeOnDisk(folder.filePath(u"not made yet"_s), title), title);
        // A folder not made yet lies on the file system of the nearest one
        // above it: procfs here.
        QCOMPARE(FileSystemType::ofFolder(u"/proc/not/made/yet"_s).magic(), 0x9fa0);

        const QString image = folder.filePath(u"stick.img"_s);
        const QString name = OutputFileName::baseName(title, 1, FileSystemType(0x4d44)) + u".mp3"_s;
        QVERIFY(makeFatImage(image) && QFile(folder.filePath(u"empty"_s)).open(QIODevice::WriteOnly));
        QVERIFY(run(u"mcopy"_s, {u"-i"_s, image, folder.filePath(u"empty"_s), u"::/"_s + name}));
        QCOMPARE(run(u"mdir"_s, {u"-i"_s, image, u"-b"_s, u"::/"_s}), u"::/"_s + onFat + u".mp3\n"_s);
    }

    void namesOnMountedFat_data() { namesOnFat_data(); }

    // The same through statfs, where the machine lets the test mount a FAT
    // image (as root, with FAT in its kernel).
    void namesOnMountedFat()
    {
        QFETCH(QString, title);
        QFETCH(QString, onFat);
        QTemporaryDir folder;
        const QString image = folder.filePath(u"stick.img"_s);
        const QString stick = folder.filePath(u"stick"_s);
        QVERIFY(makeFatImage(image) && QDir().mkdir(stick));
        // As a desktop mounts a stick: names in UTF-8.
        if (!run(u"mount"_s, {u"-o"_s, u"loop,utf8"_s, image, stick}))
            QSKIP("No FAT image can be mounted here");
        const QString name = OutputNames::firstFreeOnDisk(stick, title);
        QFile file(stick + u'/' + name + u".mp3"_s);
        const bool written = file.open(QIODevice::WriteOnly);
        file.close();
        run(u"umount"_s, {stick});
        QCOMPARE(name, onFat);
        QVERIFY(written);
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
        QTest::newRow("keywords in capitals, with more letters") << configuration({stream(u"HD1080p60"_s, u"mp4"_s, u"http://s/c"_s),
                                                                                   stream(u"4K"_s, u"mp4"_s, u"http://s/k"_s)})
                                                                  << QStringList{u"4@http://s/c"_s, u"5@http://s/k"_s};
        QTest::newRow("keyword not at the start") << configuration({stream(u"xsmall"_s, u"mp4"_s, u"http://s/x"_s)})
                                                  << QStringList();
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

    void streamDescription()
    {
        QCOMPARE(YoutubeQuality(VideoTypeMP4, Quality720p, u"u"_s, 38'797'312).description(), u"MP4 (720p (HD)); 37 Mb"_s);
        QCOMPARE(YoutubeQuality(VideoTypeMP4, Quality360p, u"u"_s, 1'048'575).description(), u"MP4 (360p); 0 Mb"_s);
        QCOMPARE(YoutubeQuality(VideoTypeMP4, Quality4K, u"u"_s, 5'000'000'000).description(), u"MP4 (4K); 4768 Mb"_s);
        QCOMPARE(YoutubeQuality(VideoTypeFLV, Quality240p, u"u"_s, -1).description(), u"FLV (240p)"_s);
    }

private:
    std::shared_ptr<YoutubeDownloader> newItem(const std::shared_ptr<YoutubeDownloaderOwner> &owner)
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
