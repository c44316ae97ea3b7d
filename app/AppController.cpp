#include "AppController.h"

#include "AddLinksSheet.h"
#include "NotificationCenter.h"
#include "PathController.h"
#include "PreferencesController.h"
#include "PreferencesWindow.h"
#include "RowButtons.h"
#include "RowDelegate.h"
#include "SkippedLines.h"
#include "SourceLinks.h"
#include "StateFolder.h"
#include "StringUtils.h"
#include "WarningPanel.h"
#include "WatchLink.h"
#include "Workspace.h"
#include "YoutubeConstants.h"
#include "YoutubeDownloader.h"
#include "YoutubeMenuView.h"
#include "YoutubeOperationsView.h"
#include "YoutubeProgramPreferences.h"
#include "ui_MainWindow.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QStandardPaths>
#include <QTabBar>
#include <QToolButton>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// Long enough to read a sentence twice.
constexpr int MessageTimeoutMs = 12'000;

// "*.mp4 *.m4a …" for the file dialog's filter.
QString mediaFilePatterns()
{
    QStringList patterns;
    for (const QString &extension : SourceLinks::fileExtensions())
        patterns.append(u'*' + extension);
    return patterns.join(u' ');
}

// The address a browser can open for the item: its link when that is a web
// address or a file, else the watch page of its code (a link line may carry other
// words or another scheme around the link).
QUrl pageAddress(const YoutubeDownloader &item)
{
    // A file of the user's is its own page.
    if (item.sourceKind() == SourceKind::LocalFile)
        return QUrl::fromLocalFile(item.youtubeURL());
    const QUrl url(item.youtubeURL(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == u"http"_s || scheme == u"https"_s))
        return url;
    QString code = item.youtubeCode();
    if (code.isEmpty())
        code = WatchLink::parseYoutubeCodeFromURL(item.youtubeURL());
    return QUrl(YOUTUBE_URL_TEMPLATE1.toString() + u"/watch?v="_s + code);
}

} // namespace

AppController::AppController(Ui::MainWindow &ui, YoutubeProgramPreferences &preferences, QObject *parent)
    : QObject(parent),
      m_ui(ui),
      m_preferences(preferences),
      m_model(m_list, QImage(u":/images/nocovermusic.gif"_s)),
      m_totalsBar(m_list, m_ui),
      m_desktop(m_list, *m_ui.tableView->window(), [this] { return newItemFolder(); })
{
    m_ui.tableView->setModel(&m_model);
    auto *delegate = new RowDelegate(*m_ui.tableView);
    delegate->setPressHandler([this](const std::shared_ptr<YoutubeDownloader> &item, int button) { press(item, button); });
    m_ui.tableView->setItemDelegate(delegate);
    m_ui.tableView->setUpColumns();
    m_ui.pathFolderPath->setPreferences(&m_preferences);
    m_ui.pathFolderPath->setFolderPath(m_preferences.savedFolderPath());
    m_preferencesControllerUser = new PreferencesController(
        {.preferedQuality = m_ui.comboVideoQuality, .outputFormat = m_ui.comboOutputFormat}, m_preferences, this);
    m_preferencesControllerUser->initControlsValues();
    m_ui.toolAddURLs->setIcon(RowButtons::icon(RowButtons::Add));
    m_ui.toolRemoveURL->setIcon(RowButtons::icon(RowButtons::Remove));
    buildPopupMenu();
    m_addLinksSheet = new AddLinksSheet(m_list, m_ui.tableView->window());
    connect(m_addLinksSheet, &AddLinksSheet::linksAdded, this, &AppController::addPastedText);
    connect(m_addLinksSheet, &QDialog::finished, m_ui.miPaste, [this] { m_ui.miPaste->setEnabled(true); });
    m_addFilesDialog = new QFileDialog(m_ui.tableView->window(), StringUtils::langStr(412));
    m_addFilesDialog->setFileMode(QFileDialog::ExistingFiles);
    // Where people keep their music, not wherever the program was started.
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    m_addFilesDialog->setDirectory(QFileInfo(music).isDir() ? music : QDir::homePath());
    m_addFilesDialog->setNameFilters({StringUtils::langStr(413).arg(mediaFilePatterns()), StringUtils::langStr(418)});
    connect(m_addFilesDialog, &QFileDialog::filesSelected, this, &AppController::addYoutubesURL);
    connectCommands();
    observeNotifications();
    observeList();
    updateDownloadAllButton();
    m_messageTimer.setObjectName(u"messageTimer"_s);
    m_messageTimer.setSingleShot(true);
    m_messageTimer.setInterval(MessageTimeoutMs);
    connect(&m_messageTimer, &QTimer::timeout, this, &AppController::clearMessage);
    connect(m_ui.tableView, &TableViewDragged::linesLeftOut, this,
            [this](int lines) { tellLeftOut(lines, std::exchange(m_droppedListed, 0)); });
    connect(&m_totalsBar, &TotalsBar::refreshed, &m_desktop, &DesktopIntegration::showTotals);
    m_totalsBar.refresh();
    m_ui.animatedHelpView->setHintCaption(StringUtils::langStr(46));
    m_ui.animatedHelpView->setIsActive(m_preferences.isShowHintPanel());
    setUserInterface();
}

