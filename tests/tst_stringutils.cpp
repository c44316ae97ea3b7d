#include "ReferenceDecoders.h"
#include "StringUtils.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <thread>

using namespace Qt::Literals::StringLiterals;

class TestStringUtils : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseTagValue_data();
    void parseTagValue();
    void parseTagValueToEnd_data();
    void parseTagValueToEnd();
    void characterClasses_data();
    void characterClasses();
    void trim_data();
    void trim();
    void writeInt_data();
    void writeInt();
    void writeString_data();
    void writeString();
    void removeTags_data();
    void removeTags();
    void removeTagsAgreesWithRepeatedSearch();
    void parseStringList_data();
    void parseStringList();
    void saveStringToFile_data();
    void saveStringToFile();
    void processMessagesDeliversQueuedCalls();
    void processMessagesWithoutEventLoop();
};

void TestStringUtils::parseTagValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("close");
    QTest::addColumn<QString>("expected");

    const QString title = u"<title>"_s;
    const QString endTitle = u"</title>"_s;
    QTest::newRow("case-insensitive") << u"a<TITLE>x</title>b"_s << title << endTitle << u"x"_s;
    QTest::newRow("close missing") << u"a<title>x"_s << title << endTitle << QString();
    QTest::newRow("close only before open") << u"</title>a<title>x"_s << title << endTitle << QString();
    QTest::newRow("empty value") << u"<title></title>"_s << title << endTitle << QString();
    QTest::newRow("first of several") << u"<b>1</b><b>2</b>"_s << u"<b>"_s << u"</b>"_s << u"1"_s;
    QTest::newRow("empty open tag") << u"abc"_s << QString() << u"c"_s << QString();
    QTest::newRow("empty close tag") << u"abc"_s << u"a"_s << QString() << QString();
    QTest::newRow("null text") << QString() << title << endTitle << QString();
    QTest::newRow("positions after astral characters")
        << u"\U0001F600\U0001F600<t>\U0001F3B5x</T>"_s << u"<t>"_s << u"</t>"_s << u"\U0001F3B5x"_s;
    QTest::newRow("stream quality")
        << u"quality=small\\u0026quality=large\\u"_s << u"quality="_s << u"\\u"_s << u"small"_s;
}

void TestStringUtils::parseTagValue()
{
    QFETCH(QString, text);
    QFETCH(QString, open);
    QFETCH(QString, close);
    QFETCH(QString, expected);
    QCOMPARE(StringUtils::parseTagValueFromText(text, open, close), expected);
    QCOMPARE(StringUtils::parseTagValueFromTextEnd(text, open, close), expected);
}

void TestStringUtils::parseTagValueToEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("expected");

    QTest::newRow("rest of text") << u"key=abc&x=1"_s << u"KEY="_s << u"abc&x=1"_s;
    QTest::newRow("missing") << u"abc"_s << u"key="_s << QString();
    QTest::newRow("at the end") << u"abc key="_s << u"key="_s << QString();
    QTest::newRow("empty open tag") << u"abc"_s << QString() << QString();
}

void TestStringUtils::parseTagValueToEnd()
{
    QFETCH(QString, text);
    QFETCH(QString, open);
    QFETCH(QString, expected);
    QCOMPARE(StringUtils::parseTagValueFromText(text, open), expected);
}

