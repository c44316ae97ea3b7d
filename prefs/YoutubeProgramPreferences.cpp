#include "YoutubeProgramPreferences.h"

#include "Mp3Rates.h"
#include "NotificationCenter.h"
#include "PreferenceStore.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The keys are the stored format: spelled exactly so, prefix included.
const QString AutoAddKey = u"values.AutoAddingURLFromPasteboard"_s;
const QString SavedFolderKey = u"values.LastSavedFolderPath"_s;
const QString PageReaderKey = u"values.PageReaderPath"_s;
const QString OutputFormatKey = u"values.OutputFormatItemIndex"_s;
const QString PreferedQualityKey = u"values.PreferedQuality"_s;
const QString DeleteInputKey = u"values.DeleteInputFileAfterConvert"_s;
const QString SaveTagsKey = u"values.SaveID3Tags"_s;
const QString WriteDescriptionKey = u"values.WriteDescrptionToID3Tags"_s;
const QString SoundModeKey = u"values.SoundMode"_s;
const QString FrequencyKey = u"values.Frequency"_s;
const QString BitrateKey = u"values.Bitrate"_s;
const QString ShowQuickOptionsKey = u"values.IsShowQuickOptions"_s;
const QString FirstLaunchKey = u"values.IsFirstLaunch"_s;
const QString ShowHintPanelKey = u"values.isShowHintPanel"_s;
const QString RestoreListKey = u"values.RestoreListAtStart"_s;
const QString SimultaneousDownloadsKey = u"values.SimultaneousDownloads"_s;
const QString LastClipboardLinksKey = u"values.LastClipboardLinks"_s;
const QString WindowWidthKey = u"values.WindowWidth"_s;
const QString WindowHeightKey = u"values.WindowHeight"_s;
const QString WindowMaximizedKey = u"values.WindowMaximized"_s;
const QString ListColumnsKey = u"values.ListColumns"_s;

// The picture qualities 240p to 4K.
bool isQuality(qint32 value)
{
    return value >= 0 && value <= 5;
}

bool isSoundMode(qint32 value)
{
    return value == qint32(SoundMode::Stereo) || value == qint32(SoundMode::Mono);
}

bool isFrequency(qint32 value)
{
    return Mp3Rates::sampleRates().contains(value);
}

// kbit/s, as lame's -b takes them.
bool isBitrate(qint32 value)
{
    return value >= 8 && value <= 320;
}

bool isSimultaneousDownloads(qint32 value)
{
    return value >= YoutubeProgramPreferences::MinSimultaneousDownloads
        && value <= YoutubeProgramPreferences::MaxSimultaneousDownloads;
}

// Pixels: a damaged value must not ask for a window no screen holds.
bool isWindowLength(qint32 value)
{
    return value >= 0 && value <= 20'000;
}

} // namespace

struct YoutubeProgramPreferences::BoolSetting
{
    const QString &key;
    std::atomic<bool> YoutubeProgramPreferences::*field;
};

struct YoutubeProgramPreferences::IntegerSetting
{
    const QString &key;
    std::atomic<qint32> YoutubeProgramPreferences::*field;
    bool (*isValid)(qint32);
};

const YoutubeProgramPreferences::BoolSetting YoutubeProgramPreferences::boolSettings[] = {
    {AutoAddKey, &YoutubeProgramPreferences::m_autoAddFromPasteboard},
    {DeleteInputKey, &YoutubeProgramPreferences::m_deleteInputFileAfterConvert},
    {SaveTagsKey, &YoutubeProgramPreferences::m_saveID3Tags},
    {WriteDescriptionKey, &YoutubeProgramPreferences::m_writeDescriptionToID3Tags},
    {ShowQuickOptionsKey, &YoutubeProgramPreferences::m_isShowQuickOptions},
    {FirstLaunchKey, &YoutubeProgramPreferences::m_isFirstLaunch},
    {ShowHintPanelKey, &YoutubeProgramPreferences::m_isShowHintPanel},
    {RestoreListKey, &YoutubeProgramPreferences::m_restoreListAtStart},
};

const YoutubeProgramPreferences::IntegerSetting YoutubeProgramPreferences::integerSettings[] = {
    {OutputFormatKey, &YoutubeProgramPreferences::m_outputFormat, isOutputFormat},
    {PreferedQualityKey, &YoutubeProgramPreferences::m_preferedQuality, isQuality},
    {SoundModeKey, &YoutubeProgramPreferences::m_soundMode, isSoundMode},
    {FrequencyKey, &YoutubeProgramPreferences::m_frequency, isFrequency},
    {BitrateKey, &YoutubeProgramPreferences::m_bitrate, isBitrate},
    {SimultaneousDownloadsKey, &YoutubeProgramPreferences::m_simultaneousDownloads, isSimultaneousDownloads},
};

YoutubeProgramPreferences &YoutubeProgramPreferences::sharedPreferences()
{
    static auto *shared = new YoutubeProgramPreferences(PreferenceStore::standard());
    return *shared;
}

YoutubeProgramPreferences::YoutubeProgramPreferences(PreferenceStore &store)
    : ProgramPreferences(store)
{
    initialize();
}

void YoutubeProgramPreferences::setAutoAddFromPasteboard(bool value)
{
    if (m_autoAddFromPasteboard.exchange(value) != value)
        NotificationCenter::defaultCenter().post(NOTIFICATION_AUTO_ADD_FROM_PASTEBOARD_CHANGED.toString(), this);
}

