#include "SamplePages.h"
#include "SiteFixture.h"
#include "StandInProgram.h"
#include "TestMedia.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CliResult
{
    int exitCode = -1; // -1: it did not end, or not by itself
    QList<QJsonObject> lines;
};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
        QVERIFY(TestMedia::makeMp4(m_twoSeconds, 2, 44100, 2));
        QVERIFY(TestMedia::makeMp4(m_fourSeconds, 4, 22050, 1));
    }

    void cleanup()
    {
        m_fixture->site.media().setStreamFile(18, {});
        m_fixture->site.media().setStreamFile(22, {});
        m_fixture->clearOutput();
    }

    void options_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("entry");  // what ffprobe reads from the result
        QTest::addColumn<QString>("stream"); // of which stream
        QTest::addColumn<QString>("value");

        const QString mp3 = u"mp3"_s;
        const QString sound = u"a:0"_s;
        QTest::newRow("bit rate") << QStringList{u"--format"_s, mp3, u"--bitrate"_s, u"192"_s} << u"stream=bit_rate"_s << sound
                                  << u"192000"_s;
        QTest::newRow("frequency") << QStringList{u"--format"_s, mp3, u"--frequency"_s, u"22050"_s, u"--bitrate"_s, u"160"_s}
                                   << u"stream=sample_rate"_s << sound << u"22050"_s;
        QTest::newRow("mono") << QStringList{u"--format"_s, mp3, u"--mono"_s} << u"stream=channels"_s << sound << u"1"_s;
        QTest::newRow("quality") << QStringList{u"--format"_s, u"video"_s, u"--quality"_s, u"720"_s} << u"stream=height"_s
                                 << u"v:0"_s << u"720"_s;
        QTest::newRow("wav") << QStringList{u"--format"_s, u"wav"_s, u"--jobs"_s, u"10"_s} << u"stream=codec_name"_s << sound << u"pcm_s16le"_s;
        QTest::newRow("no description") << QStringList{u"--format"_s, mp3, u"--no-description"_s}
                                        << u"format_tags=comment"_s << sound << u"http://www.vantrel.example"_s;
        QTest::newRow("no tags") << QStringList{u"--format"_s, mp3, u"--no-tags"_s} << u"format_tags=title"_s << sound
                                 << QString();
    }

    void options()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, entry);
        QFETCH(QString, stream);
        QFETCH(QString, value);
        const CliResult result = runCli(options + QStringList{u"--json"_s, SiteFixture::watchLink(u"cli"_s)});
        QCOMPARE(result.exitCode, 0);
        const QString file = result.lines.last().value(u"file"_s).toString();
        QCOMPARE(QFileInfo(file).dir(), QDir(m_fixture->outputDir.path()));
        QCOMPARE(TestMedia::probe(file, entry, stream), value);
    }

    // Today's links, each through Debian's yt-dlp or none at all: MP3s
    // titled as mutagen reads them, a playlist's entries in its order.
    void todaysLinks_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QStringList>("titles");

        QTest::newRow("a page of today") << u"http://clips.sample.test/watch/cliToday"_s
                                         << QStringList{SamplePages::title(u"cliToday"_s)};
        QTest::newRow("a playlist") << u"http://clips.sample.test/playlist/cliSet"_s
                                    << QStringList{SamplePages::title(u"cliSet-1"_s), SamplePages::title(u"cliSet-2"_s),
                                                   SamplePages::title(u"cliSet-3"_s)};
        QTest::newRow("a media file") << u"http://files.sample.test/media/cli.m4a"_s << QStringList{u"Sample Tone"_s};
        // As the shell gives it: relative to where the program runs.
        QTest::newRow("a file of the user's") << u"two seconds.mp4"_s << QStringList{u"two seconds"_s};
    }

    void todaysLinks()
    {
        QFETCH(QString, link);
        QFETCH(QStringList, titles);
        const QByteArray before = SiteFixture::fileBytes(m_twoSeconds);
        const CliResult result = runCli({u"--format"_s, u"mp3"_s, u"--json"_s, link});
        QCOMPARE(result.exitCode, 0);
        // Each item's file, in the order the items were listed.
        QStringList links;
        QHash<QString, QString> files;
        for (const QJsonObject &line : result.lines) {
            const QString item = line.value(u"link"_s).toString();
            if (!links.contains(item))
                links.append(item);
            if (line.value(u"status"_s).toString() == u"finished")
                files.insert(item, line.value(u"file"_s).toString());
        }
        QStringList tags;
        for (const QString &item : std::as_const(links)) {
            if (files.contains(item))
                tags.append(mutagenTitle(files.value(item)));
        }
        QCOMPARE(tags, titles);
        QCOMPARE(SiteFixture::fileBytes(m_twoSeconds), before);
    }

    // A file of the user's kept as it is would be the same file: the run
    // says so and ends, failed, rather than waiting for ever.
    void fileWithNothingToBecome()
    {
        const CliResult result = runCli({u"--format"_s, u"video"_s, u"--json"_s, u"two seconds.mp4"_s});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.lines.constLast().value(u"text"_s).toString().endsWith(
            u"There is nothing to download: choose MP3 or WAV to convert this file."_s));
    }

    void hostileTitle()
    {
        const QString canary = m_home.filePath(u"pwned"_s);
        const QString title = u"Quote \"it\" 'now' $(touch "_s + canary + u") `touch "_s + canary + u"` back\\slash/es & more"_s;
        m_fixture->site.setPage(u"hostile"_s, "<title>" + title.toHtmlEscaped().toUtf8()
                                                 + "</title><script>'PLAYER_CONFIG': {\"url_encoded_fmt_stream_map\": "
                                                   "\"url=http%3A%2F%2Fs.youtube.com%2Fvideoplayback%3Fitag%3D18"
                                                   "\\u0026quality=medium\\u0026type=video%2Fmp4%3B\"}</script>");
        QCOMPARE(runCli({u"--format"_s, u"mp3"_s, SiteFixture::watchLink(u"hostile"_s)}).exitCode, 0);
        QVERIFY(!QFile::exists(canary));
        QString cleaned = title;
        cleaned.replace(u'\\', u'-').replace(u'/', u'-');
        QVERIFY2(QFile::exists(m_fixture->outputPath(cleaned + u".mp3"_s)), qPrintable(m_fixture->outputEntries().join(u", "_s)));
    }

    void sameTitle_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("together"); // else one run after the other
        QTest::addColumn<bool>("userFile"); // a file of that name was there

        for (const QString &format : {u"video"_s, u"mp3"_s, u"wav"_s}) {
            for (const bool together : {true, false}) {
                for (const bool userFile : {false, true}) {
                    QTest::addRow("%s, %s%s", qPrintable(format), together ? "together" : "one after the other",
                                  userFile ? ", the user's file there" : "")
                        << format << together << userFile;
                }
            }
        }
    }

    // Two videos of one title: each gets a name of its own, with its own
    // sound in it, and the user's file of that name stays as it was.
    void sameTitle()
    {
        QFETCH(QString, format);
        QFETCH(bool, together);
        QFETCH(bool, userFile);
        const QString extension = format == u"video" ? u".mp4"_s : u'.' + format;
        m_fixture->site.media().setStreamFile(18, m_twoSeconds);
        m_fixture->site.media().setStreamFile(22, m_fourSeconds);
        for (const int itag : {18, 22}) {
            m_fixture->site.setPage(u"same%1"_s.arg(itag),
                                    "<title>Same Title</title><script>'PLAYER_CONFIG': {\"url_encoded_fmt_stream_map\": "
                                    "\"url=http%3A%2F%2Fs.youtube.com%2Fvideoplayback%3Fitag%3D"
                                        + QByteArray::number(itag) + "\\u0026quality=medium\\u0026type=video%2Fmp4%3B\"}</script>");
        }
        const QByteArray users = "the user's own";
        if (userFile)
            QVERIFY(SiteFixture::writeFile(m_fixture->outputPath(u"Same Title"_s + extension), users));
        const QStringList options{u"--format"_s, format, u"--jobs"_s, u"2"_s, u"--json"_s};
        const QStringList links{SiteFixture::watchLink(u"same18"_s), SiteFixture::watchLink(u"same22"_s)};
        QList<QJsonObject> ends;
        for (const QStringList &run : together ? QList<QStringList>{links} : QList<QStringList>{{links[0]}, {links[1]}}) {
            const CliResult result = runCli(options + run);
            QCOMPARE(result.exitCode, 0);
            for (const QJsonObject &line : result.lines) {
                if (line.value(u"status"_s).toString() == u"finished")
                    ends.append(line);
            }
        }
        QCOMPARE(ends.size(), 2);
        QStringList names;
        for (const QJsonObject &end : std::as_const(ends)) {
            const QString file = end.value(u"file"_s).toString();
            names.append(QFileInfo(file).fileName());
            const double seconds = TestMedia::probe(file, u"format=duration"_s).toDouble();
            QCOMPARE(qRound(seconds), end.value(u"link"_s).toString().endsWith(u"18"_s) ? 2 : 4);
        }
        names.sort();
        const QStringList expected = userFile ? QStringList{u"Same Title (2)"_s + extension, u"Same Title (3)"_s + extension}
                                              : QStringList{u"Same Title (2)"_s + extension, u"Same Title"_s + extension};
        QCOMPARE(names, expected);
        if (userFile)
            QCOMPARE(SiteFixture::fileBytes(m_fixture->outputPath(u"Same Title"_s + extension)), users);
    }

    // With one download at a time, the one whose page came second says that
    // it waits, and again when its turn comes.
    void waitingInTheQueue()
    {
        m_fixture->site.addFault(SiteFault::parse(u"path=/videoplayback,throttle=100000"_s).value());
        const QStringList links{SiteFixture::watchLink(u"queueAaaaaa"_s), SiteFixture::watchLink(u"queueBbbbbb"_s)};
        const CliResult result = runCli(QStringList{u"--format"_s, u"video"_s, u"--jobs"_s, u"1"_s, u"--json"_s} + links);
        QCOMPARE(result.exitCode, 0);
        QHash<QString, QStringList> lines;
        for (const QJsonObject &line : result.lines)
            lines[line.value(u"link"_s).toString()].append(line.value(u"status"_s).toString() + u' ' + line.value(u"text"_s).toString());
        QStringList waited;
        for (const QString &link : links) {
            const QStringList &said = lines.value(link);
            QCOMPARE(said.constLast(), u"finished Finished"_s);
            if (const qsizetype waits = said.indexOf(u"waiting Waiting (0 ahead)"_s); waits > 0) {
                QCOMPARE(said.value(waits + 1), u"downloading Downloading"_s);
                waited.append(link);
            }
        }
        QCOMPARE(waited.size(), 1);
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");

        QTest::newRow("one link fails") << QStringList{u"--format"_s, u"video"_s, SiteFixture::watchLink(u"cli-fine"_s),
                                                       u"http://www.youtube.com/user/nobody"_s}
                                        << 1;
        QTest::newRow("no valid link") << QStringList{u"hello"_s} << 2;
        // Refused options: nothing is made.
        for (const QString &refused : {u"--format=ogg"_s, u"--bitrate=0"_s, u"--bitrate=128k"_s, u"--quality=2k"_s,
                                       u"--jobs=0"_s, u"--jobs=11"_s})
            QTest::addRow("%s", qPrintable(refused)) << QStringList{refused, SiteFixture::watchLink(u"cli"_s)} << 2;
        // Rates lame would change without a word.
        for (const QString &rates : {u"--frequency=22050 --bitrate=320"_s, u"--frequency=44000 --bitrate=128"_s,
                                     u"--bitrate=144"_s, u"--frequency=8000"_s}) {
            QTest::addRow("mp3 %s", qPrintable(rates))
                << (u"--format=mp3 "_s + rates).split(u' ') + QStringList{SiteFixture::watchLink(u"cli"_s)} << 2;
        }
        QTest::newRow("help") << QStringList{u"--help"_s} << 0;
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QCOMPARE(runCli(arguments).exitCode, exitCode);
        QCOMPARE(m_fixture->outputEntries().isEmpty(), exitCode != 1);
    }

    // Nobody will press Resume: the run ends, and says it did not finish.
    void failedConversionEndsTheRun()
    {
        const StandInProgram lame(u"lame"_s, "cat >/dev/null; exit 1");
        QCOMPARE(runCli({u"--format"_s, u"mp3"_s, SiteFixture::watchLink(u"cli"_s)}, lame.searchPath()).exitCode, 1);
        QCOMPARE(m_fixture->outputEntries(), QStringList{u"Paper Harbour Part 2-3.mp4"_s});
    }

    void interruptLeavesNoTemporaryFile()
    {
        // A minute of sound: the conversion outlasts the interrupt.
        const QString longVideo = m_home.filePath(u"long.mp4"_s);
        QVERIFY(TestMedia::makeMp4(longVideo, 60, 44100, 2));
        m_fixture->site.media().setStreamFile(18, longVideo);
        QProcess cli;
        start(cli, {u"--format"_s, u"mp3"_s, u"--json"_s, SiteFixture::watchLink(u"cli"_s)});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += cli.readAllStandardOutput()).contains("\"status\":\"converting\""), 30'000);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(10'000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
        for (const QString &entry : m_fixture->outputEntries())
            QVERIFY2(entry == u"Paper Harbour Part 2-3.mp4" || entry == u"Paper Harbour Part 2-3.mp3", qPrintable(entry));
    }

