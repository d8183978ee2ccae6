#include "background/GraphicWork.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "support/Errors.h"

namespace {

// The bilinear weight table: entry i is i, built as the design describes it.
struct WeightTable {
    int entry[256];
    WeightTable() {
        for (int i = 0; i < 128; ++i) entry[i] = i;
        for (int i = 128; i < 256; ++i) entry[i] = 255 - entry[255 - i];
    }
};
const WeightTable kWeights;

void Require32Bit(const TBitmap& bitmap) {
    if (!bitmap.Is32Bit()) throw EError("32bitBmp以外を塗りつぶそうとしました");
}

bool HasAlphaPixels(const TBitmap& bitmap) { return bitmap.Is32Bit() && !bitmap.Empty(); }

TRect BoundsOf(const TBitmap& bitmap) { return {0, 0, bitmap.Width(), bitmap.Height()}; }

// Source pixel (x - rect.Left + sx0, y - rect.Top + sy0) onto every destination pixel of rect.
void BlendUnscaled(TBitmap& dest, const TBitmap& source, const TRect& rect, int sx0, int sy0, int opacity,
                   TDrawType type) {
    for (int y = rect.Top; y < rect.Bottom; ++y) {
        std::uint8_t* dp = dest.ScanLine(y) + rect.Left * 4;
        const std::uint8_t* sp = source.ScanLine(y - rect.Top + sy0) + sx0 * 4;
        for (int x = rect.Left; x < rect.Right; ++x, dp += 4, sp += 4) {
            int alpha = opacity * sp[3] / 255;
            if (alpha <= 0) continue;
            if (type == dtCopy) alpha = 255;
            for (int c = 0; c < 3; ++c) {
                int r = CombineChannel(type, sp[c], dp[c]);
                dp[c] = static_cast<std::uint8_t>(alpha == 255 ? r : ((255 - alpha) * dp[c] + alpha * r) / 255);
            }
            dp[3] = 255;
        }
    }
}

// 257 rows of 255 still fit 16 bits.
constexpr long long kMaxShortSumRows = 257;
constexpr std::size_t kSumBlock = 4096;

// Kept out of line: inlined, the compiler loses sight of the two arrays being apart.
[[gnu::noinline]] void AddRow(std::uint16_t* __restrict sums, const std::uint8_t* __restrict row, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) sums[i] = static_cast<std::uint16_t>(sums[i] + row[i]);
}

