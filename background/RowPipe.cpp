#include "background/RowPipe.h"

#include <algorithm>

#include "background/Bitmap.h"

namespace {

// Rows asked of the decoder at once: few enough to stay in the cache.
constexpr int kStripRows = 16;
#ifdef _WIN32
// A stop request comes without a notification; waits look at it this often.
constexpr auto kWaitPoll = std::chrono::milliseconds(20);
constexpr bool kWakeEachOther = true;
#else
// Linux puts a thread woken by another on the waker's core where it can, so the decoder and the
// resampler waking each other end up taking turns on one core. Here neither wakes the other: a
// wait looks again this often, and the sleeper wakes where it ran. (On Windows the other side
// wakes the sleeper, as timers there are too coarse for such short waits.)
constexpr auto kWaitPoll = std::chrono::microseconds(300);
constexpr bool kWakeEachOther = false;
#endif

}  // namespace

TRowPipe::TRowPipe(TRowSource& source, const std::atomic<bool>& stop)
    : source_(source),
      stop_(stop),
      height_(source.Height()),
      ringRows_(std::min(kRingRows, std::max(source.Height(), 1))),
      stride_(static_cast<std::size_t>(source.Width()) * 4),
      ring_(new std::uint8_t[stride_ * static_cast<std::size_t>(ringRows_)]) {
    helper_ = std::thread([this] { Decode(); });
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
        std::unique_lock<std::mutex> lock(mutex_);
        while (decoded_ < height_) {
            // A strip fits in the slots below the ring's end that the resampler has released.
            while (!Stopped() && decoded_ - released_ >= ringRows_) {
                decoderWaiting_ = true;
                decoderWake_.wait_for(lock, kWaitPoll);
                decoderWaiting_ = false;
            }
            if (Stopped()) break;
            const int slot = decoded_ % ringRows_;
            const int count = std::min({kStripRows, ringRows_ - (decoded_ - released_), ringRows_ - slot, height_ - decoded_});
            lock.unlock();
            source_.ReadRows(ring_.get() + static_cast<std::size_t>(slot) * stride_, stride_, count);
            lock.lock();
            decoded_ += count;
            if (kWakeEachOther && resamplerWaiting_ && decoded_ >= wanted_) resamplerWake_.notify_one();
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
    std::unique_lock<std::mutex> lock(mutex_);
    // Once waiting, the resampler sleeps until a few strips are there, or as many as fit.
    wanted_ = std::min({y + 1 + 3 * kStripRows, released_ + ringRows_, height_});
    while (decoded_ <= y && !done_ && !stop_.load(std::memory_order_relaxed)) {
        resamplerWaiting_ = true;
        resamplerWake_.wait_for(lock, kWaitPoll);
        resamplerWaiting_ = false;
    }
    if (error_) std::rethrow_exception(error_);
    if (decoded_ <= y) return nullptr;  // stopped
    return ring_.get() + static_cast<std::size_t>(y % ringRows_) * stride_;
}

void TRowPipe::Release(int below) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (below <= released_) return;
    released_ = below;
    // The decoder sleeps until a whole strip fits: fewer wake-ups, each worth it.
    if (kWakeEachOther && decoderWaiting_ && (ringRows_ - (decoded_ - released_) >= kStripRows || released_ >= height_))
        decoderWake_.notify_one();
}

bool TRowPipe::Finish() {
    Release(height_);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
        resamplerWaiting_ = true;
        resamplerWake_.wait_for(lock, kWaitPoll);
        resamplerWaiting_ = false;
    }
    if (error_) std::rethrow_exception(error_);
    return decoded_ == height_;
}

const std::uint8_t* TBitmapFeed::Row(int y) { return bitmap_.ScanLine(y); }
