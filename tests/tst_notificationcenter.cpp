#include "NotificationCenter.h"

#include <QTest>

#include <atomic>
#include <thread>

using namespace Qt::Literals::StringLiterals;

class TestNotificationCenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    // By name, letter for letter, and by object where one was given.
    void deliversToMatchingObservers()
    {
        NotificationCenter center;
        const int posters[2] = {};
        QStringList seen;
        center.addObserver(this, u"N"_s, nullptr, [&seen](const Notification &) { seen.append(u"any"_s); });
        center.addObserver(this, u"N"_s, &posters[0], [&seen](const Notification &) { seen.append(u"first"_s); });
        center.post(u"N"_s);
        center.post(u"N"_s, &posters[0]);
        center.post(u"N"_s, &posters[1]);
        center.post(u"M"_s, &posters[0]);
        center.post(u"n"_s, &posters[0]);
        QCOMPARE(seen, (QStringList{u"any"_s, u"any"_s, u"first"_s, u"any"_s}));
    }

    // One observation by name and object, all of a name, or all of an owner.
    void removal()
    {
        NotificationCenter center;
        const int posters[2] = {};
        const int other = 0;
        QStringList seen;
        const auto record = [&seen](const Notification &n) { seen.append(n.name); };
        center.addObserver(this, u"A"_s, &posters[0], record);
        center.addObserver(this, u"A"_s, &posters[1], record);
        center.addObserver(this, u"B"_s, nullptr, record);
        center.addObserver(&other, u"A"_s, nullptr, [&seen](const Notification &) { seen.append(u"other"_s); });

        center.removeObserver(this, u"A"_s, &posters[0]);
        center.post(u"A"_s, &posters[0]);
        center.post(u"A"_s, &posters[1]);
        center.post(u"B"_s);
        QCOMPARE(seen, (QStringList{u"other"_s, u"A"_s, u"other"_s, u"B"_s}));

        seen.clear();
        center.removeObserver(this, u"A"_s);
        center.post(u"A"_s, &posters[1]);
        center.removeObserver(this);
        center.post(u"B"_s);
        QCOMPARE(seen, QStringList{u"other"_s});
    }

    void handlerMayRemoveItselfAndPost()
    {
        NotificationCenter center;
        int calls = 0;
        int echoes = 0;
        center.addObserver(this, u"Echo"_s, nullptr, [&echoes](const Notification &) { ++echoes; });
        center.addObserver(&calls, u"Once"_s, nullptr, [&](const Notification &) {
            ++calls;
            center.removeObserver(&calls);
            center.post(u"Echo"_s);
            center.post(u"Once"_s);
        });
        center.post(u"Once"_s);
        center.post(u"Once"_s);
        QCOMPARE(calls, 1);
        QCOMPARE(echoes, 1);
    }


    // Delivery happens on the posting thread. The guarantee an item's teardown
    // relies on: once removeObserver returns, a handler running on another
    // thread has left, and no new call begins.
    void removalWaitsForRunningHandlers()
    {
        NotificationCenter center;
        std::atomic<bool> entered = false;
        std::atomic<bool> release = false;
        std::atomic<bool> left = false;
        std::thread::id handledOn;
        center.addObserver(this, u"N"_s, nullptr, [&](const Notification &) {
            handledOn = std::this_thread::get_id();
            entered = true;
            while (!release)
                std::this_thread::yield();
            left = true;
        });
        std::thread poster([&] { center.post(u"N"_s); });
        while (!entered)
            std::this_thread::yield();
        std::thread releaser([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            release = true;
        });
        center.removeObserver(this);
        QVERIFY(left);
        QCOMPARE(handledOn, poster.get_id());
        poster.join();
        releaser.join();
        entered = false;
        center.post(u"N"_s);
        QVERIFY(!entered);
    }
};

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_notificationcenter.moc"
