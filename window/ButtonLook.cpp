#include "window/ButtonLook.h"

#include <algorithm>

#include "background/GraphicMath.h"

TStateColors StateColors(TkvneBtnState state, std::int32_t color, std::int32_t over, std::int32_t focus,
                         std::int32_t down) {
    switch (state) {
    case stOver: return {over, color};
    case stFocused: return {focus, color};
    case stPressed: return {MixColors(over, down, 200), MixColors(color, down, 200)};
    case stDisabled: return {GreyOf(color), GreyOf(color)};
    default: return {color, color};
    }
}

TRect ShapeBox(int width, int height, bool square) {
    const int w = 2 * width, h = 2 * height;
    if (!square) return {0, 0, w, h};
    const int side = std::min(w, h);
    const int left = (w - side) / 2, top = (h - side) / 2;
    return {left, top, left + side, top + side};
}
