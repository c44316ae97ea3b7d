#include "ID3V1Tag.h"
#include "ID3V2CommentFrame.h"
#include "ID3V2ImageFrame.h"
#include "ID3V2Tag.h"
#include "ID3V2TextFrame.h"
#include "ID3V2URLFrame.h"
#include "Mutagen.h"
#include "SiteFixture.h"
#include "StringUtils.h"
#include "TestMedia.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/urllinkframe.h>

#include <atomic>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString CoverURL = u"http://i.ytimg.com/vi/tagged/hqdefault.jpg"_s;
const QString PageURL = u"http://www.youtube.com/watch?v=a1B2c3D4e_-&feature=related"_s;

std::shared_ptr<ID3V2Frame> frameWith(const QString &id, const QString &text)
{
    std::shared_ptr<ID3V2Frame> frame;
    if (id == u"WXXX")
        frame = std::make_shared<ID3V2URLFrame>(id);
    else if (id == u"COMM")
        frame = std::make_shared<ID3V2CommentFrame>(id);
    else
        frame = std::make_shared<ID3V2TextFrame>(id);
    frame->setFrameContent(text);
    return frame;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestTags : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void frames_data();
    void frames();
    void byteRearrangers_data();
    void byteRearrangers();
    void tagAssembly();
    void largeTagSizeIsSynchsafe();
    void rewriteFailuresLeaveTheFile();
    void id3v1Layout();
    void id3v1Fields_data();
    void id3v1Fields();
    void genres_data();
    void genres();
    void readersAgree_data();
    void readersAgree();
    void coverFetchGivesUp();

private:
    QString mp3Copy(const QString &name) const;

    std::unique_ptr<SiteFixture> m_fixture;
    QTemporaryDir m_dir;
};

void TestTags::initTestCase()
{
    m_fixture = std::make_unique<SiteFixture>();
    QVERIFY(m_fixture->isReady());
    QVERIFY(TestMedia::ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=d=1"_s, u"-c:a"_s, u"libmp3lame"_s,
                               u"-write_xing"_s, u"0"_s, u"-id3v2_version"_s, u"0"_s, m_dir.filePath(u"plain.mp3"_s)}));
}

QString TestTags::mp3Copy(const QString &name) const
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    QFile::copy(m_dir.filePath(u"plain.mp3"_s), path);
    return path;
}

void TestTags::frames_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("title") << u"TIT2"_s << u"Song"_s << QByteArray::fromHex("544954320000000500000053 6f6e67");
    QTest::newRow("url") << u"WXXX"_s << u"http://a.b"_s
                         << QByteArray::fromHex("575858580000000c00000000") + "http://a.b";
    QTest::newRow("comment") << u"COMM"_s << u"Hi"_s << QByteArray::fromHex("434f4d4d000000070000 00656e67004869");
    QTest::newRow("empty title") << u"TIT2"_s << QString() << QByteArray();
    QTest::newRow("latin-1 title") << u"TIT2"_s << u"Café"_s << QByteArray::fromHex("5449543200000005000000436166e9");
    QTest::newRow("cyrillic title") << u"TIT2"_s << u"Жук"_s
                                    << QByteArray::fromHex("54495432000000090000 01fffe1604 4304 3a04");
    QTest::newRow("cyrillic comment") << u"COMM"_s << u"Я"_s
                                      << QByteArray::fromHex("434f4d4d0000000c0000 01 656e67 fffe 0000 fffe 2f04");
    QTest::newRow("url beyond latin-1") << u"WXXX"_s << u"http://a/Ж"_s
                                        << QByteArray::fromHex("57585858000000110000 0000") + "http://a/%D0%96";
}

void TestTags::frames()
{
    QFETCH(QString, id);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const auto frame = frameWith(id, text);
    QCOMPARE(frame->frameData(), bytes);
    QCOMPARE(frame->contentSize(), qMax(0, int(bytes.size()) - 10));
    QCOMPARE(frame->frameTotalSize(), frame->contentSize() + 10);
}

void TestTags::byteRearrangers_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<bool>("synchsafe");
    QTest::addColumn<QByteArray>("onDisk");

    QTest::newRow("257 synchsafe") << 257 << true << QByteArray::fromHex("00000201");
    QTest::newRow("2^21 synchsafe") << (1 << 21) << true << QByteArray::fromHex("01000000");
    QTest::newRow("20078 synchsafe") << 20078 << true << QByteArray::fromHex("00011c6e");
    QTest::newRow("70000 big-endian") << 70000 << false << QByteArray::fromHex("00011170");
    QTest::newRow("high bit big-endian") << qint32(0x80000001) << false << QByteArray::fromHex("80000001");
}

void TestTags::byteRearrangers()
{
    QFETCH(qint32, value);
    QFETCH(bool, synchsafe);
    QFETCH(QByteArray, onDisk);
    QByteArray data;
    StringUtils::writeIntToMutableData(synchsafe ? ID3V2Frame::reverseBytesForIntegerValue(value)
                                                 : ID3V2Frame::reverseBytesForIntegerValueFull(value),
                                       data, 4);
    QCOMPARE(data, onDisk);
}