void TestStringUtils::characterClasses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("letter");
    QTest::addColumn<bool>("number");

    QTest::newRow("small q") << u"q"_s << 0 << true << false;
    QTest::newRow("capital Q") << u"Q"_s << 0 << true << false;
    QTest::newRow("z and Z") << u"zZ"_s << 1 << true << false;
    QTest::newRow("digit 0") << u"0"_s << 0 << false << true;
    QTest::newRow("digit 9") << u"9"_s << 0 << false << true;
    QTest::newRow("dash") << u"-"_s << 0 << false << false;
    QTest::newRow("underscore") << u"_"_s << 0 << false << false;
    QTest::newRow("at sign before A") << u"@"_s << 0 << false << false;
    QTest::newRow("bracket after Z") << u"["_s << 0 << false << false;
    QTest::newRow("e acute") << u"é"_s << 0 << false << false;
    QTest::newRow("dotless i") << u"ı"_s << 0 << true << false;
    QTest::newRow("fullwidth digit") << u"７"_s << 0 << false << false;
    QTest::newRow("after sharp s") << u"ß9"_s << 1 << false << true;
    QTest::newRow("dash after sharp s") << u"ßa-"_s << 2 << false << false;
    QTest::newRow("after astral character") << u"\U0001F600x"_s << 2 << true << false;
    QTest::newRow("surrogate half") << u"\U0001F600"_s << 1 << false << false;
    QTest::newRow("outside the text") << u"a"_s << 1 << false << false;
    QTest::newRow("null text") << QString() << 0 << false << false;
}

void TestStringUtils::characterClasses()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(bool, letter);
    QFETCH(bool, number);
    QCOMPARE(StringUtils::isCharLetter(text, position), letter);
    QCOMPARE(StringUtils::isCharNumber(text, position), number);
}

void TestStringUtils::trim_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("spaces and line ends") << u" \t\r\n x y \r\n"_s << u"x y"_s;
    QTest::newRow("vertical tab and form feed") << u"\u000B\u000Cx\u000B"_s << u"x"_s;
    QTest::newRow("next line") << u"\u0085x\u0085"_s << u"x"_s;
    QTest::newRow("no-break and ideographic space") << u"\u00A0\u3000x\u2003"_s << u"x"_s;
    QTest::newRow("line and paragraph separators") << u"\u2028x\u2029"_s << u"x"_s;
    QTest::newRow("zero-width space is no separator") << u"\u200Bx"_s << u"\u200Bx"_s;
    QTest::newRow("inner white space kept") << u"a \n b"_s << u"a \n b"_s;
    QTest::newRow("only white space") << u" \n "_s << u""_s;
}

void TestStringUtils::trim()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(StringUtils::trim(text), expected);
}

void TestStringUtils::writeInt_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("16 in 4") << 16 << 4 << QByteArray::fromHex("10000000");
    QTest::newRow("3 in 2") << 3 << 2 << QByteArray::fromHex("0300");
    QTest::newRow("44100 in 2") << 44100 << 2 << QByteArray::fromHex("44ac");
    QTest::newRow("0 in 4") << 0 << 4 << QByteArray::fromHex("00000000");
    QTest::newRow("max in 1") << 0x7FFFFFFF << 1 << QByteArray::fromHex("ff");
    QTest::newRow("negative in 4") << -2 << 4 << QByteArray::fromHex("feffffff");
    QTest::newRow("176400 in 4") << 176400 << 4 << QByteArray::fromHex("10b10200");
}

void TestStringUtils::writeInt()
{
    QFETCH(qint32, value);
    QFETCH(int, length);
    QFETCH(QByteArray, expected);
    QByteArray data("x");
    StringUtils::writeIntToMutableData(value, data, length);
    QCOMPARE(data, "x" + expected);
}

void TestStringUtils::writeString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("RIFF") << u"RIFF"_s << QByteArray("RIFF");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("binary values") << u"\u0010\u0000\u0000\u0000\u0001\u0000"_s
                                   << QByteArray::fromHex("100000000100");
    QTest::newRow("latin-1") << u"Café ÿ"_s << QByteArray::fromHex("436166e920ff");
    QTest::newRow("beyond latin-1") << u"Ж€"_s << QByteArray("??");
    QTest::newRow("astral: one byte per unit") << u"a\U0001F600b"_s << QByteArray("a??b");
}

void TestStringUtils::writeString()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QByteArray data("x");
    StringUtils::writeStringToMutableData(text, data);
    QCOMPARE(data, "x" + expected);
    QCOMPARE(data.size(), 1 + text.size());
}

