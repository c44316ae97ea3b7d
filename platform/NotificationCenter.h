#pragma once

#include <QString>
#include <QVariantMap>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// One notification as observers see it. `object` only identifies the poster;
// it is never dereferenced by the centre.
struct Notification
{
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
};

// Named notifications delivered synchronously on the posting thread, so a
// worker thread that posts runs its observers itself. Observers are grouped by
// an owner key so that an object can drop all of its observations at once in
// its teardown. Once removeObserver() returns, the removed handlers are never
// entered again on any thread, and calls already running on other threads have
// finished; a handler may remove itself (or post) while it runs.
class NotificationCenter final
{
public:
    using Handler = std::function<void(const Notification &)>;

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    static NotificationCenter &defaultCenter();

    // A null `object` observes the name from any poster.
    void addObserver(const void *owner, const QString &name, const void *object, Handler handler);
    void removeObserver(const void *owner);
    void removeObserver(const void *owner, const QString &name, const void *object = nullptr);

    void post(const QString &name, const void *object = nullptr, const QVariantMap &userInfo = {});

private:
    struct Entry;
    using EntryPtr = std::shared_ptr<Entry>;

    template<typename Predicate>
    void removeWhere(Predicate matches);
    static void retire(Entry &entry);
    static void deliver(Entry &entry, const Notification &notification);

    std::mutex m_mutex;
    std::vector<EntryPtr> m_entries;
};
