#include "window/WindowPlacement.h"

#include "framework/Dpi.h"

#include <algorithm>

THitCode EdgeHitTest(int x, int y, const TRect& window, int border) {
    const int vertical = y > window.Bottom - border ? 1 : y < window.Top + border ? -1 : 0;
    const int horizontal = x > window.Right - border ? 1 : x < window.Left + border ? -1 : 0;
    static const THitCode kCodes[3][3] = {
        {htTopLeft, htTop, htTopRight}, {htLeft, htNone, htRight}, {htBottomLeft, htBottom, htBottomRight}};
    return kCodes[vertical + 1][horizontal + 1];
}

TRect SnapToWorkArea(const TRect& window, const TRect& work, int distance) {
    if (distance <= 0) return window;
    const int w = window.Width(), h = window.Height();
    auto near = [distance](int edge, int value) { return edge - distance < value && value < edge + distance; };
    int top = window.Top, left = window.Left;
    if (near(work.Top, window.Top))
        top = work.Top;
    else if (near(work.Bottom, window.Bottom))
        top = work.Bottom - h;
    if (near(work.Left, window.Left))
        left = work.Left;
    else if (near(work.Right, window.Right))
        left = work.Right - w;
    return {left, top, left + w, top + h};
}

TRect EnsureOnScreen(const TRect& window, const std::vector<TMonitorArea>& monitors, int screenWidth,
                     int screenHeight) {
    const int L = window.Left, T = window.Top, W = window.Width();
    for (const TMonitorArea& m : monitors) {
        const TRect& a = m.work;
        const bool topInside = a.Top - 8 <= T && T < a.Bottom - 8;
        const bool leftInside = a.Left - 4 <= L && L < a.Right;
        // Right edges are excluded: one at the work area's left edge shows nothing on it, as a
        // window snapped to a monitor on the left keeps when that monitor is gone.
        const bool rightInside = a.Left < L + W && L + W < a.Right - 4;
        if (topInside && (leftInside || rightInside)) return window;
    }
    const int w = std::min(W, screenWidth), h = std::min(window.Height(), screenHeight);
    const int left = (screenWidth - w) / 2, top = (screenHeight - h) / 2;
    return {left, top, left + w, top + h};
}

TRect FitToWorkArea(const TRect& window, const TRect& work) {
    const int w = window.Width(), h = window.Height();
    int top = window.Top, left = window.Left;
    if (top + h > work.Bottom) top = work.Bottom - h;
    if (left + w > work.Right) left = work.Right - w;
    left = std::max(left, work.Left);
    top = std::max(top, work.Top);
    return {left, top, left + w, top + h};
}

TRect KeepInsideAtLargerScale(const TRect& window, TWindowSize designSize, const TRect& work) {
    auto inside = [&work](const TRect& r) {
        return r.Left >= work.Left && r.Top >= work.Top && r.Right <= work.Right && r.Bottom <= work.Bottom;
    };
    const TRect design{window.Left, window.Top, window.Left + designSize.width, window.Top + designSize.height};
    return inside(window) || !inside(design) ? window : FitToWorkArea(window, work);
}

TRect ShrinkToWorkArea(const TRect& window, const TRect& work, TWindowSize minimum) {
    const int w = std::max(std::min(window.Width(), work.Width()), minimum.width);
    const int h = std::max(std::min(window.Height(), work.Height()), minimum.height);
    return {window.Left, window.Top, window.Left + w, window.Top + h};
}

int BoundStoredSize(int stored, int minimum, int screen) {
    return std::max(minimum, std::min(stored, std::max(minimum, screen)));
}

TWindowSize RestoredSize(TWindowSize stored, TWindowSize fallback, TWindowSize minimum, TWindowSize screen) {
    if (stored.width < minimum.width || stored.height < minimum.height) stored = fallback;
    return {BoundStoredSize(stored.width, minimum.width, screen.width),
            BoundStoredSize(stored.height, minimum.height, screen.height)};
}

std::vector<TRect> WindowRegionRects(int width, int height, bool round, int dpi) {
    if (!round) return {{0, 0, width, height + 1}};
    const int s1 = ScaleForDpi(1, dpi), s2 = ScaleForDpi(2, dpi), s4 = ScaleForDpi(4, dpi);
    return {{0, s4, width, height - s4},
            {s4, 0, width - s4, height},
            {s2, s1, width - s2, height - s1},
            {s1, s2, width - s1, height - s2}};
}

TWindowSize StoredSizeAtDpi(TWindowSize pixels, int dpi) {
    return {UnscaleForDpi(pixels.width, dpi), UnscaleForDpi(pixels.height, dpi)};
}

TWindowSize RestoredSizeAtDpi(TWindowSize stored, TWindowSize fallback, TWindowSize minimum, TWindowSize screen,
                              int dpi) {
    auto toPixels = [dpi](int storedLength, int minimumLength) {
        // The minimum went out rounded to whole units and would come back a pixel off: a folded
        // window would no longer count as folded.
        return storedLength == UnscaleForDpi(minimumLength, dpi) ? minimumLength : ScaleForDpi(storedLength, dpi);
    };
    return RestoredSize({toPixels(stored.width, minimum.width), toPixels(stored.height, minimum.height)}, fallback,
                        minimum, screen);
}
