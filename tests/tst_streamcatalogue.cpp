#include "YoutubeQuality.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QString entry(const QString &quality, const QString &type, const QString &url)
{
    return u"url="_s + url + u"\\u0026quality="_s + quality + u"\\u0026type=video/"_s + type
        + u"; codecs=\"avc1.64001F, mp4a.40.2\"\\u0026itag=22,"_s;
}

QString configuration(const QStringList &entries)
{
    return u"\"url_encoded_fmt_stream_map\": \""_s + entries.join(QString()) + u"\", \"fmt_list\": \"x\""_s;
}

// Sizes handed out by address, as if a server answered.
YoutubeQuality::SizeProbe fakeProbe(QStringList *asked = nullptr)
{
    return [asked](const QString &url) -> qint64 {
        if (asked)
            asked->append(url);
        return url.endsWith(u"big"_s) ? 38'797'312 : 1000;
    };
}

QStringList qualities(const YoutubeQualityList &list)
{
    QStringList names;
    for (const YoutubeQualityPtr &q : list)
        names.append(YoutubeQuality::descriptionVideoQuality(q->youtubeVideoQuality()) + u'@' + q->videoURL());
    return names;
}

} // namespace

class TestStreamCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesMp4EntriesInPageOrder_data();
    void parsesMp4EntriesInPageOrder();
    void probesEveryStreamOnce();
    void qualityKeywords_data();
    void qualityKeywords();
    void choice_data();
    void choice();
    void description_data();
    void description();
};

void TestStreamCatalogue::parsesMp4EntriesInPageOrder_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("expected");

    const QString a = entry(u"medium"_s, u"mp4"_s, u"http://s/a"_s);
    const QString b = entry(u"hd720"_s, u"mp4"_s, u"http://s/b"_s);
    const QString c = entry(u"hd1080"_s, u"mp4"_s, u"http://s/c"_s);
    QTest::newRow("three mp4") << configuration({a, b, c})
                               << QStringList{u"360p@http://s/a"_s, u"720p (HD)@http://s/b"_s, u"1080p (HD)@http://s/c"_s};
    QTest::newRow("other containers skipped")
        << configuration({entry(u"hd720"_s, u"webm"_s, u"http://s/w"_s), a, entry(u"large"_s, u"x-flv"_s, u"http://s/f"_s)})
        << QStringList{u"360p@http://s/a"_s};
    QTest::newRow("only flv") << configuration({entry(u"large"_s, u"x-flv"_s, u"http://s/f"_s)}) << QStringList();
    QTest::newRow("type compared letter for letter")
        << u"url=http://s/a\\u0026quality=medium\\u0026TYPE=VIDEO/MP4;"_s << QStringList();
    QTest::newRow("marker near the end") << u"url=http://s/a\\u0026quality=small\\u0026type=video/mp4"_s
                                         << QStringList{u"240p@http://s/a"_s};
    QTest::newRow("unknown keyword skipped") << configuration({entry(u"hd2160"_s, u"mp4"_s, u"http://s/x"_s), a})
                                             << QStringList{u"360p@http://s/a"_s};
    QTest::newRow("no quality skipped") << u"url=http://s/a\\u0026type=video/mp4;"_s << QStringList();
    QTest::newRow("no address kept") << u"quality=medium\\u0026type=video/mp4;"_s << QStringList{u"360p@"_s};
    QTest::newRow("duplicates kept") << configuration({a, a}) << QStringList{u"360p@http://s/a"_s, u"360p@http://s/a"_s};
    QTest::newRow("no marker") << u"url=http://s/a\\u0026quality=medium"_s << QStringList();
    QTest::newRow("empty") << QString() << QStringList();
}

void TestStreamCatalogue::parsesMp4EntriesInPageOrder()
{
    QFETCH(QString, content);
    QFETCH(QStringList, expected);
    QCOMPARE(qualities(YoutubeQuality::youtubeQualityListFromObjectContent(content, fakeProbe())), expected);
}

