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
// Opaque at the centre, transparent at the inscribed ellipse; a bitmap too small for an
// ellipse (a side of one pixel) stays opaque.
void EllipseAlpha(TBitmap& bitmap);

// Clockwise by 90°, 180° or 270° (quarter turns 1 to 3); other values do nothing.
void RotateBitmap(TBitmap& bitmap, int quarterTurns);