void TestTags::tagAssembly()
{
    const QString path = mp3Copy(u"assembly.mp3"_s);
    const QByteArray audio = fileBytes(path);
    ID3V2Tag tag(path);
    tag.setTitle(u"Song"_s);
    tag.setComment(u"Hi"_s);
    tag.setURL(u"http://a.b"_s);
    tag.setYear(u"2012"_s);
    QByteArray expected = QByteArray::fromHex("49443303000000000036") + frameWith(u"TIT2"_s, u"Song"_s)->frameData()
        + frameWith(u"COMM"_s, u"Hi"_s)->frameData() + frameWith(u"WXXX"_s, u"http://a.b"_s)->frameData();
    QCOMPARE(tag.buidTagData(), expected);
    QVERIFY(tag.saveTags());
    QCOMPARE(fileBytes(path), expected + audio);

    // With a cover: an APIC frame at the end, counted in the size.
    QVERIFY(tag.addImageByURL(CoverURL));
    const QByteArray jpeg = tag.imagesArray().first();
    const QByteArray withCover = tag.buidTagData();
    const qint32 size = 54 + 10 + 14 + qint32(jpeg.size());
    QByteArray sizeBytes;
    StringUtils::writeIntToMutableData(ID3V2Frame::reverseBytesForIntegerValue(size), sizeBytes, 4);
    QCOMPARE(withCover.mid(6, 4), sizeBytes);
    QCOMPARE(withCover.size(), 10 + size);
    QVERIFY(withCover.endsWith(jpeg));
    QCOMPARE(withCover.mid(10 + 54, 24), QByteArray("APIC") + QByteArray::fromHex(QByteArray::number(14 + jpeg.size(), 16).rightJustified(8, '0'))
                                             + QByteArray::fromHex("0000") + QByteArray(1, 0) + "image/jpeg" + QByteArray::fromHex("000300"));
}

void TestTags::largeTagSizeIsSynchsafe()
{
    ID3V2Tag tag(m_dir.filePath(u"unused.mp3"_s));
    tag.setComment(QString(2'200'000, u'x'));
    const QByteArray data = tag.buidTagData();
    const QByteArray size = data.mid(6, 4);
    QVERIFY(size.at(0) != 0);
    for (char byte : size)
        QVERIFY((byte & 0x80) == 0);
    const qint64 decoded = (qint64(size[0]) << 21) | (qint64(size[1]) << 14) | (qint64(size[2]) << 7) | size[3];
    QCOMPARE(decoded, data.size() - 10);
}

void TestTags::rewriteFailuresLeaveTheFile()
{
    // A missing file is not made.
    const QString missing = m_dir.filePath(u"missing.mp3"_s);
    ID3V2Tag tag(missing);
    tag.setTitle(u"x"_s);
    QVERIFY(!tag.saveTags());
    QVERIFY(!QFile::exists(missing));
    ID3V1Tag trailer(missing);
    QVERIFY(!trailer.saveTags());
    QVERIFY(!QFile::exists(missing));

    // No room for a temporary name beside a file whose name is at the limit:
    // the rewrite fails and the file stays as it was.
    const QString longName = m_dir.filePath(QString(250, u'n') + u".mp3"_s);
    QVERIFY(writeFile(longName, "audio"));
    ID3V2Tag full(longName);
    full.setTitle(u"x"_s);
    QVERIFY(!full.saveTags());
    QVERIFY(!full.errorString().isEmpty());
    QCOMPARE(fileBytes(longName), "audio");
    QCOMPARE(QDir(m_dir.path()).entryList({u"nnn*"_s}, QDir::Files | QDir::Hidden).size(), 1);
}

void TestTags::id3v1Layout()
{
    const QString path = m_dir.filePath(u"v1.mp3"_s);
    QVERIFY(writeFile(path, QByteArray(1000, 'a')));
    ID3V1Tag tag(path);
    tag.setTitle(u"Hello"_s);
    tag.setComment(u"World"_s);
    const QByteArray expected = "TAG" + QByteArray("Hello").leftJustified(30, '\0') + QByteArray(64, '\0')
        + QByteArray("World").leftJustified(30, '\0') + QByteArray(1, '\x0c');
    QCOMPARE(expected.size(), 128);
    QCOMPARE(tag.createDataForWriteToFile(), expected);
    QVERIFY(tag.saveTags());
    QCOMPARE(fileBytes(path), QByteArray(1000, 'a') + expected);
}

void TestTags::id3v1Fields_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QByteArray>("titleBytes");
    QTest::addColumn<QByteArray>("yearBytes");

    QTest::newRow("long title cut") << QString(40, u't') << u"20120"_s << QByteArray(30, 't') << QByteArray("2012");
    QTest::newRow("latin-1 kept") << u"Ünïcödé"_s << QString() << QByteArray::fromHex("dc6eef63f664e9").leftJustified(30, '\0')
                                  << QByteArray(4, '\0');
    QTest::newRow("beyond latin-1 marked") << u"Жук €"_s << u"99"_s << QByteArray("??? ?").leftJustified(30, '\0')
                                           << QByteArray("99\0\0", 4);
}

