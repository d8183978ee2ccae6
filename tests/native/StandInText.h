// A text stand-in: every byte is a solid block 6 pixels wide and 8 high.
#pragma once

#include "app/RowRenderer.h"
#include "support/TextWork.h"

class StandInText : public TRowTextPainter, public TTextMeasurer {
public:
    static constexpr int kCharWidth = 6, kCharHeight = 8;
    int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * kCharWidth; }
    int TextWidth(const std::string& text) const override { return static_cast<int>(text.size()) * kCharWidth; }
    void DrawText(TBitmap& target, int x, int y, const std::string& text, std::int32_t color) override {
        for (int py = std::max(y, 0); py < std::min(y + kCharHeight, target.Height()); ++py)
            for (int px = std::max(x, 0); px < std::min(x + TextWidth(text), target.Width()); ++px) {
                std::uint8_t* p = target.ScanLine(py) + px * 4;
                p[0] = static_cast<std::uint8_t>(color >> 16);
                p[1] = static_cast<std::uint8_t>(color >> 8);
                p[2] = static_cast<std::uint8_t>(color);
            }
    }
};
