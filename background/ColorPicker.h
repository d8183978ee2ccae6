// The colour picker's numbers: RGB and HSV entry with clamping and wrapping, the hue/saturation
// field and its marker, the RRGGBB text, the preset swatches and the tree's colour squares.
#pragma once

#include <cstdint>
#include <string>

#include "background/Bitmap.h"

// What the picker shows: R, G, B 0..255, H 0..359, S and V 0..100, and the colour $00BBGGRR.
struct TPickerValues {
    int r = 0, g = 0, b = 0, h = 0, s = 0, v = 0;
    std::int32_t color = 0;
    bool operator==(const TPickerValues&) const = default;
};

// value modulo period, negative values raised by whole periods.
int WrapInto(int value, int period);

// Each of R, G, B clamped to 0..255, H, S, V from them.
TPickerValues PickerFromRGB(int r, int g, int b);
// H modulo 360, S and V modulo 101; the values are then those of the resulting integer RGB.
TPickerValues PickerFromHSV(int h, int s, int v);
TPickerValues PickerFromColor(std::int32_t color);

// An edit's number; anything else counts as 0.
int EditNumber(const std::string& text);
// Six hex digits RRGGBB to a colour $00BBGGRR; a text that is no hex number gives white.
std::int32_t ParseRRGGBB(const std::string& text);
std::string FormatRRGGBB(std::int32_t color);

// The hue/saturation field: hue grows to the right, saturation to the top.
constexpr int kFieldWidth = 200, kFieldHeight = 196;
struct TFieldPoint {
    int x = 0, y = 0;
};
// The colour $00BBGGRR of the field's pixel (x, y) at brightness v.
std::int32_t FieldPixelColor(int x, int y, int v, int width = kFieldWidth, int height = kFieldHeight);
// H and S picked at (x, y).
void FieldPick(int x, int y, int& h, int& s, int width = kFieldWidth, int height = kFieldHeight);
// The centre of the marker for H and S.
TFieldPoint FieldMarker(int h, int s, int width = kFieldWidth, int height = kFieldHeight);
// Fills a 24- or 32-bit bitmap with the field at brightness v.
void DrawHueSaturationField(TBitmap& bitmap, int v);

// The 30 preset swatches, 5 rows of 6, row by row.
constexpr int kSwatchRows = 5, kSwatchColumns = 6;
extern const std::int32_t kPresetColors[kSwatchRows * kSwatchColumns];
// Swatch (row, column) in a frame of the given size, below the field.
TRect SwatchRect(int row, int column, int frameWidth, int frameHeight, int fieldTop, int fieldHeight);

// A tree leaf's colour square: left of the text, in the row.
TRect LeafSquare(int textLeft, int rowTop, int rowBottom);
