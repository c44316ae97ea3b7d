#include "ChildProcess.h"
#include "StandInProgram.h"
#include "YtDlpProgram.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using Ending = ChildProcess::Ending;

namespace {

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
