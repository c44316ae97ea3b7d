#include "ReferenceDecoders.h"
#include "StringUtils.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Random texts over a small alphabet of the characters that matter to a
// decoder, so that its special cases meet, overlap and chain.
QString randomText(const QString &alphabet, int maxLength)
{
    QString text;
    const int length = QRandomGenerator::global()->bounded(maxLength);
    for (int i = 0; i < length; ++i)
        text.append(alphabet.at(QRandomGenerator::global()->bounded(int(alphabet.size()))));
    return text;
}

} // namespace

class TestText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseTagValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("close"); // null: to the end of the text
        QTest::addColumn<QString>("expected");

        const QString title = u"<title>"_s;
        const QString endTitle = u"</title>"_s;
        QTest::newRow("case-insensitive") << u"a<TITLE>x</title>b"_s << title << endTitle << u"x"_s;
        QTest::newRow("close missing") << u"a<title>x"_s << title << endTitle << QString();
        QTest::newRow("close only before open") << u"</title>a<title>x"_s << title << endTitle << QString();
        QTest::newRow("empty open tag") << u"abc"_s << u""_s << u"c"_s << QString();
        QTest::newRow("positions after astral characters")
            << u"\U0001F600\U0001F600<t>\U0001F3B5x</T>"_s << u"<t>"_s << u"</t>"_s << u"\U0001F3B5x"_s;
        QTest::newRow("to the end") << u"key=abc&x=1"_s << u"KEY="_s << QString() << u"abc&x=1"_s;
        QTest::newRow("to the end, empty open tag") << u"abc"_s << u""_s << QString() << QString();
    }

    void parseTagValue()
    {
        QFETCH(QString, text);
        QFETCH(QString, open);
        QFETCH(QString, close);
        QFETCH(QString, expected);
        QCOMPARE(close.isNull() ? StringUtils::parseTagValueFromText(text, open)
                                : StringUtils::parseTagValueFromText(text, open, close),
                 expected);
    }

    void removeTags_data()
    {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<QString>("expected");

        QTest::newRow("tags and a link") << u"a<b>bold</b> <a href=\"/x\">this</a>."_s << u"abold this."_s;
        QTest::newRow("line breaks") << u"line1<br />line2<BR />line3"_s << u"line1\nline2\nline3"_s;
        QTest::newRow("entities") << u"x &#38; y&#160;z &#34;hi&#34;"_s << u"x & y z \"hi\""_s;
        QTest::newRow("lone less-than") << u"a < b"_s << u"a < b"_s;
        QTest::newRow("tag runs to the next closer") << u"a <b c<i>x</i>"_s << u"a x"_s;
        QTest::newRow("deletion forms a closing tag") << u"x<</a>/b>y"_s << u"xy"_s;
        QTest::newRow("first closer ends the tag") << u"a<<b>c>d"_s << u"ac>d"_s;
    }

    void removeTags()
    {
        QFETCH(QString, markup);
        QFETCH(QString, expected);
        QCOMPARE(StringUtils::removeTags(markup), expected);
    }

    void decodeHTML_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("named") << u"Tom &amp; &quot;Jerry&quot; &lt;b&gt;"_s << u"Tom & \"Jerry\" <b>"_s;
        QTest::newRow("decimal") << u"l&#39;été &#039;"_s << u"l'été '"_s;
        QTest::newRow("latin-1 names") << u"caf&eacute; &iexcl;&times;&yuml;&nbsp;"_s << u"café \u00A1\u00D7\u00FF "_s;
        QTest::newRow("names are case-sensitive") << u"&Auml;&auml;&AMP;"_s << u"\u00C4\u00E4\u001F"_s;
        QTest::newRow("dashes and ellipsis keep the semicolon") << u"a&mdash;b&ndash;c&hellip;"_s << u"a-;b-;c...;"_s;
        QTest::newRow("hex reference reads as zero") << u"&#x27;"_s << QString(QChar(u'\0'));
        QTest::newRow("no semicolon") << u"AT&T rocks"_s << u"AT&T rocks"_s;
        QTest::newRow("white space ends the name") << u"Tom & Jerry; x&b c;y"_s << u"Tom & Jerry; x&b c;y"_s;
        QTest::newRow("everything up to the semicolon is the name") << u"x&b<i>c;y"_s << u"x\u001Fy"_s;
        QTest::newRow("empty name and trailing ampersand") << u"a&;b&"_s << u"a&;b&"_s;
        QTest::newRow("one level only") << u"&amp;lt;"_s << u"&lt;"_s;
        QTest::newRow("astral reference") << u"&#128512;"_s << u"\U0001F600"_s;
        QTest::newRow("lone surrogate reference") << u"&#55357;x"_s << u"\uFFFDx"_s;
        QTest::newRow("beyond unicode") << u"&#1114112;&#99999999999999999999999;&#-5;"_s << u"\uFFFD\uFFFD\uFFFD"_s;
    }

    void decodeHTML()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(StringUtils::decodeHTML(text), expected);
    }

    void replaceHTMLSymbols_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("address") << u"x%3A%2F%2Fy%2b"_s << u"x://y+"_s;
        QTest::newRow("decoded percent is decoded again") << u"%25252F!"_s << u"/!"_s;
        QTest::newRow("bad code vanishes") << u"100%zz"_s << u"100"_s;
        QTest::newRow("utf-8 bytes as latin-1") << u"%C3%A9"_s << u"\u00C3\u00A9"_s;
        QTest::newRow("percent at the end stays") << u"100%"_s << u"100%"_s;
        QTest::newRow("null") << QString() << u""_s;
        QTest::newRow("astral neighbours") << u"\U0001F600%41\U0001F600"_s << u"\U0001F600A\U0001F600"_s;
    }

    void replaceHTMLSymbols()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString decoded = StringUtils::replaceHTMLSymbols(text);
        QCOMPARE(decoded, expected);
        QVERIFY(!decoded.isNull());
    }

    // The linear decoders give what the literal rules give: search the whole text
    // again from its start after every change.
    void fastDecodersAgreeWithRepeatedSearch()
    {
        for (int round = 0; round < 20000; ++round) {
            const QString text = randomText(u"%%%2255Ff0x z"_s, 16);
            QCOMPARE(StringUtils::replaceHTMLSymbols(text), reference::replaceHTMLSymbols(text));
        }
        for (int round = 0; round < 5000; ++round) {
            const QString markup = randomText(u"<</>>ab &#160;"_s, 30);
            QCOMPARE(StringUtils::removeTags(markup), reference::removeTags(markup));
        }
        // Every "&" looks for a ";" further on: a text full of them stays linear.
        const QString ampersands(2'000'000, u'&');
        QCOMPARE(StringUtils::decodeHTML(ampersands), ampersands);
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
