#pragma once

#include "RowModel.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include <memory>

class YoutubeDownloader;

// The download list, in the order links were added, as the table's model.
// Changes arrive as row insertions, removals and row updates, never as a
// reset: a reset would drop the selection and the current row under an open
// menu. GUI thread only.
class DownloadListModel final : public QAbstractTableModel
{
public:
    using Items = QList<std::shared_ptr<YoutubeDownloader>>;

    explicit DownloadListModel(QObject *parent = nullptr);

    const Items &youtubeList() const { return m_items; }
    std::shared_ptr<YoutubeDownloader> itemAt(int row) const;
    // -1 when the item is not in the list.
    int rowOf(const YoutubeDownloader &item) const;

    void append(const Items &items);
    void remove(const YoutubeDownloader &item);
    void rowChanged(const YoutubeDownloader &item);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role) override;

private:
    Items m_items;
    QStringList m_headers;
};
