#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Functions.h"

TEST(HSV, TableCases) {
    int h, s, v;
    ColorToHSV(255, 0, 0, h, s, v);
    EXPECT_EQ((std::vector{h, s, v}), (std::vector{0, 100, 100}));
    ColorToHSV(0, 0, 0, h, s, v);
    EXPECT_EQ((std::vector{h, s, v}), (std::vector{0, 0, 0}));
    ColorToHSV(128, 128, 128, h, s, v);
    EXPECT_EQ((std::vector{h, s, v}), (std::vector{0, 0, 50}));
    ColorToHSV(0, 0, 255, h, s, v);
    EXPECT_EQ(h, 240);
    int r, g, b;
    HSVToColor(0, 100, 100, r, g, b);
    EXPECT_EQ((std::vector{r, g, b}), (std::vector{255, 0, 0}));
    HSVToColor(200, 0, 60, r, g, b);
    EXPECT_EQ((std::vector{r, g, b}), (std::vector{153, 153, 153}));
    HSVToColor(359, 100, 100, r, g, b);
    EXPECT_EQ((std::vector{r, g, b}), (std::vector{255, 0, 0}));
}

// The integer formulas lose at most a few steps per channel: hue in 1/360, saturation and
// value in 1/100 of the range, each truncated.
TEST(HSV, SweepStaysWithinTheRounding) {
    int worst = 0;
    for (int red = 0; red < 256; red += 15)
        for (int green = 0; green < 256; green += 15)
            for (int blue = 0; blue < 256; blue += 15) {
                int h, s, v, r, g, b;
                ColorToHSV(red, green, blue, h, s, v);
                ASSERT_TRUE(h >= 0 && h < 360 && s >= 0 && s <= 100 && v >= 0 && v <= 100);
                HSVToColor(h, s, v, r, g, b);
                int error = std::max({std::abs(r - red), std::abs(g - green), std::abs(b - blue)});
                worst = std::max(worst, error);
                ASSERT_LE(error, 8) << red << "," << green << "," << blue << " -> " << h << "," << s << "," << v;
            }
    RecordProperty("worst", worst);
}

TEST(Functions, MinMaxAndSwap) {
    EXPECT_EQ(Min3(3, -1, 2), -1);
    EXPECT_EQ(Max3(3, -1, 7), 7);
    EXPECT_EQ(SwapRedBlue(0x7F123456), 0x00563412);
    EXPECT_EQ(SwapRedBlue(SwapRedBlue(0x00ABCDEF)), 0x00ABCDEF);
}

TEST(Functions, LinkTarget) {
    EXPECT_EQ(LinkTarget("http://example.com/"), "http://example.com/");
    EXPECT_EQ(LinkTarget("https://example.com/"), "https://example.com/");
    EXPECT_EQ(LinkTarget("someone@example.com"), "mailto:someone@example.com");
    EXPECT_EQ(LinkTarget("HTTP://x"), "mailto:HTTP://x");  // the scheme is matched exactly
}

TEST(Functions, TryStrToInt) {
    std::int32_t v = 0;
    EXPECT_TRUE(TryStrToInt("$0000FF", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(TryStrToInt("0x10", v));
    EXPECT_EQ(v, 16);
    for (const char* bad : {"", "$", "-", "12a", "2147483648", "$100000000", " 1"}) EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
}
