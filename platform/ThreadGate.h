#pragma once

#include <deque>
#include <mutex>

class WorkerThread;

// Runs at most a given number of threads at once; the others wait in line,
// not yet started, and start in turn as running ones end. A thousand waiting
// threads then cost nothing, where a thousand started ones would crowd out
// the GUI thread.
class ThreadGate final
{
public:
    explicit ThreadGate(int capacity);
    ThreadGate(const ThreadGate &) = delete;
    ThreadGate &operator=(const ThreadGate &) = delete;

private:
    friend class WorkerThread;

    // Starts the thread now or puts it in line.
    void admit(WorkerThread &thread);
    // A thread that ran has ended: its place goes to the next in line.
    void leave();
    // Takes a waiting thread out of line; false if it is not in line.
    bool withdraw(WorkerThread &thread);

    std::mutex m_mutex;
    std::deque<WorkerThread *> m_waiting;
    int m_free;
};
