#include "PreferencesWindow.h"

#include "LanguageController.h"
#include "PageReaderStatus.h"
#include "PreferencesController.h"
#include "StringUtils.h"
#include "ui_Preferences.h"

#include <QFileDialog>

PreferencesWindow::PreferencesWindow(YoutubeProgramPreferences &preferences, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Preferences>())
{
    m_ui->setupUi(this);
    setModal(true);
    m_ui->savedFolderPath->setPreferences(&preferences);
    m_controller = std::make_unique<PreferencesController>(
        PreferencesController::Controls{.checkAutoAddFromPasteboard = m_ui->checkAutoAddFromPasteboard,
                                        .checkRestoreListAtStart = m_ui->checkRestoreListAtStart,
                                        .checkDeleteSourceFileAfterConvertation = m_ui->checkDeleteOriginal,
                                        .checkSaveID3Tags = m_ui->checkInsertTags,
                                        .checkWriteDescriptionToID3Tags = m_ui->checkInsertDescriptionInTag,
                                        .savedFolderPath = m_ui->savedFolderPath,
                                        .preferedQuality = m_ui->preferedQuality,
                                        .outputFormat = m_ui->outputFormat,
                                        .comboSoundMode = m_ui->comboSoundMode,
                                        .comboFrequency = m_ui->comboFrequency,
                                        .comboBitrate = m_ui->comboBitrate,
                                        .bitrateNote = m_ui->txtBitrateNote,
                                        .spinSimultaneousDownloads = m_ui->spinSimultaneousDownloads,
                                        .pageReaderPath = m_ui->pageReaderPath},
        preferences);
    LanguageController(*this).fillPreferencesWindowLanguageStrings();
    connect(m_ui->btnGeneralOptions, &QToolButton::clicked, this, [this] { changeCurrentTabPageByButtonTag(1); });
    connect(m_ui->btnOutputFormatsOptions, &QToolButton::clicked, this,
            [this] { changeCurrentTabPageByButtonTag(2); });
    connect(m_ui->btnPreferencesChooseFolder, &QPushButton::clicked, m_ui->savedFolderPath,
            &PathController::selectOutputFolder);
    m_ui->txtFolderRefused->hide();
    connect(m_ui->savedFolderPath, &PathController::refused, m_ui->txtFolderRefused, [this](const QString &reason) {
        m_ui->txtFolderRefused->setText(reason);
        m_ui->txtFolderRefused->setVisible(!reason.isEmpty());
    });
    m_pageReaderStatus = new PageReaderStatus(this);
    connect(m_pageReaderStatus, &PageReaderStatus::told, m_ui->txtPageReaderFound, &QLabel::setText);
    connect(m_ui->pageReaderPath, &QLineEdit::editingFinished, this,
            [this] { m_pageReaderStatus->check(m_ui->pageReaderPath->text().trimmed()); });
    connect(m_ui->btnPreferencesChoosePageReader, &QPushButton::clicked, this, &PreferencesWindow::choosePageReader);
    connect(m_ui->btnPreferencesSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->btnPreferencesClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, [this] { m_controller->saveValues(); });
    changeCurrentTabPageByButtonTag(1);
}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::showWindow()
{
    m_controller->initControlsValues();
    m_pageReaderStatus->check(m_ui->pageReaderPath->text().trimmed());
    open();
}

void PreferencesWindow::choosePageReader()
{
    auto *dialog = new QFileDialog(this, StringUtils::langStr(414));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) {
        m_ui->pageReaderPath->setText(path);
        m_pageReaderStatus->check(path);
    });
    dialog->open();
}

void PreferencesWindow::changeCurrentTabPageByButtonTag(int page)
{
    if (page != 1 && page != 2)
        return;
    m_ui->tabPrefences->setCurrentIndex(page - 1);
    // The current page's button is drawn pressed, with its frame.
    for (const auto &[button, number] : {std::pair{m_ui->btnGeneralOptions, 1}, std::pair{m_ui->btnOutputFormatsOptions, 2}}) {
        button->setChecked(number == page);
        button->setAutoRaise(number != page);
    }
}
