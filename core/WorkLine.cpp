#include "WorkLine.h"

#include <algorithm>

void WorkLine::join(qint64 order, Item item)
{
    if (m_holders.contains(item) || waits(item))
        return;
    m_waiting.emplace(order, item);
    m_orders.insert(item, order);
}

bool WorkLine::leave(Item item)
{
    if (m_holders.removeOne(item))
        return true;
    const auto found = m_orders.constFind(item);
    if (found == m_orders.cend())
        return false;
    m_waiting.erase(*found);
    m_orders.erase(found);
    return true;
}

QList<WorkLine::Item> WorkLine::admit()
{
    QList<Item> admitted;
    while (!m_waiting.empty() && m_holders.size() < m_places()) {
        const Item next = m_waiting.begin()->second;
        m_waiting.erase(m_waiting.begin());
        m_orders.remove(next);
        m_holders.append(next);
        admitted.append(next);
    }
    return admitted;
}

QList<WorkLine::Item> WorkLine::sendBack(const std::function<qint64(Item)> &orderOf)
{
    QList<Item> sent;
    while (m_holders.size() > std::max(0, m_places())) {
        const Item last = m_holders.takeLast();
        join(orderOf(last), last);
        sent.append(last);
    }
    return sent;
}

QList<WorkLine::Item> WorkLine::waiting() const
{
    QList<Item> items;
    items.reserve(qsizetype(m_waiting.size()));
    for (const auto &entry : m_waiting)
        items.append(entry.second);
    return items;
}

void WorkLine::reorder(const std::function<qint64(Item)> &orderOf)
{
    const QList<Item> items = waiting();
    m_waiting.clear();
    m_orders.clear();
    for (const Item item : items)
        join(orderOf(item), item);
}
