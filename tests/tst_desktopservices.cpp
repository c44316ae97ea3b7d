#include "DesktopNotifier.h"
#include "SleepInhibitor.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Notifications = u"org.freedesktop.Notifications"_s;
const QString Logind = u"org.freedesktop.login1"_s;
const QString PowerManager = u"org.freedesktop.PowerManagement"_s;

const QString NotifyCall = u"/org/freedesktop/Notifications org.freedesktop.Notifications.Notify(susssasa{sv}i) "_s;
const QString LogindInhibitCall = u"/org/freedesktop/login1 org.freedesktop.login1.Manager.Inhibit(ssss) "_s;
const QString PowerInhibitCall =
    u"/org/freedesktop/PowerManagement/Inhibit org.freedesktop.PowerManagement.Inhibit.Inhibit(ss) "_s;
const QString PowerUnInhibitCall =
    u"/org/freedesktop/PowerManagement/Inhibit org.freedesktop.PowerManagement.Inhibit.UnInhibit(u) "_s;

QString argumentText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return u'[' + value.toStringList().join(u',') + u']';
    if (value.typeId() != qMetaTypeId<QDBusArgument>())
        return value.toString();
    QStringList entries;
    const QVariantMap map = qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    for (auto entry = map.cbegin(); entry != map.cend(); ++entry)
        entries.append(entry.key() + u'=' + entry.value().toString());
    return u'{' + entries.join(u',') + u'}';
}

// The desktop's services played on the private bus from a connection of its
// own, as the real ones answer, recording every call. An Inhibit call waits
// for answerInhibit(); logind refuses it where it is told to.
class FakeDesktop final : public QDBusVirtualObject
{
public:
    FakeDesktop(const QString &address, const QStringList &services, const QStringList &capabilities = {},
                bool logindGrants = true)
        : m_bus(QDBusConnection::connectToBus(address, u"fake-desktop"_s)),
          m_capabilities(capabilities),
          m_logindGrants(logindGrants)
    {
        m_bus.registerVirtualObject(u"/"_s, this, QDBusConnection::SubPath);
        for (const QString &service : services)
            m_bus.registerService(service);
    }

    ~FakeDesktop() override
    {
        m_bus.unregisterObject(u"/"_s, QDBusConnection::UnregisterTree);
        QDBusConnection::disconnectFromBus(m_bus.name());
        if (m_lockReadEnd >= 0)
            ::close(m_lockReadEnd);
    }

    QStringList calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

    bool holdsInhibit() const
    {
        std::lock_guard lock(m_mutex);
        return m_inhibit.has_value();
    }

    // logind answers with the write end of a pipe, the power manager with
    // cookie 42.
    void answerInhibit()
    {
        std::lock_guard lock(m_mutex);
        QDBusMessage answer;
        if (m_inhibit->interface() == u"org.freedesktop.login1.Manager") {
            int ends[2];
            QVERIFY(::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0);
            m_lockReadEnd = ends[0];
            answer = m_inhibit->createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1])));
            ::close(ends[1]);
        } else {
            answer = m_inhibit->createReply(42u);
        }
        m_bus.send(answer);
        m_inhibit.reset();
    }

    // Every copy of logind's lock is closed.
    bool lockReleased() const
    {
        std::lock_guard lock(m_mutex);
        char byte;
        return m_lockReadEnd >= 0 && ::read(m_lockReadEnd, &byte, 1) == 0;
    }

    bool handleMessage(const QDBusMessage &call, const QDBusConnection &bus) override
    {
        std::lock_guard lock(m_mutex);
        QStringList arguments;
        for (const QVariant &argument : call.arguments())
            arguments.append(argumentText(argument));
        m_calls.append(call.path() + u' ' + call.interface() + u'.' + call.member() + u'(' + call.signature() + u") "_s
                       + arguments.join(u'|'));
        const QString method = call.interface() + u'.' + call.member();
        if (method == u"org.freedesktop.Notifications.GetCapabilities")
            bus.send(call.createReply(m_capabilities));
        else if (method == u"org.freedesktop.Notifications.Notify")
            bus.send(call.createReply(m_nextNotificationId++));
        else if (method == u"org.freedesktop.login1.Manager.Inhibit" && !m_logindGrants)
            bus.send(call.createErrorReply(u"org.freedesktop.DBus.Error.AccessDenied"_s, u"Not a local session"_s));
        else if (call.member() == u"Inhibit")
            m_inhibit = call;
        else
            bus.send(call.createReply());
        return true;
    }

    QString introspect(const QString &) const override { return {}; }

private:
    QDBusConnection m_bus;
    const QStringList m_capabilities;
    const bool m_logindGrants;
    mutable std::mutex m_mutex;
    QStringList m_calls;
    std::optional<QDBusMessage> m_inhibit;
    uint m_nextNotificationId = 7;
    int m_lockReadEnd = -1;
};

} // namespace

// Against a bus daemon of the test's own, never the desktop's.
class TestDesktopServices : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QDBusConnection m_bus{u"vantrel-test"_s};

private Q_SLOTS:

    void initTestCase()
    {
        // A service asked for by name would be started from these files:
        // each leaves a mark that the test looks for.
        QVERIFY(QDir(m_dir.path()).mkdir(u"services"_s));
        for (const QString &service : {Notifications, Logind, PowerManager}) {
            QFile file(m_dir.filePath(u"services/%1.service"_s.arg(service)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(u"[D-BUS Service]\nName=%1\nExec=/usr/bin/touch %2/started-%1\n"_s.arg(service, m_dir.path())
                           .toUtf8());
        }
        QFile config(m_dir.filePath(u"bus.conf"_s));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(uR"(<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <servicedir>%1/services</servicedir>
  <policy context="default">
    <allow send_destination="*"/>
    <allow own="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)"_s.arg(m_dir.path())
                         .toUtf8());
        config.close();
        m_daemon.start(u"dbus-daemon"_s, {u"--config-file="_s + config.fileName(), u"--nofork"_s, u"--print-address"_s});
        QVERIFY2(m_daemon.waitForReadyRead(10'000), "dbus-daemon did not start");
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        m_bus = QDBusConnection::connectToBus(m_address, u"vantrel-test"_s);
        QVERIFY(m_bus.isConnected());
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(m_bus.name());
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

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
        QCOMPARE(QDir(m_dir.path()).entryList({u"started-*"_s}), QStringList());
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
