#include "background/DrawFrame.h"

#include "background/Bitmap.h"
#include "framework/Handles.h"

namespace {

// A segment given from the top-left corner, drawn in all four corners by mirroring.
void MirroredSegment(HDC dc, const RECT& r, int x1, int y1, int x2, int y2) {
    const POINT corners[4][2] = {{{r.left + x1, r.top + y1}, {r.left + x2, r.top + y2}},
                                 {{r.right - x1, r.top + y1}, {r.right - x2, r.top + y2}},
                                 {{r.left + x1, r.bottom - y1}, {r.left + x2, r.bottom - y2}},
                                 {{r.right - x1, r.bottom - y1}, {r.right - x2, r.bottom - y2}}};
    for (const auto& segment : corners) {
        MoveToEx(dc, segment[0].x, segment[0].y, nullptr);
        LineTo(dc, segment[1].x, segment[1].y);
    }
}

}  // namespace

void DrawFrame(HDC dc, const RECT& rect, int style) {
    TSelectObject noFill(dc, GetStockObject(NULL_BRUSH));
    if (style == 0) {
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    } else {
        const RECT r{rect.left, rect.top, rect.right - 1, rect.bottom - 1};  // right and bottom drawn inclusive
        if (style >= 1 && style <= 3) {
            const int a = style;
            const POINT outline[] = {{r.left + a, r.top},     {r.right - a, r.top},    {r.right, r.top + a},
                                     {r.right, r.bottom - a}, {r.right - a, r.bottom}, {r.left + a, r.bottom},
                                     {r.left, r.bottom - a},  {r.left, r.top + a},     {r.left + a, r.top}};
            Polyline(dc, outline, 9);
        } else if (style == 4) {
            const int w = (rect.right - rect.left + 1) / 2, h = (r.bottom - r.top + 2) / 2;
            MirroredSegment(dc, r, 4, 0, w, 0);
            MirroredSegment(dc, r, 0, 4, 0, h);
            MirroredSegment(dc, r, 2, 1, 4, 1);
            MirroredSegment(dc, r, 1, 2, 1, 4);
        }
    }
}

namespace {

// The frame's outline as a region, its lengths at dpi.
HRGN FrameShape(const RECT& r, int style, int dpi) {
    auto s = [dpi](int value) { return MulDiv(value, dpi, 96); };
    if (style == 4) {
        const RECT parts[] = {{r.left, r.top + s(4), r.right, r.bottom - s(4)},
                              {r.left + s(4), r.top, r.right - s(4), r.bottom},
                              {r.left + s(2), r.top + s(1), r.right - s(2), r.bottom - s(1)},
                              {r.left + s(1), r.top + s(2), r.right - s(1), r.bottom - s(2)}};
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        for (const RECT& part : parts) {
            TRegionHandle piece(CreateRectRgnIndirect(&part));
            CombineRgn(shape, shape, piece.Get(), RGN_OR);
        }
        return shape;
    }
    if (style >= 1 && style <= 3) {
        const int a = s(style);
        const POINT outline[] = {{r.left + a, r.top},     {r.right - a, r.top},    {r.right, r.top + a},
                                 {r.right, r.bottom - a}, {r.right - a, r.bottom}, {r.left + a, r.bottom},
                                 {r.left, r.bottom - a},  {r.left, r.top + a}};
        return CreatePolygonRgn(outline, 8, WINDING);
    }
    return CreateRectRgnIndirect(&r);
}

}  // namespace

void DrawFrameInColor(HDC canvas, COLORREF color, const RECT& rect, int style, int dpi) {
    if (dpi > 96) {
        const int width = MulDiv(1, dpi, 96);
        TRegionHandle shape(FrameShape(rect, style, dpi));
        TBrushHandle brush(CreateSolidBrush(color));
        FrameRgn(canvas, shape.Get(), brush.Get(), width, width);
        return;
    }
    TPenHandle pen(CreatePen(PS_SOLID, 1, color));
    TSelectObject usePen(canvas, pen.Get());
    DrawFrame(canvas, rect, style);
}

void BlitBitmap(HDC canvas, int x, int y, const TBitmap& bitmap) {
    if (bitmap.Empty() || !bitmap.NativeHandle()) return;
    TMemoryDC dc(CreateCompatibleDC(canvas));
    TSelectObject source(dc.Get(), static_cast<HBITMAP>(bitmap.NativeHandle()));
    BitBlt(canvas, x, y, bitmap.Width(), bitmap.Height(), dc.Get(), 0, 0, SRCCOPY);
}
