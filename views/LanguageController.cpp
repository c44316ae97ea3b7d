#include "LanguageController.h"

#include "StringUtils.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

QString lang(int number)
{
    return StringUtils::langStr(number);
}

QTabWidget *tabWidgetOf(QWidget *page)
{
    for (QWidget *parent = page->parentWidget(); parent; parent = parent->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(parent))
            return tabs;
    }
    return nullptr;
}

} // namespace

LanguageController::LanguageController(QWidget &window, QAbstractItemModel *table)
    : m_window(window), m_table(table)
{
}

void LanguageController::fillMainWindowLanguageStrings()
{
    static const std::pair<const char16_t *, int> Texts[] = {
        {u"windowMain", 1},        {u"windowAddURL", 103},      {u"btnAddURL", 112},
        {u"tabViewQuickOptions", 31}, {u"txtFolderPath", 41},   {u"boxVideoQuality", 32},
        {u"boxOutputFormat", 34},  {u"btnAddYoutubesURL", 112}, {u"miOpenInFinder", 77},
        {u"miOpenInBrowser", 75},  {u"miRemoveClip", 70},       {u"miDownloadQuality", 82},
        {u"txtAddDescription", 111}, {u"toolAddURLs", 22},      {u"toolRemoveURL", 24},
        {u"miShowQuickOptions", 12}, {u"miPreferences", 16},
        {u"miShowToolBar", 211},   {u"miCustomizeToolBar", 212}, {u"miMinimize", 213},
        {u"miZoom", 214},          {u"miBringAllToFront", 215}, {u"miWindow", 216},
        {u"miView", 217},          {u"miServices", 219},        {u"miHide", 220},
        {u"miHideOthers", 221},    {u"miShowAll", 222},         {u"miQuit", 223},
        {u"miFileClose", 218},     {u"miRemoveSelectedURL", 25},
        {u"miHelp", 6},            {u"miCut", 227},             {u"miCopy", 228},
        {u"miPaste", 229},         {u"miSelectAll", 224},       {u"mnuFile", 5},
        {u"mnuHelp", 6},           {u"mnuEdit", 226},           {u"miSupport", 120},
        {u"miShowHintPanel", 14},  {u"miCopyLink", 245},       {u"miRemoveFinished", 246},
        {u"miOpenOutputFolder", 247}, {u"btnChooseFolder", 350},
        {u"btnCancelAddURL", 446},
    };
    for (const auto &[name, number] : Texts)
        setText(QString::fromUtf16(name), lang(number));
    setText(u"miAbout"_s, lang(225).replace(u"%@"_s, lang(1)));
    setText(u"miAddYoutubesURL"_s, lang(22) + u"..."_s);
    setText(u"miAddFiles"_s, lang(412) + u"..."_s);
    setText(u"textViewAddDescription"_s,
            u"%1\n\n%2\n\n%3\n%4\n%5\n"_s.arg(lang(104), lang(105), lang(106), lang(107), lang(110)));
    setToolTip(u"toolAddURLs"_s, lang(23));
    setToolTip(u"toolRemoveURL"_s, lang(25));
    if (m_table) {
        for (const auto &[section, number] : {std::pair{0, 28}, std::pair{1, 29}, std::pair{2, 30}})
            m_table->setHeaderData(section, Qt::Horizontal, lang(number));
    }
}

void LanguageController::fillPreferencesWindowLanguageStrings()
{
    static const std::pair<const char16_t *, int> Texts[] = {
        {u"windowPreferences", 84},
        {u"tabPreferencesGeneralOptions", 85},
        {u"tabPreferencesFormatOptions", 87},
        {u"checkAutoAddFromPasteboard", 88},
        {u"checkRestoreListAtStart", 255},
        {u"txtPreferencesWAVNoAdditionalSettings", 99},
        {u"txtPreferencesBitrate", 102},
        {u"txtPreferencesSoundMode", 101},
        {u"txtPreferencesFrequency", 100},
        {u"txtPreferencesFolderPath", 41},
        {u"txtPreferencesSimultaneousDownloads", 253},
        {u"boxPreferencesVideoQuality", 32},
        {u"boxPreferencesOutputFormat", 34},
        {u"checkDeleteOriginal", 37},
        {u"checkInsertTags", 39},
        {u"checkInsertDescriptionInTag", 204},
        {u"btnPreferencesClose", 64},
        {u"btnGeneralOptions", 85},
        {u"btnOutputFormatsOptions", 87},
        {u"btnPreferencesChooseFolder", 350},
        {u"txtPreferencesPageReader", 414},
        {u"btnPreferencesChoosePageReader", 350},
    };
    for (const auto &[name, number] : Texts)
        setText(QString::fromUtf16(name), lang(number));
    if (auto *path = m_window.findChild<QLineEdit *>(u"pageReaderPath"_s))
        path->setPlaceholderText(lang(415));
}

QObject *LanguageController::find(const QString &name) const
{
    if (m_window.objectName() == name)
        return &m_window;
    return m_window.findChild<QObject *>(name);
}

void LanguageController::setText(const QString &name, const QString &text)
{
    QObject *control = find(name);
    if (auto *action = qobject_cast<QAction *>(control))
        action->setText(text);
    else if (auto *menu = qobject_cast<QMenu *>(control))
        menu->setTitle(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *box = qobject_cast<QGroupBox *>(control))
        box->setTitle(text);
    else if (auto *edit = qobject_cast<QTextEdit *>(control))
        edit->setPlainText(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setPlainText(text);
    else if (auto *widget = qobject_cast<QWidget *>(control)) {
        if (widget->isWindow())
            widget->setWindowTitle(text);
        else if (QTabWidget *tabs = tabWidgetOf(widget))
            tabs->setTabText(tabs->indexOf(widget), text);
    }
}

void LanguageController::setToolTip(const QString &name, const QString &text)
{
    if (auto *action = qobject_cast<QAction *>(find(name)))
        action->setToolTip(text);
}
