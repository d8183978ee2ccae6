#include "background/YccRows.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// libjpeg's constants: round(c x 65536) for 1.402, 1.772, 0.71414 and 0.34414.
constexpr int kCrToR = 91881, kCbToB = 116130, kCrToG = 46802, kCbToG = 22554;

std::uint8_t Clamp(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

void ConvertPixel(int y, int cb, int cr, std::uint8_t* out) {
    cb -= 128, cr -= 128;
    out[0] = Clamp(y + ((kCbToB * cb + 32768) >> 16));
    out[1] = Clamp(y + ((-kCbToG * cb - kCrToG * cr + 32768) >> 16));
    out[2] = Clamp(y + ((kCrToR * cr + 32768) >> 16));
    out[3] = 255;
}

#ifdef __SSE2__
// (a x ca + b x cb) shr 16 for eight pairs, in 32 bits, packed back to 16.
__m128i MulAddShift(__m128i a, __m128i b, __m128i constants) {
    const __m128i lo = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), constants), 16);
    const __m128i hi = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), constants), 16);
    return _mm_packs_epi32(lo, hi);
}

// Eight pixels: each constant of 17 bits splits into a whole multiple of 65536 and a 16-bit part,
// and the rounding half rides in the multiply-add as 2 x 16384.
void ConvertEight(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* out) {
    const __m128i zero = _mm_setzero_si128(), centre = _mm_set1_epi16(128), two = _mm_set1_epi16(2);
    const __m128i ys = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y)), zero);
    const __m128i b = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb)), zero), centre);
    const __m128i r = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr)), zero), centre);
    // 116130 = 2 x 65536 - 14942; 91881 = 65536 + 26345; -46802 = -65536 + 18734.
    const __m128i blue = _mm_add_epi16(_mm_add_epi16(ys, _mm_add_epi16(b, b)),
                                       MulAddShift(b, two, _mm_set_epi16(16384, -14942, 16384, -14942, 16384, -14942, 16384, -14942)));
    const __m128i red = _mm_add_epi16(_mm_add_epi16(ys, r),
                                      MulAddShift(r, two, _mm_set_epi16(16384, 26345, 16384, 26345, 16384, 26345, 16384, 26345)));
    const __m128i half = _mm_set1_epi32(32768), gConstants = _mm_set_epi16(18734, -kCbToG, 18734, -kCbToG, 18734, -kCbToG, 18734, -kCbToG);
    const __m128i gLo = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(b, r), gConstants), half), 16);
    const __m128i gHi = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(b, r), gConstants), half), 16);
    const __m128i green = _mm_add_epi16(_mm_sub_epi16(ys, r), _mm_packs_epi32(gLo, gHi));
    const __m128i b8 = _mm_packus_epi16(blue, blue), g8 = _mm_packus_epi16(green, green);
    const __m128i r8 = _mm_packus_epi16(red, red), a8 = _mm_set1_epi8(-1);
    const __m128i bg = _mm_unpacklo_epi8(b8, g8), ra = _mm_unpacklo_epi8(r8, a8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, ra));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(bg, ra));
}
#endif

void Convert(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width, std::uint8_t* out) {
    int x = 0;
#ifdef __SSE2__
    for (; x + 8 <= width; x += 8) ConvertEight(y + x, cb + x, cr + x, out + x * 4);
#endif
    for (; x < width; ++x) ConvertPixel(y[x], cb[x], cr[x], out + x * 4);
}

#ifdef __SSE2__
// The middle pairs of DoubleWidth eight at a time, from column 1; returns the first column left.
int DoubleWidthByEights(const std::uint16_t* s, int n, int left, int right, int shift, std::uint8_t* out) {
    const __m128i l = _mm_set1_epi16(static_cast<short>(left)), r = _mm_set1_epi16(static_cast<short>(right));
    const __m128i count = _mm_cvtsi32_si128(shift);
    int i = 1;
    for (; i + 8 <= n - 1; i += 8) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i c3 = _mm_add_epi16(c, _mm_add_epi16(c, c));
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i - 1));
        const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
        const __m128i even = _mm_srl_epi16(_mm_add_epi16(_mm_add_epi16(c3, p), l), count);
        const __m128i odd = _mm_srl_epi16(_mm_add_epi16(_mm_add_epi16(c3, q), r), count);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i),
                         _mm_packus_epi16(_mm_unpacklo_epi16(even, odd), _mm_unpackhi_epi16(even, odd)));
    }
    return i;
}
#endif

