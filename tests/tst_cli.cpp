#include "Mutagen.h"
#include "SamplePages.h"
#include "SiteFixture.h"
#include "TestMedia.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

struct CliResult
{
    int exitCode = -1;
    QString output;
    QList<QJsonObject> lines; // with --json
};


} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void mp3WithAndWithoutTags_data();
    void mp3WithAndWithoutTags();
    void wavAndVideo_data();
    void wavAndVideo();
    void hostileTitle();
    void linksAreFilteredLikeTheList();
    void exitCodes_data();
    void exitCodes();

private:
    CliResult runCli(const QStringList &arguments);
    QStringList outputFiles() const { return QDir(m_fixture->outputDir.path()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<SiteFixture> m_fixture;
    QTemporaryDir m_home;
};

void TestCli::initTestCase()
{
    m_fixture = std::make_unique<SiteFixture>();
    QVERIFY(m_fixture->isReady());
    QVERIFY(m_fixture->site.media().prepare());
}

void TestCli::cleanup()
{
    QDir(m_fixture->outputDir.path()).removeRecursively();
    QDir().mkpath(m_fixture->outputDir.path());
}

// The program as a user runs it, with settings of its own (never the real
// user's) and the sample site as its proxy.
CliResult TestCli::runCli(const QStringList &arguments)
{
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, m_home.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
    environment.insert(u"http_proxy"_s, m_fixture->site.proxyUrl());
    environment.remove(u"no_proxy"_s);
    environment.remove(u"NO_PROXY"_s);
    cli.setProcessEnvironment(environment);
    // A failing run explains itself in the test's own output.
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.start(QStringLiteral(VANTREL_CLI_PATH), QStringList{u"--output"_s, m_fixture->outputDir.path()} + arguments);
    CliResult result;
    if (!cli.waitForFinished(120'000))
        return result;
    result.exitCode = cli.exitCode();
    result.output = QString::fromUtf8(cli.readAllStandardOutput());
    for (const QString &line : result.output.split(u'\n', Qt::SkipEmptyParts))
        result.lines.append(QJsonDocument::fromJson(line.toUtf8()).object());
    return result;
}

void TestCli::mp3WithAndWithoutTags_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("tagged");
    QTest::addColumn<bool>("description");

    QTest::newRow("tags and description") << QStringList{} << true << true;
    QTest::newRow("tags, no description") << QStringList{u"--no-description"_s} << true << false;
    QTest::newRow("no tags") << QStringList{u"--no-tags"_s} << false << false;
}

void TestCli::mp3WithAndWithoutTags()
{
    QFETCH(QStringList, options);
    QFETCH(bool, tagged);
    QFETCH(bool, description);
    const QString code = u"cli-mp3"_s;
    const CliResult result = runCli(QStringList{u"--format"_s, u"mp3"_s, u"--bitrate"_s, u"192"_s, u"--json"_s} + options
                                    + QStringList{SiteFixture::watchLink(code)});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.lines.last().value(u"status"_s).toString(), u"finished"_s);
    const QString mp3 = result.lines.last().value(u"file"_s).toString();
    QCOMPARE(QFileInfo(mp3).dir(), QDir(m_fixture->outputDir.path()));
    QCOMPARE(TestMedia::probe(mp3, u"stream"_s, u"bit_rate"_s).toInt(), 192'000);

    const QJsonObject read = mutagenRead(mp3);
    QCOMPARE(read.value(u"id3"_s).toBool(), tagged);
    if (!tagged)
        return;
    QCOMPARE(read.value(u"title"_s).toString(), SamplePages::title(code).replace(u'/', u'-'));
    QCOMPARE(read.value(u"url"_s).toString(), SiteFixture::watchLink(code));
    QCOMPARE(read.value(u"comment"_s).toString().startsWith(u"Recorded for the sample site"_s), description);
    if (!description)
        QCOMPARE(read.value(u"comment"_s).toString(), u"http://www.vantrel.example"_s);
    QVERIFY(!read.value(u"cover_hex"_s).toString().isEmpty());
}

void TestCli::wavAndVideo_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("suffixes");

    QTest::newRow("wav") << u"wav"_s << QStringList{u"mp4"_s, u"wav"_s};
    QTest::newRow("video only") << u"video"_s << QStringList{u"mp4"_s};
}

void TestCli::wavAndVideo()
{
    QFETCH(QString, format);
    QFETCH(QStringList, suffixes);
    const CliResult result = runCli({u"--format"_s, format, u"--json"_s, SiteFixture::watchLink(u"cli-"_s + format)});
    QCOMPARE(result.exitCode, 0);
    QStringList found;
    for (const QString &file : outputFiles())
        found.append(QFileInfo(file).suffix());
    QCOMPARE(found, suffixes);
    const QString result_file = result.lines.last().value(u"file"_s).toString();
    QVERIFY(result_file.endsWith(u'.' + suffixes.last()));
    if (format == u"wav")
        QCOMPARE(TestMedia::probe(result_file, u"stream"_s, u"codec_name"_s), u"pcm_s16le"_s);
}

void TestCli::hostileTitle()
{
    const QString canary = m_home.filePath(u"pwned"_s);
    const QString title = u"Quote \"it\" 'now' $(touch "_s + canary + u") `touch "_s + canary + u"` back\\slash/es & more"_s;
    m_fixture->site.setPage(u"hostile"_s, "<title>" + title.toHtmlEscaped().toUtf8()
                                             + "</title><script>'PLAYER_CONFIG': {\"url_encoded_fmt_stream_map\": "
                                               "\"url=http%3A%2F%2Fs.youtube.com%2Fvideoplayback%3Fitag%3D18"
                                               "\\u0026quality=medium\\u0026type=video%2Fmp4%3B\"}</script>");
    const CliResult result = runCli({u"--format"_s, u"mp3"_s, u"--json"_s, SiteFixture::watchLink(u"hostile"_s)});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(!QFile::exists(canary));
    QString cleaned = title;
    cleaned.replace(u'\\', u'-').replace(u'/', u'-');
    const QString mp3 = m_fixture->outputPath(cleaned + u".mp3"_s);
    QVERIFY2(QFile::exists(mp3), qPrintable(outputFiles().join(u", "_s)));
    QCOMPARE(mutagenRead(mp3).value(u"title"_s).toString(), cleaned);
}

void TestCli::linksAreFilteredLikeTheList()
{
    const QString text = u"some words\n  "_s + SiteFixture::watchLink(u"cli-one"_s) + u"  \r\nhttps://www.youtube.com/watch?v=secure\n"_s
        + SiteFixture::watchLink(u"cli-one"_s);
    const CliResult result = runCli({u"--format"_s, u"video"_s, u"--json"_s, text, SiteFixture::watchLink(u"cli-two"_s)});
    QCOMPARE(result.exitCode, 0);
    QSet<QString> links;
    for (const QJsonObject &line : result.lines)
        links.insert(line.value(u"link"_s).toString());
    QCOMPARE(links, (QSet<QString>{SiteFixture::watchLink(u"cli-one"_s), SiteFixture::watchLink(u"cli-two"_s)}));
    QCOMPARE(outputFiles().size(), 2);
}

void TestCli::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("one link fails") << QStringList{u"--format"_s, u"video"_s, SiteFixture::watchLink(u"cli-fine"_s),
                                                   u"http://www.youtube.com/user/nobody"_s}
                                    << 1;
    QTest::newRow("no valid link") << QStringList{u"hello"_s} << 2;
    QTest::newRow("bad format") << QStringList{u"--format"_s, u"ogg"_s, SiteFixture::watchLink(u"x"_s)} << 2;
    QTest::newRow("help") << QStringList{u"--help"_s} << 0;
}

void TestCli::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QCOMPARE(runCli(arguments).exitCode, exitCode);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
