#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

class WorkerThread;

// Runs at most a given number of threads at once; the others wait in line,
// not yet started, and start in turn as running ones end. A thousand waiting
// threads then cost nothing, where a thousand started ones would crowd out
// the GUI thread. A running thread that pauses can step aside, and leaves its
// place to the next meanwhile.
class ThreadGate final
{
public:
    explicit ThreadGate(int capacity);
    ThreadGate(const ThreadGate &) = delete;
    ThreadGate &operator=(const ThreadGate &) = delete;

    // On a running thread of this gate: its place goes to the next in line.
    void stepAside();
    // Back from stepAside(): waits for a place, ahead of the threads not yet
    // started; returns at once when `thread` is cancelled.
    void stepBack(const WorkerThread &thread);

private:
    friend class WorkerThread;

    // Starts the thread now or puts it in line.
    void admit(WorkerThread &thread);
    // A thread that ran has ended: its place goes to the next in line.
    void leave();
    // Under the lock.
    void launchWaiting();
    // Takes a waiting thread out of line; false if it is not in line.
    bool withdraw(WorkerThread &thread);

    std::mutex m_mutex;
    std::condition_variable m_placeFreed;
    std::deque<WorkerThread *> m_waiting;
    int m_free;
    int m_steppingBack = 0;
    // Places given up by threads that were cancelled while stepping back:
    // their ending frees nothing.
    int m_forfeited = 0;
};