// Doubles a row of n > 2 column values: each output is 3/4 of its nearer input and 1/4 of the
// other, the edges their own value; libjpeg rounds the left of a pair with `left`, the right with
// `right`, then shifts by `shift`.
void DoubleWidth(const std::uint16_t* s, int n, int left, int right, int shift, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>((s[0] * 4 + left) >> shift);
    out[2 * n - 1] = static_cast<std::uint8_t>((s[n - 1] * 4 + right) >> shift);
    out[1] = static_cast<std::uint8_t>((s[0] * 3 + s[1] + right) >> shift);
    out[2 * n - 2] = static_cast<std::uint8_t>((s[n - 1] * 3 + s[n - 2] + left) >> shift);
#ifdef __SSE2__
    int i = DoubleWidthByEights(s, n, left, right, shift, out);
#else
    int i = 1;
#endif
    for (; i < n - 1; ++i) {
        out[2 * i] = static_cast<std::uint8_t>((s[i] * 3 + s[i - 1] + left) >> shift);
        out[2 * i + 1] = static_cast<std::uint8_t>((s[i] * 3 + s[i + 1] + right) >> shift);
    }
}

}  // namespace

bool YccRowsFit(int width, int h, int v) {
    return (h == 1 && v == 1) || ((h == 2) && (v == 1 || v == 2) && (width + 1) / 2 > 2);
}

TYccRows::TYccRows(const TYccLayout& layout)
    : layout_(layout), chromaWidth_((layout.width + layout.h - 1) / layout.h) {
    rowsPerUnit = layout.v;
    realUnits = (layout.height + layout.v - 1) / layout.v;
    group = 8;  // a row of blocks of the chroma
    units = (realUnits + group - 1) / group * group;
    unitBytes = layout.yBytes * static_cast<std::size_t>(layout.v) + 2 * layout.cBytes;
    if (layout.h == 2) {
        sums_.resize(static_cast<std::size_t>(chromaWidth_));
        cb_.resize(static_cast<std::size_t>(chromaWidth_) * 2);
        cr_.resize(cb_.size());
    }
}

void TYccRows::MakeRow(int y, const std::uint8_t* above, const std::uint8_t* unit, const std::uint8_t* below,
                       std::uint8_t* out) {
    const std::size_t chroma = layout_.yBytes * static_cast<std::size_t>(layout_.v);
    const std::uint8_t* luma = unit + layout_.yBytes * static_cast<std::size_t>(y % layout_.v);
    const std::uint8_t* planes[2] = {unit + chroma, unit + chroma + layout_.cBytes};
    std::uint8_t* doubled[2] = {cb_.data(), cr_.data()};
    if (layout_.h == 2) {
        const std::uint8_t* other = y % 2 == 0 ? above : below;  // the nearer chroma row of the two
        for (int p = 0; p < 2; ++p) {
            const std::uint8_t* near = planes[p];
            if (layout_.v == 2) {
                const std::uint8_t* far = other + chroma + p * layout_.cBytes;
                for (int i = 0; i < chromaWidth_; ++i) sums_[i] = static_cast<std::uint16_t>(near[i] * 3 + far[i]);
                DoubleWidth(sums_.data(), chromaWidth_, 8, 7, 4, doubled[p]);
            } else {
                std::copy(near, near + chromaWidth_, sums_.begin());
                DoubleWidth(sums_.data(), chromaWidth_, 1, 2, 2, doubled[p]);
            }
            planes[p] = doubled[p];
        }
    }
    Convert(luma, planes[0], planes[1], layout_.width, out);
}