void BlendResampled(const TDrawParams& p, const TRect& rect) {
    const TBitmap& source = *p.Source;
    TBitmap& dest = *p.Dest;
    const long long L = p.Place.Left, T = p.Place.Top, dW = p.Place.Width(), dH = p.Place.Height();
    const long long sW = source.Width(), sH = source.Height();

    const long long y0 = sH * (rect.Top - T) / dH;
    const long long y1 = sH * (2 * (rect.Bottom - T) - 1) / (2 * dH) + 1;
    std::vector<const std::uint8_t*> rows;
    for (long long r = y0; r <= y1; ++r) rows.push_back(source.ScanLine(static_cast<int>(std::min(r, sH - 1))));
    auto row = [&](long long sy) { return rows[static_cast<std::size_t>(std::min<long long>(sy - y0, rows.size() - 1))]; };

    const bool shrinking = sW / 2 > dW;
    const bool plain = p.DrawType == dtAlpha || p.DrawType == dtCopy;  // the colour is the sample's
    // More source columns than half but fewer rows than the placement: at least one row per sample.
    const long long k = std::max<long long>(1, sH / dH);
    // Box averages: the k rows are first summed per source column, then over each span of columns.
    const long long firstColumn = sW * (rect.Left - L) / dW;
    const long long lastColumn = std::min(sW - 1, sW * (rect.Right - L) / dW);
    std::vector<std::uint32_t> columnSums(shrinking ? static_cast<std::size_t>(lastColumn - firstColumn + 1) * 4 : 0);
    // Each destination column's span of source columns, and its divisor as a reciprocal: with
    // sums below 255 n and n below 65,000, (sum x (2^40 div n + 1)) shr 40 is sum div n exactly.
    struct TBox {
        std::size_t start;
        int columns;
        std::uint64_t n, reciprocal;
    };
    std::vector<TBox> boxes(shrinking ? static_cast<std::size_t>(rect.Width()) : 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const long long x = rect.Left + static_cast<long long>(i);
        const long long sx0 = sW * (x - L) / dW, sx1 = std::max(sx0, sW * (x - L + 1) / dW - 1);
        const std::uint64_t n = static_cast<std::uint64_t>((sx1 - sx0 + 1) * k);
        boxes[i] = {static_cast<std::size_t>(sx0 - firstColumn) * 4, static_cast<int>(sx1 - sx0 + 1), n,
                    n < 65000 ? (std::uint64_t{1} << 40) / n + 1 : 0};
    }
    // Bilinear sampling in two passes, exactly as the four-tap formula: each source row is first
    // mixed horizontally, (256 - wx) a + wx c, once; the rows are then mixed vertically.
    const std::size_t width = static_cast<std::size_t>(rect.Width());
    std::vector<int> columnX(shrinking ? 0 : width), columnX1(columnX.size()), columnW(columnX.size());
    for (std::size_t i = 0; i < columnX.size(); ++i) {
        const long long fx = (sW - 1) * (rect.Left + static_cast<long long>(i) - L) * 256 / dW;
        columnX[i] = static_cast<int>(fx / 256) * 4;
        columnX1[i] = static_cast<int>(std::min(fx / 256 + 1, sW - 1)) * 4;  // a one-pixel-wide source repeats
        columnW[i] = kWeights.entry[fx % 256];
    }
    std::vector<std::uint16_t> mixedA(columnX.size() * 4), mixedB(columnX.size() * 4);
    const std::uint8_t *mixedARow = nullptr, *mixedBRow = nullptr;
    auto mixRow = [&](const std::uint8_t* source, std::vector<std::uint16_t>& out) {
        for (std::size_t i = 0; i < columnX.size(); ++i) {
            const std::uint8_t *a = source + columnX[i], *c = source + columnX1[i];
            const int wx = columnW[i];
            for (int ch = 0; ch < 4; ++ch) out[i * 4 + ch] = static_cast<std::uint16_t>((256 - wx) * a[ch] + wx * c[ch]);
        }
    };

    for (int y = rect.Top; y < rect.Bottom; ++y) {
        const long long fy = sH * (2 * (y - T) + 1) * 256 / (2 * dH);
        const long long sy = fy / 256;
        const int wy = kWeights.entry[fy % 256];
        if (shrinking && k <= kMaxShortSumRows) {
            // In blocks that stay in the first-level cache, in 16-bit sums while they cannot overflow.
            std::uint16_t shortSums[kSumBlock];
            for (std::size_t at = 0; at < columnSums.size(); at += kSumBlock) {
                const std::size_t n = std::min(kSumBlock, columnSums.size() - at);
                std::fill(shortSums, shortSums + n, 0);
                for (long long m = 0; m < k; ++m) AddRow(shortSums, row(sy + m) + firstColumn * 4 + at, n);
                std::copy(shortSums, shortSums + n, columnSums.begin() + static_cast<std::ptrdiff_t>(at));
            }
        } else if (shrinking) {
            std::fill(columnSums.begin(), columnSums.end(), 0);
            for (long long m = 0; m < k; ++m) {
                const std::uint8_t* sp = row(sy + m) + firstColumn * 4;
                for (std::size_t i = 0; i < columnSums.size(); ++i) columnSums[i] += sp[i];
            }
        } else {
            const std::uint8_t *upper = row(sy), *lower = row(sy + 1);
            if (upper == mixedBRow) {
                std::swap(mixedA, mixedB);
                std::swap(mixedARow, mixedBRow);
            }
            if (upper != mixedARow) mixRow(mixedARow = upper, mixedA);
            if (lower != mixedBRow) mixRow(mixedBRow = lower, mixedB);
        }
        std::uint8_t* dp = dest.ScanLine(y) + rect.Left * 4;
        for (int x = rect.Left; x < rect.Right; ++x, dp += 4) {
            int px[4];
            if (shrinking) {
                const TBox& box = boxes[static_cast<std::size_t>(x - rect.Left)];
                std::uint64_t sum[4] = {0, 0, 0, 0};
                const std::uint32_t* column = &columnSums[box.start];
                for (int sx = 0; sx < box.columns; ++sx, column += 4)
                    for (int c = 0; c < 4; ++c) sum[c] += column[c];
                for (int c = 0; c < 4; ++c)
                    px[c] = static_cast<int>(box.reciprocal ? (sum[c] * box.reciprocal) >> 40 : sum[c] / box.n);
            } else {
                const std::size_t i = static_cast<std::size_t>(x - rect.Left) * 4;
                for (int ch = 0; ch < 4; ++ch)
                    px[ch] = static_cast<int>(
                        (static_cast<std::uint32_t>(256 - wy) * mixedA[i + ch] + static_cast<std::uint32_t>(wy) * mixedB[i + ch]) >>
                        16);
            }
            int alpha = p.Opacity * px[3] / 255;
            if (alpha <= 0) continue;
            if (p.DrawType == dtCopy) alpha = 255;
            for (int ch = 0; ch < 3; ++ch) {
                int r = plain ? px[ch] : CombineChannel(p.DrawType, px[ch], dp[ch]);
                dp[ch] = static_cast<std::uint8_t>(alpha == 255 ? r : ((255 - alpha) * dp[ch] + alpha * r) >> 8);
            }
        }
    }
}

}  // namespace

