#include "ChildProcess.h"
#include "StandInProgram.h"
#include "YtDlpInfo.h"
#include "YtDlpProgram.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using Ending = ChildProcess::Ending;

namespace {

// JSON written with ' for ", which no text here needs.
QByteArray jsonText(QByteArray text)
{
    return text.replace('\'', '"');
}

// A video as yt-dlp describes it: an audio-only m4a over https, a combined mp4, an HLS audio stream and a
// video-only one over https.
const QByteArray Video = jsonText(
    "{'id': 'k3Xq9wZ_a1c', 'title': 'Night Train \\u2013 Live', 'fulltitle': 'Night Train', 'duration': 212.4,"
    " 'description': 'Recorded live.\\nFull set below.', '_type': 'video', 'extractor': 'youtube',"
    " 'thumbnail': 'https://i.ytimg.com/vi/k3Xq9wZ_a1c/maxresdefault.jpg',"
    " 'thumbnails': [{'url': 'https://i.ytimg.com/vi/k3Xq9wZ_a1c/default.jpg', 'preference': -10}],"
    " 'webpage_url': 'https://www.youtube.com/watch?v=k3Xq9wZ_a1c', 'formats': ["
    "  {'format_id': '140', 'ext': 'm4a', 'protocol': 'https', 'acodec': 'mp4a.40.2', 'vcodec': 'none', 'abr': 129.5,"
    "   'tbr': 129.5, 'asr': 44100, 'filesize': 3436512, 'url': 'https://rr3.media.test/play?itag=140&mime=audio%2Fmp4',"
    "   'http_headers': {'User-Agent': 'Mozilla/5.0 Firefox/115.0', 'Accept': 'audio/mp4', 'Sec-Fetch-Mode': 'navigate'}},"
    "  {'format_id': '18', 'ext': 'mp4', 'protocol': 'https', 'acodec': 'mp4a.40.2', 'vcodec': 'avc1.42001E',"
    "   'height': 360, 'tbr': 503.2, 'filesize': null, 'filesize_approx': 13355020, 'url': 'https://rr3.media.test/18'},"
    "  {'format_id': '234', 'ext': 'mp4', 'protocol': 'm3u8_native', 'acodec': 'mp4a.40.2', 'vcodec': 'none',"
    "   'tbr': 192, 'url': 'https://manifest.media.test/hls/itag/234/index.m3u8'},"
    "  {'format_id': '137', 'ext': 'mp4', 'protocol': 'https', 'acodec': 'none', 'vcodec': 'avc1.640028',"
    "   'height': 1080, 'tbr': 4412.7, 'filesize': 117040250, 'url': 'https://rr3.media.test/137'}]}");

// Every field of a reading, and the choices among its formats, as one text to compare with a literal.
QString described(const std::optional<YtDlpInfo> &info, YtDlpInfo::Rejection why)
{
    if (!info)
        return u"rejected %1"_s.arg(int(why));
    QStringList lines{QStringList{info->id, info->title, info->description, QString::number(info->durationSeconds),
                                  info->thumbnail, info->webpageURL, info->isPlaylist ? u"playlist"_s : u"video"_s}
                          .join(u'|')};
    for (const YtDlpInfo::Format &f : info->formats) {
        QStringList headers;
        for (const auto &[name, value] : f.httpHeaders)
            headers.append(QString::fromUtf8(name + ": " + value));
        lines.append(QStringList{u"format "_s + f.id, f.url, f.protocol, f.extension,
                                 QString(f.hasPicture ? u'P' : u'-') + (f.hasSound ? u'S' : u'-'),
                                 QString::number(f.height), QString::number(f.bytes),
                                 QString::number(f.kilobitsPerSecond), headers.join(u", ")}
                         .join(u'|'));
    }
    QStringList both;
    for (const YtDlpInfo::Format &f : YtDlpInfo::withPictureAndSound(info->formats))
        both.append(f.id);
    const auto id = [](const std::optional<YtDlpInfo::Format> &f) { return f.value_or(YtDlpInfo::Format{}).id; };
    if (!info->formats.isEmpty())
        lines.append(u"choices file=%1 any=%2 picture=%3 both=%4"_s.arg(
            id(YtDlpInfo::bestAudioFile(info->formats)), id(YtDlpInfo::bestAudio(info->formats)),
            id(YtDlpInfo::bestPictureAlone(info->formats)), both.join(u',')));
    for (const YtDlpInfo::Entry &e : info->entries)
        lines.append(QStringList{u"entry "_s + e.url, e.title, e.id}.join(u'|'));
    return lines.join(u'\n');
}

QString standInPath(const StandInProgram &program)
{
    return QFile::decodeName(program.searchPath().split(':').first()) + u"/yt-dlp"_s;
}

// Empty once a process is gone, else its state as the kernel shows it ("Z" for one dead but not yet reaped).
QString processState(const QByteArray &pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(QString::fromLatin1(pid)));
    const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    return QString::fromLatin1(text.mid(text.lastIndexOf(')') + 2, 1));
}

} // namespace

