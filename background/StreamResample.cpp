#include "background/StreamResample.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// 257 rows of 255 still fit 16 bits.
constexpr long long kMaxShortSumRows = 257;

// Kept out of line: inlined, the compiler loses sight of the two arrays being apart.
template <typename Sum>
[[gnu::noinline]] void AddRow(Sum* __restrict sums, const std::uint8_t* __restrict row, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) sums[i] = static_cast<Sum>(sums[i] + row[i]);
}

// Each destination column's span of source columns, and its divisor as a reciprocal: with
// sums below 255 n and n below 65,000, (sum x (2^40 div n + 1)) shr 40 is sum div n exactly.
struct TBox {
    std::size_t start;
    int columns;
    std::uint64_t n, reciprocal;
};

struct TRowPlan {
    long long sW, sH, dW, dH;
    int lastRow;
    long long SourceRow(long long y) const { return sH * (2 * y + 1) * 256 / (2 * dH) / 256; }
    int Weight(long long y) const { return static_cast<int>(sH * (2 * y + 1) * 256 / (2 * dH) % 256); }
    int Clamp(long long row) const { return static_cast<int>(std::min<long long>(row, lastRow)); }
};

template <typename Sum>
bool Shrink(const TResampleJob& job, const TRowPlan& plan, TRowFeed& feed,
            const std::function<void(int, const std::uint8_t*)>& emit) {
    const TRect& part = job.Part;
    const long long k = std::max<long long>(1, plan.sH / plan.dH);
    const long long firstColumn = plan.sW * part.Left / plan.dW;
    const long long lastColumn = std::min(plan.sW - 1, plan.sW * part.Right / plan.dW);
    std::vector<Sum> sums(static_cast<std::size_t>(lastColumn - firstColumn + 1) * 4);
    std::vector<TBox> boxes(static_cast<std::size_t>(part.Width()));
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const long long x = part.Left + static_cast<long long>(i);
        const long long sx0 = plan.sW * x / plan.dW, sx1 = std::max(sx0, plan.sW * (x + 1) / plan.dW - 1);
        const std::uint64_t n = static_cast<std::uint64_t>((sx1 - sx0 + 1) * k);
        boxes[i] = {static_cast<std::size_t>(sx0 - firstColumn) * 4, static_cast<int>(sx1 - sx0 + 1), n,
                    n < 65000 ? (std::uint64_t{1} << 40) / n + 1 : 0};
    }
    std::vector<std::uint8_t> out(boxes.size() * 4);
    for (int y = part.Top; y < part.Bottom; ++y) {
        const long long sy = plan.SourceRow(y);
        // Rows before the next destination row's first are not read again.
        const long long keep = y + 1 < part.Bottom ? plan.Clamp(plan.SourceRow(y + 1)) : plan.lastRow;
        feed.Release(plan.Clamp(sy));
        std::fill(sums.begin(), sums.end(), Sum{0});
        for (long long m = 0; m < k; ++m) {
            const int r = plan.Clamp(sy + m);
            const std::uint8_t* row = feed.Row(r);
            if (!row) return false;
            AddRow(sums.data(), row + firstColumn * 4, sums.size());
            feed.Release(static_cast<int>(std::min<long long>(r + 1, keep)));
        }
        std::uint8_t* px = out.data();
        for (const TBox& box : boxes) {
            std::uint64_t sum[4] = {0, 0, 0, 0};
            const Sum* column = &sums[box.start];
            for (int sx = 0; sx < box.columns; ++sx, column += 4)
                for (int c = 0; c < 4; ++c) sum[c] += column[c];
            for (int c = 0; c < 4; ++c, ++px)
                *px = static_cast<std::uint8_t>(box.reciprocal ? (sum[c] * box.reciprocal) >> 40 : sum[c] / box.n);
        }
        emit(y, out.data());
    }
    return true;
}

// Bilinear sampling in two passes, exactly as the four-tap formula: each source row is first
// mixed horizontally, (256 - wx) a + wx c, once; the rows are then mixed vertically.
class TBilinear {
public:
    TBilinear(const TResampleJob& job, const TRowPlan& plan) : width_(static_cast<std::size_t>(job.Part.Width())) {
        static const struct WeightTable {  // entry i is i, built as the design describes it
            int entry[256];
            WeightTable() {
                for (int i = 0; i < 128; ++i) entry[i] = i;
                for (int i = 128; i < 256; ++i) entry[i] = 255 - entry[255 - i];
            }
        } weights;
        table_ = weights.entry;
        columnX_.resize(width_), columnX1_.resize(width_), columnW_.resize(width_), weights_.resize(width_ * 8);
        for (std::size_t i = 0; i < width_; ++i) {
            const long long fx = (plan.sW - 1) * (job.Part.Left + static_cast<long long>(i)) * 256 / plan.dW;
            columnX_[i] = static_cast<int>(fx / 256) * 4;
            columnX1_[i] = static_cast<int>(std::min(fx / 256 + 1, plan.sW - 1)) * 4;  // a one-pixel-wide source repeats
            columnW_[i] = static_cast<std::uint16_t>(table_[fx % 256]);
            std::fill_n(&weights_[i * 8], 4, static_cast<std::uint16_t>(256 - columnW_[i]));
            std::fill_n(&weights_[i * 8 + 4], 4, columnW_[i]);
        }
    }
    int Weight(int index) const { return table_[index]; }

