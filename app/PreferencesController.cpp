#include "PreferencesController.h"

#include "Mp3Rates.h"
#include "PathController.h"
#include "StringUtils.h"
#include "YoutubeProgramPreferences.h"
#include "YoutubeQuality.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

void setChecked(QCheckBox *box, bool checked)
{
    if (box)
        box->setChecked(checked);
}

void storeChecked(const QCheckBox *box, YoutubeProgramPreferences &preferences,
                  void (YoutubeProgramPreferences::*setter)(bool))
{
    if (box)
        (preferences.*setter)(box->isChecked());
}

void select(QComboBox *list, int index)
{
    if (list)
        list->setCurrentIndex(index < list->count() ? index : -1);
}

void selectText(QComboBox *list, qint32 value)
{
    if (list)
        list->setCurrentIndex(list->findText(QString::number(value), Qt::MatchExactly));
}

// The entry the list shows, if it is one of its entries: a typed text that
// matches none (say "128k") is not a setting.
std::optional<int> pickedIndex(const QComboBox *list)
{
    if (!list || list->currentIndex() < 0 || list->currentText() != list->itemText(list->currentIndex()))
        return std::nullopt;
    return list->currentIndex();
}

std::optional<qint32> pickedNumber(const QComboBox *list)
{
    const std::optional<int> index = pickedIndex(list);
    if (!index)
        return std::nullopt;
    bool ok = false;
    const qint32 value = list->itemText(*index).toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

PreferencesController::PreferencesController(const Controls &controls, YoutubeProgramPreferences &preferences,
                                             QObject *parent)
    : QObject(parent), m_controls(controls), m_preferences(preferences)
{
    for (QComboBox *list : {m_controls.preferedQuality, m_controls.outputFormat}) {
        if (list)
            connect(list, &QComboBox::activated, this, [this, list] { comboBoxSelectionDidChange(list); });
    }
    if (QSpinBox *spin = m_controls.spinSimultaneousDownloads)
        spin->setRange(YoutubeProgramPreferences::MinSimultaneousDownloads,
                       YoutubeProgramPreferences::MaxSimultaneousDownloads);
    if (m_controls.comboFrequency && m_controls.comboBitrate) {
        for (QComboBox *list : {m_controls.comboFrequency, m_controls.comboBitrate})
            connect(list, &QComboBox::currentIndexChanged, this, &PreferencesController::matchBitrateToFrequency);
    }
}

void PreferencesController::fillLists()
{
    if (QComboBox *list = m_controls.preferedQuality) {
        list->clear();
        for (const YoutubeVideoQuality quality : {Quality360p, Quality720p, Quality1080p, Quality4K})
            list->addItem(YoutubeQuality(VideoTypeMP4, quality, QString()).description());
    }
    if (QComboBox *list = m_controls.outputFormat) {
        list->clear();
        // In OutputFormat's order, as the sound modes' list is in SoundMode's:
        // an entry's index is its value.
        list->addItems({StringUtils::langStr(44), u"MP3"_s, u"WAV"_s});
    }
}

void PreferencesController::initControlsValues()
{
    // Filling a list selects its first entry and says so: those signals
    // must not reach the store. Nor may the bit rate be matched to a sample
    // rate that is not yet the stored one.
    const QSignalBlocker quality(m_controls.preferedQuality);
    const QSignalBlocker format(m_controls.outputFormat);
    const QSignalBlocker frequency(m_controls.comboFrequency);
    const QSignalBlocker bitrate(m_controls.comboBitrate);
    fillLists();
    setChecked(m_controls.checkAutoAddFromPasteboard, m_preferences.autoAddFromPasteboard());
    setChecked(m_controls.checkRestoreListAtStart, m_preferences.restoreListAtStart());
    if (m_controls.savedFolderPath)
        m_controls.savedFolderPath->setFolderPath(m_preferences.savedFolderPath());
    select(m_controls.preferedQuality, comboIndexByVideoType(m_preferences.preferedQuality()));
    select(m_controls.outputFormat, int(m_preferences.outputFormat()));
    select(m_controls.comboSoundMode, int(m_preferences.soundMode()));
    selectText(m_controls.comboBitrate, m_preferences.bitrate());
    selectText(m_controls.comboFrequency, m_preferences.frequency());
    setChecked(m_controls.checkDeleteSourceFileAfterConvertation, m_preferences.deleteInputFileAfterConvert());
    setChecked(m_controls.checkSaveID3Tags, m_preferences.saveID3Tags());
    setChecked(m_controls.checkWriteDescriptionToID3Tags, m_preferences.writeDescriptionToID3Tags());
    if (QSpinBox *spin = m_controls.spinSimultaneousDownloads)
        spin->setValue(m_preferences.simultaneousDownloads());
    if (QLineEdit *path = m_controls.pageReaderPath)
        path->setText(m_preferences.pageReaderPath());
    matchBitrateToFrequency();
}

// lame writes only some bit rates at each sample rate and quietly takes the
// nearest for another: the list offers those, and shows the one that will
// be written.
void PreferencesController::matchBitrateToFrequency()
{
    QComboBox *bitrates = m_controls.comboBitrate;
    if (!bitrates || !m_controls.comboFrequency)
        return;
    const qint32 frequency = pickedNumber(m_controls.comboFrequency).value_or(m_preferences.frequency());
    const QList<int> &allowed = Mp3Rates::bitrates(frequency);
    auto *entries = qobject_cast<QStandardItemModel *>(bitrates->model());
    for (int row = 0; row < bitrates->count(); ++row)
        entries->item(row)->setEnabled(allowed.contains(bitrates->itemText(row).toInt()));
    QString note;
    if (const std::optional<qint32> bitrate = pickedNumber(bitrates); bitrate && !allowed.contains(*bitrate)) {
        const int used = Mp3Rates::bitrateUsed(*bitrate, frequency);
        selectText(bitrates, used);
        note = StringUtils::langStr(445).arg(frequency).arg(*bitrate).arg(used);
    }
    // After the selection above, which comes back here and clears the note.
    if (QLabel *label = m_controls.bitrateNote)
        label->setText(note);
}

void PreferencesController::comboBoxSelectionDidChange(QComboBox *list)
{
    if (const std::optional<int> index = pickedIndex(list)) {
        if (list == m_controls.preferedQuality)
            m_preferences.setPreferedQuality(videoTypeByComboIndex(*index));
        else
            m_preferences.setOutputFormat(OutputFormat(*index));
    }
    m_preferences.saveValues();
}

void PreferencesController::saveValues()
{
    storeChecked(m_controls.checkAutoAddFromPasteboard, m_preferences,
                 &YoutubeProgramPreferences::setAutoAddFromPasteboard);
    storeChecked(m_controls.checkRestoreListAtStart, m_preferences, &YoutubeProgramPreferences::setRestoreListAtStart);
    if (m_controls.savedFolderPath)
        m_controls.savedFolderPath->chooseFolder(m_controls.savedFolderPath->folderPath());
    if (const auto index = pickedIndex(m_controls.preferedQuality))
        m_preferences.setPreferedQuality(videoTypeByComboIndex(*index));
    if (const auto index = pickedIndex(m_controls.outputFormat))
        m_preferences.setOutputFormat(OutputFormat(*index));
    storeChecked(m_controls.checkDeleteSourceFileAfterConvertation, m_preferences,
                 &YoutubeProgramPreferences::setDeleteInputFileAfterConvert);
    storeChecked(m_controls.checkWriteDescriptionToID3Tags, m_preferences,
                 &YoutubeProgramPreferences::setWriteDescriptionToID3Tags);
    storeChecked(m_controls.checkSaveID3Tags, m_preferences, &YoutubeProgramPreferences::setSaveID3Tags);
    if (const auto bitrate = pickedNumber(m_controls.comboBitrate))
        m_preferences.setBitrate(*bitrate);
    if (const auto frequency = pickedNumber(m_controls.comboFrequency))
        m_preferences.setFrequency(*frequency);
    if (const auto soundMode = pickedIndex(m_controls.comboSoundMode))
        m_preferences.setSoundMode(SoundMode(*soundMode));
    if (const QSpinBox *spin = m_controls.spinSimultaneousDownloads)
        m_preferences.setSimultaneousDownloads(spin->value());
    if (const QLineEdit *path = m_controls.pageReaderPath)
        m_preferences.setPageReaderPath(path->text().trimmed());
    m_preferences.saveValues();
}

qint32 PreferencesController::videoTypeByComboIndex(int index)
{
    switch (index) {
    case 1: return Quality720p;
    case 2: return Quality1080p;
    case 3: return Quality4K;
    default: return Quality360p;
    }
}

int PreferencesController::comboIndexByVideoType(qint32 quality)
{
    switch (quality) {
    case Quality360p: return 0;
    case Quality720p: return 1;
    case Quality1080p: return 2;
    case Quality4K: return 3;
    default: return -1;
    }
}
