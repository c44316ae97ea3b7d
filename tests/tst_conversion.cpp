#include "AudioConverter.h"
#include "Mutagen.h"
#include "NotificationCenter.h"
#include "RecordingOwner.h"
#include "SiteFixture.h"
#include "TestMedia.h"
#include "YoutubeConstants.h"
#include "YoutubeDownloader.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int TimeoutMs = 60'000;


} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void mp3_data();
    void mp3();
    void wavIsNeverTagged();
    void formatChangedDuringConversionChangesNothing();
    void pausedJustAsItEndsStillFinishes();
    void removalDuringConversion();
    void failedConversionKeepsTheVideoAndCanBeRetried();

private:
    std::shared_ptr<YoutubeDownloader> downloadedItem(const QString &code);
    bool waitFor(const std::shared_ptr<YoutubeDownloader> &item, YoutubeStatus status);
    QStringList outputFiles() const;

    std::unique_ptr<SiteFixture> m_fixture;
    std::unique_ptr<RecordingOwner> m_owner;
    QList<std::shared_ptr<YoutubeDownloader>> m_items;
};

void TestConversion::initTestCase()
{
    m_fixture = std::make_unique<SiteFixture>();
    QVERIFY(m_fixture->isReady());
    QVERIFY(m_fixture->site.media().prepare());
}

void TestConversion::init()
{
    m_owner = std::make_unique<RecordingOwner>();
    YoutubeProgramPreferences &preferences = m_fixture->preferences;
    preferences.setOutputFormat(1);
    preferences.setSaveID3Tags(true);
    preferences.setWriteDescrptionToID3Tags(true);
    preferences.setDeleteInputFileAfterConvert(false);
    m_fixture->site.media().setStreamFile(18, {});
}

void TestConversion::cleanup()
{
    YoutubeDownloader::removeAll(m_items);
    m_items.clear();
    QDir(m_fixture->outputDir.path()).removeRecursively();
    QDir().mkpath(m_fixture->outputDir.path());
}

// An item whose download is under way; its conversion follows by itself.
std::shared_ptr<YoutubeDownloader> TestConversion::downloadedItem(const QString &code)
{
    auto item = YoutubeDownloader::create(SiteFixture::watchLink(code), m_owner.get(), m_fixture->preferences);
    m_items.append(item);
    item->loadYoutubeContent();
    if (waitFor(item, StatusReady))
        item->downloadButtonSelector();
    return item;
}

bool TestConversion::waitFor(const std::shared_ptr<YoutubeDownloader> &item, YoutubeStatus status)
{
    if (QTest::qWaitFor([&] { return item->youtubeStatus() == status; }, TimeoutMs))
        return true;
    qWarning("waited for %d, still %d: %s", int(status), int(item->youtubeStatus()), qPrintable(item->statusNote()));
    return false;
}

QStringList TestConversion::outputFiles() const
{
    QStringList files = QDir(m_fixture->outputDir.path()).entryList(QDir::Files | QDir::Hidden);
    for (QString &file : files)
        file = QFileInfo(file).suffix();
    return files;
}

void TestConversion::mp3_data()
{
    QTest::addColumn<bool>("tags");
    QTest::addColumn<bool>("description");
    QTest::addColumn<bool>("deleteVideo");

    QTest::newRow("tags with description") << true << true << false;
    QTest::newRow("tags with the maker's address") << true << false << false;
    QTest::newRow("no tags") << false << true << false;
    QTest::newRow("video deleted") << true << true << true;
}

void TestConversion::mp3()
{
    QFETCH(bool, tags);
    QFETCH(bool, description);
    QFETCH(bool, deleteVideo);
    m_fixture->preferences.setSaveID3Tags(tags);
    m_fixture->preferences.setWriteDescrptionToID3Tags(description);
    m_fixture->preferences.setDeleteInputFileAfterConvert(deleteVideo);
    auto item = downloadedItem(u"mp3-"_s + QString::number(QTest::currentDataTag()[0]));
    QVERIFY(waitFor(item, StatusFinished));

    const QString video = m_fixture->outputPath(item->youtubeTitle() + u".mp4"_s);
    const QString mp3 = m_fixture->outputPath(item->youtubeTitle() + u".mp3"_s);
    QCOMPARE(item->realyDownloadedFilePath(), mp3);
    QCOMPARE(item->filePathForDownloading(), mp3);
    QCOMPARE(QFile::exists(video), !deleteVideo);
    QCOMPARE(TestMedia::probe(mp3, u"stream"_s, u"codec_name"_s), u"mp3"_s);
    const QList<YoutubeStatus> statuses = m_owner->statuses();
    QCOMPARE(statuses.mid(statuses.indexOf(StatusDownloaded)),
             (QList<YoutubeStatus>{StatusDownloaded, StatusConverting, StatusFinished}));

    const QJsonObject read = mutagenRead(mp3);
    QCOMPARE(read.value(u"id3"_s).toBool(), tags);
    QCOMPARE(read.value(u"v1"_s).toString() == u"TAG", tags);
    if (!tags)
        return;
    const QString comment = description ? item->descriptionText() : NOTIFICATION_YOUTUBE_TARNWICK.toString();
    QCOMPARE(read.value(u"title"_s).toString(), item->youtubeTitle());
    QCOMPARE(read.value(u"url"_s).toString(), item->youtubeURL());
    QCOMPARE(read.value(u"comment"_s).toString(), comment);
    QCOMPARE(read.value(u"cover_mime"_s).toString(), u"image/jpeg"_s);
    QCOMPARE(read.value(u"v1_title"_s).toString(), item->youtubeTitle().left(30));
    QCOMPARE(read.value(u"v1_comment"_s).toString(), comment.left(30));
}

