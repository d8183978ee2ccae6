// A picture's rows decoded on a helper thread into a ring, while the rendering thread
// resamples the rows already there: both cores busy, and the rows still in the cache.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "background/RowSource.h"

class TRowPipe : public TRowFeed {
public:
    static constexpr int kRingRows = 64;
    // Starts decoding at once; the helper also looks at stop between strips. A source with a
    // Maker() hands over units, which become rows here, on the reading thread.
    TRowPipe(TRowSource& source, const std::atomic<bool>& stop);
    ~TRowPipe() override;  // stops the helper and waits for it
    TRowPipe(const TRowPipe&) = delete;
    TRowPipe& operator=(const TRowPipe&) = delete;

    const std::uint8_t* Row(int y) override;
    void Release(int below) override;
    // Lets the rest of the picture be decoded and waits for it, so that damage past the last row
    // read is still an error; raises what the decoder raised. False when stopped.
    bool Finish();

private:
    void Decode();
    const std::uint8_t* Unit(int i);  // waits for it
    const std::uint8_t* Slot(int i) const { return ring_.get() + static_cast<std::size_t>(i % ringRows_) * stride_; }
    void ReleaseUnits(int below);
    bool Stopped() const { return stop_.load(std::memory_order_relaxed) || quit_.load(std::memory_order_relaxed); }

    TRowSource& source_;
    TRowMaker* const maker_;
    const std::atomic<bool>& stop_;
    const int height_, group_, ringRows_;  // in units: rows, unless there is a maker
    const std::size_t stride_;
    std::vector<std::uint8_t> made_;  // the row last made from units
    int madeRow_ = -1;
    std::unique_ptr<std::uint8_t[]> ring_;  // not cleared: the decoder fills a slot before it is read
    // The counts pass the rows between the threads without the lock: a row is read only once
    // counted as decoded, and its slot filled again only once released.
    std::atomic<int> decoded_{0}, released_{0};
    std::atomic<bool> quit_{false};
    std::mutex mutex_;  // for the waits, the error and the end
    std::condition_variable decoderWake_, resamplerWake_;
    bool done_ = false;
    bool decoderWaiting_ = false, resamplerWaiting_ = false;  // asleep: only then woken
    int wanted_ = 0;                                          // rows the waiting resampler wakes for
    std::exception_ptr error_;
    std::thread helper_;
};

// The rows of a bitmap already in memory (32-bit, A = 255), without a helper.
class TBitmapFeed : public TRowFeed {
public:
    explicit TBitmapFeed(const class TBitmap& bitmap) : bitmap_(bitmap) {}
    const std::uint8_t* Row(int y) override;
    void Release(int) override {}

private:
    const TBitmap& bitmap_;
};
