#include "OutputFileName.h"

#include <QDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestFileNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void folder_data();
    void folder();
    void videoAndOutputPaths_data();
    void videoAndOutputPaths();
    void namesFitTheFileSystem_data();
    void namesFitTheFileSystem();
};

void TestFileNames::folder_data()
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

void TestFileNames::folder()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    QCOMPARE(OutputFileName::expandedFolder(stored), expected);
}

void TestFileNames::videoAndOutputPaths_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("video");
    QTest::addColumn<QString>("mp3");

    QTest::newRow("plain") << u"Song - Live"_s << u"/Users/u/Music/Song - Live.mp4"_s << u"/Users/u/Music/Song - Live.mp3"_s;
    QTest::newRow("inner point kept") << u"Take 5.2"_s << u"/Users/u/Music/Take 5.2.mp4"_s << u"/Users/u/Music/Take 5.2.mp3"_s;
    QTest::newRow("leading dot") << u".hidden"_s << u"/Users/u/Music/.hidden.mp4"_s << u"/Users/u/Music/.hidden.mp3"_s;
}

void TestFileNames::videoAndOutputPaths()
{
    QFETCH(QString, title);
    QFETCH(QString, video);
    QFETCH(QString, mp3);
    const QString path = OutputFileName::expandedFolder(u"/Users/u/Music"_s) + OutputFileName::fileName(title, u".mp4"_s);
    QCOMPARE(path, video);
    QCOMPARE(OutputFileName::replaceExtension(path, u".mp3"_s), mp3);
    QCOMPARE(OutputFileName::replaceExtension(u"/a.b/noext"_s, u".wav"_s), u"/a.b/noext.wav"_s);
}

void TestFileNames::namesFitTheFileSystem_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");

    QTest::newRow("short stays") << u"Ünïcödé ☺"_s << u"Ünïcödé ☺.mp4"_s;
    QTest::newRow("nul and unit separator") << u"a\u0000b\u001Fc\u007F"_s << u"a_b_c_.mp4"_s;
    QTest::newRow("slash") << u"a/b"_s << u"a_b.mp4"_s;
    QTest::newRow("ascii cut") << QString(300, u'x') << QString(235, u'x') + u".mp4"_s;
    QTest::newRow("three-byte characters cut whole") << QString(100, u'あ') << QString(78, u'あ') + u".mp4"_s;
    QTest::newRow("pairs never split") << u"x"_s + u"\U0001F600"_s.repeated(100) << u"x"_s + u"\U0001F600"_s.repeated(58) + u".mp4"_s;
}

void TestFileNames::namesFitTheFileSystem()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    const QString made = OutputFileName::fileName(title, u".mp4"_s);
    QCOMPARE(made, name);
    QVERIFY(made.toUtf8().size() + OutputFileName::TemporarySuffixBytes <= 255);
}

QTEST_GUILESS_MAIN(TestFileNames)
#include "tst_filenames.moc"
