// Pixel operations on 32-bit bitmaps: blending in nine draw types with resampling,
// rotation by quarter turns, alpha masks, fill and XOR.
#pragma once

#include <cstdint>

#include "background/Bitmap.h"

enum TDrawType { dtAlpha, dtCopy, dtAdd, dtSub, dtMulti, dtDiv, dtScreen, dtOverlay, dtWhite };

struct TDrawParams {
    TBitmap* Dest = nullptr;
    const TBitmap* Source = nullptr;
    TRect Place;   // where the whole source lands; another size means resampling
    TRect Clip;    // the part of the destination that may change
    int Opacity = 255;
    TDrawType DrawType = dtAlpha;
};

// One channel of a source pixel combined with the destination's.
int CombineChannel(TDrawType type, int s, int d);

void DrawBitmap(const TDrawParams& params);
void DrawBitmapAt(int x, int y, TBitmap& dest, TDrawType type, const TBitmap& source);
// The source's pixels, alpha included, exactly as they are, with its top-left at (x, y) of the
// destination; both 32-bit, clipped to the destination. Nothing is blended or skipped.
void CopyPixels(TBitmap& dest, int x, int y, const TBitmap& source);

// Both raise "32bitBmp以外を塗りつぶそうとしました" on a bitmap that is not 32-bit.
void FillBitmap32(TBitmap& bitmap, std::uint32_t value);
void XorRect32(TBitmap& bitmap, const TRect& rect, std::uint32_t value);

// These do nothing on a bitmap that is not 32-bit or has no pixels.
void SetAlpha(TBitmap& bitmap, std::uint8_t alpha);
void SetAlphaRect(TBitmap& bitmap, std::uint8_t alpha, const TRect& rect);
void SetAlphaByKey(TBitmap& bitmap, std::uint8_t alpha);
void GradientAlpha(TBitmap& bitmap, bool fromTop);
// The alpha GradientAlpha gives row y of a bitmap h rows high.
inline std::uint8_t GradientAlphaAt(int y, int h, bool fromTop) {
    const int v = static_cast<int>(static_cast<long long>(y) * 255 / h);
    return static_cast<std::uint8_t>(fromTop ? v : 255 - v);
}
// The alpha EllipseAlpha gives pixel (j, i) of a width x height bitmap.
struct TEllipseMask {
    long long w2, h2, s, D;
    TEllipseMask(int width, int height);
    std::uint8_t At(long long j, long long i) const {
        if (D == 0) return 255;
        const long long bx = (j - w2) * h2 / s, by = (i - h2) * w2 / s, b = bx * bx + by * by;
        return static_cast<std::uint8_t>(b > D ? 0 : 255 - b * 255 / D);
    }
};
// Opaque at the centre, transparent at the inscribed ellipse; a bitmap too small for an
// ellipse (a side of one pixel) stays opaque.
void EllipseAlpha(TBitmap& bitmap);

// Clockwise by 90°, 180° or 270° (quarter turns 1 to 3); other values do nothing.
void RotateBitmap(TBitmap& bitmap, int quarterTurns);
