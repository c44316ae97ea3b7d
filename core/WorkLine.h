#pragma once

#include <QHash>
#include <QList>

#include <functional>
#include <map>

class YoutubeDownloader;

// One of the list's lines (page loads, downloads, conversions): items that
// wait, in the list's order, for one of a number of places, and the items
// holding one, in the order they took it. The list decides what taking or
// losing a place means for an item; this only keeps the count.
class WorkLine final
{
public:
    using Item = YoutubeDownloader *;

    explicit WorkLine(std::function<int()> places)
        : m_places(std::move(places))
    {
    }

    // Into the line at `order`, unless the item waits or holds a place.
    void join(qint64 order, Item item);
    // Out of the line or its place; false when it had neither.
    bool leave(Item item);
    bool holdsPlace(Item item) const { return m_holders.contains(item); }
    bool waits(Item item) const { return m_orders.contains(item); }

    // The first in line while places are free, now holding them.
    QList<Item> admit();
    // The last to take a place while more hold one than there are places,
    // now waiting again.
    QList<Item> sendBack(const std::function<qint64(Item)> &orderOf);
    // The waiting items, first first.
    QList<Item> waiting() const;
    // After the list's order changed.
    void reorder(const std::function<qint64(Item)> &orderOf);

private:
    std::function<int()> m_places;
    std::map<qint64, Item> m_waiting;
    // Where each waiting item stands in m_waiting.
    QHash<Item, qint64> m_orders;
    QList<Item> m_holders;
};
