#pragma once

#include "ClipboardIntake.h"
#include "DesktopIntegration.h"
#include "DownloadList.h"
#include "DownloadListModel.h"
#include "ThreadHandOff.h"
#include "TotalsBar.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class AddLinksSheet;
class QFileDialog;
class StateFolder;
class PreferencesController;
class PreferencesWindow;
class QMenu;
class YoutubeProgramPreferences;
namespace Ui {
class MainWindow;
}

// The main window's controller: hands pasted, dropped and copied links to
// the download list, runs the window's commands on it and the download-all
// button, pops up the row menu with its quality submenu, and opens an item's
// page or file. The totals, the desktop and the clipboard have classes of
// their own, which it puts together. GUI thread only.
class AppController final : public QObject
{
    Q_OBJECT

public:
    AppController(Ui::MainWindow &ui, YoutubeProgramPreferences &preferences, QObject *parent = nullptr);
    // Stops every item first (see shutdown()).
    ~AppController() override;

    DownloadList &list() { return m_list; }
    DownloadListModel &model() { return m_model; }
    const DownloadList::Items &youtubeList() const { return m_list.items(); }

    // New items for the candidates that are links not yet in the list.
    void addYoutubesURL(const QStringList &candidates);
    // The link lines of a text the user pasted or added with the sheet;
    // says below the list what was left out.
    void addPastedText(const QString &text);
    void paste();
    // The add-links sheet; while it is up, Paste belongs to its text.
    void startAddURLSheet();
    AddLinksSheet &addLinksSheet() { return *m_addLinksSheet; }
    // File ▸ Add Files…: audio and video files the user has, converted
    // where the output goes.
    void startAddFiles();
    QFileDialog &addFilesDialog() { return *m_addFilesDialog; }
    // The preferences window, made on first use; the quick options follow
    // it when it closes.
    void openPreferencesWindow();
    PreferencesWindow *preferencesWindow() { return m_preferencesWindow; }
    void removeVideoClip();
    // Takes finished rows out of the list; their files stay.
    void removeFinished();
    void downloadAllURL();

    // The row menu, bound to `item` until it closes.
    void showRowMenu(const std::shared_ptr<YoutubeDownloader> &item, QPoint globalPosition);
    // The row menu below the menu button of the item's row, which it selects.
    void showMenuForButton(const std::shared_ptr<YoutubeDownloader> &item);
    QMenu &popupMenu() { return *m_popupMenu; }
    void exploreYoutubeURL();
    void openYoutubeURLInFinder();

    TotalsBar &totalsBar() { return m_totalsBar; }
    void setUserInterface();

    // The list is kept in `folder` between runs, and what was kept there
    // comes back now. Warns below the list, until dealt with, when the kept
    // list was damaged, when another running program keeps it, and while
    // writing it fails.
    void keepList(const QString &folder);

    // Once the window is up: the first-start page (once per user), then the
    // clipboard observer.
    void applicationDidFinishLaunching();

    // Stops every item, the clipboard observer and the cover loads, within a few seconds even with
    // stalled connections; leaves no file half written. Called before the
    // program quits.
    void shutdown();

private:
    void buildPopupMenu();
    void connectCommands();
    void connectRowKeys();
    void operateRow(const std::shared_ptr<YoutubeDownloader> &item);
    // A row's button, or the first one for a key: through the list.
    void press(const std::shared_ptr<YoutubeDownloader> &item, int button);
    void showHideHintPanel();
    // Says below the list that some lines of a paste or drop were no links,
    // or links listed already.
    void tellLeftOut(qsizetype notLinks, qsizetype listed);
    void tell(const QString &message);
    void clearMessage();
    // Made first if need be; said below the list when it cannot be opened.
    void openOutputFolder();
    void observeNotifications();
    void observeList();
    void notificationTableViewDoubleClick();
    // Open with the desktop's programs, and say so in the window when none can.
    void play(YoutubeDownloader &item);
    void openPage(const QUrl &page);
    void menuWillOpen();
    void menuQualityClick(int position);
    // What a press of Download All does now, which its label says.
    enum class AllAction { Download, Pause, Resume };
    AllAction allAction() const;
    // Follows the work that runs.
    void updateDownloadAllButton();
    QString newItemFolder() const;
    QList<std::shared_ptr<YoutubeDownloader>> selectedItems() const;

    Ui::MainWindow &m_ui;
    YoutubeProgramPreferences &m_preferences;
    // Held while the list lives: the last save comes before the lock goes.
    std::unique_ptr<StateFolder> m_stateFolder;
    DownloadList m_list{m_preferences};
    DownloadListModel m_model;
    ThreadHandOff m_guiThread;
    ClipboardIntake m_clipboardIntake{m_preferences};
    TotalsBar m_totalsBar;
    DesktopIntegration m_desktop;
    QTimer m_messageTimer{this};
    AddLinksSheet *m_addLinksSheet = nullptr;
    QFileDialog *m_addFilesDialog = nullptr;
    PreferencesWindow *m_preferencesWindow = nullptr;
    PreferencesController *m_preferencesControllerUser = nullptr;
    QMenu *m_popupMenu = nullptr;
    QMenu *m_menuQuality = nullptr;
    std::weak_ptr<YoutubeDownloader> m_menuItem;
    std::optional<AllAction> m_allAction;
    // Links of the drop under way that the list has already.
    qsizetype m_droppedListed = 0;
    bool m_shutDown = false;
};