AppController::~AppController()
{
    // The sheet is the window's, but reads the list, which goes with us.
    delete m_addLinksSheet;
    shutdown();
    NotificationCenter::defaultCenter().removeObserver(this);
}

void AppController::buildPopupMenu()
{
    QWidget *window = m_ui.tableView->window();
    m_popupMenu = new QMenu(window);
    m_popupMenu->setObjectName(u"popupMenu"_s);
    QAction *browser = m_popupMenu->addAction(QString());
    browser->setObjectName(u"miOpenInBrowser"_s);
    connect(browser, &QAction::triggered, this, &AppController::exploreYoutubeURL);
    QAction *finder = m_popupMenu->addAction(QString());
    finder->setObjectName(u"miOpenInFinder"_s);
    connect(finder, &QAction::triggered, this, &AppController::openYoutubeURLInFinder);
    QAction *copy = m_popupMenu->addAction(QString());
    copy->setObjectName(u"miCopyLink"_s);
    connect(copy, &QAction::triggered, this, [this] {
        if (const auto item = m_menuItem.lock())
            m_clipboardIntake.copyLinks({item->youtubeURL()});
    });
    m_menuQuality = m_popupMenu->addMenu(QString());
    m_menuQuality->setObjectName(u"miDownloadQuality"_s);
    m_popupMenu->addSeparator();
    QAction *remove = m_popupMenu->addAction(RowButtons::icon(RowButtons::Stop), QString());
    remove->setObjectName(u"miRemoveClip"_s);
    connect(remove, &QAction::triggered, this, &AppController::removeVideoClip);
    connect(m_popupMenu, &QMenu::aboutToShow, this, &AppController::menuWillOpen);
}

