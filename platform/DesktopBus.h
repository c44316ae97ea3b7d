#pragma once

#include <QString>

#include <functional>

class QDBusConnection;
class QDBusMessage;

// Calls to desktop services over D-Bus that never make the caller wait.
class DesktopBus final
{
public:
    DesktopBus() = delete;

    // A method call that reaches the service only where it already runs: the
    // bus is told not to start one for it.
    static QDBusMessage callToRunningService(const QString &service, const QString &path, const QString &interface,
                                             const QString &method);
    // Sends the call and returns at once; `handler` gets the reply or the
    // error later, on the thread of the application object.
    static void send(const QDBusConnection &bus, const QDBusMessage &call,
                     std::function<void(const QDBusMessage &answer)> handler);
};
