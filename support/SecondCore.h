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
#include <utility>

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

// Work [0, count) shared by the caller and a second core that may start late (a core woken
// from sleep can take milliseconds): the caller takes it from the front a stretch at a time;
// the second core, once it starts, takes the later half of what is left.
class TSharedRange {
public:
    explicit TSharedRange(std::size_t count) : count_(count), end_(count) {}
    // The caller's next stretch [first, second), of at most most; empty once it reached the
    // second core's part.
    std::pair<std::size_t, std::size_t> TakeFront(std::size_t most);
    // Where the second core's part starts: at align(the middle of what is left), align
    // answering a place at or after the one given (at most count); count when nothing is left.
    std::size_t TakeBack(const std::function<std::size_t(std::size_t)>& align = {});

private:
    std::mutex mutex_;
    const std::size_t count_;
    std::size_t front_ = 0, end_;  // the caller's next, and where its part ends
};

// Called on a new thread with the core its creator runs on (-1 when unknown): the thread
// starts on another. A new thread starts on its creator's core, where the two would take turns
// until the system's balancer moves one, several milliseconds later.
void LeaveCore(int creatorCore);
// The core the calling thread runs on; -1 where that is not known.
int CurrentCore();
