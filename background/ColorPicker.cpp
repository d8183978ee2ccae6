#include "background/ColorPicker.h"

#include <algorithm>
#include <cstdio>

#include "support/Functions.h"

int WrapInto(int value, int period) {
    const int r = value % period;
    return r < 0 ? r + period : r;
}

TPickerValues PickerFromRGB(int r, int g, int b) {
    TPickerValues p;
    p.r = std::clamp(r, 0, 255);
    p.g = std::clamp(g, 0, 255);
    p.b = std::clamp(b, 0, 255);
    ColorToHSV(p.r, p.g, p.b, p.h, p.s, p.v);
    p.color = p.r + p.g * 256 + p.b * 65536;
    return p;
}

TPickerValues PickerFromHSV(int h, int s, int v) {
    int r = 0, g = 0, b = 0;
    HSVToColor(WrapInto(h, 360), WrapInto(s, 101), WrapInto(v, 101), r, g, b);
    return PickerFromRGB(r, g, b);
}

TPickerValues PickerFromColor(std::int32_t color) {
    return PickerFromRGB(color & 255, (color >> 8) & 255, (color >> 16) & 255);
}

int EditNumber(const std::string& text) {
    std::int32_t value = 0;
    return TryStrToInt(text, value) ? value : 0;
}

std::int32_t ParseRRGGBB(const std::string& text) {
    std::int32_t value = 0;
    if (!TryStrToInt("$" + text, value)) value = 0xFFFFFF;
    return SwapRedBlue(value);
}

std::string FormatRRGGBB(std::int32_t color) {
    char text[16];
    std::snprintf(text, sizeof text, "%6.6X", static_cast<unsigned>(SwapRedBlue(color)));
    return text;
}

std::int32_t FieldPixelColor(int x, int y, int v, int width, int height) {
    int h = 0, s = 0, r = 0, g = 0, b = 0;
    FieldPick(x, y, h, s, width, height);
    HSVToColor(h, s, v, r, g, b);
    return r + g * 256 + b * 65536;
}

void FieldPick(int x, int y, int& h, int& s, int width, int height) {
    h = x * 359 / std::max(width - 1, 1);
    s = 100 - y * 100 / std::max(height - 1, 1);
}

TFieldPoint FieldMarker(int h, int s, int width, int height) {
    return {h * (width - 1) / 359, height - s * (height - 1) / 100};
}

void DrawHueSaturationField(TBitmap& bitmap, int v) {
    const int step = bitmap.BitsPerPixel() / 8;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += step) {
            const std::int32_t c = FieldPixelColor(x, y, v, bitmap.Width(), bitmap.Height());
            p[0] = static_cast<std::uint8_t>(c >> 16);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            p[2] = static_cast<std::uint8_t>(c);
            if (step == 4) p[3] = 255;
        }
    }
}

const std::int32_t kPresetColors[kSwatchRows * kSwatchColumns] = {
    0xE0E0FF, 0xE0FFFF, 0xE0FFE0, 0xFFFFE0, 0xFFE0E0, 0xFFE0FF,  //
    0x00A0FF, 0x80E0E0, 0x80E080, 0xE0E080, 0xFF8080, 0xFF80FF,  //
    0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF,  //
    0x000080, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080,  //
    0x000000, 0x606060, 0x808080, 0xC0C0C0, 0xE0E0E0, 0xFFFFFF,
};

TRect SwatchRect(int row, int column, int frameWidth, int frameHeight, int fieldTop, int fieldHeight) {
    const int a = (frameWidth - 12) / kSwatchColumns;
    const int b = (frameHeight - fieldTop - fieldHeight - 16) / kSwatchRows;
    const int left = a * column + 8, top = b * row + fieldTop + fieldHeight + 8;
    return {left, top, left + a - 1, top + b - 1};
}

TRect LeafSquare(int textLeft, int rowTop, int rowBottom) {
    const int side = std::max(rowBottom - rowTop - 2, 0);
    return {textLeft - side - 2, rowTop + 1, textLeft - 2, rowBottom - 1};
}
