#pragma once

#include <QObject>

class DownloadList;
class DownloadTotals;
namespace Ui {
class MainWindow;
}

// The bar below the list: the speed of the running downloads, the bytes and
// the items done of those in work. It counts again when the list says
// something moved, once for all it says in one pass of the event loop, so a
// list where nothing moves costs nothing. GUI thread only.
class TotalsBar final : public QObject
{
    Q_OBJECT

public:
    TotalsBar(DownloadList &list, Ui::MainWindow &ui, QObject *parent = nullptr);

    // Counts the list and shows it now.
    void refresh();

Q_SIGNALS:
    void refreshed(const DownloadTotals &totals);

private:
    void refreshSoon();

    DownloadList &m_list;
    Ui::MainWindow &m_ui;
    bool m_refreshDue = false;
};
