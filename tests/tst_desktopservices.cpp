#include "DesktopNotifier.h"
#include "SleepInhibitor.h"

#include "FakeDesktop.h"

#include <QDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// Against a bus daemon of the test's own, never the desktop's.
class TestDesktopServices : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateBus> m_private;
    QString m_address;
    QDBusConnection m_bus{u"vantrel-test"_s};

private Q_SLOTS:

    void initTestCase()
    {
        m_private = std::make_unique<PrivateBus>();
        m_address = m_private->address();
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon did not start");
        m_bus = QDBusConnection::connectToBus(m_address, u"vantrel-test"_s);
        QVERIFY(m_bus.isConnected());
    }

    void cleanupTestCase() { QDBusConnection::disconnectFromBus(m_bus.name()); }

    // The second takes the place of the first on screen, and the third, asked
    // for while the second is on its way, supersedes it. Only a server that
    // reads markup gets the body escaped.
    void notify_data()
    {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("shownBody");
        QTest::newRow("server reading markup")
            << QStringList{u"body"_s, u"body-markup"_s} << u"&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&lt;/a&gt;"_s;
        QTest::newRow("plain-text server") << QStringList{u"body"_s} << u"<a href=\"x\">Tom & Jerry</a>"_s;
    }

    void notify()
    {
        QFETCH(QStringList, capabilities);
        QFETCH(QString, shownBody);
        FakeDesktop desktop(m_address, {Notifications}, capabilities);
        DesktopNotifier notifier(m_bus);
        notifier.notify(u"First"_s, u"<a href=\"x\">Tom & Jerry</a>"_s);
        const QString first = NotifyCall + u"Vantrel|0|vantrel|First|"_s + shownBody + u"|[]|{desktop-entry=vantrel}|-1"_s;
        QTRY_COMPARE(desktop.calls().filter(u".Notify("_s), QStringList{first});
        notifier.notify(u"Second"_s, u"2"_s);
        notifier.notify(u"Third"_s, u"3"_s);
        QTRY_COMPARE(desktop.calls().filter(u".Notify("_s),
                     (QStringList{first, NotifyCall + u"Vantrel|7|vantrel|Third|3|[]|{desktop-entry=vantrel}|-1"_s}));
    }

    void nothingWithoutTheServices_data()
    {
        QTest::addColumn<bool>("busRuns");
        QTest::newRow("no bus") << false;
        QTest::newRow("bus without the services") << true;
    }

    void nothingWithoutTheServices()
    {
        QFETCH(bool, busRuns);
        const QDBusConnection bus = busRuns ? m_bus : QDBusConnection(u"never-connected"_s);
        DesktopNotifier notifier(bus);
        SleepInhibitor inhibitor(u"Converting"_s, bus, bus);
        notifier.notify(u"Done"_s, u"Song"_s);
        inhibitor.setInhibited(true);
        QTest::qWait(500);
        QCOMPARE(QDir(m_private->folder()).entryList({u"started-*"_s}), QStringList());
    }

    // "on" waits until the desktop holds the request, "answer" grants it,
    // "drop" destroys the inhibitor. Whatever the order, the desktop sees
    // one inhibition, released once nothing wants it.
    void inhibition_data()
    {
        QTest::addColumn<QStringList>("services");
        QTest::addColumn<bool>("logindGrants");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("heldAfter");
        const struct
        {
            const char *name;
            QStringList services;
            bool logindGrants;
        } desktops[] = {
            {"logind", {Logind, PowerManager}, true},
            {"refusing logind", {Logind, PowerManager}, false},
            {"power manager alone", {PowerManager}, false},
        };
        const struct
        {
            const char *steps;
            bool heldAfter;
        } runs[] = {
            {"on on answer", true},
            {"on answer off", false},
            {"on off answer", false},
            {"on off on answer", true},
            {"on drop answer", false},
        };
        for (const auto &desktop : desktops) {
            for (const auto &run : runs) {
                QTest::addRow("%s: %s", desktop.name, run.steps)
                    << desktop.services << desktop.logindGrants << QString::fromLatin1(run.steps) << run.heldAfter;
            }
        }
    }

    void inhibition()
    {
        QFETCH(QStringList, services);
        QFETCH(bool, logindGrants);
        QFETCH(QString, steps);
        QFETCH(bool, heldAfter);
        FakeDesktop desktop(m_address, services, {}, logindGrants);
        auto inhibitor = std::make_unique<SleepInhibitor>(u"Converting"_s, m_bus, m_bus);
        for (const QString &step : steps.split(u' ')) {
            if (step == u"on") {
                inhibitor->setInhibited(true);
                QTRY_VERIFY(desktop.holdsInhibit());
            } else if (step == u"off") {
                inhibitor->setInhibited(false);
            } else if (step == u"drop") {
                inhibitor.reset();
            } else {
                desktop.answerInhibit();
            }
        }

        const auto released = [&] {
            return logindGrants ? desktop.lockReleased()
                                : desktop.calls().contains(PowerUnInhibitCall + u"42"_s);
        };
        if (heldAfter) {
            QTest::qWait(200);
            QVERIFY(!released());
            inhibitor.reset();
        }
        QTRY_VERIFY(released());
        QStringList expected;
        if (services.contains(Logind))
            expected.append(LogindInhibitCall + u"sleep|Vantrel|Converting|block"_s);
        if (!logindGrants)
            expected += {PowerInhibitCall + u"Vantrel|Converting"_s, PowerUnInhibitCall + u"42"_s};
        QCOMPARE(desktop.calls(), expected);
    }
};

QTEST_GUILESS_MAIN(TestDesktopServices)
#include "tst_desktopservices.moc"