QString YoutubeProgramPreferences::savedFolderPath() const
{
    std::lock_guard lock(m_folderMutex);
    return m_savedFolderPath;
}

void YoutubeProgramPreferences::setSavedFolderPath(const QString &value)
{
    std::lock_guard lock(m_folderMutex);
    m_savedFolderPath = value;
}

QString YoutubeProgramPreferences::pageReaderPath() const
{
    std::lock_guard lock(m_folderMutex);
    return m_pageReaderPath;
}

void YoutubeProgramPreferences::setPageReaderPath(const QString &value)
{
    std::lock_guard lock(m_folderMutex);
    m_pageReaderPath = value;
}

// Nought would start nothing ever again; the queue relies on the range.
void YoutubeProgramPreferences::setSimultaneousDownloads(qint32 value)
{
    m_simultaneousDownloads = std::clamp(value, MinSimultaneousDownloads, MaxSimultaneousDownloads);
}

QVariantMap YoutubeProgramPreferences::doRegisterDefaults()
{
    QVariantMap defaults = ProgramPreferences::doRegisterDefaults();
    addBoolValueToDictionary(defaults, true, AutoAddKey);
    addIntegerValueToDictionary(defaults, qint32(OutputFormat::Video), OutputFormatKey);
    addIntegerValueToDictionary(defaults, 1, PreferedQualityKey);
    defaults.insert(SavedFolderKey, u"~/Movies/"_s);
    defaults.insert(PageReaderKey, QString());
    addBoolValueToDictionary(defaults, false, DeleteInputKey);
    addBoolValueToDictionary(defaults, true, SaveTagsKey);
    addBoolValueToDictionary(defaults, true, WriteDescriptionKey);
    addIntegerValueToDictionary(defaults, 320, BitrateKey);
    addIntegerValueToDictionary(defaults, 44100, FrequencyKey);
    addIntegerValueToDictionary(defaults, qint32(SoundMode::Stereo), SoundModeKey);
    addBoolValueToDictionary(defaults, true, ShowQuickOptionsKey);
    addBoolValueToDictionary(defaults, true, FirstLaunchKey);
    addBoolValueToDictionary(defaults, true, ShowHintPanelKey);
    addBoolValueToDictionary(defaults, true, RestoreListKey);
    addIntegerValueToDictionary(defaults, 4, SimultaneousDownloadsKey);
    defaults.insert(LastClipboardLinksKey, QString());
    addIntegerValueToDictionary(defaults, 0, WindowWidthKey);
    addIntegerValueToDictionary(defaults, 0, WindowHeightKey);
    addBoolValueToDictionary(defaults, false, WindowMaximizedKey);
    defaults.insert(ListColumnsKey, QString());
    return defaults;
}

void YoutubeProgramPreferences::loadValues()
{
    PreferenceStore &store = defaultPreferences();
    for (const BoolSetting &setting : boolSettings)
        (this->*setting.field) = store.boolForKey(setting.key);
    for (const IntegerSetting &setting : integerSettings)
        (this->*setting.field) = store.integerForKey(setting.key, setting.isValid);
    setSavedFolderPath(store.stringForKey(SavedFolderKey));
    setPageReaderPath(store.stringForKey(PageReaderKey));
}

void YoutubeProgramPreferences::saveValues()
{
    PreferenceStore &store = defaultPreferences();
    for (const BoolSetting &setting : boolSettings)
        store.setBool(setting.key, this->*setting.field);
    for (const IntegerSetting &setting : integerSettings)
        store.setInteger(setting.key, this->*setting.field);
    store.setString(SavedFolderKey, savedFolderPath());
    store.setString(PageReaderKey, pageReaderPath());
    // Flushed at once: the shared instance lives until the process ends, and
    // a program that quits right after saving must not lose the values.
    store.sync();
}

QStringList YoutubeProgramPreferences::lastClipboardLinks() const
{
    const QString kept = defaultPreferences().stringForKey(LastClipboardLinksKey);
    return kept.isEmpty() ? QStringList() : kept.split(u'\n');
}

void YoutubeProgramPreferences::keepLastClipboardLinks(const QStringList &links)
{
    PreferenceStore &store = defaultPreferences();
    store.setString(LastClipboardLinksKey, links.join(u'\n'));
    store.sync();
}

YoutubeProgramPreferences::WindowShape YoutubeProgramPreferences::windowShape() const
{
    const PreferenceStore &store = defaultPreferences();
    return {.size = QSize(store.integerForKey(WindowWidthKey, isWindowLength),
                          store.integerForKey(WindowHeightKey, isWindowLength)),
            .maximized = store.boolForKey(WindowMaximizedKey),
            .columns = QByteArray::fromBase64(store.stringForKey(ListColumnsKey).toLatin1())};
}

void YoutubeProgramPreferences::keepWindowShape(const WindowShape &shape)
{
    PreferenceStore &store = defaultPreferences();
    store.setInteger(WindowWidthKey, shape.size.width());
    store.setInteger(WindowHeightKey, shape.size.height());
    store.setBool(WindowMaximizedKey, shape.maximized);
    store.setString(ListColumnsKey, QString::fromLatin1(shape.columns.toBase64()));
    store.sync();
}
