#include "background/PngFilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define MEMORAIL_PNG_SSE2 1
#endif

namespace {

int Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// Byte by byte from position `from` on: any bpp, and whatever the pixel loops leave.
void UnfilterBytes(std::uint8_t* row, const std::uint8_t* prev, std::size_t from, std::size_t length, std::size_t bpp,
                   std::uint8_t filter) {
    for (std::size_t x = from; x < length; ++x) {
        const int a = x >= bpp ? row[x - bpp] : 0, b = prev[x], c = x >= bpp ? prev[x - bpp] : 0;
        const int predictor = filter == 1 ? a : filter == 3 ? (a + b) / 2 : Paeth(a, b, c);
        row[x] = static_cast<std::uint8_t>(row[x] + predictor);
    }
}

#ifdef MEMORAIL_PNG_SSE2
// Sub, Average and Paeth depend on the pixel just decoded, so the loops go pixel by pixel
// with all channels of a pixel in one register.

// Three-byte pixels are put together in a register: a copy through memory would stall on
// store forwarding at every pixel.
template <int Bpp>
__m128i LoadPixel(const std::uint8_t* p) {
    std::uint32_t bits;
    if constexpr (Bpp == 4) {
        std::memcpy(&bits, p, 4);
    } else {
        std::uint16_t low;
        std::memcpy(&low, p, 2);
        bits = low | static_cast<std::uint32_t>(p[2]) << 16;
    }
    return _mm_cvtsi32_si128(static_cast<int>(bits));
}

template <int Bpp>
void StorePixel(std::uint8_t* p, __m128i v) {
    const std::uint32_t bits = static_cast<std::uint32_t>(_mm_cvtsi128_si32(v));
    if constexpr (Bpp == 4) {
        std::memcpy(p, &bits, 4);
    } else {
        const std::uint16_t low = static_cast<std::uint16_t>(bits);
        std::memcpy(p, &low, 2);
        p[2] = static_cast<std::uint8_t>(bits >> 16);
    }
}

template <int Bpp>
void SubPixels(std::uint8_t* row, std::size_t pixels) {
    __m128i a = _mm_setzero_si128();
    for (std::size_t i = 0; i < pixels; ++i, row += Bpp) {
        a = _mm_add_epi8(a, LoadPixel<Bpp>(row));
        StorePixel<Bpp>(row, a);
    }
}

template <int Bpp>
void AveragePixels(std::uint8_t* row, const std::uint8_t* prev, std::size_t pixels) {
    const __m128i one = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    for (std::size_t i = 0; i < pixels; ++i, row += Bpp, prev += Bpp) {
        const __m128i b = LoadPixel<Bpp>(prev);
        // pavgb rounds up; the filter's halving rounds down, one less where a + b is odd.
        const __m128i average = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
        a = _mm_add_epi8(LoadPixel<Bpp>(row), average);
        StorePixel<Bpp>(row, a);
    }
}

__m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

__m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// In 16-bit lanes, so that a + b - 2c cannot overflow.
template <int Bpp>
void PaethPixels(std::uint8_t* row, const std::uint8_t* prev, std::size_t pixels) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero;
    for (std::size_t i = 0; i < pixels; ++i, row += Bpp, prev += Bpp) {
        const __m128i b = _mm_unpacklo_epi8(LoadPixel<Bpp>(prev), zero);
        const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
        const __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        // Ties go to a, then b, as in the scalar rule.
        const __m128i predictor = Select(_mm_cmpeq_epi16(smallest, pa), a, Select(_mm_cmpeq_epi16(smallest, pb), b, c));
        // Bytewise add: the high byte of each lane stays 0, the low one wraps mod 256.
        a = _mm_add_epi8(_mm_unpacklo_epi8(LoadPixel<Bpp>(row), zero), predictor);
        StorePixel<Bpp>(row, _mm_packus_epi16(a, a));
        c = b;
    }
}

template <int Bpp>
bool UnfilterPixels(std::uint8_t* row, const std::uint8_t* prev, std::size_t pixels, std::uint8_t filter) {
    switch (filter) {
        case 1: SubPixels<Bpp>(row, pixels); return true;
        case 3: AveragePixels<Bpp>(row, prev, pixels); return true;
        case 4: PaethPixels<Bpp>(row, prev, pixels); return true;
        default: return false;
    }
}
#endif

}  // namespace

void UnfilterPngRow(std::uint8_t* row, const std::uint8_t* prev, std::size_t length, int bpp, std::uint8_t filter) {
    if (filter == 0 || filter > 4) return;  // unknown filters leave the row as read
    if (filter == 2) {
        for (std::size_t x = 0; x < length; ++x) row[x] = static_cast<std::uint8_t>(row[x] + prev[x]);
        return;
    }
    const std::size_t step = static_cast<std::size_t>(bpp);
    std::size_t done = 0;
#ifdef MEMORAIL_PNG_SSE2
    const std::size_t pixels = length / step;
    if ((bpp == 3 && UnfilterPixels<3>(row, prev, pixels, filter)) ||
        (bpp == 4 && UnfilterPixels<4>(row, prev, pixels, filter)))
        done = pixels * step;
#endif
    UnfilterBytes(row, prev, done, length, step, filter);
}
