#include "app/RowRenderer.h"

#include "framework/Dpi.h"

#include <algorithm>
#include <vector>

#include "background/GraphicMath.h"
#include "background/GraphicWork.h"

std::string ShortDate(TDateTime date, const std::string& separator) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    auto twoDigits = [](int v) { return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)}; };
    return twoDigits(m) + separator + twoDigits(d);
}

void ApplyShadow(TBitmap& row, const TBitmap& mask, std::int32_t shadowColor) {
    const int w = row.Width(), h = row.Height();
    if (w < 3 || h < 3) return;
    const int shadow[3] = {(shadowColor >> 16) & 255, (shadowColor >> 8) & 255, shadowColor & 255};
    // Per row: vertical 3-sums of the mask's blue bytes, then the weight of every pixel, then
    // the blend; three plain loops the compiler can vectorise.
    std::vector<std::uint16_t> columns(static_cast<std::size_t>(w)), weights(static_cast<std::size_t>(w));
    for (int y = 1; y <= h - 2; ++y) {
        const std::uint8_t *above = mask.ScanLine(y - 1), *here = mask.ScanLine(y), *below = mask.ScanLine(y + 1);
        int first = w, last = -1;  // the columns with glyph pixels near this row
        for (int x = 0; x < w; ++x) {
            columns[static_cast<std::size_t>(x)] =
                static_cast<std::uint16_t>(above[x * 4] + here[x * 4] + below[x * 4]);
            if (columns[static_cast<std::size_t>(x)] != 0) {
                first = std::min(first, x);
                last = x;
            }
        }
        if (last < 0) continue;  // every weight is 0 here
        const int from = std::max(1, first - 1), to = std::min(w - 2, last + 1);
        for (int x = from; x <= to; ++x) {
            const int s = columns[static_cast<std::size_t>(x - 1)] + columns[static_cast<std::size_t>(x)] +
                          columns[static_cast<std::size_t>(x + 1)];
            weights[static_cast<std::size_t>(x)] = static_cast<std::uint16_t>(std::min(220, 2 * s / 5));
        }
        std::uint8_t* p = row.ScanLine(y);
        for (int x = from; x <= to; ++x) {
            const int a = weights[static_cast<std::size_t>(x)];
            for (int c = 0; c < 3; ++c)
                p[x * 4 + c] = static_cast<std::uint8_t>(((256 - a) * p[x * 4 + c] + a * shadow[c]) >> 8);
        }
    }
}

void RenderLine(TBitmap& row, TBitmap& mask, const TRowLine& line, const TRowStyle& style,
                TRowTextPainter& painter, const std::function<int(int)>& random) {
    const int W = row.Width(), H = row.Height();
    const int S = style.highlightStyle;
    const bool sel = line.selected;
    auto s = [&style](int value) { return ScaleForDpi(value, style.dpi); };
    const double k = style.dpi / 96.0;  // line widths
    const int textY = H / 8;
    const int textX = style.dateWidth + style.markWidth + s(3);
    const int endX = textX + painter.TextWidth(line.text);
    const int startX = line.first ? s(3) : textX;
    TSoftPen pen;
    pen.Bitmap = &row;

    // The rule under every display line (or the underline style of the selection).
    pen.X = 0;
    pen.Y = H - s(1);
    const bool underline = sel && S == 2;
    pen.Color = underline ? style.highlightColor : style.underlineColor;
    pen.Opacity = underline ? 190 : 128;
    pen.Width = (underline ? 2.0 : 1.0) * k;
    SoftLineTo(pen, W - 1, H - s(1));

    if (sel && S == 4) {  // a translucent bar with rounded ends under the text
        const int r = (H - s(2)) / 2;
        pen.X = r;
        pen.Y = r;
        pen.Width = H - s(2);
        pen.Color = style.highlightColor;
        pen.Opacity = 190;
        SoftLineTo(pen, W - r - s(2), r);
    }
    if (sel && S == 5) {  // three bars under the lower part of the text, densest at the bottom
        const int h = H - s(2);
        pen.Color = style.highlightColor;
        pen.Opacity = 64;
        for (int q = 13; q <= 15; ++q) {
            const int y = h * q / 16;
            pen.X = startX;
            pen.Y = y;
            pen.Width = 2.0 * (h - y);
            SoftLineTo(pen, endX, y);
        }
    }

    auto drawTexts = [&](TBitmap& target, bool onMask) {
        const std::int32_t color = onMask ? 0xFFFFFF : line.color;
        if (line.first) {
            painter.DrawText(target, s(3), textY, line.date, onMask || line.dateColor < 0 ? color : line.dateColor);
            painter.DrawText(target, style.dateWidth + s(3), textY, line.mark, color);
        }
        painter.DrawText(target, textX, textY, line.text, color);
    };
    if (style.shadowOn) {
        FillBitmap32(mask, 0xFF000000);
        drawTexts(mask, true);
        ApplyShadow(row, mask, style.shadowColor);
    }
    drawTexts(row, false);

    if (sel && S == 0) XorRect32(row, {0, 0, W, H}, 0xFFFFFF);
    if (sel && S == 1) XorRect32(row, {0, 0, W, H}, static_cast<std::uint32_t>(style.highlightColor));
    if (sel && S == 3) {  // the wave, with new random heights at every repaint
        pen.X = startX;
        pen.Y = H - s(2);
        pen.Width = 2.5 * k;
        pen.Color = style.highlightColor;
        pen.Opacity = 128;
        const int step = s(2), n = (endX - startX) / step;
        for (int m = 0; m <= n; ++m) SoftLineTo(pen, startX + step * m, H - s(4) + random(3) * step / 2);
    }
}
