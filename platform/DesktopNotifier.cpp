#include "DesktopNotifier.h"

#include "DesktopBus.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <optional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

// Shared with the answers still to come, which may arrive after the
// notifier has gone.
struct DesktopNotifier::State : std::enable_shared_from_this<State>
{
    explicit State(const QDBusConnection &bus)
        : bus(bus)
    {
    }

    void sendWaiting();
    void show(bool bodyMarkup);

    QDBusConnection bus;
    std::optional<std::pair<QString, QString>> waiting; // summary and body
    bool sending = false;
    uint shownId = 0; // the server's number for our notification on screen; 0: none
};

namespace {

QDBusMessage notificationsCall(const QString &method)
{
    return DesktopBus::callToRunningService(u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
                                            u"org.freedesktop.Notifications"_s, method);
}

} // namespace

void DesktopNotifier::State::sendWaiting()
{
    if (sending || !waiting)
        return;
    sending = true;
    // Asked every time: the server may have been replaced since the last one.
    DesktopBus::send(bus, notificationsCall(u"GetCapabilities"_s), [self = shared_from_this()](const QDBusMessage &answer) {
        if (answer.type() != QDBusMessage::ReplyMessage) {
            // No server: nothing to show, now or later.
            self->waiting.reset();
            self->sending = false;
            return;
        }
        self->show(answer.arguments().value(0).toStringList().contains(u"body-markup"_s));
    });
}

void DesktopNotifier::State::show(bool bodyMarkup)
{
    const auto [summary, body] = *std::exchange(waiting, std::nullopt);
    QDBusMessage call = notificationsCall(u"Notify"_s);
    // A server that reads markup in the body would take a title's "<" or "&"
    // for markup: a title like "<a href=...>" would turn into a link.
    call << u"Vantrel"_s << shownId << u"vantrel"_s << summary << (bodyMarkup ? body.toHtmlEscaped() : body)
         << QStringList() << QVariantMap{{u"desktop-entry"_s, u"vantrel"_s}} << -1;
    DesktopBus::send(bus, call, [self = shared_from_this()](const QDBusMessage &answer) {
        if (answer.type() == QDBusMessage::ReplyMessage)
            self->shownId = answer.arguments().value(0).toUInt();
        self->sending = false;
        self->sendWaiting();
    });
}

DesktopNotifier::DesktopNotifier()
    : DesktopNotifier(QDBusConnection::sessionBus())
{
}

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus)
    : m_state(std::make_shared<State>(bus))
{
}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::notify(const QString &summary, const QString &body)
{
    m_state->waiting.emplace(summary, body);
    m_state->sendWaiting();
}
