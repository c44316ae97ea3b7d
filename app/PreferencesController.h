#pragma once

#include <QObject>

class PathController;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class YoutubeProgramPreferences;

// Shows the stored settings in a set of controls and stores what the user
// changes. The quality and format lists store a pick at once; everything
// else is stored by saveValues(). Serves the preferences window and, with
// only its two lists, the main window's quick options: an absent control is
// left alone. Filling the lists stores nothing: only the user's picks count.
// The bit-rate list offers only the rates lame writes at the chosen sample
// rate, and a note says when the sample rate changed the bit rate.
class PreferencesController final : public QObject
{
public:
    struct Controls
    {
        QCheckBox *checkAutoAddFromPasteboard = nullptr;
        QCheckBox *checkRestoreListAtStart = nullptr;
        QCheckBox *checkDeleteSourceFileAfterConvertation = nullptr;
        QCheckBox *checkSaveID3Tags = nullptr;
        QCheckBox *checkWriteDescriptionToID3Tags = nullptr;
        PathController *savedFolderPath = nullptr;
        QComboBox *preferedQuality = nullptr;
        QComboBox *outputFormat = nullptr;
        QComboBox *comboSoundMode = nullptr;
        QComboBox *comboFrequency = nullptr;
        QComboBox *comboBitrate = nullptr;
        QLabel *bitrateNote = nullptr;
        QSpinBox *spinSimultaneousDownloads = nullptr;
        QLineEdit *pageReaderPath = nullptr;
    };

    PreferencesController(const Controls &controls, YoutubeProgramPreferences &preferences, QObject *parent = nullptr);

    void initControlsValues();
    void saveValues();

    // Quality-list positions and the qualities they stand for.
    static qint32 videoTypeByComboIndex(int index);
    static int comboIndexByVideoType(qint32 quality);

private:
    void fillLists();
    void matchBitrateToFrequency();
    void comboBoxSelectionDidChange(QComboBox *list);

    Controls m_controls;
    YoutubeProgramPreferences &m_preferences;
};
