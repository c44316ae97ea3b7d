#include "PreferenceStore.h"
#include "YoutubeProgramPreferences.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList AllKeys{
    u"values.AutoAddingURLFromPasteboard"_s, u"values.LastSavedFolderPath"_s,
    u"values.OutputFormatItemIndex"_s,       u"values.PreferedQuality"_s,
    u"values.DeleteInputFileAfterConvert"_s, u"values.SaveID3Tags"_s,
    u"values.WriteDescrptionToID3Tags"_s,    u"values.SoundMode"_s,
    u"values.Frequency"_s,                   u"values.Bitrate"_s,
    u"values.IsShowQuickOptions"_s,          u"values.IsFirstLaunch"_s,
    u"values.isShowHintPanel"_s,
};

// The settings file as another program would read it.
QVariantMap storedValues(const QString &path)
{
    QSettings file(path, QSettings::IniFormat);
    QVariantMap values;
    for (const QString &key : file.allKeys())
        values.insert(key, file.value(key));
    return values;
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void defaultsOfAnEmptyStore();
    void saveWritesEveryKeyAsSpelled();
    void unsavedChangesAreLost();
    void storedValuesWinOverDefaults_data();
    void storedValuesWinOverDefaults();
    void sharedInstanceIsOne();

private:
    QTemporaryDir m_configHome;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

// The user's real settings must stay untouched: the standard store is pointed
// at a temporary configuration folder before anything reads settings.
void TestPreferences::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
}

void TestPreferences::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(u"Vantrel.conf"_s);
}

void TestPreferences::defaultsOfAnEmptyStore()
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
    // Registration stays in memory: nothing is written by merely loading.
    QVERIFY(!QFile::exists(m_path));
}

void TestPreferences::saveWritesEveryKeyAsSpelled()
{
    {
        PreferenceStore store(m_path);
        YoutubeProgramPreferences prefs(store);
        prefs.setBitrate(192);
        prefs.setSavedFolderPath(u"/home/u/Music ü"_s);
        prefs.setIsShowHintPanel(false);
        prefs.saveValues();
    }
    const QVariantMap stored = storedValues(m_path);
    QStringList keys = stored.keys();
    QStringList expected = AllKeys;
    keys.sort();
    expected.sort();
    QCOMPARE(keys, expected);
    QCOMPARE(stored.value(u"values.Bitrate"_s).toInt(), 192);
    QCOMPARE(stored.value(u"values.Frequency"_s).toInt(), 44100);
    QCOMPARE(stored.value(u"values.LastSavedFolderPath"_s).toString(), u"/home/u/Music ü"_s);
    QCOMPARE(stored.value(u"values.isShowHintPanel"_s).toBool(), false);

    // The raw file names the keys letter for letter.
    QFile raw(m_path);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray text = raw.readAll();
    QVERIFY(text.contains("values.WriteDescrptionToID3Tags=true"));
    QVERIFY(text.contains("values.PreferedQuality=1"));
    QVERIFY(text.contains("values.isShowHintPanel=false"));
}

void TestPreferences::unsavedChangesAreLost()
{
    {
        PreferenceStore store(m_path);
        YoutubeProgramPreferences prefs(store);
        prefs.setOutputFormat(2);
        prefs.saveValues();
        prefs.setOutputFormat(1);
        prefs.setSavedFolderPath(u"/tmp/elsewhere"_s);
    }
    PreferenceStore store(m_path);
    const YoutubeProgramPreferences prefs(store);
    QCOMPARE(prefs.outputFormat(), 2);
    QCOMPARE(prefs.savedFolderPath(), u"~/Movies/"_s);
}

void TestPreferences::storedValuesWinOverDefaults_data()
{
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<bool>("autoAdd");
    QTest::addColumn<int>("bitrate");
    QTest::addColumn<QString>("folder");

    QTest::newRow("stored by us") << u"values.AutoAddingURLFromPasteboard=false\nvalues.Bitrate=128\n"_s << false
                                  << 128 << u"~/Movies/"_s;
    QTest::newRow("other spellings of truth") << u"values.AutoAddingURLFromPasteboard=0\nvalues.Bitrate=abc\n"_s
                                              << false << 0 << u"~/Movies/"_s;
    QTest::newRow("yes and a huge number") << u"values.AutoAddingURLFromPasteboard=YES\nvalues.Bitrate=99999999999\n"_s
                                           << true << 2147483647 << u"~/Movies/"_s;
    QTest::newRow("empty folder is kept as stored") << u"values.LastSavedFolderPath=\n"_s << true << 320 << u""_s;
    QTest::newRow("other keys untouched") << u"values.bitrate=1\nBitrate=2\n"_s << true << 320 << u"~/Movies/"_s;
}

void TestPreferences::storedValuesWinOverDefaults()
{
    QFETCH(QString, fileText);
    QFETCH(bool, autoAdd);
    QFETCH(int, bitrate);
    QFETCH(QString, folder);
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[General]\n" + fileText.toUtf8());
    file.close();

    PreferenceStore store(m_path);
    const YoutubeProgramPreferences prefs(store);
    QCOMPARE(prefs.autoAddFromPasteboard(), autoAdd);
    QCOMPARE(prefs.bitrate(), bitrate);
    QCOMPARE(prefs.savedFolderPath(), folder);
    QCOMPARE(prefs.frequency(), 44100);
}

void TestPreferences::sharedInstanceIsOne()
{
    YoutubeProgramPreferences &first = YoutubeProgramPreferences::sharedPreferences();
    QCOMPARE(&YoutubeProgramPreferences::sharedPreferences(), &first);
    QVERIFY(PreferenceStore::standard().fileName().startsWith(m_configHome.path()));
    QCOMPARE(first.bitrate(), 320);
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