    void MixRow(const std::uint8_t* source, std::uint16_t* out) const {
        std::size_t i = 0;
#ifdef __SSE2__
        // Two columns at a time, each a pixel and its right neighbour read as one 8-byte load
        // and weighted (256 - wx) four times, wx four times; a clamped column goes the scalar way.
        const __m128i zero = _mm_setzero_si128();
        for (; i + 2 <= width_; i += 2) {
            if (columnX1_[i] != columnX_[i] + 4 || columnX1_[i + 1] != columnX_[i + 1] + 4) break;
            const __m128i pixels = _mm_unpacklo_epi64(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + columnX_[i])),
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + columnX_[i + 1])));
            const __m128i first = _mm_mullo_epi16(_mm_unpacklo_epi8(pixels, zero),
                                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(&weights_[i * 8])));
            const __m128i second = _mm_mullo_epi16(_mm_unpackhi_epi8(pixels, zero),
                                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(&weights_[i * 8 + 8])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i * 4),
                             _mm_add_epi16(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second)));
        }
#endif
        for (; i < width_; ++i) {
            const std::uint8_t *a = source + columnX_[i], *c = source + columnX1_[i];
            const int wx = columnW_[i];
            for (int ch = 0; ch < 4; ++ch) out[i * 4 + ch] = static_cast<std::uint16_t>((256 - wx) * a[ch] + wx * c[ch]);
        }
    }

    // ((256 - wy) upper + wy lower) shr 16 for every channel.
    void MixColumns(const std::uint16_t* upper, const std::uint16_t* lower, int wy, std::uint8_t* out) const {
        const std::size_t n = width_ * 4;
        std::size_t i = 0;
#ifdef __SSE2__
        const __m128i u = _mm_set1_epi16(static_cast<short>(256 - wy)), v = _mm_set1_epi16(static_cast<short>(wy));
        for (; i + 8 <= n; i += 8) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + i));
            // Full 32-bit products from their low and high halves.
            const __m128i alo = _mm_mullo_epi16(a, u), ahi = _mm_mulhi_epu16(a, u);
            const __m128i blo = _mm_mullo_epi16(b, v), bhi = _mm_mulhi_epu16(b, v);
            const __m128i first = _mm_srli_epi32(
                _mm_add_epi32(_mm_unpacklo_epi16(alo, ahi), _mm_unpacklo_epi16(blo, bhi)), 16);
            const __m128i second = _mm_srli_epi32(
                _mm_add_epi32(_mm_unpackhi_epi16(alo, ahi), _mm_unpackhi_epi16(blo, bhi)), 16);
            const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(first, second), _mm_setzero_si128());
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), bytes);
        }
#endif
        for (; i < n; ++i)
            out[i] = static_cast<std::uint8_t>(
                (static_cast<std::uint32_t>(256 - wy) * upper[i] + static_cast<std::uint32_t>(wy) * lower[i]) >> 16);
    }

private:
    std::size_t width_;
    const int* table_;
    std::vector<int> columnX_, columnX1_;
    std::vector<std::uint16_t> columnW_;
    std::vector<std::uint16_t> weights_;  // per column 256 - wx four times, then wx four times
};

bool Bilinear(const TResampleJob& job, const TRowPlan& plan, TRowFeed& feed,
              const std::function<void(int, const std::uint8_t*)>& emit) {
    const TBilinear mixer(job, plan);
    const std::size_t width = static_cast<std::size_t>(job.Part.Width());
    std::vector<std::uint16_t> mixedA(width * 4), mixedB(width * 4);
    std::vector<std::uint8_t> out(width * 4);
    int rowA = -1, rowB = -1;  // the source rows mixed into mixedA and mixedB
    for (int y = job.Part.Top; y < job.Part.Bottom; ++y) {
        const long long sy = plan.SourceRow(y);
        const int upper = plan.Clamp(sy), lower = plan.Clamp(sy + 1);
        feed.Release(upper);
        if (upper == rowB) {
            std::swap(mixedA, mixedB);
            std::swap(rowA, rowB);
        }
        for (auto [row, mixed, index] : {std::tuple{upper, &mixedA, &rowA}, std::tuple{lower, &mixedB, &rowB}}) {
            if (row == *index) continue;
            const std::uint8_t* pixels = feed.Row(row);
            if (!pixels) return false;
            mixer.MixRow(pixels, mixed->data());
            *index = row;
        }
        mixer.MixColumns(mixedA.data(), mixedB.data(), mixer.Weight(plan.Weight(y)), out.data());
        emit(y, out.data());
    }
    return true;
}

}  // namespace

int LastPreparedRow(int sourceHeight, int height) {
    const long long sH = sourceHeight, dH = height;
    return static_cast<int>(std::min(sH * (2 * dH - 1) / (2 * dH) + 1, sH - 1));
}

bool ResampleRows(const TResampleJob& job, TRowFeed& feed,
                  const std::function<void(int y, const std::uint8_t* pixels)>& emit) {
    const TRect& part = job.Part;
    if (part.Width() < 1 || part.Height() < 1) return true;
    if (job.SourceWidth == job.Width && job.SourceHeight == job.Height) {
        for (int y = part.Top; y < part.Bottom; ++y) {
            feed.Release(y);
            const std::uint8_t* row = feed.Row(y);
            if (!row) return false;
            emit(y, row + part.Left * 4);
        }
        return true;
    }
    const TRowPlan plan{job.SourceWidth, job.SourceHeight, job.Width, job.Height,
                        LastPreparedRow(job.SourceHeight, job.Height)};
    if (plan.sW / 2 <= plan.dW) return Bilinear(job, plan, feed, emit);
    if (std::max<long long>(1, plan.sH / plan.dH) <= kMaxShortSumRows) return Shrink<std::uint16_t>(job, plan, feed, emit);
    return Shrink<std::uint32_t>(job, plan, feed, emit);
}
