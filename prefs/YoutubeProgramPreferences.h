#pragma once

#include "OutputSettings.h"
#include "ProgramPreferences.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

// Posted by setAutoAddFromPasteboard() on its thread when the setting
// changes, with the preferences as the object: the clipboard observer sleeps
// until something it looks at changes.
inline constexpr QStringView NOTIFICATION_AUTO_ADD_FROM_PASTEBOARD_CHANGED = u"AutoAddFromPasteboardChangedNotification";

// The program's sixteen settings. Worker threads read them while the GUI
// thread edits them, so every field is atomic (the folder path is guarded).
// Setters change memory only; saveValues() writes all settings to the store.
class YoutubeProgramPreferences final : public ProgramPreferences
{
public:
    // The process-wide instance over the user's store, created on first use
    // and never destroyed.
    static YoutubeProgramPreferences &sharedPreferences();

    // An instance over another store (tests, tools).
    explicit YoutubeProgramPreferences(PreferenceStore &store);

    void saveValues() override;
    void loadValues() override;

    bool autoAddFromPasteboard() const { return m_autoAddFromPasteboard; }
    void setAutoAddFromPasteboard(bool value);
    // The folder as stored: a leading "~" is kept for the reader to expand.
    QString savedFolderPath() const;
    void setSavedFolderPath(const QString &value);
    // Where yt-dlp is, when it is not the one on PATH; empty: PATH's.
    QString pageReaderPath() const;
    void setPageReaderPath(const QString &value);
    OutputFormat outputFormat() const { return OutputFormat(m_outputFormat.load()); }
    void setOutputFormat(OutputFormat value) { m_outputFormat = qint32(value); }
    qint32 preferedQuality() const { return m_preferedQuality; }
    void setPreferedQuality(qint32 value) { m_preferedQuality = value; }
    bool deleteInputFileAfterConvert() const { return m_deleteInputFileAfterConvert; }
    void setDeleteInputFileAfterConvert(bool value) { m_deleteInputFileAfterConvert = value; }
    bool saveID3Tags() const { return m_saveID3Tags; }
    void setSaveID3Tags(bool value) { m_saveID3Tags = value; }
    bool writeDescriptionToID3Tags() const { return m_writeDescriptionToID3Tags; }
    void setWriteDescriptionToID3Tags(bool value) { m_writeDescriptionToID3Tags = value; }
    SoundMode soundMode() const { return SoundMode(m_soundMode.load()); }
    void setSoundMode(SoundMode value) { m_soundMode = qint32(value); }
    qint32 frequency() const { return m_frequency; }
    void setFrequency(qint32 value) { m_frequency = value; }
    qint32 bitrate() const { return m_bitrate; }
    void setBitrate(qint32 value) { m_bitrate = value; }
    bool isShowQuickOptions() const { return m_isShowQuickOptions; }
    void setIsShowQuickOptions(bool value) { m_isShowQuickOptions = value; }
    bool isFirstLaunch() const { return m_isFirstLaunch; }
    void setIsFirstLaunch(bool value) { m_isFirstLaunch = value; }
    bool isShowHintPanel() const { return m_isShowHintPanel; }
    void setIsShowHintPanel(bool value) { m_isShowHintPanel = value; }
    bool restoreListAtStart() const { return m_restoreListAtStart; }
    void setRestoreListAtStart(bool value) { m_restoreListAtStart = value; }
    // How many items download at once; the list reads it whenever it starts
    // downloads. The setter brings a value into the range; a stored one
    // outside it reads as the default, 4, as any damaged setting does.
    static constexpr qint32 MinSimultaneousDownloads = 1;
    static constexpr qint32 MaxSimultaneousDownloads = 10;
    qint32 simultaneousDownloads() const { return m_simultaneousDownloads; }
    void setSimultaneousDownloads(qint32 value);

    // What the program keeps between runs besides the settings: read from
    // the store when asked and written to it at once, from any thread.
    // The video-site links the clipboard observer last took, or knew as the
    // program's own.
    QStringList lastClipboardLinks() const;
    void keepLastClipboardLinks(const QStringList &links);
    // The main window: its size when not maximized (empty: none kept),
    // whether it was maximized, and its list's header state.
    struct WindowShape
    {
        QSize size;
        bool maximized = false;
        QByteArray columns;
    };
    WindowShape windowShape() const;
    void keepWindowShape(const WindowShape &shape);

protected:
    QVariantMap doRegisterDefaults() override;

private:
    struct BoolSetting;
    struct IntegerSetting;
    static const BoolSetting boolSettings[];
    static const IntegerSetting integerSettings[];

    std::atomic<bool> m_autoAddFromPasteboard = true;
    // Guards the two paths.
    mutable std::mutex m_folderMutex;
    QString m_savedFolderPath;
    QString m_pageReaderPath;
    // The two choices are kept as their stored numbers, which loading has
    // checked to be in range.
    std::atomic<qint32> m_outputFormat = qint32(OutputFormat::Video);
    std::atomic<qint32> m_preferedQuality = 1;
    std::atomic<bool> m_deleteInputFileAfterConvert = false;
    std::atomic<bool> m_saveID3Tags = true;
    std::atomic<bool> m_writeDescriptionToID3Tags = true;
    std::atomic<qint32> m_soundMode = qint32(SoundMode::Stereo);
    std::atomic<qint32> m_frequency = 44100;
    std::atomic<qint32> m_bitrate = 320;
    std::atomic<bool> m_isShowQuickOptions = true;
    std::atomic<bool> m_isFirstLaunch = true;
    std::atomic<bool> m_isShowHintPanel = true;
    std::atomic<bool> m_restoreListAtStart = true;
    std::atomic<qint32> m_simultaneousDownloads = 4;
};
