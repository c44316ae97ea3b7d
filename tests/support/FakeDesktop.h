#pragma once

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

#include <mutex>
#include <optional>


inline const QString Notifications = QStringLiteral("org.freedesktop.Notifications");
inline const QString Logind = QStringLiteral("org.freedesktop.login1");
inline const QString PowerManager = QStringLiteral("org.freedesktop.PowerManagement");

inline const QString NotifyCall = QStringLiteral("/org/freedesktop/Notifications org.freedesktop.Notifications.Notify(susssasa{sv}i) ");
inline const QString LogindInhibitCall = QStringLiteral("/org/freedesktop/login1 org.freedesktop.login1.Manager.Inhibit(ssss) ");
inline const QString PowerInhibitCall =
    QStringLiteral("/org/freedesktop/PowerManagement/Inhibit org.freedesktop.PowerManagement.Inhibit.Inhibit(ss) ");
inline const QString PowerUnInhibitCall =
    QStringLiteral("/org/freedesktop/PowerManagement/Inhibit org.freedesktop.PowerManagement.Inhibit.UnInhibit(u) ");

inline QString argumentText(const QVariant &value)
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
        : m_bus(QDBusConnection::connectToBus(address, QStringLiteral("fake-desktop"))),
          m_capabilities(capabilities),
          m_logindGrants(logindGrants)
    {
        m_bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath);
        for (const QString &service : services)
            m_bus.registerService(service);
    }

    ~FakeDesktop() override
    {
        m_bus.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
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
        m_calls.append(call.path() + u' ' + call.interface() + u'.' + call.member() + u'(' + call.signature() + QStringLiteral(") ")
                       + arguments.join(u'|'));
        const QString method = call.interface() + u'.' + call.member();
        if (method == u"org.freedesktop.Notifications.GetCapabilities")
            bus.send(call.createReply(m_capabilities));
        else if (method == u"org.freedesktop.Notifications.Notify")
            bus.send(call.createReply(m_nextNotificationId++));
        else if (method == u"org.freedesktop.login1.Manager.Inhibit" && !m_logindGrants)
            bus.send(call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), QStringLiteral("Not a local session")));
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


// A bus daemon of the test's own, never the desktop's. A service asked for
// by name would be started from the files in its service folder, the one
// the session's configuration reads under XDG_DATA_HOME: each leaves a mark,
// "started-<name>", in folder(). Make it in initTestCase(): started with the
// test object, before the test run begins, the fork leaves ThreadSanitizer
// reporting races in threads that came later.
class PrivateBus final
{
public:
    PrivateBus()
    {
        const QString services = m_dir.filePath(QStringLiteral("dbus-1/services"));
        QDir().mkpath(services);
        for (const QString &service : {Notifications, Logind, PowerManager}) {
            QFile file(services + QStringLiteral("/%1.service").arg(service));
            if (file.open(QIODevice::WriteOnly))
                file.write(QStringLiteral("[D-BUS Service]\nName=%1\nExec=/usr/bin/touch %2/started-%1\n")
                               .arg(service, m_dir.path())
                               .toUtf8());
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.path());
        m_daemon.setProcessEnvironment(environment);
        // Its socket in the folder too, which goes with the test.
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                        QStringLiteral("--address=unix:dir=") + m_dir.path()});
        if (m_daemon.waitForReadyRead(10'000))
            m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }

    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    // Empty when the daemon did not start.
    QString address() const { return m_address; }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};