class TestYtDlp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Whatever runs here reaches no server.
        qputenv("http_proxy", "http://127.0.0.1:9/");
        qputenv("https_proxy", "http://127.0.0.1:9/");
    }

    void readsPages_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");

        QTest::newRow("video") << Video << u"k3Xq9wZ_a1c|Night Train – Live|Recorded live.\nFull set below.|212|"
            "https://i.ytimg.com/vi/k3Xq9wZ_a1c/maxresdefault.jpg|https://www.youtube.com/watch?v=k3Xq9wZ_a1c|video\n"
            "format 140|https://rr3.media.test/play?itag=140&mime=audio%2Fmp4|https|m4a|-S|0|3436512|129.5|"
            "Accept: audio/mp4, Sec-Fetch-Mode: navigate, User-Agent: Mozilla/5.0 Firefox/115.0\n"
            "format 18|https://rr3.media.test/18|https|mp4|PS|360|0|503.2|\n"
            "format 234|https://manifest.media.test/hls/itag/234/index.m3u8|m3u8_native|mp4|-S|0|0|192|\n"
            "format 137|https://rr3.media.test/137|https|mp4|P-|1080|117040250|4412.7|\n"
            "choices file=140 any=234 picture=137 both=18"_s;
        QTest::newRow("addresses other than web ones") << jsonText(
            "{'id': 'a', 'title': 'T', 'webpage_url': 'file:///home', 'thumbnail': 'javascript:alert(1)', 'thumbnails':"
            " [{'url': 'https://i.test/2.jpg', 'preference': 2}, {'url': 'file:///p.jpg', 'preference': 9},"
            " {'url': 'https://i.test/1.jpg', 'preference': 1}, {'url': 'data:image/png;base64,AA'}],"
            " 'formats': [{'format_id': '1', 'url': 'file:///etc/passwd'}, {'format_id': '2', 'url': 'javascript:x()'},"
            " {'format_id': '3', 'url': '/3.m4a'}, {'format_id': '4', 'url': 'http://m.test/4.ogg', 'ext': 'ogg'}]}")
            << u"a|T||0|https://i.test/2.jpg||video\nformat 4|http://m.test/4.ogg||ogg|-S|0|0|0|\n"
               "choices file= any=4 picture= both="_s;
        QTest::newRow("headers that could break a request") << jsonText(
            "{'id': 'a', 'formats': [{'format_id': '1', 'url': 'https://m.test/1', 'http_headers': {'X-Ok': 'yes',"
            " 'X-Split': 'a\\r\\nSet-Cookie: s=1', 'X-Line': 'a\\nb', 'X-Nul': 'a\\u0000b', 'Bad Name': 'v'}}]}")
            << u"a|a||0|||video\nformat 1|https://m.test/1|||PS|0|0|0|X-Ok: yes\nchoices file= any= picture= both=1"_s;
        QTest::newRow("full title for a missing title") << jsonText("{'id': 'a', 'fulltitle': 'Full', 'duration': -5}")
                                                        << u"a|Full||0|||video"_s;
        QTest::newRow("id for a blank title") << jsonText("{'id': 'a', 'title': ' ', 'duration': 1e300}")
                                              << u"a|a||604800|||video"_s;
        QTest::newRow("oversized") << jsonText("{'title': '" + QByteArray(1001, 'x') + "', 'formats': [{'url': 'https://m.test/"
                                               + QByteArray(8200, 'u') + "'}]}")
                                   << u"|"_s + QString(1000, u'x') + u"||0|||video"_s;
        QTest::newRow("only HLS") << jsonText("{'formats': [{'format_id': 'a', 'url': 'https://m.test/a.m3u8',"
                                              " 'protocol': 'm3u8_native', 'acodec': 'opus', 'vcodec': 'none', 'abr': 160}]}")
                                  << u"|||0|||video\nformat a|https://m.test/a.m3u8|m3u8_native||-S|0|0|160|\n"
                                     "choices file= any=a picture= both="_s;
        QTest::newRow("same kilobits, more bytes; codecs told by extension") << jsonText(
            "{'formats': [{'format_id': 'big', 'url': 'https://m.test/1', 'protocol': 'https', 'ext': 'opus', 'abr': 128,"
            " 'filesize': 900}, {'format_id': 'v', 'url': 'http://m.test/2', 'protocol': 'http', 'ext': 'webm', 'abr': 300},"
            " {'format_id': 'small', 'url': 'https://m.test/3', 'protocol': 'https', 'ext': 'M4A', 'abr': 128, 'filesize': 800}]}")
            << u"|||0|||video\nformat big|https://m.test/1|https|opus|-S|0|900|128|\n"
               "format v|http://m.test/2|http|webm|PS|0|0|300|\nformat small|https://m.test/3|https|M4A|-S|0|800|128|\n"
               "choices file=big any=big picture= both=v"_s;
        QTest::newRow("kilobits before bytes") << jsonText(
            "{'formats': [{'format_id': 'a', 'url': 'https://m.test/a', 'protocol': 'https', 'ext': 'aac', 'abr': 160,"
            " 'filesize': 1}, {'format_id': 'b', 'url': 'https://m.test/b', 'protocol': 'https', 'ext': 'aac',"
            " 'tbr': 128, 'filesize': 900}]}")
            << u"|||0|||video\nformat a|https://m.test/a|https|aac|-S|0|1|160|\nformat b|https://m.test/b|https|aac|-S|0|900|128|\n"
               "choices file=a any=a picture= both="_s;
        QTest::newRow("picture alone: height, then kilobits") << jsonText(
            "{'formats': [{'format_id': 'p1', 'url': 'https://m.test/1', 'protocol': 'http_dash_segments', 'ext': 'mp4',"
            " 'vcodec': 'avc1', 'acodec': 'none', 'height': 720, 'tbr': 900}, {'format_id': 'p2', 'url': 'https://m.test/2',"
            " 'protocol': 'https', 'ext': 'mp4', 'vcodec': 'avc1', 'acodec': 'none', 'height': 1080, 'tbr': 500},"
            " {'format_id': 'p3', 'url': 'https://m.test/3', 'protocol': 'm3u8_native', 'ext': 'mp4', 'vcodec': 'avc1',"
            " 'acodec': 'none', 'height': 1080, 'tbr': 500}, {'format_id': 'ps', 'url': 'https://m.test/4', 'protocol':"
            " 'https', 'ext': 'mp4', 'vcodec': 'vp9', 'acodec': 'opus', 'height': 2160, 'tbr': 9000}]}")
            << u"|||0|||video\nformat p1|https://m.test/1|http_dash_segments|mp4|P-|720|0|900|\n"
               "format p2|https://m.test/2|https|mp4|P-|1080|0|500|\nformat p3|https://m.test/3|m3u8_native|mp4|P-|1080|0|500|\n"
               "format ps|https://m.test/4|https|mp4|PS|2160|0|9000|\nchoices file= any= picture=p3 both=ps"_s;
        QTest::newRow("playlist") << jsonText(
            "{'_type': 'playlist', 'id': 'PL1', 'title': 'Mix', 'entries': ["
            " {'url': 'https://www.youtube.com/watch?v=b', 'title': 'B', 'id': 'b'}, {'url': 'file:///x', 'id': 'x'},"
            " {'url': 'c', 'webpage_url': 'https://www.youtube.com/watch?v=c', 'title': 'C', 'id': 'c'},"
            " {'url': 'https://www.youtube.com/watch?v=a', 'title': 'A', 'id': 'a'}]}")
            << u"PL1|Mix||0|||playlist\nentry https://www.youtube.com/watch?v=b|B|b\n"
               "entry https://www.youtube.com/watch?v=c|C|c\nentry https://www.youtube.com/watch?v=a|A|a"_s;
        QTest::newRow("not JSON") << QByteArray("<html><body>Sorry</body></html>")
                                  << u"rejected %1"_s.arg(int(YtDlpInfo::Rejection::NotJson));
        QTest::newRow("array at the top") << jsonText("[{'id': 'a'}]")
                                          << u"rejected %1"_s.arg(int(YtDlpInfo::Rejection::NoObject));
    }

    void readsPages()
    {
        QFETCH(QByteArray, json);
        YtDlpInfo::Rejection why{};
        const std::optional<YtDlpInfo> info = YtDlpInfo::fromJson(json, &why);
        QTEST(described(info, why), "expected");
    }

    void locatesTheProgram()
    {
        const StandInProgram standIn(u"yt-dlp"_s, "exit 0");
        const QString executable = standInPath(standIn);
        const QTemporaryDir empty;
        QFile plainFile(empty.filePath(u"yt-dlp"_s));
        QVERIFY(plainFile.open(QIODevice::WriteOnly));
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(empty.path()));
        QCOMPARE(YtDlpProgram::locate(), QString());
        QCOMPARE(YtDlpProgram::locate(plainFile.fileName()), QString());
        QCOMPARE(YtDlpProgram::locate(executable), executable);
        QCOMPARE(YtDlpProgram::readPage(YtDlpProgram::locate(), u"https://a.test/"_s, {}).ending, Ending::FailedToStart);
        qputenv("PATH", standIn.searchPath());
        QCOMPARE(YtDlpProgram::locate(plainFile.fileName()), executable);
        QCOMPARE(YtDlpProgram::locate(empty.path()), executable);
    }

    void runsTheProgram_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("timeLimitMs");
        QTest::addColumn<int>("cancelAfterMs");
        QTest::addColumn<int>("ending");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("errorLine");

        const int finished = int(Ending::Finished);
        QTest::newRow("arguments as given, proxy passed on") << QByteArray("printf '%s\\n' \"$http_proxy\" \"$@\"")
            << 60'000 << -1 << finished << 0 << QByteArray("http://127.0.0.1:9/\n--ignore-config\n--dump-single-json\n"
               "--flat-playlist\n--no-warnings\n--no-progress\n--\n-o x; touch y https://a.test/?q=a b&c=$(id)\n") << QString();
        QTest::newRow("failure with a reason") << QByteArray("echo null; echo 'WARNING: slow' >&2; printf 'ERROR: [generic] "
                                                             "Unable to'>&2; sleep 0.1; printf ' read\\n \\n' >&2; exit 1")
            << 60'000 << -1 << finished << 1 << QByteArray("null\n") << u"[generic] Unable to read"_s;
        QTest::newRow("not JSON") << QByteArray("echo '<html>'") << 60'000 << -1 << finished << 0 << QByteArray("<html>\n")
                                  << QString();
        QTest::newRow("endless error line") << QByteArray("head -c 100000 /dev/zero | tr '\\0' x >&2; exit 2") << 60'000
                                            << -1 << finished << 2 << QByteArray() << QString(4096, u'x');
        QTest::newRow("crash") << QByteArray("echo half; kill -9 $$") << 60'000 << -1 << int(Ending::Crashed) << -1
                               << QByteArray("half\n") << QString();
        QTest::newRow("past the time limit") << QByteArray("wait") << 1000 << -1 << int(Ending::TimedOut) << -1
                                             << QByteArray() << QString();
        QTest::newRow("cancelled") << QByteArray("wait") << 60'000 << 300 << int(Ending::Cancelled) << -1 << QByteArray()
                                   << QString();
        QTest::newRow("one byte too many") << QByteArray("head -c 67108865 /dev/zero; wait") << 60'000 << -1
                                           << int(Ending::TooMuchOutput) << -1 << QByteArray() << QString();
        QTest::newRow("as much as allowed") << QByteArray("head -c 67108864 /dev/zero") << 60'000 << -1 << finished << 0
                                            << QByteArray(64 * 1024 * 1024, '\0') << QString();
    }

    // Each run ends in time, and takes along the program and what it started.
    void runsTheProgram()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, timeLimitMs);
        QFETCH(int, cancelAfterMs);
        const QTemporaryDir scratch;
        const QString pids = scratch.filePath(u"pids"_s);
        const StandInProgram standIn(u"yt-dlp"_s, "sleep 30 & echo $$ $! >'" + QFile::encodeName(pids) + "'; " + script);
        QElapsedTimer clock;
        clock.start();
        const auto cancelled = [&clock, cancelAfterMs] { return cancelAfterMs >= 0 && clock.hasExpired(cancelAfterMs); };
        const ChildProcess::Result result =
            YtDlpProgram::readPage(standInPath(standIn), u"-o x; touch y https://a.test/?q=a b&c=$(id)"_s, cancelled,
                                   std::chrono::milliseconds(timeLimitMs));
        QVERIFY(clock.elapsed() < (cancelAfterMs >= 0 ? cancelAfterMs : timeLimitMs) + 1000);
        QTEST(int(result.ending), "ending");
        QTEST(result.exitCode, "exitCode");
        QTEST(result.output, "output");
        QTEST(result.lastErrorLine, "errorLine");

        QFile file(pids);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> started = file.readAll().simplified().split(' ');
        QCOMPARE(started.size(), 2);
        QCOMPARE(processState(started[0]), QString());
        QTRY_VERIFY_WITH_TIMEOUT(QStringList({QString(), u"Z"_s}).contains(processState(started[1])), 2000);
    }

    void linesArriveWhole()
    {
        QStringList lines;
        const auto keep = [&lines](const QString &line) { lines.append(line); };
        const ChildProcess::Result result = ChildProcess::run(
            u"/bin/sh"_s, {u"-c"_s, u"printf 'one\\ntw'; sleep 0.1; printf 'o\\r\\nthree'; sleep 0.1; printf 'e\\n' >&2"_s},
            {.timeLimit = 10s, .maxOutputBytes = 100, .outputLine = keep, .errorLine = keep});
        QCOMPARE(lines, QStringList({u"one"_s, u"two"_s, u"e"_s, u"three"_s}));
        QCOMPARE(result.output, QByteArray("one\ntwo\r\nthree"));
    }

    // Without a time limit a run goes on while the program writes, and ends
    // once it has been silent too long; its lines are passed on, not kept.
    void silenceEndsARun()
    {
        QStringList lines;
        const ChildProcess::Result result = ChildProcess::run(
            u"/bin/sh"_s, {u"-c"_s, u"echo a; sleep 0.4; echo b >&2; sleep 0.4; echo c; sleep 30"_s},
            {.timeLimit = ChildProcess::NoTimeLimit, .maxOutputBytes = 0,
             .outputLine = [&lines](const QString &line) { lines.append(line); }, .silenceLimit = 700ms,
             .keepOutput = false});
        QCOMPARE(result.ending, Ending::Stalled);
        QCOMPARE(lines, QStringList({u"a"_s, u"c"_s}));
        QCOMPARE(result.output, QByteArray());
    }

    // The yt-dlp of this machine takes every option we give it.
    void realProgramTakesOurOptions()
    {
        const QString program = YtDlpProgram::locate();
        if (program.isEmpty())
            QSKIP("yt-dlp is not installed");
        const QString version = YtDlpProgram::version(program);
        QVERIFY2(QRegularExpression(u"^\\d{4}\\.\\d\\d\\.\\d\\d"_s).match(version).hasMatch(), qPrintable(version));
        const ChildProcess::Result result = YtDlpProgram::readPage(program, u"-x"_s, {});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.lastErrorLine.contains(u"'-x' is not a valid URL"_s), qPrintable(result.lastErrorLine));
    }
};

QTEST_GUILESS_MAIN(TestYtDlp)
#include "tst_ytdlp.moc"