void TestStreamCatalogue::probesEveryStreamOnce()
{
    QStringList asked;
    const YoutubeQualityList list = YoutubeQuality::youtubeQualityListFromObjectContent(
        configuration({entry(u"medium"_s, u"mp4"_s, u"http://s/a"_s), entry(u"hd720"_s, u"mp4"_s, u"http://s/big"_s),
                       entry(u"large"_s, u"webm"_s, u"http://s/w"_s), u"quality=small\\u0026type=video/mp4;"_s}),
        fakeProbe(&asked));
    // Skipped entries and entries without an address cost no request.
    QCOMPARE(asked, (QStringList{u"http://s/a"_s, u"http://s/big"_s}));
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[0]->fileContentSize(), 1000);
    QCOMPARE(list[1]->fileContentSize(), 38'797'312);
    QCOMPARE(list[2]->fileContentSize(), 0);
}

void TestStreamCatalogue::qualityKeywords_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("quality");

    QTest::newRow("small") << u"small"_s << int(Quality240p);
    QTest::newRow("medium") << u"medium"_s << int(Quality360p);
    QTest::newRow("large") << u"large"_s << int(Quality480p);
    QTest::newRow("capitals and white space") << u"  HD720\t"_s << int(Quality720p);
    QTest::newRow("further letters") << u"hd1080p60"_s << int(Quality1080p);
    QTest::newRow("4k") << u"4K"_s << int(Quality4K);
    QTest::newRow("unknown word") << u"highres"_s << int(QualityNone);
    QTest::newRow("keyword not at the start") << u"xsmall"_s << int(QualityNone);
    QTest::newRow("empty") << QString() << int(QualityNone);
}

void TestStreamCatalogue::qualityKeywords()
{
    QFETCH(QString, keyword);
    QFETCH(int, quality);
    QCOMPARE(int(YoutubeQuality::videoQualityFromString(keyword)), quality);
}

void TestStreamCatalogue::choice_data()
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

void TestStreamCatalogue::choice()
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
    if (chosenIndex < 0)
        QVERIFY(!chosen);
    else
        QCOMPARE(chosen.get(), list.at(chosenIndex + 1).get()); // the list's own entry
}

void TestStreamCatalogue::description_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("quality");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("expected");

    QTest::newRow("37 Mb") << int(VideoTypeMP4) << int(Quality720p) << qint64(38'797'312) << u"MP4 (720p (HD)); 37 Mb"_s;
    QTest::newRow("under a mebibyte") << int(VideoTypeMP4) << int(Quality360p) << qint64(1'048'575) << u"MP4 (360p); 0 Mb"_s;
    QTest::newRow("size unknown") << int(VideoTypeMP4) << int(Quality360p) << qint64(0) << u"MP4 (360p)"_s;
    QTest::newRow("no length announced") << int(VideoTypeMP4) << int(Quality4K) << qint64(-1) << u"MP4 (4K)"_s;
    QTest::newRow("over 2 GiB") << int(VideoTypeMP4) << int(Quality4K) << qint64(5'000'000'000) << u"MP4 (4K); 4768 Mb"_s;
    QTest::newRow("flv") << int(VideoTypeFLV) << int(Quality240p) << qint64(0) << u"FLV (240p)"_s;
    QTest::newRow("unknown values") << 7 << 9 << qint64(0) << u" ()"_s;
}

void TestStreamCatalogue::description()
{
    QFETCH(int, type);
    QFETCH(int, quality);
    QFETCH(qint64, size);
    QFETCH(QString, expected);
    QCOMPARE(YoutubeQuality(YoutubeVideoType(type), YoutubeVideoQuality(quality), u"u"_s, size).description(), expected);
}

QTEST_GUILESS_MAIN(TestStreamCatalogue)
#include "tst_streamcatalogue.moc"
