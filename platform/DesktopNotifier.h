#pragma once

#include <QString>

#include <memory>

class QDBusConnection;

// Desktop notifications through the session's notification server, where one
// runs: none is started for them, and without one nothing shows. Never waits
// for the server. Used on the GUI thread.
class DesktopNotifier final
{
public:
    // On the session bus.
    DesktopNotifier();
    explicit DesktopNotifier(const QDBusConnection &bus);
    ~DesktopNotifier();
    Q_DISABLE_COPY_MOVE(DesktopNotifier)

    // Shows `summary` and `body` as plain text and returns at once. Each
    // notification takes the place of the previous one, and one asked for
    // while another is on its way supersedes those still waiting, so a burst
    // leaves the newest on screen rather than a pile.
    void notify(const QString &summary, const QString &body);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
