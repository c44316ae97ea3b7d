#include "NotificationCenter.h"

#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace Qt::Literals::StringLiterals;

class TestNotificationCenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deliversToMatchingObservers_data();
    void deliversToMatchingObservers();
    void removesAllOfAnOwner();
    void removesOneObservation();
    void handlerMayRemoveItselfAndPost();
    void deliveredOnThePostingThread();
    void removalWaitsForRunningHandlers();
    void concurrentPostAddRemove();
};

void TestNotificationCenter::deliversToMatchingObservers_data()
{
    QTest::addColumn<QString>("postedName");
    QTest::addColumn<int>("postedObject"); // 0: none, 1 or 2: one of two posters
    QTest::addColumn<int>("forAnyObject");
    QTest::addColumn<int>("forFirstObject");

    QTest::newRow("no object") << u"N"_s << 0 << 1 << 0;
    QTest::newRow("first object") << u"N"_s << 1 << 1 << 1;
    QTest::newRow("other object") << u"N"_s << 2 << 1 << 0;
    QTest::newRow("other name") << u"M"_s << 1 << 0 << 0;
    QTest::newRow("names are case-sensitive") << u"n"_s << 1 << 0 << 0;
}

void TestNotificationCenter::deliversToMatchingObservers()
{
    QFETCH(QString, postedName);
    QFETCH(int, postedObject);
    QFETCH(int, forAnyObject);
    QFETCH(int, forFirstObject);
    const int posters[2] = {};
    NotificationCenter center;
    int any = 0;
    int first = 0;
    center.addObserver(this, u"N"_s, nullptr, [&any](const Notification &) { ++any; });
    center.addObserver(this, u"N"_s, &posters[0], [&first](const Notification &) { ++first; });

    center.post(postedName, postedObject == 0 ? nullptr : &posters[postedObject - 1]);

    QCOMPARE(any, forAnyObject);
    QCOMPARE(first, forFirstObject);
}

void TestNotificationCenter::removesAllOfAnOwner()
{
    NotificationCenter center;
    const int owner = 0;
    const int other = 0;
    int calls = 0;
    int otherCalls = 0;
    center.addObserver(&owner, u"A"_s, nullptr, [&calls](const Notification &) { ++calls; });
    center.addObserver(&owner, u"B"_s, nullptr, [&calls](const Notification &) { ++calls; });
    center.addObserver(&other, u"A"_s, nullptr, [&otherCalls](const Notification &) { ++otherCalls; });

    center.removeObserver(&owner);
    center.post(u"A"_s);
    center.post(u"B"_s);

    QCOMPARE(calls, 0);
    QCOMPARE(otherCalls, 1);
}

void TestNotificationCenter::removesOneObservation()
{
    NotificationCenter center;
    const int posters[2] = {};
    QStringList seen;
    const auto record = [&seen](const Notification &n) { seen.append(n.name); };
    center.addObserver(this, u"A"_s, &posters[0], record);
    center.addObserver(this, u"A"_s, &posters[1], record);
    center.addObserver(this, u"B"_s, nullptr, record);

    center.removeObserver(this, u"A"_s, &posters[0]);
    center.post(u"A"_s, &posters[0]);
    center.post(u"A"_s, &posters[1]);
    center.post(u"B"_s);
    QCOMPARE(seen, (QStringList{u"A"_s, u"B"_s}));

    center.removeObserver(this, u"A"_s);
    center.post(u"A"_s, &posters[1]);
    QCOMPARE(seen.size(), 2);
}

void TestNotificationCenter::handlerMayRemoveItselfAndPost()
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

void TestNotificationCenter::deliveredOnThePostingThread()
{
    NotificationCenter center;
    const int poster = 0;
    Notification seen;
    std::thread::id handledOn;
    center.addObserver(this, u"N"_s, nullptr, [&](const Notification &n) {
        seen = n;
        handledOn = std::this_thread::get_id();
    });
    std::thread::id postedOn;
    std::thread thread([&] {
        postedOn = std::this_thread::get_id();
        center.post(u"N"_s, &poster, {{u"downloader"_s, 42}});
    });
    thread.join();
    QCOMPARE(handledOn, postedOn);
    QCOMPARE(seen.name, u"N"_s);
    QCOMPARE(seen.object, static_cast<const void *>(&poster));
    QCOMPARE(seen.userInfo.value(u"downloader"_s).toInt(), 42);
}

// The guarantee an item's teardown relies on: once removeObserver returns, a
// handler running on another thread has left, and no new call begins.
void TestNotificationCenter::removalWaitsForRunningHandlers()
{
    NotificationCenter center;
    std::atomic<bool> entered = false;
    std::atomic<bool> release = false;
    std::atomic<bool> left = false;
    center.addObserver(this, u"N"_s, nullptr, [&](const Notification &) {
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
    poster.join();
    releaser.join();
}

void TestNotificationCenter::concurrentPostAddRemove()
{
    NotificationCenter center;
    constexpr int Threads = 4;
    constexpr int Rounds = 2000;
    std::atomic<int> callsAfterRemoval = 0;
    std::atomic<int> delivered = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < Rounds; ++round) {
                // Each round's owner lives on this thread's stack: a call
                // after removal would touch a flag that says so.
                std::atomic<bool> removed = false;
                const int owner = 0;
                center.addObserver(&owner, u"Tick"_s, nullptr, [&removed, &callsAfterRemoval,
                                                                 &delivered](const Notification &) {
                    if (removed)
                        ++callsAfterRemoval;
                    ++delivered;
                });
                center.post(u"Tick"_s, nullptr, {{u"thread"_s, t}});
                center.removeObserver(&owner);
                removed = true;
                center.post(u"Tick"_s);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(callsAfterRemoval.load(), 0);
    QVERIFY(delivered >= Threads * Rounds);
}

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_notificationcenter.moc"
