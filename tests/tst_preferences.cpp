#include "PreferenceStore.h"
#include "YoutubeProgramPreferences.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"Vantrel.conf"_s);
    }

    void defaultsOfAnEmptyStore()
    {
        PreferenceStore store(m_path);
        const YoutubeProgramPreferences prefs(store);
        QCOMPARE(prefs.autoAddFromPasteboard(), true);
        QCOMPARE(prefs.savedFolderPath(), u"~/Movies/"_s);
        QCOMPARE(prefs.outputFormat(), 0);
        QCOMPARE(prefs.preferedQuality(), 1);
        QCOMPARE(prefs.deleteInputFileAfterConvert(), false);
        QCOMPARE(prefs.saveID3Tags(), true);
        QCOMPARE(prefs.writeDescrptionToID3Tags(), true);
        QCOMPARE(prefs.soundMode(), 0);
        QCOMPARE(prefs.frequency(), 44100);
        QCOMPARE(prefs.bitrate(), 320);
        QCOMPARE(prefs.isShowQuickOptions(), true);
        QCOMPARE(prefs.isFirstLaunch(), true);
        QCOMPARE(prefs.isShowHintPanel(), true);
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
                                    u"values.PreferedQuality"_s, u"values.SaveID3Tags"_s, u"values.SoundMode"_s,
                                    u"values.WriteDescrptionToID3Tags"_s, u"values.isShowHintPanel"_s}));
        QCOMPARE(stored.value(u"values.Bitrate"_s).toInt(), 192);
        QCOMPARE(stored.value(u"values.LastSavedFolderPath"_s).toString(), u"/home/u/Music ü"_s);
        QCOMPARE(stored.value(u"values.isShowHintPanel"_s).toBool(), false);
        QFile raw(m_path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().contains("values.PreferedQuality=1\n"));
    }

    void storedValuesWinOverDefaults_data()
    {
        QTest::addColumn<QByteArray>("fileText");
        QTest::addColumn<bool>("autoAdd");
        QTest::addColumn<int>("bitrate");
        QTest::addColumn<QString>("folder");

        QTest::newRow("stored by us") << QByteArray("values.AutoAddingURLFromPasteboard=false\nvalues.Bitrate=128\n") << false
                                      << 128 << u"~/Movies/"_s;
        QTest::newRow("other spellings of truth") << QByteArray("values.AutoAddingURLFromPasteboard=0\nvalues.Bitrate=abc\n")
                                                  << false << 0 << u"~/Movies/"_s;
        QTest::newRow("keys in other spellings are not ours") << QByteArray("values.bitrate=1\nBitrate=2\n") << true << 320
                                                              << u"~/Movies/"_s;
    }

    void storedValuesWinOverDefaults()
    {
        QFETCH(QByteArray, fileText);
        QFETCH(bool, autoAdd);
        QFETCH(int, bitrate);
        QFETCH(QString, folder);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\n" + fileText);
        file.close();

        PreferenceStore store(m_path);
        const YoutubeProgramPreferences prefs(store);
        QCOMPARE(prefs.autoAddFromPasteboard(), autoAdd);
        QCOMPARE(prefs.bitrate(), bitrate);
        QCOMPARE(prefs.savedFolderPath(), folder);
        QCOMPARE(prefs.frequency(), 44100);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
