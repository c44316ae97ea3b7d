#include "ThreadHandOff.h"

#include <QCoreApplication>
#include <QEvent>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define VANTREL_HAPPENS_BEFORE(address) __tsan_release(address)
#define VANTREL_HAPPENS_AFTER(address) __tsan_acquire(address)
#else
#define VANTREL_HAPPENS_BEFORE(address) (void)(address)
#define VANTREL_HAPPENS_AFTER(address) (void)(address)
#endif

namespace {

const QEvent::Type HandOffType = static_cast<QEvent::Type>(QEvent::registerEventType());

class HandOffEvent final : public QEvent
{
public:
    explicit HandOffEvent(std::function<void()> function)
        : QEvent(HandOffType), function(std::move(function))
    {
    }
    // An event that is never delivered (its receiver went first) is still
    // destroyed on the receiver's thread, captured references included.
    ~HandOffEvent() override { VANTREL_HAPPENS_AFTER(this); }

    std::function<void()> function;
};

} // namespace

ThreadHandOff::ThreadHandOff(QObject *parent)
    : QObject(parent)
{
}

void ThreadHandOff::post(std::function<void()> function)
{
    auto *event = new HandOffEvent(std::move(function));
    VANTREL_HAPPENS_BEFORE(event);
    QCoreApplication::postEvent(this, event);
}

bool ThreadHandOff::event(QEvent *event)
{
    // Before anything of the event is read; harmless for other events.
    VANTREL_HAPPENS_AFTER(event);
    if (event->type() != HandOffType)
        return QObject::event(event);
    static_cast<HandOffEvent *>(event)->function();
    return true;
}
