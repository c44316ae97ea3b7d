#pragma once

#include "DesktopNotifier.h"
#include "SleepInhibitor.h"

#include <QObject>

#include <functional>

class DownloadList;
class DownloadTotals;
class QWidget;
class YoutubeDownloader;

// What the desktop around the window learns of the work: the window's title
// carries the progress while work runs, for the task bar and the window
// switcher; a user who went elsewhere hears from the desktop when everything
// finished or an item stopped on a failure; and the system does not suspend
// while a download or a conversion runs. GUI thread only.
class DesktopIntegration final : public QObject
{
    Q_OBJECT

public:
    // `outputFolder` names where the files go, for the notification.
    DesktopIntegration(DownloadList &list, QWidget &window, std::function<QString()> outputFolder,
                       QObject *parent = nullptr);

    // The title and the end of the work, from the list's latest totals.
    void showTotals(const DownloadTotals &totals);

private:
    void followWork();
    void showProgressInTitle(const DownloadTotals &totals);
    void tellIfEverythingFinished(const DownloadTotals &totals);
    void tellStoppedOnFailure(const YoutubeDownloader &item);

    DownloadList &m_list;
    QWidget &m_window;
    const std::function<QString()> m_outputFolder;
    DesktopNotifier m_notifier;
    // Held while a download or a conversion runs.
    SleepInhibitor m_sleepInhibitor;
    bool m_everythingFinished = false;
};
