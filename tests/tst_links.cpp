#include "YoutubeDownloader.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestLinks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isYoutubeURLValid_data();
    void isYoutubeURLValid();
    void parseYoutubeCodeFromURL_data();
    void parseYoutubeCodeFromURL();
    void youtubesURLsFromText_data();
    void youtubesURLsFromText();
};

void TestLinks::isYoutubeURLValid_data()
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
    QTest::newRow("other site") << u"http://www.example.com/watch?v=a1B2c3D4e_-"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestLinks::isYoutubeURLValid()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(YoutubeDownloader::isYoutubeURLValid(text), valid);
}

void TestLinks::parseYoutubeCodeFromURL_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("code");

    QTest::newRow("further parameter") << u"http://www.youtube.com/watch?v=a1B2c3D4e_-&feature=related"_s
                                       << u"a1B2c3D4e_-"_s;
    QTest::newRow("mask in capitals") << u"http://WWW.YOUTUBE.COM/WATCH?V=abcdefghijk"_s << u"abcdefghijk"_s;
    QTest::newRow("user page") << u"my channel: http://www.youtube.com/user/someone"_s << QString();
    QTest::newRow("second mask") << u"http://www.youtube.com/watch?feature=player&v=Zz9-_x8Yy7w"_s
                                 << u"Zz9-_x8Yy7w"_s;
    QTest::newRow("ends before a point") << u"http://youtube.com/watch?v=abc.def"_s << u"abc"_s;
    QTest::newRow("runs to the end") << u"http://youtube.com/watch?v=abc"_s << u"abc"_s;
    QTest::newRow("no length limit") << u"http://youtube.com/watch?v=abcdefghijklmnop"_s << u"abcdefghijklmnop"_s;
    QTest::newRow("accented letter ends the code") << u"http://youtube.com/watch?v=abcé"_s << u"abc"_s;
    QTest::newRow("first mask wins") << u"http://youtube.com/watch?v=first&v=second"_s << u"first"_s;
    QTest::newRow("empty first code falls back") << u"http://youtube.com/watch?v=&v=second"_s << u"second"_s;
    QTest::newRow("sharp s earlier in the text") << u"Grüße: http://www.youtube.com/watch?v=abcdefghijk"_s
                                                << u"abcdefghijk"_s;
    QTest::newRow("ligature earlier in the text") << u"ﬁne ﬂow http://youtube.com/watch?v=abc-1_2 x"_s
                                                 << u"abc-1_2"_s;
    QTest::newRow("dotless i counts as a letter") << u"http://youtube.com/watch?v=abıc"_s << u"abıc"_s;
    QTest::newRow("astral characters before") << u"\U0001F3B5\U0001F3B5 http://youtube.com/watch?v=xyz"_s
                                              << u"xyz"_s;
}

void TestLinks::parseYoutubeCodeFromURL()
{
    QFETCH(QString, url);
    QFETCH(QString, code);
    QCOMPARE(YoutubeDownloader::parseYoutubeCodeFromURL(url), code);
}

void TestLinks::youtubesURLsFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("links");

    const QString first = u"http://www.youtube.com/watch?v=a1B2c3D4e_-"_s;
    const QString second = u"http://youtube.com/watch?v=Zz9-_x8Yy7w"_s;
    QTest::newRow("five lines") << u"  "_s + first + u" \t\r\n\nsome other words\n"_s + second + u"\n"_s + first
                                << QStringList{first, second, first};
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("no links") << u"a\nb\n"_s << QStringList();
    QTest::newRow("unicode line separator is not a line break")
        << first + u"\u2028"_s + second << QStringList{first + u"\u2028"_s + second};
}

void TestLinks::youtubesURLsFromText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, links);
    QCOMPARE(YoutubeDownloader::youtubesURLsFromText(text), links);
}

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