void TestConversion::wavIsNeverTagged()
{
    m_fixture->preferences.setOutputFormat(2);
    auto item = downloadedItem(u"wav-output"_s);
    QVERIFY(waitFor(item, StatusFinished));
    const QByteArray wav = SiteFixture::fileBytes(item->realyDownloadedFilePath());
    QVERIFY(item->realyDownloadedFilePath().endsWith(u".wav"_s));
    QCOMPARE(wav.left(4), "RIFF");
    QVERIFY(!wav.contains("ID3"));
    QVERIFY(wav.right(128).left(3) != "TAG");
    QCOMPARE(outputFiles(), (QStringList{u"mp4"_s, u"wav"_s}));
}

void TestConversion::formatChangedDuringConversionChangesNothing()
{
    // Held paused from the moment it converts, while the format is switched.
    m_owner->onStatus = [](YoutubeDownloader &item, YoutubeStatus status) {
        if (status == StatusConverting)
            item.pause();
    };
    auto item = downloadedItem(u"format-switch"_s);
    QVERIFY(waitFor(item, StatusConvertPaused));
    m_fixture->preferences.setOutputFormat(2);
    m_owner->onStatus = {};
    item->resume();
    QVERIFY(waitFor(item, StatusFinished));
    QVERIFY(item->realyDownloadedFilePath().endsWith(u".mp3"_s));
    QCOMPARE(mutagenRead(item->realyDownloadedFilePath()).value(u"title"_s).toString(), item->youtubeTitle());
    QCOMPARE(outputFiles(), (QStringList{u"mp3"_s, u"mp4"_s}));
}

void TestConversion::pausedJustAsItEndsStillFinishes()
{
    // Registered before the item's own observer, so it runs first: the
    // pause lands between the last block and the end being handled.
    NotificationCenter::defaultCenter().addObserver(this, NOTIFICATION_AUDIO_CONVERTER_FINISHED.toString(), nullptr,
                                                    [this](const Notification &) {
                                                        for (const auto &item : std::as_const(m_items))
                                                            item->pause();
                                                    });
    auto item = downloadedItem(u"pause-at-end"_s);
    const bool finished = waitFor(item, StatusFinished);
    NotificationCenter::defaultCenter().removeObserver(this);
    QVERIFY(finished);
    QVERIFY(m_owner->statuses().contains(StatusConvertPaused));
    QVERIFY(QFile::exists(item->realyDownloadedFilePath()));
}

void TestConversion::removalDuringConversion()
{
    m_fixture->preferences.setDeleteInputFileAfterConvert(true);
    m_owner->onStatus = [](YoutubeDownloader &item, YoutubeStatus status) {
        if (status == StatusConverting)
            item.pause();
    };
    auto item = downloadedItem(u"remove-converting"_s);
    QVERIFY(waitFor(item, StatusConvertPaused));
    m_owner->onStatus = {};
    const QString video = item->filePathForDownloading();
    item->removeObject();
    QVERIFY(!item->conversion()->isRunning());
    QCOMPARE(m_owner->statuses().last(), StatusRemoved);
    QVERIFY(!m_owner->statuses().contains(StatusFinished));
    QVERIFY(QFile::exists(video));
    QVERIFY(!mutagenRead(m_fixture->outputPath(item->youtubeTitle() + u".mp3"_s)).value(u"id3"_s).toBool());
}

void TestConversion::failedConversionKeepsTheVideoAndCanBeRetried()
{
    m_fixture->preferences.setDeleteInputFileAfterConvert(true);
    const QByteArray whole = m_fixture->streamBytes(18);
    const QString truncated = m_fixture->outputPath(u"../truncated.mp4"_s);
    QFile file(truncated);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(whole.left(whole.size() / 2));
    file.close();
    m_fixture->site.media().setStreamFile(18, truncated);

    auto item = downloadedItem(u"broken-video"_s);
    QVERIFY(waitFor(item, StatusConvertPaused));
    QVERIFY(item->statusNote().contains(u"ends early"_s));
    const QString video = item->filePathForDownloading();
    QVERIFY(video.endsWith(u".mp4"_s));
    QCOMPARE(outputFiles(), QStringList{u"mp4"_s});
    QVERIFY(!m_owner->statuses().contains(StatusFinished));

    // With a good video in its place, Resume converts again.
    QFile::remove(video);
    QVERIFY(QFile::copy(m_fixture->site.media().streamFile(22), video));
    item->resume();
    QVERIFY(waitFor(item, StatusFinished));
    QVERIFY(item->statusNote().isEmpty());
    QCOMPARE(outputFiles(), QStringList{u"mp3"_s});
    QFile::remove(truncated);
}

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
