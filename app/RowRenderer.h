// Composes one display line in the one-row 32-bit bitmap: rule, selection marks, the text
// with its soft shadow. Text itself is drawn through a painter (GDI in the program).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "background/Bitmap.h"
#include "support/Dates.h"

class TRowTextPainter {
public:
    virtual ~TRowTextPainter() = default;
    virtual int TextWidth(const std::string& text) = 0;
    // Transparent background; colour $00BBGGRR.
    virtual void DrawText(TBitmap& target, int x, int y, const std::string& text, std::int32_t color) = 0;
};

constexpr int kHighlightStyles = 6;  // the selection's looks, as TRowStyle numbers them

struct TRowStyle {
    std::int32_t underlineColor = 0xC0C0C0, highlightColor = 0x0000FF, shadowColor = 0xF0F0F0;
    bool shadowOn = true;
    int highlightStyle = 0;  // 0 invert, 1 colour invert, 2 underline, 3 wave, 4 box, 5 lower box
    int dateWidth = 0, markWidth = 0;
    int dpi = 96;  // margins and line widths are the design's at 96 dpi
};

struct TRowLine {
    std::string text;      // this display line's text
    bool first = true;     // the item's first line shows date and mark
    bool selected = false;
    std::string date;      // "mm/dd", "yyyy/mm/dd" or ""
    std::string mark;      // the category, the full-width space for none
    std::int32_t color = 0;
    std::int32_t dateColor = -1;  // an overdue or today's date's own colour; -1 for the item's
};

// "mm/dd" with the given separator.
std::string ShortDate(TDateTime date, const std::string& separator);

// Draws line onto row (already holding its background); mask is a bitmap of the same size.
// random(n) answers an integer 0 … n − 1 for the wave.
void RenderLine(TBitmap& row, TBitmap& mask, const TRowLine& line, const TRowStyle& style,
                TRowTextPainter& painter, const std::function<int(int)>& random);

// The soft halo: for every inner pixel, a = min(220, 2 s div 5) of the mask's 3 × 3 blue sum.
void ApplyShadow(TBitmap& row, const TBitmap& mask, std::int32_t shadowColor);
