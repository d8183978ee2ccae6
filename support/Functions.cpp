#include "support/Functions.h"

#include <algorithm>

int Min3(int a, int b, int c) { return std::min(a, std::min(b, c)); }

int Max3(int a, int b, int c) { return std::max(a, std::max(b, c)); }

void ColorToHSV(int red, int green, int blue, int& hue, int& saturation, int& value) {
    int m = Max3(red, green, blue);
    if (m == 0) {
        hue = saturation = value = 0;
        return;
    }
    value = m * 100 / 255;
    int r = red * 255 / m, g = green * 255 / m, b = blue * 255 / m;
    int least = Min3(r, g, b);
    saturation = 100 - least * 100 / 255;
    r -= least;
    g -= least;
    b -= least;
    int f = Max3(r, g, b);
    if (f == 0) {
        hue = 0;
        return;
    }
    r = r * 255 / f;
    g = g * 255 / f;
    b = b * 255 / f;
    int h = 0;  // on a scale of 1530; a later match overrides an earlier one
    if (r == 0 && g == 255) h = b + 510;
    if (r == 0 && b == 255) h = 1020 - g;
    if (g == 0 && r == 255) h = 1530 - b;
    if (g == 0 && b == 255) h = r + 1020;
    if (b == 0 && r == 255) h = g;
    if (b == 0 && g == 255) h = 510 - r;
    hue = (h * 360 / 1530) % 360;
}

void HSVToColor(int hue, int saturation, int value, int& red, int& green, int& blue) {
    int a = hue * 1535 / 359;
    int c[3];
    switch (a / 256) {
    case 0: c[0] = 255, c[1] = a, c[2] = 0; break;
    case 1: c[0] = 511 - a, c[1] = 255, c[2] = 0; break;
    case 2: c[0] = 0, c[1] = 255, c[2] = a - 512; break;
    case 3: c[0] = 0, c[1] = 1023 - a, c[2] = 255; break;
    case 4: c[0] = a - 1024, c[1] = 0, c[2] = 255; break;
    default: c[0] = 255, c[1] = 0, c[2] = 1535 - a; break;
    }
    for (int& x : c) {
        x = (x * saturation + (100 - saturation) * 255) / 100;
        x = x * value / 100;
    }
    red = c[0];
    green = c[1];
    blue = c[2];
}

std::int32_t SwapRedBlue(std::int32_t color) {
    std::uint32_t c = static_cast<std::uint32_t>(color);
    return static_cast<std::int32_t>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}

std::string LinkTarget(const std::string& text) {
    // "https:" is a web address as much as "http:".
    if (text.compare(0, 5, "http:") == 0 || text.compare(0, 6, "https:") == 0) return text;
    return "mailto:" + text;
}

bool TryStrToInt(const std::string& text, std::int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return false;
    std::uint64_t n = 0;
    for (; i < text.size(); ++i) {
        char ch = text[i];
        int digit = ch >= '0' && ch <= '9'                ? ch - '0'
                    : base == 16 && ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                    : base == 16 && ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                                           : -1;
        if (digit < 0) return false;
        n = n * base + static_cast<std::uint64_t>(digit);
        if (n > 0xFFFFFFFFull) return false;
    }
    if (base == 10) {
        if (n > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
        value = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n));
    } else {  // hex may carry the sign bit, as in "$FFFFFFFF" for -1
        std::uint32_t u = static_cast<std::uint32_t>(n);
        value = static_cast<std::int32_t>(negative ? 0u - u : u);
    }
    return true;
}
