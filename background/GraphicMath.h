// Small drawing operations for the list and the buttons: the soft anti-aliased line,
// halving, tinting through a mask, and colour mixing.
#pragma once

#include <cstdint>

#include "background/Bitmap.h"

struct TSoftPen {
    TBitmap* Bitmap = nullptr;  // 32-bit
    int X = 0, Y = 0;           // current point
    std::int32_t Color = 0;     // $00BBGGRR
    int Opacity = 255;
    int Reserved = 0;
    double Width = 1;
};

// Draws from the pen's current point to (x, y), which becomes the current point.
void SoftLineTo(TSoftPen& pen, int x, int y);
// The coverage SoftLineTo gives a pixel at distance d from a line of the given width.
int SoftCoverage(double width, double d);

// 2 x 2 box average of the whole bitmap into its top-left quarter.
void HalveBitmap(TBitmap& bitmap);
// Paints the colour through the mask's blue channel; the target becomes opaque.
void TintByMask(TBitmap& target, const TBitmap& mask, std::int32_t color);
std::int32_t GreyOf(std::int32_t color);
std::int32_t MixColors(std::int32_t a, std::int32_t b, int weight);
