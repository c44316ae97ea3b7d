#include "DownloadListModel.h"

#include "RowTexts.h"
#include "YoutubeDownloader.h"

#include <algorithm>

DownloadListModel::DownloadListModel(DownloadList &list, QImage placeholder, QObject *parent)
    : QAbstractTableModel(parent), m_list(list), m_placeholder(std::move(placeholder)), m_headers(RowModel::ColumnCount)
{
    connect(&list, &DownloadList::added, this, &DownloadListModel::append);
    connect(&list, &DownloadList::removed, this, &DownloadListModel::remove);
    connect(&list, &DownloadList::changed, this, &DownloadListModel::rowsChanged);
    connect(&list, &DownloadList::moved, this, &DownloadListModel::reorder);
    append(list.items());
}

DownloadList::Item DownloadListModel::itemAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

int DownloadListModel::rowOf(const YoutubeDownloader &item) const
{
    if (m_rowOfStale) {
        m_rowOf.clear();
        for (qsizetype row = 0; row < m_rows.size(); ++row)
            m_rowOf.insert(m_rows.at(row).get(), int(row));
        m_rowOfStale = false;
    }
    return m_rowOf.value(&item, -1);
}

void DownloadListModel::append(const DownloadList::Items &items)
{
    if (items.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(items.size()) - 1);
    for (const auto &item : items) {
        if (!m_rowOfStale)
            m_rowOf.insert(item.get(), int(m_rows.size()));
        m_rows.append(item);
    }
    endInsertRows();
}

// Removed rows leave in runs of neighbours, the last run first so that
// the others keep their numbers; the index is rebuilt once, when next
// asked: removing every row at quitting is one removal, not one each.
void DownloadListModel::remove(const DownloadList::Items &items)
{
    const QList<std::pair<int, int>> runs = runsOf(items);
    m_rowOfStale = true;
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        m_rows.remove(run->first, run->second - run->first + 1);
        endRemoveRows();
        // A view asking for a row meanwhile rebuilt the index from rows
        // that are still to go.
        m_rowOfStale = true;
    }
    for (const auto &item : items)
        m_covers.remove(item.get());
}

Qt::ItemFlags DownloadListModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

// A layout change, so that the selection and the current row travel with
// their items.
void DownloadListModel::reorder()
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QList<const YoutubeDownloader *> items;
    items.reserve(before.size());
    for (const QModelIndex &index : before)
        items.append(m_rows.value(index.row()).get());
    m_rows = m_list.items();
    m_rowOfStale = true;
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = items.at(i) ? rowOf(*items.at(i)) : -1;
        after.append(row < 0 ? QModelIndex() : index(row, before.at(i).column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// A batch that touches every row is one signal, not a thousand.
void DownloadListModel::rowsChanged(const DownloadList::Items &items)
{
    for (const auto &item : items)
        loadCover(*item);
    for (const auto &[first, last] : runsOf(items))
        Q_EMIT dataChanged(index(first, 0), index(last, RowModel::ColumnCount - 1));
}

QList<std::pair<int, int>> DownloadListModel::runsOf(const DownloadList::Items &items) const
{
    QList<int> rows;
    for (const auto &item : items) {
        if (const int row = rowOf(*item); row >= 0)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    QList<std::pair<int, int>> runs;
    for (const int row : std::as_const(rows)) {
        if (!runs.isEmpty() && runs.constLast().second + 1 == row)
            runs.last().second = row;
        else
            runs.append({row, row});
    }
    return runs;
}

void DownloadListModel::loadCover(const YoutubeDownloader &item)
{
    const QString url = m_list.rowState(item).coverURL;
    Cover &cover = m_covers[&item];
    if (url.isEmpty() || url == cover.url)
        return;
    cover.url = url;
    m_coverLoader.load(url, [this, key = &item, url](QImage picture) {
        m_guiThread.post([this, key, url, picture = std::move(picture)] { showCover(key, url, picture); });
    });
}

void DownloadListModel::showCover(const YoutubeDownloader *item, const QString &url, const QImage &picture)
{
    // The row may be gone, or have asked for another address meanwhile.
    const auto found = m_covers.find(item);
    if (found == m_covers.end() || found->url != url || picture.isNull())
        return;
    found->picture = picture;
    if (const int row = rowOf(*item); row >= 0)
        Q_EMIT dataChanged(index(row, RowModel::CoverColumn), index(row, RowModel::CoverColumn));
}

int DownloadListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
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
    switch (role) {
    case RowModel::ItemRole: return QVariant::fromValue(item);
    case RowModel::StatusRole: return qint32(item->youtubeStatus());
    case RowModel::ProgressRole:
    case RowModel::ProgressMaximumRole:
    case RowModel::CoverRole: return rowState(*item, role);
    case RowModel::StyledTextRole:
    case Qt::DisplayRole:
    case Qt::ToolTipRole: break;
    default: return {};
    }
    StyledText text;
    if (index.column() == RowModel::TitleColumn)
        text = RowTexts(*item).descriptionObject();
    else if (index.column() == RowModel::StatusColumn)
        text = RowTexts(*item).descriptionObjectYoutubeStatus();
    if (role == RowModel::StyledTextRole)
        return QVariant::fromValue(text);
    // The cell may have cut the title short: the whole of it, and the link.
    if (role == Qt::ToolTipRole && index.column() == RowModel::TitleColumn) {
        const QString title = item->youtubeTitle();
        return title.isEmpty() || title == item->youtubeURL() ? item->youtubeURL() : title + u'\n' + item->youtubeURL();
    }
    return text.plainText();
}

QVariant DownloadListModel::rowState(const YoutubeDownloader &item, int role) const
{
    if (role == RowModel::CoverRole) {
        const QImage picture = m_covers.value(&item).picture;
        return picture.isNull() ? m_placeholder : picture;
    }
    const RowRecord::State state = m_list.rowState(item);
    if (role == RowModel::ProgressRole)
        return state.value;
    return state.hasProgress ? QVariant(state.maximum) : QVariant();
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
