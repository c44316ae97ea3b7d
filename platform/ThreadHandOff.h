#pragma once

#include <QObject>

#include <functional>

// Runs functions on the thread this object lives in, posted from any thread:
// Qt's queued call, with the hand-over made visible to ThreadSanitizer (Qt's
// own event queue is not instrumented, so captured data would look raced).
// The object must outlive every post made to it.
class ThreadHandOff final : public QObject
{
public:
    explicit ThreadHandOff(QObject *parent = nullptr);

    void post(std::function<void()> function);

protected:
    bool event(QEvent *event) override;
};
