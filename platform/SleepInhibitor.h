#pragma once

#include <QString>

#include <memory>

class QDBusConnection;

// Keeps the system from suspending while the program has work running,
// through logind where it runs, else through the desktop's power manager;
// where neither runs nothing happens, and neither is started for it. Never
// waits for them. Used on the GUI thread.
class SleepInhibitor final
{
public:
    // `reason` is what the desktop shows where it lists what keeps the
    // system awake. On the system and session buses.
    explicit SleepInhibitor(const QString &reason);
    SleepInhibitor(const QString &reason, const QDBusConnection &systemBus, const QDBusConnection &sessionBus);
    // Releases the inhibition, once it is granted if that is still to come.
    ~SleepInhibitor();
    Q_DISABLE_COPY_MOVE(SleepInhibitor)

    // Cheap when nothing changes, so it may be called on every status
    // change. Changes made before the desktop answers are settled by the
    // answer: the system is inhibited once at most, and released if it
    // should no longer be.
    void setInhibited(bool inhibited);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
