#include "framework/Dpi.h"

#include <cstdint>

int MulDivRounded(int value, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t p = product < 0 ? -product : product;
    const std::int64_t d = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
    const std::int64_t q = (p + d / 2) / d;
    return static_cast<int>(negative ? -q : q);
}

int SaneDpi(int dpi) { return dpi >= 24 && dpi <= 1920 ? dpi : kDesignDpi; }
