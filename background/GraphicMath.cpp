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

// A run of pixels towards one colour by the same amount: one table per channel.
void BlendSpan(std::uint8_t* p, int count, int D, const int color[3]) {
    std::uint8_t table[3][256];
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) table[c][v] = static_cast<std::uint8_t>(((255 - D) * v + D * color[c]) / 255);
    for (int i = 0; i < count; ++i, p += 4) {
        p[0] = table[0][p[0]];
        p[1] = table[1][p[1]];
        p[2] = table[2][p[2]];
    }
}

}  // namespace

namespace {

// Coverage by distance for one pen width, worked out once per line.
struct Coverage {
    double r;
    int peak;
    explicit Coverage(double width) {
        const double hw = width / 2;
        r = std::nearbyint(hw);  // ties to even
        peak = hw > 0.5 ? 255 : static_cast<int>(hw * 255);
    }
    int At(double d) const {
        if (r > d) return peak;
        if (d <= r + 0.99) return peak - static_cast<int>((d - std::floor(d)) * 255);
        return 0;
    }
};

}  // namespace

int SoftCoverage(double width, double d) { return Coverage(width).At(d); }

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
    const Coverage coverageOf(pen.Width);
    const double lengthSquared = static_cast<double>(dx) * dx + static_cast<double>(dy) * dy;
    const double farLine = (coverageOf.r + 1.5) * (coverageOf.r + 1.5);
    const int color[3] = {Channel(pen.Color, 16), Channel(pen.Color, 8), Channel(pen.Color, 0)};
    auto blend = [&](std::uint8_t* p, int coverage) {
        const int D = coverage * opacity / 255;
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(((255 - D) * p[c] + D * color[c]) / 255);
    };
    auto pixelCoverage = [&](int px, int py) {
        double d = 10000;
        const long long along0 = static_cast<long long>(px - x0) * dx + static_cast<long long>(py - y0) * dy;
        const long long along1 = static_cast<long long>(px - x1) * -dx + static_cast<long long>(py - y1) * -dy;
        if (along0 > 0 && along1 > 0) {
            // Far from the line (by the exact integer cross product) means no coverage from it;
            // only pixels near it need the distance itself.
            const long long cross = static_cast<long long>(dx) * (py - y0) - static_cast<long long>(dy) * (px - x0);
            if (static_cast<double>(cross) * cross <= farLine * lengthSquared)
                d = DistanceToLine(x0 - px, y0 - py, x1 - px, y1 - py);
        }
        // An end point is at least as far as its larger offset: no square root when that
        // cannot win or cannot give coverage.
        for (const auto& [ex, ey] : {std::pair{x0, y0}, std::pair{x1, y1}}) {
            const int ox = std::abs(px - ex), oy = std::abs(py - ey);
            if (ox <= e && oy <= e && std::max(ox, oy) < std::min(d, coverageOf.r + 1)) d = std::min(d, std::hypot(ox, oy));
        }
        return coverageOf.At(d);
    };
    // A horizontal line (every rule and bar of the list) has one coverage per row between its
    // ends: there the distance is the row's distance from the line, and the ends are farther.
    const bool horizontal = dy == 0 && dx != 0;
    const int spanFrom = std::min(x0, x1) + 1, spanTo = std::max(x0, x1) - 1;
    for (int py = top; py <= bottom; ++py) {
        std::uint8_t* row = bitmap->ScanLine(py);
        const int rowCoverage = horizontal ? coverageOf.At(std::fabs(static_cast<double>(py - y0))) : 0;
        for (int px = left; px <= right; ++px) {
            if (horizontal && px >= spanFrom && px <= spanTo) {
                const int last = std::min(spanTo, right);
                if (rowCoverage > 0) BlendSpan(row + px * 4, last - px + 1, rowCoverage * opacity / 255, color);
                px = last;
                continue;
            }
            const int coverage = pixelCoverage(px, py);
            if (coverage > 0) blend(row + px * 4, coverage);
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
