#include "app/FrameLayout.h"

#include "framework/Dpi.h"

namespace {
constexpr int kDesignWidth = 334;  // the design's client width, at 96 dpi
}  // namespace

TFrameLayout MainFrameLayout(int clientWidth, int dpi, int linkWidth, int designTitleTop) {
    auto s = [dpi](int value) { return ScaleForDpi(value, dpi); };
    // Right-anchored: the distance to the right edge is the design's, scaled.
    auto fromRight = [&](int designLeft, int designWidth, int top, int height) {
        const int right = clientWidth - s(kDesignWidth - designLeft - designWidth);
        const int width = s(designLeft + designWidth) - s(designLeft);
        return TRect{right - width, s(top), right, s(top) + s(height)};
    };
    TFrameLayout f;
    f.titleLeft = s(4);
    f.titleTop = s(designTitleTop);
    f.foldButton = fromRight(282, 24, 3, 14);
    f.closeButton = fromRight(306, 24, 3, 14);
    f.link = fromRight(239, 88, 17, 12);
    if (linkWidth > 0) f.link.Left = f.link.Right - linkWidth;
    f.innerFrameInset = s(4);
    f.markFontHeight = s(12);
    return f;
}

int PointFontPixels(int points, int dpi) { return MulDivRounded(points, dpi, 72); }

int ListRowHeight(int fontPixels, int dpi) { return fontPixels + fontPixels / 8 + ScaleForDpi(3, dpi); }