void TestTags::id3v1Fields()
{
    QFETCH(QString, title);
    QFETCH(QString, year);
    QFETCH(QByteArray, titleBytes);
    QFETCH(QByteArray, yearBytes);
    ID3V1Tag tag(QString{});
    tag.setTitle(title);
    tag.setYear(year);
    const QByteArray data = tag.createDataForWriteToFile();
    QCOMPARE(data.size(), 128);
    QCOMPARE(data.mid(3, 30), titleBytes);
    QCOMPARE(data.mid(93, 4), yearBytes);
}

void TestTags::genres_data()
{
    QTest::addColumn<QString>("genre");
    QTest::addColumn<int>("index");

    QTest::newRow("first") << u"Blues"_s << 0;
    QTest::newRow("last named") << u"SynthPop"_s << 147;
    QTest::newRow("misspelt on purpose") << u"Psychadelic"_s << 67;
    QTest::newRow("case matters") << u"other"_s << 12;
    QTest::newRow("unknown") << u"Unknown"_s << 12;
    QTest::newRow("null") << QString() << 12;
    QTest::newRow("empty") << u""_s << 148;
}

void TestTags::genres()
{
    QFETCH(QString, genre);
    QFETCH(int, index);
    QCOMPARE(ID3V1Tag::genresArray().size(), 149);
    QCOMPARE(ID3V1Tag::genreIndexForGenre(genre), index);
}

void TestTags::readersAgree_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("v1Title");

    QTest::newRow("ascii") << u"Plain Song (Live)"_s << u"Line one\nline two"_s << u"Plain Song (Live)"_s;
    QTest::newRow("latin-1") << u"Café für Zoë"_s << u"Crème brûlée"_s << u"Café für Zoë"_s;
    QTest::newRow("cyrillic") << u"Кино — Группа крови"_s << u"Описание"_s << u"???? ? ?????? ?????"_s;
    QTest::newRow("japanese and emoji") << u"夜に駆ける \U0001F3B5"_s << u"説明文"_s << u"????? ??"_s;
}

void TestTags::readersAgree()
{
    QFETCH(QString, title);
    QFETCH(QString, comment);
    QFETCH(QString, v1Title);
    const QString path = mp3Copy(u"agree.mp3"_s);
    ID3V2Tag tag(path);
    tag.setTitle(title);
    tag.setURL(PageURL);
    tag.setComment(comment);
    QVERIFY(tag.addImageByURL(CoverURL));
    QVERIFY(tag.saveTags());
    ID3V1Tag trailer(path);
    trailer.setTitle(title);
    trailer.setComment(comment);
    QVERIFY(trailer.saveTags());

    const QJsonObject mutagen = mutagenRead(path);
    QCOMPARE(mutagen.value(u"version"_s).toInt(), 3);
    QCOMPARE(mutagen.value(u"title"_s).toString(), title);
    QCOMPARE(mutagen.value(u"url"_s).toString(), PageURL);
    QCOMPARE(mutagen.value(u"comment"_s).toString(), comment);
    QCOMPARE(mutagen.value(u"cover_mime"_s).toString(), u"image/jpeg"_s);
    QCOMPARE(mutagen.value(u"cover_type"_s).toInt(), 3);
    const QImage mutagenCover = QImage::fromData(QByteArray::fromHex(mutagen.value(u"cover_hex"_s).toString().toLatin1()), "JPEG");
    QCOMPARE(mutagenCover.size(), QSize(480, 360));
    QCOMPARE(mutagen.value(u"v1"_s).toString(), u"TAG"_s);
    QCOMPARE(mutagen.value(u"v1_title"_s).toString(), v1Title.left(30));

    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    QVERIFY(file.isValid() && file.hasID3v2Tag() && file.hasID3v1Tag());
    TagLib::ID3v2::Tag *v2 = file.ID3v2Tag();
    QCOMPARE(QString::fromStdString(v2->title().to8Bit(true)), title);
    QCOMPARE(QString::fromStdString(v2->comment().to8Bit(true)), comment);
    const auto urls = v2->frameListMap()["WXXX"];
    QCOMPARE(urls.size(), 1u);
    QCOMPARE(QString::fromStdString(static_cast<TagLib::ID3v2::UserUrlLinkFrame *>(urls.front())->url().to8Bit(true)), PageURL);
    const auto pictures = v2->frameListMap()["APIC"];
    QCOMPARE(pictures.size(), 1u);
    const TagLib::ByteVector picture = static_cast<TagLib::ID3v2::AttachedPictureFrame *>(pictures.front())->picture();
    QVERIFY(!QImage::fromData(QByteArray(picture.data(), int(picture.size())), "JPEG").isNull());
    QCOMPARE(QString::fromStdString(file.ID3v1Tag()->title().to8Bit(true)), v1Title.left(30));
}

void TestTags::coverFetchGivesUp()
{
    ID3V2Tag tag(m_dir.filePath(u"unused.mp3"_s));
    // Not a picture.
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

QTEST_GUILESS_MAIN(TestTags)
#include "tst_tags.moc"
