#pragma once

// One step of the calling thread's Qt event loop.
class EventLoopStep final
{
public:
    EventLoopStep() = delete;

    // Delivers pending events, waiting for at least one, but no longer than
    // `maxWaitMs` milliseconds when that is not negative. Returns false at
    // once when the thread has no event loop to serve.
    static bool run(int maxWaitMs = -1);
};
