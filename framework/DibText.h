// Text on the program's bitmaps through GDI: the row painter and the text measurer of the list.
#pragma once

#include <windows.h>

#include "app/RowRenderer.h"
#include "framework/Handles.h"
#include "support/TextWork.h"

class TDibText : public TRowTextPainter, public TTextMeasurer {
public:
    TDibText();
    TDibText(const TDibText&) = delete;
    TDibText& operator=(const TDibText&) = delete;

    // The font stays the caller's; it must live until the next SetFont.
    void SetFont(HFONT font) { font_ = font; }
    HFONT Font() const { return font_; }
    int TextWidth(const std::string& text) override { return Measure(text); }
    int TextWidth(const std::string& text) const override { return Measure(text); }
    void DrawText(TBitmap& target, int x, int y, const std::string& text, std::int32_t color) override;

private:
    int Measure(const std::string& text) const;

    TMemoryDC dc_;
    HFONT font_ = nullptr;
};
