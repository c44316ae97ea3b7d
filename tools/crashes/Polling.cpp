#include "Polling.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace Polling {

bool until(const std::function<bool()> &done, int limitMs, int stepMs)
{
    const QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, stepMs);
        QThread::usleep(stepMs * 1000UL);
    }
    return true;
}

void pause(int ms)
{
    until([] { return false; }, ms);
}

} // namespace Polling
