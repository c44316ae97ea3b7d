#include "ReferenceDecoders.h"
#include "StringUtils.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestHtmlDecoding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodeHTML_data();
    void decodeHTML();
    void decodeHTMLIsLinearInAmpersands();
    void replaceHTMLSymbols_data();
    void replaceHTMLSymbols();
    void replaceHTMLSymbolsAgreesWithRepeatedSearch();
};

void TestHtmlDecoding::decodeHTML_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("amp") << u"Tom &amp; Jerry"_s << u"Tom & Jerry"_s;
    QTest::newRow("quot") << u"&quot;Hi&quot;"_s << u"\"Hi\""_s;
    QTest::newRow("decimal") << u"l&#39;été"_s << u"l'été"_s;
    QTest::newRow("leading zero") << u"&#039;"_s << u"'"_s;
    QTest::newRow("digits then junk") << u"&#39x;"_s << u"'"_s;
    QTest::newRow("eacute") << u"caf&eacute;"_s << u"café"_s;
    QTest::newRow("nbsp is a plain space") << u"A&nbsp;B"_s << u"A B"_s;
    QTest::newRow("lt gt") << u"&lt;b&gt;"_s << u"<b>"_s;
    QTest::newRow("first latin-1 name") << u"&iexcl;"_s << u"\u00A1"_s;
    QTest::newRow("times and divide") << u"&times;&divide;"_s << u"\u00D7\u00F7"_s;
    QTest::newRow("last latin-1 name") << u"&yuml;"_s << u"\u00FF"_s;
    QTest::newRow("names are case-sensitive") << u"&Auml;&auml;"_s << u"\u00C4\u00E4"_s;
    QTest::newRow("hellip keeps semicolon") << u"Wait&hellip;"_s << u"Wait...;"_s;
    QTest::newRow("mdash keeps semicolon") << u"a &mdash; b"_s << u"a -; b"_s;
    QTest::newRow("ndash") << u"1&ndash;2"_s << u"1-;2"_s;
    QTest::newRow("unknown name") << u"&rsquo;"_s << u"\u001F"_s;
    QTest::newRow("hex reference reads as zero") << u"&#x27;"_s << QString(QChar(u'\0'));
    QTest::newRow("bare hash") << u"&#;"_s << QString(QChar(u'\0'));
    QTest::newRow("AMP is unknown") << u"&AMP;"_s << u"\u001F"_s;
    QTest::newRow("no semicolon") << u"AT&T rocks"_s << u"AT&T rocks"_s;
    QTest::newRow("space after ampersand") << u"Tom & Jerry; again"_s << u"Tom & Jerry; again"_s;
    QTest::newRow("empty name") << u"a&;b"_s << u"a&;b"_s;
    QTest::newRow("trailing ampersand") << u"a&"_s << u"a&"_s;
    QTest::newRow("space before semicolon") << u"x&b c;y"_s << u"x&b c;y"_s;
    QTest::newRow("everything up to semicolon is the name") << u"x&b<i>c;y"_s << u"x\u001Fy"_s;
    QTest::newRow("one level only") << u"&amp;lt;"_s << u"&lt;"_s;
    QTest::newRow("astral reference") << u"&#128512;"_s << u"\U0001F600"_s;
    QTest::newRow("lone surrogate reference") << u"&#55357;x"_s << u"\uFFFDx"_s;
    QTest::newRow("beyond unicode") << u"&#1114112;"_s << u"\uFFFD"_s;
    QTest::newRow("huge number saturates") << u"&#99999999999999999999999;"_s << u"\uFFFD"_s;
    QTest::newRow("negative") << u"&#-5;"_s << u"\uFFFD"_s;
    QTest::newRow("astral text passes") << u"\U0001F3B5 &amp; \U0001F3B6"_s << u"\U0001F3B5 & \U0001F3B6"_s;
}

void TestHtmlDecoding::decodeHTML()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(StringUtils::decodeHTML(text), expected);
}

// Every "&" looks for a ";" further on; a text full of "&" and without any ";"
// must still be handled in one pass, not one search per "&".
void TestHtmlDecoding::decodeHTMLIsLinearInAmpersands()
{
    const QString text(2'000'000, u'&');
    QCOMPARE(StringUtils::decodeHTML(text), text);
    const QString spaced = QString(u"& "_s).repeated(500'000) + u";"_s;
    QCOMPARE(StringUtils::decodeHTML(spaced), spaced);
}

void TestHtmlDecoding::replaceHTMLSymbols_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("address") << u"x%3A%2F%2Fy"_s << u"x://y"_s;
    QTest::newRow("plus") << u"a%2Bb"_s << u"a+b"_s;
    QTest::newRow("decoded percent is decoded again") << u"%252F"_s << u"/"_s;
    QTest::newRow("twice again") << u"%25252F!"_s << u"/!"_s;
    QTest::newRow("bad code vanishes") << u"100%zz"_s << u"100"_s;
    QTest::newRow("zero vanishes") << u"a%00b"_s << u"ab"_s;
    QTest::newRow("first digit only") << u"%4g"_s << u"\u0004"_s;
    QTest::newRow("lower case hex") << u"%2f"_s << u"/"_s;
    QTest::newRow("space then digit") << u"% 9x"_s << u"\tx"_s;
    QTest::newRow("0x prefix") << u"%0x41"_s << u"41"_s;
    QTest::newRow("utf-8 bytes as latin-1") << u"%C3%A9"_s << u"\u00C3\u00A9"_s;
    QTest::newRow("backslash escapes untouched") << u"a\\u0026b"_s << u"a\\u0026b"_s;
    QTest::newRow("percent at the end stays") << u"100%"_s << u"100%"_s;
    QTest::newRow("percent and one unit stay") << u"a%2"_s << u"a%2"_s;
    QTest::newRow("decoded percent at the end stays") << u"x%25"_s << u"x%"_s;
    QTest::newRow("decoded percent with one unit") << u"%252"_s << u"%2"_s;
    QTest::newRow("tail stops everything after it") << u"%%"_s << u"%%"_s;
    QTest::newRow("null") << QString() << u""_s;
    QTest::newRow("astral neighbours") << u"\U0001F600%41\U0001F600"_s << u"\U0001F600A\U0001F600"_s;
}

void TestHtmlDecoding::replaceHTMLSymbols()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QString decoded = StringUtils::replaceHTMLSymbols(text);
    QCOMPARE(decoded, expected);
    QVERIFY(!decoded.isNull());
    QCOMPARE(reference::replaceHTMLSymbols(text), text.isNull() ? QString() : expected);
}

// Texts dense in "%", "2", "5" and hex digits produce escapes that decode to
// "%" and chain with what follows; the single pass must match the repeated
// search from the start on all of them.
void TestHtmlDecoding::replaceHTMLSymbolsAgreesWithRepeatedSearch()
{
    const QString alphabet = u"%%%2255Ff0x z"_s;
    auto *random = QRandomGenerator::global();
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random->bounded(16);
        for (int i = 0; i < length; ++i)
            text.append(alphabet.at(random->bounded(int(alphabet.size()))));
        QCOMPARE(StringUtils::replaceHTMLSymbols(text), reference::replaceHTMLSymbols(text));
    }
}

QTEST_GUILESS_MAIN(TestHtmlDecoding)
#include "tst_htmldecoding.moc"