void AppController::connectCommands()
{
    connect(m_ui.miPaste, &QAction::triggered, this, &AppController::paste);
    connect(m_ui.miPreferences, &QAction::triggered, this, &AppController::openPreferencesWindow);
    for (QAction *add : {m_ui.miAddYoutubesURL, m_ui.toolAddURLs})
        connect(add, &QAction::triggered, this, &AppController::startAddURLSheet);
    connect(m_ui.miAddFiles, &QAction::triggered, this, &AppController::startAddFiles);
    for (QAction *remove : {m_ui.miRemoveSelectedURL, m_ui.toolRemoveURL})
        connect(remove, &QAction::triggered, this, &AppController::removeVideoClip);
    for (QAction *downloadAll : {m_ui.miDownloadAllURL, m_ui.toolDownloadAll})
        connect(downloadAll, &QAction::triggered, this, &AppController::downloadAllURL);
    connect(m_ui.btnChooseFolder, &QPushButton::clicked, m_ui.pathFolderPath, &PathController::selectOutputFolder);
    connect(m_ui.pathFolderPath, &PathController::refused, this, [this](const QString &reason) {
        if (!reason.isEmpty())
            tell(reason);
    });
    connect(m_ui.miSelectAll, &QAction::triggered, m_ui.tableView, &QTableView::selectAll);
    connect(m_ui.miSupport, &QAction::triggered, this, [this] { openPage(QUrl(SUPPORT_URL.toString())); });
    connect(m_ui.miCopy, &QAction::triggered, this, [this] {
        QStringList links;
        for (const auto &item : selectedItems())
            links.append(item->youtubeURL());
        m_clipboardIntake.copyLinks(links);
    });
    connect(m_ui.miCut, &QAction::triggered, this, [this] {
        m_ui.miCopy->trigger();
        removeVideoClip();
    });
    connect(m_ui.miRemoveFinished, &QAction::triggered, this, &AppController::removeFinished);
    connect(m_ui.miOpenOutputFolder, &QAction::triggered, this, &AppController::openOutputFolder);
    connect(m_ui.tableView, &TableViewDragged::rowMenuRequested, this,
            [this](int row, QPoint position) { showRowMenu(m_model.itemAt(row), position); });
    connect(m_ui.miShowQuickOptions, &QAction::triggered, this, [this](bool shown) {
        m_preferences.setIsShowQuickOptions(shown);
        m_preferences.saveValues();
        setUserInterface();
    });
    auto *close = new QToolButton(m_ui.tabQuickOptions);
    close->setObjectName(u"btnCloseQuickOptions"_s);
    close->setAutoRaise(true);
    close->setIcon(RowButtons::icon(RowButtons::Stop));
    close->setAccessibleName(StringUtils::langStr(263));
    close->setToolTip(close->accessibleName());
    m_ui.tabQuickOptions->setCornerWidget(close);
    // One page: its tab is a title, not a stop on the way to the controls.
    m_ui.tabQuickOptions->tabBar()->setFocusPolicy(Qt::NoFocus);
    connect(close, &QToolButton::clicked, m_ui.miShowQuickOptions, [this] { m_ui.miShowQuickOptions->trigger(); });
    connect(m_ui.miShowHintPanel, &QAction::triggered, this, &AppController::showHideHintPanel);
    connectRowKeys();
}

// Space does what the selected rows' buttons do; Return plays the
// highlighted row; rows move by keys and by drags. Only while the list has the focus:
// elsewhere these keys type.
void AppController::connectRowKeys()
{
    auto *operate = new QAction(m_ui.tableView);
    operate->setShortcut(Qt::Key_Space);
    operate->setShortcutContext(Qt::WidgetShortcut);
    connect(operate, &QAction::triggered, this, [this] {
        for (const auto &item : selectedItems())
            operateRow(item);
    });
    // Ctrl+Up and Ctrl+Down move the selected rows, and the queue with them.
    for (const auto &[key, step] : {std::pair{Qt::Key_Up, -1}, std::pair{Qt::Key_Down, 1}}) {
        auto *move = new QAction(m_ui.tableView);
        move->setShortcut(QKeyCombination(Qt::ControlModifier, key));
        move->setShortcutContext(Qt::WidgetShortcut);
        connect(move, &QAction::triggered, this, [this, step] { m_list.moveBy(selectedItems(), step); });
        m_ui.tableView->addAction(move);
    }
    connect(m_ui.tableView, &TableViewDragged::rowsDropped, this,
            [this](int row) { m_list.moveTo(selectedItems(), row); });
    auto *play = new QAction(m_ui.tableView);
    play->setShortcuts({Qt::Key_Return, Qt::Key_Enter});
    play->setShortcutContext(Qt::WidgetShortcut);
    connect(play, &QAction::triggered, this, &AppController::notificationTableViewDoubleClick);
    m_ui.tableView->addActions({operate, play});
}

// What the row's first button does, but playing: many files opened at one
// key press would surprise.
void AppController::operateRow(const std::shared_ptr<YoutubeDownloader> &item)
{
    const auto button = YoutubeOperationsView::visibleButtonsListByYoutubeStatus(item->youtubeStatus()).constFirst();
    if (button != YoutubeOperationsView::RemoveButton && button != YoutubeOperationsView::PlayButton)
        press(item, button);
}

void AppController::press(const std::shared_ptr<YoutubeDownloader> &item, int button)
{
    switch (button) {
    case RowDelegate::MenuButton: showMenuForButton(item); break;
    case YoutubeOperationsView::RemoveButton: m_list.remove({item}); break;
    case YoutubeOperationsView::DownloadButton:
    case YoutubeOperationsView::RetryButton: m_list.download({item}); break;
    case YoutubeOperationsView::PauseButton: m_list.pause({item}); break;
    case YoutubeOperationsView::ResumeButton: m_list.resume({item}); break;
    case YoutubeOperationsView::PlayButton: play(*item); break;
    }
}