int CombineChannel(TDrawType type, int s, int d) {
    switch (type) {
    case dtAdd: return std::min(255, s + d);
    case dtSub: return std::max(0, d - s);
    case dtMulti: return s * d / 255;
    case dtDiv: return std::min(255, d * 255 / (s + 1));
    case dtScreen: return (255 * d + 255 * s - d * s) / 255;
    case dtOverlay: return d <= 128 ? d + d * (s - 128) / 128 : d + (255 - d) * (s - 128) / 128;
    case dtWhite: return 128 + s / 2;
    default: return s;  // dtAlpha, dtCopy
    }
}

void DrawBitmap(const TDrawParams& p) {
    if (!p.Dest || !p.Source || p.Opacity <= 0 || !HasAlphaPixels(*p.Dest) || !HasAlphaPixels(*p.Source)) return;
    TDrawParams params = p;
    params.Opacity = std::min(p.Opacity, 255);
    TRect rect = IntersectRects(IntersectRects(p.Clip, BoundsOf(*p.Dest)), p.Place);
    if (rect.Width() < 1 || rect.Height() < 1) return;
    if (p.Source->Width() == p.Place.Width() && p.Source->Height() == p.Place.Height())
        BlendUnscaled(*p.Dest, *p.Source, rect, rect.Left - p.Place.Left, rect.Top - p.Place.Top, params.Opacity,
                      p.DrawType);
    else
        BlendResampled(params, rect);
}

void DrawBitmapAt(int x, int y, TBitmap& dest, TDrawType type, const TBitmap& source) {
    if (!HasAlphaPixels(dest) || !HasAlphaPixels(source)) return;
    const int skipX = x < 0 ? -x : 0, skipY = y < 0 ? -y : 0;
    x = std::max(x, 0);
    y = std::max(y, 0);
    const int width = std::min(source.Width() - skipX, dest.Width() - x);
    const int height = std::min(source.Height() - skipY, dest.Height() - y);
    if (width < 1 || height < 1) return;
    BlendUnscaled(dest, source, {x, y, x + width, y + height}, skipX, skipY, 255, type);
}

void CopyPixels(TBitmap& dest, int x, int y, const TBitmap& source) {
    if (!HasAlphaPixels(dest) || !HasAlphaPixels(source)) return;
    const TRect r = IntersectRects(BoundsOf(dest), {x, y, x + source.Width(), y + source.Height()});
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    const std::size_t bytes = static_cast<std::size_t>(r.Right - r.Left) * 4;
    for (int row = r.Top; row < r.Bottom; ++row)
        std::memcpy(dest.ScanLine(row) + r.Left * 4, source.ScanLine(row - y) + (r.Left - x) * 4, bytes);
}

