#include "MediaProbe.h"
#include "TestMedia.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <future>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The bytes of a regular file; empty for anything else (opening a FIFO would
// wait for a writer).
QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMediaProbe : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(make(u"cover.jpg"_s, u"-f lavfi -i testsrc2=size=64x48 -frames:v 1"_s));
        // The cover copied as it is, so that its bytes are the JPEG's.
        QVERIFY(make(u"tagged.mp3"_s,
                     u"-f lavfi -i sine=d=2.6 -i %1/cover.jpg -map 0 -map 1 -c:v copy -disposition:v attached_pic"_s,
                     {u"title=  Жук на лугу  "_s, u"comment=Recorded at home"_s, u"artist=Ада"_s}));
        QVERIFY(make(u"plain.m4a"_s, u"-f lavfi -i sine=d=1.4 -c:a aac -map_metadata -1"_s));
        QVERIFY(make(u"long.opus"_s, u"-f lavfi -i sine=d=1.2 -c:a libopus"_s,
                     {u"title=  a"_s + u"𝄞"_s.repeated(600), u"comment="_s + QString(70'000, u'c')}));
        QVERIFY(TestMedia::makeMp4(file(u"video.mp4"_s), 2.6, 44100, 2, true));
        QVERIFY(make(u"silent.mp4"_s, u"-f lavfi -i testsrc2=size=160x120:rate=10:duration=2 -c:v mjpeg"_s,
                     {u"title=Silent"_s, u"description=Only pictures"_s}));
        QFile text(file(u"notes.txt"_s));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("Songs to find:\n- the harbour stage recording\n") > 0);
        QVERIFY(QFile(file(u"empty.mp3"_s)).open(QIODevice::WriteOnly));
        QVERIFY(QDir(m_dir.path()).mkdir(u"folder.mp3"_s));
        QCOMPARE(mkfifo(QFile::encodeName(file(u"fifo.mp3"_s)).constData(), 0600), 0);
    }

    void read_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QStringList>("tags"); // title, comment, artist
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("cover");

        const QStringList none{QString(), QString(), QString()};
        QTest::newRow("mp3, tags and a cover") << u"tagged.mp3"_s << QString() << true << false
                                              << QStringList{u"Жук на лугу"_s, u"Recorded at home"_s, u"Ада"_s}
                                              << qint64(3) << u"cover.jpg"_s;
        QTest::newRow("m4a without tags") << u"plain.m4a"_s << QString() << true << false << none << qint64(1)
                                          << QString();
        // Tags kept on the track, cut at a whole character: never half of a
        // pair of UTF-16 units.
        QTest::newRow("opus, long tags") << u"long.opus"_s << QString() << true << false
                                         << QStringList{u"a"_s + u"𝄞"_s.repeated(499), QString(65536, u'c'), QString()}
                                         << qint64(1) << QString();
        QTest::newRow("video with sound") << u"video.mp4"_s << QString() << true << true << none << qint64(3)
                                          << QString();
        QTest::newRow("video, description") << u"silent.mp4"_s << QString() << false << true
                                            << QStringList{u"Silent"_s, u"Only pictures"_s, QString()} << qint64(2)
                                            << QString();
        const QString unopened = u"cannot open the file"_s;
        const std::pair<QString, QString> failures[] = {
            {u"notes.txt"_s, unopened + u" (Invalid data found when processing input)"_s},
            {u"empty.mp3"_s, unopened + u" (Invalid argument)"_s},
            {u"missing.mp3"_s, u"the file is missing"_s},
            {u"folder.mp3"_s, unopened},
            {u"fifo.mp3"_s, unopened}};
        for (const auto &[name, failure] : failures)
            QTest::newRow(qPrintable(name)) << name << failure << false << false << none << qint64(0) << QString();
    }

    // Two threads read each file at once, and leave it as it was.
    void read()
    {
        QFETCH(QString, name);
        QFETCH(QString, failure);
        QFETCH(QString, cover);
        const QString path = file(name);
        const QByteArray before = contentOf(path);
        std::array<std::future<MediaProbe::Contents>, 2> reads;
        for (auto &read : reads)
            read = std::async(std::launch::async, &MediaProbe::read, path);
        for (auto &read : reads) {
            const MediaProbe::Contents contents = read.get();
            QCOMPARE(contents.isMedia, failure.isEmpty());
            QCOMPARE(contents.failure, failure);
            QTEST(contents.hasSound, "sound");
            QTEST(contents.hasPicture, "picture");
            QTEST((QStringList{contents.title, contents.comment, contents.artist}), "tags");
            QTEST(contents.seconds, "seconds");
            QCOMPARE(contents.cover, cover.isEmpty() ? QByteArray() : contentOf(file(cover)));
        }
        QCOMPARE(contentOf(path), before);
    }

private:
    QString file(const QString &name) const { return m_dir.filePath(name); }

    // ffmpeg with `arguments` (%1 is the folder), each of `tags`, and the file.
    bool make(const QString &name, const QString &arguments, const QStringList &tags = {}) const
    {
        QStringList all = arguments.arg(m_dir.path()).split(u' ');
        for (const QString &tag : tags)
            all << u"-metadata"_s << tag;
        return TestMedia::ffmpeg(all << file(name));
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestMediaProbe)
#include "tst_mediaprobe.moc"
