#include "NotificationCenter.h"

#include <algorithm>
#include <thread>

struct NotificationCenter::Entry
{
    const void *owner;
    QString name;
    const void *object;
    Handler handler;

    std::mutex mutex;
    std::condition_variable idle;
    bool removed = false;
    // Threads currently inside `handler`; a thread can appear more than once
    // when a handler posts the notification it observes.
    std::vector<std::thread::id> callers;
};

NotificationCenter &NotificationCenter::defaultCenter()
{
    // Never destroyed: the clipboard's thread posts to it until it is
    // joined, which the order of destruction at exit would not wait for.
    static auto *center = new NotificationCenter;
    return *center;
}

void NotificationCenter::addObserver(const void *owner, const QString &name, const void *object,
                                     Handler handler)
{
    auto entry = std::make_shared<Entry>();
    entry->owner = owner;
    entry->name = name;
    entry->object = object;
    entry->handler = std::move(handler);
    std::lock_guard lock(m_mutex);
    m_entries.push_back(std::move(entry));
}

void NotificationCenter::removeObserver(const void *owner)
{
    removeWhere([owner](const Entry &e) { return e.owner == owner; });
}

void NotificationCenter::removeObserver(const void *owner, const QString &name, const void *object)
{
    removeWhere([&](const Entry &e) {
        return e.owner == owner && e.name == name && (object == nullptr || e.object == object);
    });
}

template<typename Predicate>
void NotificationCenter::removeWhere(Predicate matches)
{
    std::vector<EntryPtr> removed;
    {
        std::lock_guard lock(m_mutex);
        auto firstRemoved = std::stable_partition(m_entries.begin(), m_entries.end(),
                                                  [&](const EntryPtr &e) { return !matches(*e); });
        removed.assign(std::make_move_iterator(firstRemoved), std::make_move_iterator(m_entries.end()));
        m_entries.erase(firstRemoved, m_entries.end());
    }
    // Outside the centre's lock: a handler that is still running elsewhere may
    // itself post or add observers while we wait for it.
    for (const EntryPtr &entry : removed)
        retire(*entry);
}

void NotificationCenter::retire(Entry &entry)
{
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(entry.mutex);
    entry.removed = true;
    entry.idle.wait(lock, [&] {
        return std::all_of(entry.callers.begin(), entry.callers.end(),
                           [self](std::thread::id id) { return id == self; });
    });
}

void NotificationCenter::post(const QString &name, const void *object, const QVariantMap &userInfo)
{
    std::vector<EntryPtr> matching;
    {
        std::lock_guard lock(m_mutex);
        for (const EntryPtr &e : m_entries) {
            if (e->name == name && (e->object == nullptr || e->object == object))
                matching.push_back(e);
        }
    }
    const Notification notification{name, object, userInfo};
    for (const EntryPtr &entry : matching)
        deliver(*entry, notification);
}

void NotificationCenter::deliver(Entry &entry, const Notification &notification)
{
    const auto self = std::this_thread::get_id();
    {
        std::lock_guard lock(entry.mutex);
        if (entry.removed)
            return;
        entry.callers.push_back(self);
    }
    struct Leave
    {
        Entry &entry;
        std::thread::id self;
        ~Leave()
        {
            std::lock_guard lock(entry.mutex);
            entry.callers.erase(std::find(entry.callers.begin(), entry.callers.end(), self));
            entry.idle.notify_all();
        }
    } leave{entry, self};
    entry.handler(notification);
}
