#include "ID3V1Tag.h"
#include "ID3V2CommentFrame.h"
#include "ID3V2Tag.h"
#include "ID3V2TextFrame.h"
#include "ID3V2URLFrame.h"
#include "SiteFixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString CoverURL = u"http://i.ytimg.com/vi/tagged/hqdefault.jpg"_s;

} // namespace

class TestTags : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
    }

    void frames_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("empty title") << u"TIT2"_s << QString() << QByteArray();
        QTest::newRow("latin-1 title") << u"TIT2"_s << u"Café"_s << QByteArray::fromHex("5449543200000005000000436166e9");
        QTest::newRow("cyrillic title") << u"TIT2"_s << u"Жук"_s
                                        << QByteArray::fromHex("54495432000000090000 01fffe1604 4304 3a04");
        QTest::newRow("cyrillic comment") << u"COMM"_s << u"Я"_s
                                          << QByteArray::fromHex("434f4d4d0000000c0000 01 656e67 fffe 0000 fffe 2f04");
        QTest::newRow("url beyond latin-1") << u"WXXX"_s << u"http://a/Ж"_s
                                            << QByteArray::fromHex("57585858000000110000 0000") + "http://a/%D0%96";
        // A NUL ends ID3v2.3 text: "B" would be lost to every reader.
        QTest::newRow("nul left out") << u"TIT2"_s << u"A\u0000B"_s << QByteArray::fromHex("54495432000000030000 00 4142");
        QTest::newRow("only a nul") << u"COMM"_s << u"\u0000"_s << QByteArray();
        QTest::newRow("url QUrl cannot parse") << u"WXXX"_s << u"//\uFFFD"_s
                                               << QByteArray::fromHex("575858580000000d0000 0000") + "//%EF%BF%BD";
    }

    void frames()
    {
        QFETCH(QString, id);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        std::unique_ptr<ID3V2Frame> frame;
        if (id == u"WXXX")
            frame = std::make_unique<ID3V2URLFrame>(id);
        else if (id == u"COMM")
            frame = std::make_unique<ID3V2CommentFrame>(id);
        else
            frame = std::make_unique<ID3V2TextFrame>(id);
        frame->setFrameContent(text);
        QCOMPARE(frame->frameData(), bytes);
    }

    void tagAssembly()
    {
        ID3V2Tag tag;
        tag.setTitle(u"Song"_s);
        tag.setComment(u"Hi"_s);
        tag.setURL(u"http://a.b"_s);
        tag.setYear(u"2012"_s);
        // Title, comment and URL frames, in that order.
        const QByteArray expected = QByteArray::fromHex("49443303000000000036" "544954320000000500000053 6f6e67"
                                                        "434f4d4d000000070000 00656e67004869 575858580000000c00000000")
            + "http://a.b";
        QCOMPARE(tag.buildTagData(), expected);

        // With a cover: an APIC frame at the end, counted in the size.
        QVERIFY(tag.addImageByURL(CoverURL));
        const QByteArray jpeg = tag.imagesArray().first();
        QVERIFY(jpeg.startsWith("\xff\xd8"));
        const QByteArray withCover = tag.buildTagData();
        QCOMPARE(withCover.size(), 10 + 54 + 10 + 14 + jpeg.size());
        const QByteArray apicSize = QByteArray::fromHex(QByteArray::number(14 + jpeg.size(), 16).rightJustified(8, '0'));
        QCOMPARE(withCover.mid(10 + 54), "APIC" + apicSize + QByteArray("\0\0\0image/jpeg\0\x03\0", 16) + jpeg);
    }

    void largeTagSizeIsSynchsafe()
    {
        ID3V2Tag tag;
        tag.setComment(QString(2'200'000, u'x'));
        const QByteArray data = tag.buildTagData();
        QCOMPARE(data.size(), 10 + 2'200'015);
        QCOMPARE(data.mid(6, 4), QByteArray::fromHex("0106234f"));
    }

    void id3v1_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("read"); // by TagLib and by mutagen

        // The title cut to 30 bytes of one byte per unit, "?" beyond Latin-1;
        // the genre "Other" when none is set.
        QTest::newRow("title cut") << u"Ünïcödé Жук "_s + QString(40, u't') << u"World"_s
                                   << "TAG" + QByteArray::fromHex("dc6eef63f664e9203f3f3f20") + QByteArray(18, 't')
                                          + QByteArray(60, '\0') + "2012" + QByteArray("World").leftJustified(30, '\0') + '\x0c'
                                   << u"World track 0"_s;
        // Filling all 30 bytes, "(" would read as track 40.
        QTest::newRow("comment cut before the track")
            << u"Song"_s << QString(29, u'c') + u'('
            << "TAGSong" + QByteArray(86, '\0') + "2012" + QByteArray(28, 'c') + QByteArray(2, '\0') + '\x0c'
            << QString(28, u'c') + u" track 0"_s;
    }

    void id3v1()
    {
        QFETCH(QString, title);
        QFETCH(QString, comment);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, read);
        ID3V1Tag tag;
        tag.setTitle(title);
        tag.setYear(u"20120"_s);
        tag.setComment(comment);
        const QByteArray written = tag.createDataForWriteToFile();
        QCOMPARE(written, bytes);

        QTemporaryDir folder;
        const QString path = folder.filePath(u"tagged.mp3"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(written) == written.size());
        file.close();
        TagLib::MPEG::File tagLib(QFile::encodeName(path).constData());
        QVERIFY(tagLib.hasID3v1Tag());
        const TagLib::Tag *v1 = tagLib.ID3v1Tag();
        QCOMPARE(u"%1 track %2"_s.arg(QString::fromStdString(v1->comment().to8Bit(true))).arg(v1->track()), read);
        QProcess mutagen;
        const QString script = u"import mutagen.id3, sys; t = mutagen.id3.ID3(sys.argv[1]); "
                               "print(t.getall('COMM')[0], 'track', t.get('TRCK', 0))"_s;
        mutagen.start(u"/usr/bin/python3"_s, {u"-c"_s, script, path});
        QVERIFY(mutagen.waitForFinished(30'000));
        QCOMPARE(QString::fromUtf8(mutagen.readAllStandardOutput()).trimmed(), read);
    }

    void coverFetchGivesUp()
    {
        ID3V2Tag tag;
        QVERIFY(!tag.addImageByURL(u"http://www.youtube.com/watch?v=notapicture"_s));
        QVERIFY(!tag.addImageByURL(u"file:///etc/hostname"_s));
        // A stalled answer: the time limit, then a removal.
        m_fixture->site.addFault(*SiteFault::parse(u"path=/vi/,stall-after=100"_s));
        QVERIFY(!tag.addImageByURL(CoverURL, {}, 300ms));
        std::atomic<int> looks = 0;
        QVERIFY(!tag.addImageByURL(CoverURL, [&looks] { return ++looks > 2; }));
        QVERIFY(tag.imagesArray().isEmpty());
        m_fixture->site.clearFaults();
    }

private:
    std::unique_ptr<SiteFixture> m_fixture;
};

QTEST_GUILESS_MAIN(TestTags)
#include "tst_tags.moc"
