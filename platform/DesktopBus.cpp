#include "DesktopBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QLoggingCategory>

namespace {

// Services that do not run are common and no fault of ours: heard of only
// where asked for.
Q_LOGGING_CATEGORY(lcDesktopBus, "vantrel.desktopbus", QtInfoMsg)

} // namespace

QDBusMessage DesktopBus::callToRunningService(const QString &service, const QString &path, const QString &interface,
                                              const QString &method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setAutoStartService(false);
    return call;
}

void DesktopBus::send(const QDBusConnection &bus, const QDBusMessage &call,
                      std::function<void(const QDBusMessage &answer)> handler)
{
    // Owned by the application rather than the caller, so that an answer
    // that comes after the caller has gone is still handled.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [handler = std::move(handler)](QDBusPendingCallWatcher *done) {
                         const QDBusMessage answer = done->reply();
                         if (answer.type() == QDBusMessage::ErrorMessage)
                             qCDebug(lcDesktopBus) << answer.errorName() << answer.errorMessage();
                         handler(answer);
                         done->deleteLater();
                     });
}
