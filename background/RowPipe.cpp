#include "background/RowPipe.h"

#include <algorithm>

#include "background/Bitmap.h"
#include "support/SecondCore.h"

namespace {

// Rows asked of the decoder at once: few enough to stay in the cache.
constexpr int kStripRows = 16;
#ifdef _WIN32
// A stop request comes without a notification; waits look at it this often.
constexpr auto kWaitPoll = std::chrono::milliseconds(20), kDecoderPoll = kWaitPoll;
constexpr bool kWakeEachOther = true;
#else
// Linux puts a thread woken by another on the waker's core where it can, so the decoder and the
// resampler waking each other end up taking turns on one core. Here neither wakes the other: a
// wait looks again this often, and the sleeper wakes where it ran. (On Windows the other side
// wakes the sleeper, as timers there are too coarse for such short waits.)
// The decoder, which sets the pace, waits the least.
constexpr auto kWaitPoll = std::chrono::microseconds(300), kDecoderPoll = std::chrono::microseconds(100);
constexpr bool kWakeEachOther = false;
#endif

}  // namespace

TRowPipe::TRowPipe(TRowSource& source, const std::atomic<bool>& stop)
    : source_(source),
      maker_(source.Maker()),
      stop_(stop),
      height_(maker_ ? maker_->units : source.Height()),
      group_(maker_ ? maker_->group : 1),
      ringRows_(std::min(kRingRows, std::max(height_, 1))),
      stride_(maker_ ? maker_->unitBytes : static_cast<std::size_t>(source.Width()) * 4),
      made_(maker_ ? static_cast<std::size_t>(source.Width()) * 4 : 0),
      ring_(new std::uint8_t[stride_ * static_cast<std::size_t>(ringRows_)]) {
    // Started away from this core: as neither thread wakes the other, each then stays where it runs.
    helper_ = std::thread([this, core = CurrentCore()] {
        LeaveCore(core);
        Decode();
    });
}

TRowPipe::~TRowPipe() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        decoderWake_.notify_one();
    }
    helper_.join();
}

void TRowPipe::Decode() {
    try {
        for (int decoded = 0; decoded < height_;) {
            // A strip fits in the slots below the ring's end that the resampler has released.
            if (ringRows_ - (decoded - released_.load(std::memory_order_acquire)) < group_) {
                std::unique_lock<std::mutex> lock(mutex_);
                while (!Stopped() && ringRows_ - (decoded - released_.load(std::memory_order_acquire)) < group_) {
                    decoderWaiting_ = true;
                    decoderWake_.wait_for(lock, kDecoderPoll);
                    decoderWaiting_ = false;
                }
            }
            if (Stopped()) break;
            const int slot = decoded % ringRows_;
            const int room = ringRows_ - (decoded - released_.load(std::memory_order_acquire));
            const int count = std::min({kStripRows, room, ringRows_ - slot, height_ - decoded}) / group_ * group_;
            source_.ReadRows(ring_.get() + static_cast<std::size_t>(slot) * stride_, stride_, count);
            decoded += count;
            decoded_.store(decoded, std::memory_order_release);
            if (kWakeEachOther) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (resamplerWaiting_ && decoded >= wanted_) resamplerWake_.notify_one();
            }
        }
    } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        error_ = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    resamplerWake_.notify_one();
}

const std::uint8_t* TRowPipe::Row(int y) {
    if (!maker_) return Unit(y);
    if (y != madeRow_) {
        // Rows near a unit's edge take the chroma of the unit above or below too.
        const int unit = y / maker_->rowsPerUnit;
        const int above = std::max(unit - 1, 0), below = std::min(unit + 1, maker_->realUnits - 1);
        const std::uint8_t* last = Unit(below);
        if (!last) return nullptr;
        maker_->MakeRow(y, Slot(above), Slot(unit), last, made_.data());
        madeRow_ = y;
    }
    return made_.data();
}

const std::uint8_t* TRowPipe::Unit(int y) {
    if (y >= decoded_.load(std::memory_order_acquire)) {
        std::unique_lock<std::mutex> lock(mutex_);
        // Once waiting, the resampler sleeps until a few strips are there, or as many as fit.
        wanted_ = std::min({y + 1 + 3 * kStripRows, released_.load(std::memory_order_relaxed) + ringRows_, height_});
        while (decoded_.load(std::memory_order_acquire) <= y && !done_ && !stop_.load(std::memory_order_relaxed)) {
            resamplerWaiting_ = true;
            resamplerWake_.wait_for(lock, kWaitPoll);
            resamplerWaiting_ = false;
        }
        if (error_) std::rethrow_exception(error_);
        if (decoded_.load(std::memory_order_acquire) <= y) return nullptr;  // stopped
    }
    return Slot(y);
}

void TRowPipe::Release(int below) {
    ReleaseUnits(maker_ ? std::max(below / maker_->rowsPerUnit - 1, 0) : below);
}

void TRowPipe::ReleaseUnits(int below) {
    if (below <= released_.load(std::memory_order_relaxed)) return;
    released_.store(below, std::memory_order_release);
    if (!kWakeEachOther) return;
    std::lock_guard<std::mutex> lock(mutex_);
    // The decoder sleeps until a whole strip fits: fewer wake-ups, each worth it.
    if (decoderWaiting_ && (ringRows_ - (decoded_.load(std::memory_order_relaxed) - below) >= kStripRows || below >= height_))
        decoderWake_.notify_one();
}

bool TRowPipe::Finish() {
    ReleaseUnits(height_);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
        resamplerWaiting_ = true;
        resamplerWake_.wait_for(lock, kWaitPoll);
        resamplerWaiting_ = false;
    }
    if (error_) std::rethrow_exception(error_);
    return decoded_.load(std::memory_order_acquire) == height_;
}

const std::uint8_t* TBitmapFeed::Row(int y) { return bitmap_.ScanLine(y); }