// The switch follows the stored setting, not the panel: adding links hides
// the panel and leaves the setting, so the first use after that stores off.
void AppController::showHideHintPanel()
{
    const bool shown = !m_preferences.isShowHintPanel();
    m_ui.animatedHelpView->setIsActive(shown);
    m_preferences.setIsShowHintPanel(shown);
    setUserInterface();
    m_preferences.saveValues();
}

void AppController::keepList(const QString &folder)
{
    m_stateFolder = std::make_unique<StateFolder>(folder);
    WarningPanel &warnings = *m_ui.warningPanel;
    if (!m_stateFolder->keepsList()) {
        // True for as long as this window is open.
        warnings.setWarning(u"listNotKept"_s, StringUtils::langStr(259), {}, WarningPanel::Dismiss::WhenDealtWith);
        return;
    }
    const QString damaged = m_stateFolder->takeUp(m_list, m_preferences);
    // As after adding links: the rows take the hint's place.
    if (!m_list.items().isEmpty())
        m_ui.animatedHelpView->setIsActive(false);
    // Nothing the program does mends it: the user looks at the file, or not.
    if (!damaged.isEmpty())
        warnings.setWarning(u"damagedList"_s, StringUtils::langStr(258).arg(QFileInfo(damaged).fileName()),
                            QDir::toNativeSeparators(damaged), WarningPanel::Dismiss::ByUser);
}

void AppController::applicationDidFinishLaunching()
{
    if (m_preferences.isFirstLaunch()) {
        Workspace::openURL(QUrl(FIRST_START_URL.toString()));
        m_preferences.setIsFirstLaunch(false);
        m_preferences.saveValues();
    }
    connect(&m_clipboardIntake, &ClipboardIntake::linksCopied, this, &AppController::addYoutubesURL);
    m_clipboardIntake.start();
}

void AppController::notificationTableViewDoubleClick()
{
    if (const auto item = m_model.itemAt(m_ui.tableView->highlightedRow()))
        play(*item);
}

void AppController::play(YoutubeDownloader &item)
{
    if (!item.play())
        tell(StringUtils::langStr(435).arg(QFileInfo(item.filePathForDownloading()).fileName()));
}

void AppController::openPage(const QUrl &page)
{
    if (!Workspace::openURL(page))
        tell(StringUtils::langStr(436).arg(page.toString()));
}

void AppController::observeNotifications()
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, PATH_WAS_CHANGED_NOTIFICATION_NAME.toString(), nullptr, [this](const Notification &posted) {
        const QVariant path = posted.userInfo.value(PATH_WAS_CHANGED_NEW_PATH_KEY.toString());
        if (path.isValid())
            m_guiThread.post([this, path = path.toString()] {
                for (const auto &item : youtubeList())
                    item->setSavedFolderPath(path);
            });
    });
    // A drop announces its links before it tells its lines left out; the
    // links join the list later, through the clipboard's way.
    center.addObserver(this, YOUTUBE_ADD_URLS_FROM_CLIPBOARD.toString(), m_ui.tableView, [this](const Notification &posted) {
        const QVariant links = posted.userInfo.value(YOUTUBE_ADD_URLS_FROM_CLIPBOARD_KEY_NAME.toString());
        m_droppedListed = m_list.countListed(links.toStringList());
    });
    center.addObserver(this, NOTIFICATION_YOUTUBE_TABLE_VIEW_DBL_CLICK.toString(), nullptr,
                       [this](const Notification &) { m_guiThread.post([this] { notificationTableViewDoubleClick(); }); });
}

