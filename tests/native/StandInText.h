// A text stand-in: every byte is a solid block 6 pixels wide and 8 high.
#pragma once

#include <algorithm>

#include "app/RowRenderer.h"
#include "support/TextWork.h"

class StandInText : public TRowTextPainter, public TTextMeasurer {
public:
    static constexpr int kCharWidth = 6, kCharHeight = 8;
    int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * kCharWidth; }
    int TextWidth(const std::string& text) const override { return static_cast<int>(text.size()) * kCharWidth; }
    void DrawText(TBitmap& target, int x, int y, const std::string& text, std::int32_t color) override {
        const std::uint32_t pixel = 0xFF000000u | static_cast<std::uint32_t>((color & 0xFF) << 16) |
                                    static_cast<std::uint32_t>(color & 0xFF00) | static_cast<std::uint32_t>((color >> 16) & 0xFF);
        const int from = std::max(x, 0), to = std::min(x + TextWidth(text), target.Width());
        for (int py = std::max(y, 0); py < std::min(y + kCharHeight, target.Height()); ++py)
            if (to > from) std::fill_n(reinterpret_cast<std::uint32_t*>(target.ScanLine(py)) + from, to - from, pixel);
    }
};
