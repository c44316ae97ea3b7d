#include "SleepInhibitor.h"

#include "DesktopBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <unistd.h>

#include <optional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

// logind comes first: its lock is a file descriptor, which the kernel closes
// when the program ends however it ends, so a crash never leaves the system
// unable to sleep; and it holds whatever desktop runs. The desktop's power
// manager serves where logind is missing or refuses (a session it does not
// count as local).
//
// Shared with the answers still to come, which may arrive after the
// inhibitor has gone and must then release what they grant.
struct SleepInhibitor::State : std::enable_shared_from_this<State>
{
    State(const QString &reason, const QDBusConnection &systemBus, const QDBusConnection &sessionBus)
        : reason(reason), systemBus(systemBus), sessionBus(sessionBus)
    {
    }

    void askLogind();
    void askPowerManager();
    void answered();
    void release();

    const QString reason;
    QDBusConnection systemBus;
    QDBusConnection sessionBus;
    bool wanted = false;
    bool asking = false;
    int logindLock = -1;         // inhibits while open
    std::optional<uint> cookie;  // the power manager's number for our inhibition
};

namespace {

QDBusMessage powerManagerCall(const QString &method)
{
    return DesktopBus::callToRunningService(u"org.freedesktop.PowerManagement"_s,
                                            u"/org/freedesktop/PowerManagement/Inhibit"_s,
                                            u"org.freedesktop.PowerManagement.Inhibit"_s, method);
}

} // namespace

void SleepInhibitor::State::askLogind()
{
    asking = true;
    QDBusMessage call = DesktopBus::callToRunningService(u"org.freedesktop.login1"_s, u"/org/freedesktop/login1"_s,
                                                         u"org.freedesktop.login1.Manager"_s, u"Inhibit"_s);
    call << u"sleep"_s << u"Vantrel"_s << reason << u"block"_s;
    DesktopBus::send(systemBus, call, [self = shared_from_this()](const QDBusMessage &answer) {
        // Taken rather than copied, so that ours is the only descriptor left
        // and closing it releases at once.
        if (answer.type() == QDBusMessage::ReplyMessage)
            self->logindLock = answer.arguments().value(0).value<QDBusUnixFileDescriptor>().takeFileDescriptor();
        if (self->logindLock < 0 && self->wanted)
            self->askPowerManager();
        else
            self->answered();
    });
}

void SleepInhibitor::State::askPowerManager()
{
    QDBusMessage call = powerManagerCall(u"Inhibit"_s);
    call << u"Vantrel"_s << reason;
    DesktopBus::send(sessionBus, call, [self = shared_from_this()](const QDBusMessage &answer) {
        if (answer.type() == QDBusMessage::ReplyMessage)
            self->cookie = answer.arguments().value(0).toUInt();
        self->answered();
    });
}

void SleepInhibitor::State::answered()
{
    asking = false;
    if (!wanted)
        release();
}

void SleepInhibitor::State::release()
{
    if (logindLock >= 0)
        ::close(std::exchange(logindLock, -1));
    if (cookie) {
        QDBusMessage call = powerManagerCall(u"UnInhibit"_s);
        call << *std::exchange(cookie, std::nullopt);
        sessionBus.send(call);
    }
}

SleepInhibitor::SleepInhibitor(const QString &reason)
    : SleepInhibitor(reason, QDBusConnection::systemBus(), QDBusConnection::sessionBus())
{
}

SleepInhibitor::SleepInhibitor(const QString &reason, const QDBusConnection &systemBus,
                               const QDBusConnection &sessionBus)
    : m_state(std::make_shared<State>(reason, systemBus, sessionBus))
{
}

SleepInhibitor::~SleepInhibitor()
{
    setInhibited(false);
}

void SleepInhibitor::setInhibited(bool inhibited)
{
    State &state = *m_state;
    if (inhibited == state.wanted)
        return;
    state.wanted = inhibited;
    if (state.asking)
        return; // the answer settles it
    if (inhibited)
        state.askLogind();
    else
        state.release();
}