void AppController::observeList()
{
    connect(&m_list, &DownloadList::statusChanged, this, &AppController::updateDownloadAllButton);
    // A removed item says nothing more: the last running one may have gone.
    // Restored items come in at work, without a change of status.
    connect(&m_list, &DownloadList::removed, this, &AppController::updateDownloadAllButton);
    connect(&m_list, &DownloadList::added, this, &AppController::updateDownloadAllButton);
    WarningPanel *warnings = m_ui.warningPanel;
    connect(&m_list, &DownloadList::saveFailed, warnings, [warnings](const QString &reason) {
        warnings->setWarning(u"listNotSaved"_s, StringUtils::langStr(260).arg(reason), {},
                             WarningPanel::Dismiss::WhenDealtWith);
    });
    connect(&m_list, &DownloadList::savedAgain, warnings, [warnings] { warnings->clearWarning(u"listNotSaved"_s); });
}

// ---- the list

void AppController::addYoutubesURL(const QStringList &candidates)
{
    if (m_shutDown)
        return;
    // One insertion for the lot: the table lays itself out once.
    if (!m_list.add(candidates, newItemFolder()).isEmpty())
        m_ui.animatedHelpView->setIsActive(false);
}

void AppController::addPastedText(const QString &text)
{
    const QStringList lines = StringUtils::parseStringList(text, u"\n"_s);
    const qsizetype listed = m_list.countListed(lines);
    addYoutubesURL(lines);
    tellLeftOut(SourceLinks::countOfLinesNotLinks(text), listed);
}

void AppController::paste()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasText())
        addPastedText(data->text());
}

void AppController::tellLeftOut(qsizetype notLinks, qsizetype listed)
{
    const QString told = SkippedLines::text(notLinks, listed, true);
    if (told.isEmpty())
        clearMessage();
    else
        tell(told);
}

// A sentence below the list, for a while.
void AppController::tell(const QString &message)
{
    m_ui.messageText->setText(message);
    m_ui.messageText->setToolTip(message);
    m_messageTimer.start();
}

void AppController::clearMessage()
{
    m_messageTimer.stop();
    m_ui.messageText->clear();
    m_ui.messageText->setToolTip({});
}

void AppController::openOutputFolder()
{
    // The folder may not have been made yet: downloads make it anyway.
    const QString folder = newItemFolder();
    if (!QDir().mkpath(folder) || !Workspace::openFile(folder))
        tell(StringUtils::langStr(252).arg(folder));
}

void AppController::startAddURLSheet()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    m_ui.miPaste->setEnabled(false);
    m_addLinksSheet->start(data && data->hasText() ? data->text() : QString());
}

void AppController::startAddFiles()
{
    m_addFilesDialog->open();
}

void AppController::openPreferencesWindow()
{
    if (!m_preferencesWindow) {
        m_preferencesWindow = new PreferencesWindow(m_preferences, m_ui.tableView->window());
        connect(m_preferencesWindow, &QDialog::finished, m_preferencesControllerUser, [this] {
            m_preferencesControllerUser->initControlsValues();
            m_list.followLimit();
        });
    }
    m_preferencesWindow->showWindow();
}

void AppController::removeVideoClip()
{
    const auto items = selectedItems();
    m_ui.tableView->clearSelection();
    m_list.remove(items);
}

void AppController::removeFinished()
{
    DownloadList::Items finished;
    for (const auto &item : youtubeList()) {
        if (item->youtubeStatus() == StatusFinished)
            finished.append(item);
    }
    m_list.remove(finished);
}

// Read from the selection's ranges, in their order, as selectedRows()
// gives them: that one looks for every row in every range, which a thousand
// rows picked one by one make slow. The table selects whole rows.
QList<std::shared_ptr<YoutubeDownloader>> AppController::selectedItems() const
{
    QList<std::shared_ptr<YoutubeDownloader>> items;
    QSet<int> seen;
    for (const QItemSelectionRange &range : m_ui.tableView->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (seen.contains(row))
                continue;
            seen.insert(row);
            if (auto item = m_model.itemAt(row))
                items.append(std::move(item));
        }
    }
    return items;
}

QString AppController::newItemFolder() const
{
    const QString shown = m_ui.pathFolderPath->folderPath();
    return shown.isEmpty() ? m_preferences.savedFolderPath() : shown;
}

// ---- the download-all button

// Pausing comes first: a press must be able to stop everything at once.
AppController::AllAction AppController::allAction() const
{
    return m_list.hasRunning() ? AllAction::Pause : m_list.hasPaused() ? AllAction::Resume : AllAction::Download;
}

