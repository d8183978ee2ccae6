// Without a font system: each character a block in its cell, wrapped at the rectangle's
// width, so that a notice still shows where its text goes.
#include "background/BGRender.h"
#include "support/TextWork.h"

namespace {


class TBlockTextDrawer : public TTextDrawer {
public:
    // A single-byte character's cell is half the line's height wide.
    void DrawWrapped(TBitmap& bitmap, const TRect& rect, const std::string& text, std::int32_t color,
                     int lineHeight) override {
        if (!bitmap.Is32Bit()) return;
        const TRect clip = IntersectRects(rect, {0, 0, bitmap.Width(), bitmap.Height()});
        int x = rect.Left, y = rect.Top;
        for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
            if (text[i] == '\r') continue;
            const int width = lineHeight / 2 * static_cast<int>(CharLength(text, i));
            if (text[i] == '\n' || x + width > rect.Right) {
                x = rect.Left;
                y += lineHeight;
                if (text[i] == '\n') continue;
            }
            if (text[i] != ' ') Block(bitmap, clip, {x + 1, y + 2, x + width - 1, y + lineHeight - 2}, color);
            x += width;
        }
    }

private:
    static void Block(TBitmap& bitmap, const TRect& clip, const TRect& cell, std::int32_t color) {
        const TRect r = IntersectRects(clip, cell);
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                std::uint8_t* p = bitmap.ScanLine(y) + x * 4;
                p[0] = static_cast<std::uint8_t>(color >> 16);
                p[1] = static_cast<std::uint8_t>(color >> 8);
                p[2] = static_cast<std::uint8_t>(color);
            }
    }
};

}  // namespace

std::unique_ptr<TTextDrawer> CreateTextDrawer() { return std::make_unique<TBlockTextDrawer>(); }
