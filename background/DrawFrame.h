// Window frame outlines on a GDI canvas: plain, cut corners or rounded corners.
#pragma once

#include <windows.h>

// Style 0 plain rectangle, 1 to 3 corners cut by that many pixels, 4 rounded corners.
// Drawn with the canvas's pen; the inside is not filled.
void DrawFrame(HDC canvas, const RECT& rect, int style);
// The same in a pen of one pixel of that colour. Above 96 dpi the line, the cut and the rounding
// grow with the dpi, the rounding matching the window region's corners.
void DrawFrameInColor(HDC canvas, COLORREF color, const RECT& rect, int style, int dpi = 96);

class TBitmap;
// Copies a bitmap that has pixels onto the canvas, its top left corner at x, y.
void BlitBitmap(HDC canvas, int x, int y, const TBitmap& bitmap);
