#include <gtest/gtest.h>

#include "background/GraphicMath.h"

namespace {

TBitmap White(int w, int h) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y) std::fill(b.ScanLine(y), b.ScanLine(y) + w * 4, 255);
    return b;
}

// How much of black a white pixel took: 255 - its blue.
int Painted(const TBitmap& b, int x, int y) { return 255 - b.ScanLine(y)[x * 4]; }

}  // namespace

TEST(SoftLine, WidthTwoHorizontal) {
    TBitmap b = White(32, 24);
    TSoftPen pen;
    pen.Bitmap = &b;
    pen.X = 10;
    pen.Y = 10;
    pen.Width = 2;
    SoftLineTo(pen, 20, 10);
    EXPECT_EQ(pen.X, 20);
    for (int y = 9; y <= 11; ++y)
        for (int x = 9; x <= 21; ++x) {
            const bool corner = (x == 9 || x == 21) && y != 10;
            EXPECT_EQ(Painted(b, x, y), corner ? 150 : 255) << x << "," << y;
        }
    for (int x = 0; x < 32; ++x) {
        EXPECT_EQ(Painted(b, x, 8), 0);
        EXPECT_EQ(Painted(b, x, 12), 0);
    }
    EXPECT_EQ(Painted(b, 8, 10), 0);
    EXPECT_EQ(Painted(b, 22, 10), 0);
    EXPECT_EQ(b.ScanLine(10)[15 * 4 + 3], 255);  // alpha untouched
}

TEST(SoftLine, ThinLinesOpacityAndEdges) {
    EXPECT_EQ(SoftCoverage(1, 0), 127);
    EXPECT_EQ(SoftCoverage(1, 0.5), 0);  // r = round(0.5) = 0 (ties to even): 127 - 127
    TBitmap b = White(10, 10);
    TSoftPen pen;
    pen.Bitmap = &b;
    pen.Width = 1;
    pen.Opacity = 255;
    pen.X = 2;
    pen.Y = 5;
    SoftLineTo(pen, 7, 5);
    for (int x = 0; x < 10; ++x) EXPECT_LE(Painted(b, x, 5), 127);
    EXPECT_EQ(Painted(b, 4, 5), 127);
    pen.Opacity = 128;
    pen.Width = 4;
    pen.Color = 0x0000FF;
    pen.X = -20;
    pen.Y = -20;
    SoftLineTo(pen, 30, 30);  // far outside on both ends: clipped, no crash
    EXPECT_EQ(b.ScanLine(3)[3 * 4 + 2], 255);  // red stays
    EXPECT_EQ(b.ScanLine(3)[3 * 4], 127);      // blue halves: (127 * 255) div 255
}

TEST(GraphicMath, HalveTintGreyMix) {
    TBitmap b(3, 3);
    const std::uint8_t values[4] = {0, 10, 20, 255};
    b.ScanLine(0)[0] = values[0], b.ScanLine(0)[4] = values[1], b.ScanLine(1)[0] = values[2], b.ScanLine(1)[4] = values[3];
    b.ScanLine(2)[8] = 77;
    HalveBitmap(b);
    EXPECT_EQ(b.ScanLine(0)[0], (0 + 10 + 20 + 255) >> 2);
    EXPECT_EQ(b.ScanLine(2)[8], 77);  // outside the quarter: as it was

    TBitmap target(2, 1), mask(3, 1);
    mask.ScanLine(0)[0] = 255;
    mask.ScanLine(0)[4] = 51;
    TintByMask(target, mask, 0x0000FF);
    EXPECT_EQ(target.ScanLine(0)[2], 255);
    EXPECT_EQ(target.ScanLine(0)[6], 51);
    EXPECT_EQ(target.ScanLine(0)[7], 255);

    EXPECT_EQ(GreyOf(0), 0x808080);
    EXPECT_EQ(GreyOf(0xFFFFFF), 0xDFDFDF);
    EXPECT_EQ(MixColors(0x123456, 0xABCDEF, 255), 0x123456);
    EXPECT_EQ(MixColors(0x123456, 0xABCDEF, 0), 0xABCDEF);
    EXPECT_EQ(MixColors(0x0000FF, 0x000000, 128), 0x000080);
}
