#pragma once

#include "ProcessResources.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <functional>

using ProcessResources::peakResidentKilobytes;

// Serves the event loop until `done` says so or `limit` has passed; what
// `done` says at the end.
inline bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = std::chrono::minutes(5))
{
    QDeadlineTimer deadline(limit);
    while (!done() && !deadline.hasExpired()) {
        QEventLoop().processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return done();
}
