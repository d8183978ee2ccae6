// Text on the program's bitmaps through GDI: the row painter and the text measurer of the list.
#pragma once

#include <windows.h>

#include <vector>

#include "app/RowRenderer.h"
#include "framework/Handles.h"
#include "support/TextWork.h"

class TDibText : public TRowTextPainter, public TTextMeasurer {
public:
    TDibText();
    TDibText(const TDibText&) = delete;
    TDibText& operator=(const TDibText&) = delete;

    // The font stays the caller's; it must live until the next SetFont. The character widths
    // known are kept as long as the fonts are alike, a font made anew for a window reset
    // included.
    void SetFont(HFONT font);
    HFONT Font() const { return font_; }
    int TextWidth(const std::string& text) override { return Measure(text); }
    int TextWidth(const std::string& text) const override { return Measure(text); }
    // From each character's width as GetTextExtentPoint32 gives it alone, measured once per
    // font: the sum a character-by-character walk gets, without a GDI call per character.
    TTextFit Fit(std::string_view text, int width) const override;
    void DrawText(TBitmap& target, int x, int y, const std::string& text, std::int32_t color) override;

private:
    int Measure(const std::string& text) const;

    TMemoryDC dc_;
    HFONT font_ = nullptr;
    LOGFONTW logFont_{};
    // By the character's one or two bytes (lead byte in the high byte); −1 not yet measured.
    mutable std::vector<int> widths_;
};