void AppController::downloadAllURL()
{
    switch (allAction()) {
    case AllAction::Pause: m_list.pauseAll(); break;
    case AllAction::Resume: m_list.resumeAll(); break;
    case AllAction::Download: m_list.downloadAll(); break;
    }
    updateDownloadAllButton();
}

// The button and the menu item say what a press will do.
void AppController::updateDownloadAllButton()
{
    struct Face
    {
        RowButtons::Kind icon;
        int text;
        int toolTip;
    };
    static constexpr Face Faces[] = {{RowButtons::Refresh, 26, 27}, {RowButtons::Pause, 65, 431}, {RowButtons::Resume, 430, 432}};
    const AllAction action = allAction();
    // Every status change of every item asks; the toolbar lays itself out
    // again only when the button really changes.
    if (m_allAction == action)
        return;
    m_allAction = action;
    const Face &face = Faces[int(action)];
    for (QAction *downloadAll : {m_ui.miDownloadAllURL, m_ui.toolDownloadAll}) {
        downloadAll->setText(StringUtils::langStr(face.text));
        downloadAll->setToolTip(StringUtils::langStr(face.toolTip));
    }
    m_ui.toolDownloadAll->setIcon(RowButtons::icon(face.icon));
}

// ---- the row menu

void AppController::showMenuForButton(const std::shared_ptr<YoutubeDownloader> &item)
{
    const int row = m_model.rowOf(*item);
    if (row < 0)
        return;
    m_ui.tableView->clearSelection();
    m_ui.tableView->selectRow(row);
    const QRect cell = m_ui.tableView->visualRect(m_model.index(row, RowModel::TitleColumn));
    const QRect button = YoutubeMenuView::getMenuButtonFrame(cell.size()).toRect().translated(cell.topLeft());
    showRowMenu(item, m_ui.tableView->viewport()->mapToGlobal(button.bottomLeft()));
}

void AppController::showRowMenu(const std::shared_ptr<YoutubeDownloader> &item, QPoint globalPosition)
{
    if (!item)
        return;
    m_menuItem = item;
    m_popupMenu->popup(globalPosition);
}

void AppController::menuWillOpen()
{
    m_menuQuality->clear();
    const auto item = m_menuItem.lock();
    if (!item)
        return;
    // Another stream only before the download starts: its size and address
    // are what the download and the totals go by.
    const bool choosable = item->youtubeStatus() == StatusReady;
    const YoutubeQualityPtr current = item->currentQuality();
    const YoutubeQualityList qualities = item->qualityList();
    for (qsizetype i = 0; i < qualities.size(); ++i) {
        QAction *entry = m_menuQuality->addAction(qualities.at(i)->description());
        entry->setCheckable(true);
        entry->setChecked(qualities.at(i) == current);
        entry->setEnabled(choosable);
        connect(entry, &QAction::triggered, this, [this, i] { menuQualityClick(int(i)); });
    }
    m_menuQuality->setEnabled(!qualities.isEmpty());
}

void AppController::menuQualityClick(int position)
{
    const auto item = m_menuItem.lock();
    if (!item || item->youtubeStatus() != StatusReady)
        return;
    const YoutubeQualityList qualities = item->qualityList();
    if (position < 0 || position >= qualities.size())
        return;
    item->setCurrentQuality(qualities.at(position));
    item->redrawRow();
}

void AppController::exploreYoutubeURL()
{
    if (const auto item = m_menuItem.lock())
        openPage(pageAddress(*item));
}

void AppController::openYoutubeURLInFinder()
{
    if (const auto item = m_menuItem.lock())
        Workspace::showInFileManager(item->filePathForDownloading());
}

void AppController::setUserInterface()
{
    const bool quickOptions = m_preferences.isShowQuickOptions();
    if (m_ui.tabQuickOptions->isHidden() == quickOptions)
        m_ui.tabQuickOptions->setHidden(!quickOptions);
    m_ui.miShowQuickOptions->setChecked(quickOptions);
    m_ui.miShowHintPanel->setChecked(m_preferences.isShowHintPanel());
}

void AppController::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_clipboardIntake.stop();
    m_list.close();
    m_model.stopCovers();
}