private:
    // The program as a user runs it, with settings of its own (never the real
    // user's) and the sample site as its proxy.
    void start(QProcess &cli, const QStringList &arguments, const QByteArray &path = qgetenv("PATH"))
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, m_home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        environment.insert(u"http_proxy"_s, m_fixture->site.proxyUrl());
        environment.insert(u"PATH"_s, QFile::decodeName(path));
        environment.remove(u"no_proxy"_s);
        environment.remove(u"NO_PROXY"_s);
        cli.setProcessEnvironment(environment);
        // A failing run explains itself in the test's own output.
        cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        cli.setWorkingDirectory(m_home.path());
        cli.start(QStringLiteral(VANTREL_CLI_PATH), QStringList{u"--output"_s, m_fixture->outputDir.path()} + arguments);
    }

    // The title as mutagen, a reader we did not write, finds it.
    static QString mutagenTitle(const QString &mp3)
    {
        QProcess python;
        python.start(u"/usr/bin/python3"_s, {u"-c"_s, u"import mutagen, sys; print(mutagen.File(sys.argv[1])['TIT2'])"_s, mp3});
        python.waitForFinished(30'000);
        return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
    }

    CliResult runCli(const QStringList &arguments, const QByteArray &path = qgetenv("PATH"))
    {
        QProcess cli;
        start(cli, arguments, path);
        CliResult result;
        if (!cli.waitForFinished(60'000) || cli.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = cli.exitCode();
        for (const QByteArray &line : cli.readAllStandardOutput().trimmed().split('\n'))
            result.lines.append(QJsonDocument::fromJson(line).object());
        return result;
    }

    std::unique_ptr<SiteFixture> m_fixture;
    QTemporaryDir m_home;
    const QString m_twoSeconds = m_home.filePath(u"two seconds.mp4"_s);
    const QString m_fourSeconds = m_home.filePath(u"four seconds.mp4"_s);
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