void FillBitmap32(TBitmap& bitmap, std::uint32_t value) {
    Require32Bit(bitmap);
    if (bitmap.Empty()) return;
    // 32-bit rows have no padding: the pixels are one run of words.
    std::fill_n(reinterpret_cast<std::uint32_t*>(bitmap.ScanLine(0)),
                static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(bitmap.Height()), value);
}

void XorRect32(TBitmap& bitmap, const TRect& rect, std::uint32_t value) {
    Require32Bit(bitmap);
    TRect r = IntersectRects(rect, BoundsOf(bitmap));
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = r.Left; x < r.Right; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, p + x * 4, 4);
            pixel ^= value;
            std::memcpy(p + x * 4, &pixel, 4);
        }
    }
}

void SetAlphaRect(TBitmap& bitmap, std::uint8_t alpha, const TRect& rect) {
    if (!HasAlphaPixels(bitmap)) return;
    TRect r = IntersectRects(rect, BoundsOf(bitmap));
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = r.Left; x < r.Right; ++x) p[x * 4 + 3] = alpha;
    }
}

void SetAlpha(TBitmap& bitmap, std::uint8_t alpha) { SetAlphaRect(bitmap, alpha, BoundsOf(bitmap)); }

void SetAlphaByKey(TBitmap& bitmap, std::uint8_t alpha) {
    if (!HasAlphaPixels(bitmap)) return;
    std::uint8_t key[3];
    std::memcpy(key, bitmap.ScanLine(0), 3);
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 4) p[3] = std::memcmp(p, key, 3) == 0 ? 0 : alpha;
    }
}

void GradientAlpha(TBitmap& bitmap, bool fromTop) {
    if (!HasAlphaPixels(bitmap)) return;
    const int h = bitmap.Height();
    for (int y = 0; y < h; ++y) {
        const std::uint8_t v = GradientAlphaAt(y, h, fromTop);
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) p[x * 4 + 3] = v;
    }
}

TEllipseMask::TEllipseMask(int width, int height) : w2(width / 2), h2(height / 2), s(w2 + h2) {
    D = s == 0 ? 0 : (w2 * w2 / s) * (h2 * h2 / s);
}

void EllipseAlpha(TBitmap& bitmap) {
    if (!HasAlphaPixels(bitmap)) return;
    const TEllipseMask mask(bitmap.Width(), bitmap.Height());
    for (int i = 0; i < bitmap.Height(); ++i) {
        std::uint8_t* p = bitmap.ScanLine(i);
        for (int j = 0; j < bitmap.Width(); ++j) p[j * 4 + 3] = mask.At(j, i);
    }
}

void RotateBitmap(TBitmap& bitmap, int quarterTurns) {
    if (bitmap.Empty() || quarterTurns < 1 || quarterTurns > 3) return;
    const int bytes = bitmap.BitsPerPixel() / 8, w = bitmap.Width(), h = bitmap.Height();
    if (quarterTurns == 2) {
        for (int y = 0; y < (h + 1) / 2; ++y) {
            std::uint8_t *top = bitmap.ScanLine(y), *bottom = bitmap.ScanLine(h - 1 - y);
            // Swapping pixel i of the top row with pixel w-1-i of the bottom row reverses both;
            // for the middle row of an odd height, top and bottom are the same row.
            const int count = top == bottom ? w / 2 : w;
            for (int i = 0; i < count; ++i)
                std::swap_ranges(top + i * bytes, top + (i + 1) * bytes, bottom + (w - 1 - i) * bytes);
        }
        return;
    }
    TBitmap turned(h, w, bitmap.BitsPerPixel());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const int tx = quarterTurns == 1 ? h - 1 - y : y, ty = quarterTurns == 1 ? x : w - 1 - x;
            std::memcpy(turned.ScanLine(ty) + tx * bytes, src + x * bytes, bytes);
        }
    }
    bitmap.SetSize(h, w);
    for (int y = 0; y < w; ++y) std::memcpy(bitmap.ScanLine(y), turned.ScanLine(y), static_cast<std::size_t>(h) * bytes);
}
