#include "TotalsBar.h"

#include "DownloadList.h"
#include "DownloadTotals.h"
#include "StringUtils.h"
#include "ui_MainWindow.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// String 49 holds a printf format with two integers; anything else in a
// translation is left as it stands rather than handed to printf.
QString countsText(int finished, int inWork)
{
    QString text = StringUtils::langStr(49);
    for (const int count : {finished, inWork}) {
        if (const qsizetype at = text.indexOf(u"%d"_s); at >= 0)
            text.replace(at, 2, QString::number(count));
    }
    return text;
}

} // namespace

TotalsBar::TotalsBar(DownloadList &list, Ui::MainWindow &ui, QObject *parent)
    : QObject(parent), m_list(list), m_ui(ui)
{
    connect(&m_list, &DownloadList::added, this, &TotalsBar::refreshSoon);
    connect(&m_list, &DownloadList::removed, this, &TotalsBar::refreshSoon);
    connect(&m_list, &DownloadList::changed, this, &TotalsBar::refreshSoon);
    connect(&m_list, &DownloadList::statusChanged, this, &TotalsBar::refreshSoon);
    m_ui.totalProgress->setMaximum(DownloadTotals::ProgressScale);
    // Hidden, the bar keeps its room: the list above must not jump as work
    // comes and goes.
    for (QWidget *part : {static_cast<QWidget *>(m_ui.totalProgress), static_cast<QWidget *>(m_ui.totalProgressLabel)}) {
        QSizePolicy policy = part->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        part->setSizePolicy(policy);
    }
}

// Download All on a thousand items says a thousand times that one started:
// the list is counted once after them.
void TotalsBar::refreshSoon()
{
    if (m_refreshDue)
        return;
    m_refreshDue = true;
    QMetaObject::invokeMethod(this, &TotalsBar::refresh, Qt::QueuedConnection);
}

void TotalsBar::refresh()
{
    m_refreshDue = false;
    const DownloadTotals totals = DownloadTotals::of(m_list);
    m_ui.averageSpeed->setText(totals.averageSpeed() > 0 ? StringUtils::speedText(totals.averageSpeed()) : QString());
    const bool hidden = totals.isProgressHidden();
    if (m_ui.totalProgress->isHidden() != hidden) {
        m_ui.totalProgress->setHidden(hidden);
        m_ui.totalProgressLabel->setHidden(hidden);
    }
    m_ui.totalProgressLabel->setText(countsText(totals.downloadedObjects(), totals.needDownloadObjects()));
    m_ui.totalProgress->setValue(totals.progressValue());
    Q_EMIT refreshed(totals);
}
