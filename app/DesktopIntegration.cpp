#include "DesktopIntegration.h"

#include "DownloadList.h"
#include "DownloadTotals.h"
#include "StringUtils.h"
#include "YoutubeDownloader.h"

#include <QWidget>

using namespace Qt::Literals::StringLiterals;

DesktopIntegration::DesktopIntegration(DownloadList &list, QWidget &window, std::function<QString()> outputFolder,
                                       QObject *parent)
    : QObject(parent),
      m_list(list),
      m_window(window),
      m_outputFolder(std::move(outputFolder)),
      m_sleepInhibitor(StringUtils::langStr(248))
{
    // Judged at the change: by the time it arrives here, later changes may
    // have come too.
    connect(&m_list, &DownloadList::statusChanged, this,
            [this](const DownloadList::Item &item, YoutubeStatus, bool stoppedOnFailure) {
                followWork();
                if (stoppedOnFailure)
                    tellStoppedOnFailure(*item);
            });
    // A removed item says nothing more: the last running one may have gone.
    // Restored items come in at work, without a change of status.
    connect(&m_list, &DownloadList::removed, this, &DesktopIntegration::followWork);
    connect(&m_list, &DownloadList::added, this, &DesktopIntegration::followWork);
}

void DesktopIntegration::followWork()
{
    m_sleepInhibitor.setInhibited(m_list.hasRunning());
}

void DesktopIntegration::showTotals(const DownloadTotals &totals)
{
    showProgressInTitle(totals);
    tellIfEverythingFinished(totals);
}

void DesktopIntegration::showProgressInTitle(const DownloadTotals &totals)
{
    QString title = StringUtils::langStr(1);
    if (m_list.hasRunning()) {
        const QString progress = StringUtils::langStr(237)
                                     .arg(totals.downloadedObjects())
                                     .arg(totals.needDownloadObjects())
                                     .arg(totals.workPercent());
        title = progress + u" \u2014 "_s + title;
    }
    m_window.setWindowTitle(title);
}

void DesktopIntegration::tellIfEverythingFinished(const DownloadTotals &totals)
{
    const bool finished = totals.needDownloadObjects() > 0 && totals.downloadedObjects() == totals.needDownloadObjects();
    if (finished && !m_everythingFinished && !m_window.isActiveWindow())
        m_notifier.notify(StringUtils::langStr(249), StringUtils::langStr(250).arg(m_outputFolder()));
    m_everythingFinished = finished;
}

void DesktopIntegration::tellStoppedOnFailure(const YoutubeDownloader &item)
{
    if (!m_window.isActiveWindow())
        m_notifier.notify(StringUtils::langStr(251), item.youtubeTitle() + u'\n' + item.statusNote());
}
