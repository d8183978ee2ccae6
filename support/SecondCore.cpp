#include "support/SecondCore.h"

#include <algorithm>
#include <system_error>
#include <utility>

#ifdef __linux__
#include <sched.h>
#endif

namespace {

// How long a side looks for the other before it sleeps: longer than the gaps between the jobs
// of one run (a piece of a file read), short enough to cost little once the run is over.
constexpr auto kLookFor = std::chrono::milliseconds(2);

// Until done() or the time to look is over; answers done().
template <typename Done>
bool LookFor(Done done) {
    const auto until = std::chrono::steady_clock::now() + kLookFor;
    for (int round = 0;; ++round) {
        if (done()) return true;
        if (round % 64 == 63 && std::chrono::steady_clock::now() > until) return false;
        std::this_thread::yield();
    }
}

}  // namespace

void LeaveCore([[maybe_unused]] int creatorCore) {
#ifdef __linux__
    cpu_set_t all, others;
    if (creatorCore < 0 || sched_getaffinity(0, sizeof all, &all) != 0 || CPU_COUNT(&all) < 2) return;
    others = all;
    CPU_CLR(creatorCore, &others);
    if (sched_setaffinity(0, sizeof others, &others) == 0) sched_setaffinity(0, sizeof all, &all);
#endif
}

int CurrentCore() {
#ifdef __linux__
    return sched_getcpu();
#else
    return -1;
#endif
}

TSecondCore::~TSecondCore() {
    if (!thread_.joinable()) return;
    Wait();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
    thread_.join();
}

void TSecondCore::Start(std::function<void()> job) {
    job_ = std::move(job);
    error_ = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_.store(kGiven, std::memory_order_release);
    }
    wake_.notify_all();
    if (thread_.joinable()) return;
    try {
        thread_ = std::thread([this, core = CurrentCore()] {
            LeaveCore(core);
            Run();
        });
    } catch (const std::system_error&) {
        // No thread to be had (the system is out of them): the job is done here, at once.
        try {
            job_();
        } catch (...) {
            error_ = std::current_exception();
        }
        state_.store(kDone, std::memory_order_release);
    }
}

std::exception_ptr TSecondCore::Wait() {
    if (state_.load(std::memory_order_acquire) == kIdle) return nullptr;
    const auto done = [this] { return state_.load(std::memory_order_acquire) == kDone; };
    if (!LookFor(done)) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, done);
    }
    state_.store(kIdle, std::memory_order_relaxed);
    job_ = nullptr;
    return std::exchange(error_, nullptr);
}

void TSecondCore::Both(const std::function<void()>& here, std::function<void()> there) {
    Start(std::move(there));
    std::exception_ptr failed;
    try {
        here();
    } catch (...) {
        failed = std::current_exception();
    }
    // Waited for in any case: there may use what here's error frees.
    const std::exception_ptr thereFailed = Wait();
    if (failed || thereFailed) std::rethrow_exception(failed ? failed : thereFailed);
}

std::pair<std::size_t, std::size_t> TSharedRange::TakeFront(std::size_t most) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t first = front_;
    front_ += std::min(most, end_ - front_);
    return {first, front_};
}

std::size_t TSharedRange::TakeBack(const std::function<std::size_t(std::size_t)>& align) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t middle = front_ + (count_ - front_) / 2;
    end_ = std::clamp(align ? align(middle) : middle, front_, count_);
    return end_;
}

void TSecondCore::Run() {
    const auto given = [this] { return state_.load(std::memory_order_acquire) == kGiven; };
    const auto called = [&] { return given() || quit_.load(std::memory_order_acquire); };
    for (;;) {
        if (!LookFor(called)) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, called);
        }
        if (!given()) return;  // told to end, with nothing given
        try {
            job_();
        } catch (...) {
            error_ = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            state_.store(kDone, std::memory_order_release);
        }
        wake_.notify_all();
    }
}
