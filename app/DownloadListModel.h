#pragma once

#include "CoverLoader.h"
#include "DownloadList.h"
#include "RowModel.h"
#include "ThreadHandOff.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QImage>
#include <QStringList>

#include <memory>
#include <utility>

class YoutubeDownloader;

// The download list as the table's rows, in the list's order, with each
// row's state as roles: the delegate paints from the index alone. Changes
// arrive as row insertions, removals and row updates, never as a reset: a
// reset would drop the selection and the current row under an open menu.
// Covers are fetched here, off the GUI thread. GUI thread only.
class DownloadListModel final : public QAbstractTableModel
{
public:
    DownloadListModel(DownloadList &list, QImage placeholder, QObject *parent = nullptr);

    DownloadList::Item itemAt(int row) const;
    // -1 when the item is not in the list.
    int rowOf(const YoutubeDownloader &item) const;
    // Cuts the cover transfers short and waits for their threads.
    void stopCovers() { m_coverLoader.stop(); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // Rows can be dragged, to move within the list.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role) override;

private:
    struct Cover
    {
        QString url;
        QImage picture;
    };

    void append(const DownloadList::Items &items);
    void remove(const DownloadList::Items &items);
    void rowsChanged(const DownloadList::Items &items);
    void reorder();
    void loadCover(const YoutubeDownloader &item);
    void showCover(const YoutubeDownloader *item, const QString &url, const QImage &picture);
    QVariant rowState(const YoutubeDownloader &item, int role) const;
    // The items' rows as runs of neighbours (first, last), in row order.
    QList<std::pair<int, int>> runsOf(const DownloadList::Items &items) const;

    DownloadList &m_list;
    const QImage m_placeholder;
    DownloadList::Items m_rows;
    // Rebuilt on the first lookup after rows moved.
    mutable QHash<const YoutubeDownloader *, int> m_rowOf;
    mutable bool m_rowOfStale = false;
    QHash<const YoutubeDownloader *, Cover> m_covers;
    QStringList m_headers;
    ThreadHandOff m_guiThread;
    // Last: stopped, and its threads done, before the rest goes.
    CoverLoader m_coverLoader;
};
