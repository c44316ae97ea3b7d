#include "Mp3Rates.h"
#include "PreferenceStore.h"
#include "TestMedia.h"
#include "YoutubeProgramPreferences.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestMedia::ffmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=frequency=440:sample_rate=44100:duration=1"_s,
                                   u"-ac"_s, u"2"_s, m_media.filePath(u"tone.wav"_s)}));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"Vantrel.conf"_s);
    }

    void defaultsOfAnEmptyStore()
    {
        PreferenceStore store(m_path);
        const YoutubeProgramPreferences p(store);
        QCOMPARE((QVariantList{p.autoAddFromPasteboard(), p.savedFolderPath(), int(p.outputFormat()), p.preferedQuality(),
                               p.deleteInputFileAfterConvert(), p.saveID3Tags(), p.writeDescriptionToID3Tags(), int(p.soundMode()),
                               p.frequency(), p.bitrate(), p.isShowQuickOptions(), p.isFirstLaunch(), p.isShowHintPanel(),
                               p.simultaneousDownloads(), p.restoreListAtStart()}),
                 (QVariantList{true, u"~/Movies/"_s, 0, 1, false, true, true, 0, 44100, 320, true, true, true, 4, true}));
        // Defaults stay in memory: nothing is written by merely loading.
        QVERIFY(!QFile::exists(m_path));
    }

    void onlySavedValuesAreStoredAsSpelled()
    {
        {
            PreferenceStore store(m_path);
            YoutubeProgramPreferences prefs(store);
            prefs.setBitrate(192);
            prefs.setSavedFolderPath(u"/home/u/Music ü"_s);
            prefs.setIsShowHintPanel(false);
            prefs.saveValues();
            prefs.setBitrate(128);
        }
        // As another program reads the file.
        QSettings stored(m_path, QSettings::IniFormat);
        QStringList keys = stored.allKeys();
        keys.sort();
        QCOMPARE(keys, (QStringList{u"values.AutoAddingURLFromPasteboard"_s, u"values.Bitrate"_s,
                                    u"values.DeleteInputFileAfterConvert"_s, u"values.Frequency"_s,
                                    u"values.IsFirstLaunch"_s, u"values.IsShowQuickOptions"_s,
                                    u"values.LastSavedFolderPath"_s, u"values.OutputFormatItemIndex"_s,
                                    u"values.PageReaderPath"_s, u"values.PreferedQuality"_s, u"values.RestoreListAtStart"_s, u"values.SaveID3Tags"_s,
                                    u"values.SimultaneousDownloads"_s, u"values.SoundMode"_s,
                                    u"values.WriteDescrptionToID3Tags"_s, u"values.isShowHintPanel"_s}));
        QCOMPARE(stored.value(u"values.Bitrate"_s).toInt(), 192);
        QCOMPARE(stored.value(u"values.LastSavedFolderPath"_s).toString(), u"/home/u/Music ü"_s);
        QCOMPARE(stored.value(u"values.isShowHintPanel"_s).toBool(), false);
        QFile raw(m_path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().contains("values.PreferedQuality=1\n"));
    }


    // Values an earlier run stored win over the defaults; keys spelled
    // otherwise are not ours.
    void storedValuesWinOverDefaults()
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nvalues.AutoAddingURLFromPasteboard=false\nvalues.Bitrate=128\nvalues.frequency=1\nFrequency=2\n");
        file.close();
        PreferenceStore store(m_path);
        const YoutubeProgramPreferences prefs(store);
        QCOMPARE(prefs.autoAddFromPasteboard(), false);
        QCOMPARE(prefs.bitrate(), 128);
        QCOMPARE(prefs.frequency(), 44100);
    }

    void damagedValuesFallBackOneByOne_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QVariant>("value");

        QTest::newRow("bit rate with a fraction") << QByteArray("values.Bitrate=128.7") << u"bitrate"_s << QVariant(320);
        QTest::newRow("negative bit rate") << QByteArray("values.Bitrate=-64") << u"bitrate"_s << QVariant(320);
        QTest::newRow("unknown format") << QByteArray("values.OutputFormatItemIndex=7") << u"format"_s << QVariant(0);
        QTest::newRow("unknown quality") << QByteArray("values.PreferedQuality=9") << u"quality"_s << QVariant(1);
        QTest::newRow("rate lame refuses") << QByteArray("values.Frequency=44000") << u"frequency"_s << QVariant(44100);
        QTest::newRow("third sound mode") << QByteArray("values.SoundMode=2") << u"mode"_s << QVariant(0);
        QTest::newRow("no download at a time") << QByteArray("values.SimultaneousDownloads=0") << u"jobs"_s << QVariant(4);
        QTest::newRow("eleven at a time") << QByteArray("values.SimultaneousDownloads=11") << u"jobs"_s << QVariant(4);
        QTest::newRow("truth value in words") << QByteArray("values.SaveID3Tags=maybe") << u"tags"_s << QVariant(true);
        QTest::newRow("path with an unquoted comma")
            << QByteArray("values.LastSavedFolderPath=/home/u/My, Music") << u"folder"_s << QVariant(u"~/Movies/"_s);
    }

    void damagedValuesFallBackOneByOne()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, setting);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Good values around the damaged one are kept.
        file.write("[General]\nvalues.SoundMode=1\n" + line + "\nvalues.AutoAddingURLFromPasteboard=false\n");
        file.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^"_s + QString::fromLatin1(line.split('=').first())));
        PreferenceStore store(m_path);
        const YoutubeProgramPreferences prefs(store);
        const QHash<QString, QVariant> read{
            {u"bitrate"_s, prefs.bitrate()},         {u"format"_s, int(prefs.outputFormat())},
            {u"quality"_s, prefs.preferedQuality()}, {u"frequency"_s, prefs.frequency()},
            {u"mode"_s, int(prefs.soundMode())},     {u"tags"_s, prefs.saveID3Tags()},
            {u"folder"_s, prefs.savedFolderPath()}, {u"jobs"_s, prefs.simultaneousDownloads()}};
        QTEST(read.value(setting), "value");
        QCOMPARE(prefs.autoAddFromPasteboard(), false);
        if (setting != u"mode")
            QCOMPARE(prefs.soundMode(), SoundMode::Mono);
    }

    void mp3RatesAreWhatLameWrites_data()
    {
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<int>("bitrate");

        // Each MPEG version with a bit rate it has, one above its highest and
        // one between two of its own.
        for (const auto &[sampleRate, bitrate] : {std::pair{44100, 320}, {48000, 144}, {32000, 8}, {22050, 320},
                                                  {24000, 144}, {16000, 100}, {11025, 96}, {12000, 8}, {8000, 20}})
            QTest::addRow("%d kbit/s at %d Hz", bitrate, sampleRate) << sampleRate << bitrate;
    }

    // lame, asked as the converter asks it, and ffprobe reading its file.
    void mp3RatesAreWhatLameWrites()
    {
        QFETCH(int, sampleRate);
        QFETCH(int, bitrate);
        const QString mp3 = m_dir->filePath(u"tone.mp3"_s);
        QProcess lame;
        lame.start(u"lame"_s, {u"--quiet"_s, u"-b"_s, QString::number(bitrate), u"--resample"_s,
                               QString::number(sampleRate), m_media.filePath(u"tone.wav"_s), mp3});
        QVERIFY(lame.waitForFinished(60'000) && lame.exitCode() == 0);
        const QStringList written = TestMedia::probe(mp3, u"stream=sample_rate,bit_rate"_s).split(u'\n');
        QCOMPARE(written.value(0).toInt(), sampleRate);
        const int writtenBitrate = written.value(1).toInt() / 1000;
        QCOMPARE(Mp3Rates::bitrateUsed(bitrate, sampleRate), writtenBitrate);
        QCOMPARE(Mp3Rates::bitrates(sampleRate).contains(bitrate), writtenBitrate == bitrate);
    }

private:
    QTemporaryDir m_media;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
