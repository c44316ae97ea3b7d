#include "NotificationCenter.h"

#include <QTest>

#include <atomic>
#include <thread>

using namespace Qt::Literals::StringLiterals;

class TestNotificationCenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deliversToMatchingObservers_data()
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

    void deliversToMatchingObservers()
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

    void deliveredOnThePostingThread()
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
        QCOMPARE(seen.object, static_cast<const void *>(&poster));
        QCOMPARE(seen.userInfo.value(u"downloader"_s).toInt(), 42);
    }

    // The guarantee an item's teardown relies on: once removeObserver returns, a
    // handler running on another thread has left, and no new call begins.
    void removalWaitsForRunningHandlers()
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
};

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_notificationcenter.moc"
