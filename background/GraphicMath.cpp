#include "background/GraphicMath.h"

#include <algorithm>
#include <cmath>

namespace {

// Distance from the origin to the line through a and b, by the line's intercepts.
double DistanceToLine(double ax, double ay, double bx, double by) {
    if (ax == bx) return std::fabs(ax);
    if (ay == by) return std::fabs(ay);
    const double slope = (by - ay) / (bx - ax);
    const double g = ay - slope * ax;  // on the y axis
    const double f = -g / slope;       // on the x axis
    if (f == 0 || g == 0) return 0;
    return std::sqrt(g * g * f * f / (f * f + g * g));
}

int Channel(std::int32_t color, int shift) { return (static_cast<std::uint32_t>(color) >> shift) & 255; }

}  // namespace

int SoftCoverage(double width, double d) {
    const double hw = width / 2;
    const double r = std::nearbyint(hw);  // ties to even
    const int peak = hw > 0.5 ? 255 : static_cast<int>(hw * 255);
    if (r > d) return peak;
    if (d <= r + 0.99) return peak - static_cast<int>((d - std::floor(d)) * 255);
    return 0;
}

void SoftLineTo(TSoftPen& pen, int x1, int y1) {
    TBitmap* bitmap = pen.Bitmap;
    const int x0 = pen.X, y0 = pen.Y;
    pen.X = x1;
    pen.Y = y1;
    if (!bitmap || !bitmap->Is32Bit() || bitmap->Empty()) return;
    const double hw = pen.Width / 2;
    const int e = static_cast<int>(std::nearbyint(hw)) + 1;
    const int left = std::max(std::min(x0, x1) - e, 0), right = std::min(std::max(x0, x1) + e, bitmap->Width() - 1);
    const int top = std::max(std::min(y0, y1) - e, 0), bottom = std::min(std::max(y0, y1) + e, bitmap->Height() - 1);
    const int dx = x1 - x0, dy = y1 - y0;
    const int opacity = std::clamp(pen.Opacity, 0, 255);
    const int color[3] = {Channel(pen.Color, 16), Channel(pen.Color, 8), Channel(pen.Color, 0)};
    for (int py = top; py <= bottom; ++py) {
        std::uint8_t* p = bitmap->ScanLine(py) + left * 4;
        for (int px = left; px <= right; ++px, p += 4) {
            double d = 10000;
            const long long along0 = static_cast<long long>(px - x0) * dx + static_cast<long long>(py - y0) * dy;
            const long long along1 = static_cast<long long>(px - x1) * -dx + static_cast<long long>(py - y1) * -dy;
            if (along0 > 0 && along1 > 0) d = DistanceToLine(x0 - px, y0 - py, x1 - px, y1 - py);
            if (std::abs(px - x0) <= e && std::abs(py - y0) <= e) d = std::min(d, std::hypot(px - x0, py - y0));
            if (std::abs(px - x1) <= e && std::abs(py - y1) <= e) d = std::min(d, std::hypot(px - x1, py - y1));
            const int coverage = SoftCoverage(pen.Width, d);
            if (coverage <= 0) continue;
            const int D = coverage * opacity / 255;
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(((255 - D) * p[c] + D * color[c]) / 255);
        }
    }
}

void HalveBitmap(TBitmap& bitmap) {
    const int n = bitmap.BitsPerPixel() / 8;
    for (int y = 0; y < bitmap.Height() / 2; ++y) {
        const std::uint8_t *a = bitmap.ScanLine(2 * y), *b = bitmap.ScanLine(2 * y + 1);
        std::uint8_t* out = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width() / 2; ++x)
            for (int c = 0; c < n; ++c) {
                const int i = 2 * x * n + c;
                out[x * n + c] = static_cast<std::uint8_t>((a[i] + a[i + n] + b[i] + b[i + n]) >> 2);
            }
    }
}

void TintByMask(TBitmap& target, const TBitmap& mask, std::int32_t color) {
    if (target.Height() == 0 || mask.Height() == 0 || !target.Is32Bit()) return;
    const int maskBytes = mask.BitsPerPixel() / 8;
    const int w = std::min(target.Width(), mask.Width()), h = std::min(target.Height(), mask.Height());
    const int channel[3] = {Channel(color, 16), Channel(color, 8), Channel(color, 0)};
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = target.ScanLine(y);
        const std::uint8_t* m = mask.ScanLine(y);
        for (int x = 0; x < w; ++x, p += 4, m += maskBytes) {
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(((255 - *m) * p[c] + *m * channel[c]) / 255);
            p[3] = 255;
        }
    }
}

std::int32_t GreyOf(std::int32_t color) {
    const int s = (Channel(color, 0) + Channel(color, 8) + Channel(color, 16)) >> 3;
    return s * 0x010101 + 0x808080;
}

std::int32_t MixColors(std::int32_t a, std::int32_t b, int weight) {
    std::int32_t result = 0;
    for (int shift : {0, 8, 16})
        result |= ((weight * Channel(a, shift) + (255 - weight) * Channel(b, shift)) / 255) << shift;
    return result;
}
