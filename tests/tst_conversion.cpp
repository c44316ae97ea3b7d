#include "AudioConverter.h"
#include "Mutagen.h"
#include "NotificationCenter.h"
#include "RecordingOwner.h"
#include "SiteFixture.h"
#include "StandInProgram.h"
#include "TestMedia.h"

#include <QFileInfo>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_fixture = std::make_unique<SiteFixture>();
        QVERIFY(m_fixture->isReady());
    }

    void init()
    {
        m_owner = std::make_unique<RecordingOwner>();
        YoutubeProgramPreferences &preferences = m_fixture->preferences;
        preferences.setOutputFormat(1);
        preferences.setSaveID3Tags(true);
        preferences.setWriteDescrptionToID3Tags(true);
        preferences.setDeleteInputFileAfterConvert(false);
        m_fixture->site.media().setStreamFile(18, {});
    }

    void cleanup()
    {
        YoutubeDownloader::removeAll(m_items);
        m_items.clear();
        m_fixture->clearOutput();
    }

    void mp3_data()
    {
        QTest::addColumn<bool>("tags");
        QTest::addColumn<bool>("description");
        QTest::addColumn<bool>("deleteVideo");

        QTest::newRow("tags with description") << true << true << false;
        QTest::newRow("tags with the maker's address") << true << false << false;
        QTest::newRow("no tags") << false << true << false;
        QTest::newRow("video deleted") << true << true << true;
    }

    void mp3()
    {
        QFETCH(bool, tags);
        QFETCH(bool, description);
        QFETCH(bool, deleteVideo);
        m_fixture->preferences.setSaveID3Tags(tags);
        m_fixture->preferences.setWriteDescrptionToID3Tags(description);
        m_fixture->preferences.setDeleteInputFileAfterConvert(deleteVideo);
        auto item = downloadedItem(u"mp3"_s);
        QVERIFY(waitForStatus(item, StatusFinished));

        const QString mp3 = m_fixture->outputPath(u"Quiet Harbour \"Remastered\".mp3"_s);
        QCOMPARE(item->realyDownloadedFilePath(), mp3);
        QCOMPARE(outputSuffixes(), deleteVideo ? QStringList{u"mp3"_s} : (QStringList{u"mp3"_s, u"mp4"_s}));
        QCOMPARE(TestMedia::probe(mp3, u"stream=codec_name"_s), u"mp3"_s);
        const QList<YoutubeStatus> statuses = m_owner->statuses();
        QCOMPARE(statuses.mid(statuses.indexOf(StatusDownloaded)),
                 (QList<YoutubeStatus>{StatusDownloaded, StatusConverting, StatusFinished}));

        const QJsonObject read = mutagenRead(mp3);
        QCOMPARE(read.value(u"id3"_s).toBool(), tags);
        QCOMPARE(read.value(u"v1"_s).toString() == u"TAG", tags);
        if (!tags)
            return;
        const QString comment = read.value(u"comment"_s).toString();
        QCOMPARE(read.value(u"title"_s).toString(), u"Quiet Harbour \"Remastered\""_s);
        QCOMPARE(read.value(u"url"_s).toString(), u"http://www.youtube.com/watch?v=mp3"_s);
        QVERIFY2(description ? comment.startsWith(u"Recorded for the sample site (video mp3).\n\n"_s)
                             : comment == u"http://www.vantrel.example"_s,
                 qPrintable(comment));
        QCOMPARE(read.value(u"cover_mime"_s).toString(), u"image/jpeg"_s);
        QCOMPARE(read.value(u"v1_comment"_s).toString(), comment.left(30));
    }

    void wavIsNeverTagged()
    {
        m_fixture->preferences.setOutputFormat(2);
        auto item = downloadedItem(u"wav-output"_s);
        QVERIFY(waitForStatus(item, StatusFinished));
        const QByteArray wav = SiteFixture::fileBytes(item->realyDownloadedFilePath());
        QCOMPARE(wav.left(4), "RIFF");
        QVERIFY(!wav.contains("ID3") && !wav.right(128).startsWith("TAG"));
        QCOMPARE(outputSuffixes(), (QStringList{u"mp4"_s, u"wav"_s}));
    }

    void formatChangedDuringConversionChangesNothing()
    {
        pauseWhenConverting();
        auto item = downloadedItem(u"format-switch"_s);
        QVERIFY(waitForStatus(item, StatusConvertPaused));
        m_fixture->preferences.setOutputFormat(2);
        m_owner->onStatus = {};
        item->resume();
        QVERIFY(waitForStatus(item, StatusFinished));
        QVERIFY(item->realyDownloadedFilePath().endsWith(u".mp3"_s));
        QCOMPARE(mutagenRead(item->realyDownloadedFilePath()).value(u"title"_s).toString(), u"Northern Rumba Part 2-3"_s);
        QCOMPARE(outputSuffixes(), (QStringList{u"mp3"_s, u"mp4"_s}));
    }

    void pausedJustAsItEndsStillFinishes()
    {
        // Registered before the item's own observer, so it runs first: the
        // pause lands between the last block and the end being handled.
        NotificationCenter::defaultCenter().addObserver(this, NOTIFICATION_AUDIO_CONVERTER_FINISHED.toString(), nullptr,
                                                        [this](const Notification &) {
                                                            for (const auto &item : std::as_const(m_items))
                                                                item->pause();
                                                        });
        auto item = downloadedItem(u"pause-at-end"_s);
        const bool finished = waitForStatus(item, StatusFinished);
        NotificationCenter::defaultCenter().removeObserver(this);
        QVERIFY(finished);
        QVERIFY(m_owner->statuses().contains(StatusConvertPaused));
        QCOMPARE(TestMedia::probe(item->realyDownloadedFilePath(), u"stream=codec_name"_s), u"mp3"_s);
    }

    void removalDuringConversion()
    {
        m_fixture->preferences.setDeleteInputFileAfterConvert(true);
        pauseWhenConverting();
        auto item = downloadedItem(u"remove-converting"_s);
        QVERIFY(waitForStatus(item, StatusConvertPaused));
        m_owner->onStatus = {};
        item->removeObject();
        QVERIFY(!item->conversion()->isRunning());
        QCOMPARE(m_owner->statuses().last(), StatusRemoved);
        QVERIFY(!m_owner->statuses().contains(StatusFinished));
        QVERIFY(outputSuffixes().contains(u"mp4"_s));
        QVERIFY(!mutagenRead(m_fixture->outputPath(item->youtubeTitle() + u".mp3"_s)).value(u"id3"_s).toBool());
    }

    void failedConversionKeepsTheVideo_data()
    {
        QTest::addColumn<bool>("truncatedVideo");
        QTest::addColumn<QByteArray>("encoder"); // a stand-in for lame; empty: lame itself
        QTest::addColumn<QString>("reason");

        QTest::newRow("video cut short") << true << QByteArray() << u"ends early"_s;
        QTest::newRow("encoder writes nothing") << false << QByteArray("cat >/dev/null") << u"no file"_s;
        QTest::newRow("encoder leaves an empty file")
            << false << QByteArray("for last; do :; done; cat >/dev/null; : >\"$last\"") << u"no file"_s;
    }

    // The only good copy is never deleted, nothing stands at the MP3's name, and
    // once the cause is gone Resume converts again.
    void failedConversionKeepsTheVideo()
    {
        QFETCH(bool, truncatedVideo);
        QFETCH(QByteArray, encoder);
        QFETCH(QString, reason);
        m_fixture->preferences.setDeleteInputFileAfterConvert(true);
        const QByteArray whole = m_fixture->streamBytes(18);
        const QString truncated = m_scratch.filePath(u"truncated.mp4"_s);
        QVERIFY(SiteFixture::writeFile(truncated, whole.left(whole.size() / 2)));
        if (truncatedVideo)
            m_fixture->site.media().setStreamFile(18, truncated);
        const StandInProgram lame(u"lame"_s, encoder);
        const QByteArray path = qgetenv("PATH");
        if (!encoder.isEmpty())
            qputenv("PATH", lame.searchPath());

        auto item = downloadedItem(u"broken"_s);
        const bool paused = waitForStatus(item, StatusConvertPaused);
        qputenv("PATH", path);
        QVERIFY(paused);
        QVERIFY2(item->statusNote().startsWith(u"Conversion failed"_s) && item->statusNote().contains(reason),
                 qPrintable(item->statusNote()));
        QCOMPARE(m_fixture->outputEntries(), QStringList{u"Northern Harbour Don't Stop.mp4"_s});
        QVERIFY(!m_owner->statuses().contains(StatusFinished));

        QVERIFY(SiteFixture::writeFile(m_fixture->outputPath(u"Northern Harbour Don't Stop.mp4"_s), whole));
        item->resume();
        QVERIFY(waitForStatus(item, StatusFinished));
        QVERIFY(item->statusNote().isEmpty());
        QCOMPARE(outputSuffixes(), QStringList{u"mp3"_s});
    }

private:
    // An item whose download is under way; its conversion follows by itself.
    std::shared_ptr<YoutubeDownloader> downloadedItem(const QString &code)
    {
        auto item = YoutubeDownloader::create(SiteFixture::watchLink(code), m_owner.get(), m_fixture->preferences);
        m_items.append(item);
        item->loadYoutubeContent();
        if (waitForStatus(item, StatusReady))
            item->downloadButtonSelector();
        return item;
    }

    QStringList outputSuffixes() const
    {
        QStringList suffixes;
        for (const QString &file : m_fixture->outputEntries())
            suffixes.append(QFileInfo(file).suffix());
        return suffixes;
    }

    // Holds the next item paused from the moment it converts.
    void pauseWhenConverting()
    {
        m_owner->onStatus = [](YoutubeDownloader &item, YoutubeStatus status) {
            if (status == StatusConverting)
                item.pause();
        };
    }

    std::unique_ptr<SiteFixture> m_fixture;
    std::unique_ptr<RecordingOwner> m_owner;
    QList<std::shared_ptr<YoutubeDownloader>> m_items;
    QTemporaryDir m_scratch;
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
