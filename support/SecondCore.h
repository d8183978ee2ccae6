// A thread that takes jobs one at a time beside its caller's own work. It is made with the
// first job and kept to the end, and between jobs it looks for the next for a while before it
// sleeps: a long run of short jobs costs neither a thread nor a wake-up each.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class TSecondCore {
public:
    TSecondCore() = default;
    ~TSecondCore();  // waits for the job under way, then ends the thread
    TSecondCore(const TSecondCore&) = delete;
    TSecondCore& operator=(const TSecondCore&) = delete;

    // Hands the job over; the one before must have been waited for.
    void Start(std::function<void()> job);
    // Until the job is done; answers what it raised, if anything.
    std::exception_ptr Wait();
    // Runs there on this core's thread and here on the caller's at once; raises what either
    // raised (here's first), once both are over.
    void Both(const std::function<void()>& here, std::function<void()> there);

private:
    enum { kIdle, kGiven, kDone };
    void Run();

    std::function<void()> job_;
    std::exception_ptr error_;
    std::atomic<int> state_{kIdle};
    std::mutex mutex_;  // for the sleeps and the end
    std::condition_variable wake_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

// Called on a new thread with the core its creator runs on (-1 when unknown): the thread
// starts on another. A new thread starts on its creator's core, where the two would take turns
// until the system's balancer moves one, several milliseconds later.
void LeaveCore(int creatorCore);
// The core the calling thread runs on; -1 where that is not known.
int CurrentCore();