void TestStringUtils::removeTags_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("expected");

    QTest::newRow("bold") << u"a<b>bold</b> c"_s << u"abold c"_s;
    QTest::newRow("line breaks") << u"line1<br />line2<BR />line3"_s << u"line1\nline2\nline3"_s;
    QTest::newRow("entities") << u"x &#38; y&#160;z"_s << u"x & y z"_s;
    QTest::newRow("quote entity") << u"&#34;hi&#34;"_s << u"\"hi\""_s;
    QTest::newRow("lone less-than") << u"a < b"_s << u"a < b"_s;
    QTest::newRow("tag runs to the next closer") << u"a <b c<i>x</i>"_s << u"a x"_s;
    QTest::newRow("unclosed tag at the end stays") << u"x<i>y</i> a < b"_s << u"xy a < b"_s;
    QTest::newRow("deletion forms a closing tag") << u"x<</a>/b>y"_s << u"xy"_s;
    QTest::newRow("first closer ends the tag") << u"a<<b>c>d"_s << u"ac>d"_s;
    QTest::newRow("link") << u"see <a href=\"/x\">this</a>."_s << u"see this."_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestStringUtils::removeTags()
{
    QFETCH(QString, markup);
    QFETCH(QString, expected);
    QCOMPARE(StringUtils::removeTags(markup), expected);
}

// Markup made of the characters that matter to the tag remover, so that tags
// overlap, nest, and form anew when others are deleted.
void TestStringUtils::removeTagsAgreesWithRepeatedSearch()
{
    const QString alphabet = u"<</>>ab &#160;"_s;
    auto *random = QRandomGenerator::global();
    for (int round = 0; round < 5000; ++round) {
        QString markup;
        const int length = random->bounded(30);
        for (int i = 0; i < length; ++i)
            markup.append(alphabet.at(random->bounded(int(alphabet.size()))));
        QCOMPARE(StringUtils::removeTags(markup), reference::removeTags(markup));
    }
}

void TestStringUtils::parseStringList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("expected");

    const QString lf = u"\n"_s;
    QTest::newRow("blank pieces dropped") << u"\n a \n\n b\n  \n"_s << lf << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("empty text") << QString() << lf << QStringList();
    QTest::newRow("one piece") << u"one"_s << lf << QStringList{u"one"_s};
    QTest::newRow("empty separator") << u"  a\nb  "_s << QString() << QStringList{u"a\nb"_s};
    QTest::newRow("carriage returns") << u"a\r\nb\r\n"_s << lf << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("long separator") << u"a--b----c"_s << u"--"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("separator is case-sensitive") << u"aXbxc"_s << u"x"_s << QStringList{u"aXb"_s, u"c"_s};
}

void TestStringUtils::parseStringList()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QStringList, expected);
    QCOMPARE(StringUtils::parseStringList(text, separator), expected);
}

void TestStringUtils::saveStringToFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected"); // null: the old content stays

    QTest::newRow("ascii replaces") << u"new"_s << QByteArray("new");
    QTest::newRow("non-ascii writes nothing") << u"neü"_s << QByteArray();
    QTest::newRow("empty writes nothing") << QString() << QByteArray();
}

void TestStringUtils::saveStringToFile()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.txt"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old content");
    old.close();

    StringUtils::saveStringToFile(text, path);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected.isNull() ? QByteArray("old content") : expected);
}

void TestStringUtils::processMessagesDeliversQueuedCalls()
{
    bool delivered = false;
    QTimer::singleShot(0, this, [&delivered] { delivered = true; });
    while (!delivered)
        QVERIFY(StringUtils::processMessages());

    // With nothing pending, a bounded wait returns by itself.
    QVERIFY(StringUtils::processMessages(10));
}

void TestStringUtils::processMessagesWithoutEventLoop()
{
    bool result = true;
    std::thread plain([&result] { result = StringUtils::processMessages(); });
    plain.join();
    QVERIFY(!result);
}

QTEST_GUILESS_MAIN(TestStringUtils)
#include "tst_stringutils.moc"
