#include "DownloadListModel.h"

#include "YoutubeDownloader.h"

DownloadListModel::DownloadListModel(QObject *parent)
    : QAbstractTableModel(parent), m_headers(RowModel::ColumnCount)
{
}

std::shared_ptr<YoutubeDownloader> DownloadListModel::itemAt(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items.at(row) : nullptr;
}

int DownloadListModel::rowOf(const YoutubeDownloader &item) const
{
    for (qsizetype row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row).get() == &item)
            return int(row);
    }
    return -1;
}

void DownloadListModel::append(const Items &items)
{
    if (items.isEmpty())
        return;
    const int first = int(m_items.size());
    beginInsertRows({}, first, first + int(items.size()) - 1);
    m_items.append(items);
    endInsertRows();
}

void DownloadListModel::remove(const YoutubeDownloader &item)
{
    const int row = rowOf(item);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    // Kept until the row is gone from the view: the list may hold the last
    // reference.
    const auto removed = m_items.takeAt(row);
    endRemoveRows();
}

void DownloadListModel::rowChanged(const YoutubeDownloader &item)
{
    if (const int row = rowOf(item); row >= 0)
        Q_EMIT dataChanged(index(row, 0), index(row, RowModel::ColumnCount - 1));
}

int DownloadListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int DownloadListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RowModel::ColumnCount;
}

QVariant DownloadListModel::data(const QModelIndex &index, int role) const
{
    const auto item = itemAt(index.row());
    if (!item)
        return {};
    if (role == RowModel::ItemRole)
        return QVariant::fromValue(item);
    if (role != RowModel::StyledTextRole && role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    StyledText text;
    if (index.column() == RowModel::TitleColumn)
        text = item->descriptionObject();
    else if (index.column() == RowModel::StatusColumn)
        text = item->descriptionObjectYoutubeStatus();
    if (role == RowModel::StyledTextRole)
        return QVariant::fromValue(text);
    if (role == Qt::ToolTipRole && index.column() == RowModel::TitleColumn)
        return item->youtubeURL();
    return text.plainText();
}

QVariant DownloadListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
        return {};
    return m_headers.at(section);
}

bool DownloadListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::EditRole || section < 0 || section >= m_headers.size())
        return false;
    m_headers[section] = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}
