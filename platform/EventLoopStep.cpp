#include "EventLoopStep.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>

bool EventLoopStep::run(int maxWaitMs)
{
    if (!QAbstractEventDispatcher::instance())
        return false;
    // A timer is an event source like any other: it ends the wait in time.
    QTimer wakeUp;
    if (maxWaitMs >= 0) {
        wakeUp.setSingleShot(true);
        wakeUp.start(maxWaitMs);
    }
    QEventLoop loop;
    loop.processEvents(QEventLoop::WaitForMoreEvents);
    return true;
}
