#include <gtest/gtest.h>

#include <array>

#include "background/GraphicWork.h"
#include "support/Errors.h"

namespace {

using Pixel = std::array<int, 4>;  // B, G, R, A

Pixel At(const TBitmap& b, int x, int y) {
    const std::uint8_t* p = b.ScanLine(y) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

void Put(TBitmap& b, int x, int y, Pixel v) {
    std::uint8_t* p = b.ScanLine(y) + x * 4;
    for (int c = 0; c < 4; ++c) p[c] = static_cast<std::uint8_t>(v[c]);
}

TBitmap Filled(int w, int h, Pixel v) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Put(b, x, y, v);
    return b;
}

// Numbers each pixel: B = x, G = y, R = 7, A = 255.
TBitmap Numbered(int w, int h) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Put(b, x, y, {x, y, 7, 255});
    return b;
}

TDrawParams Params(TBitmap& dest, const TBitmap& src, TRect place, int opacity, TDrawType type) {
    TDrawParams p;
    p.Dest = &dest;
    p.Source = &src;
    p.Place = place;
    p.Clip = {0, 0, dest.Width(), dest.Height()};
    p.Opacity = opacity;
    p.DrawType = type;
    return p;
}

}  // namespace

TEST(DrawTypes, EachAgainstAHandComputedValue) {
    const int s = 200, d = 100;
    EXPECT_EQ(CombineChannel(dtAlpha, s, d), 200);
    EXPECT_EQ(CombineChannel(dtCopy, s, d), 200);
    EXPECT_EQ(CombineChannel(dtAdd, s, d), 255);
    EXPECT_EQ(CombineChannel(dtSub, s, d), 0);
    EXPECT_EQ(CombineChannel(dtSub, 30, d), 70);
    EXPECT_EQ(CombineChannel(dtMulti, s, d), 78);      // 20000 div 255
    EXPECT_EQ(CombineChannel(dtDiv, s, d), 126);       // 25500 div 201
    EXPECT_EQ(CombineChannel(dtScreen, s, d), 221);    // (25500 + 51000 - 20000) div 255
    EXPECT_EQ(CombineChannel(dtOverlay, s, d), 156);   // 100 + 100 * 72 / 128
    EXPECT_EQ(CombineChannel(dtOverlay, 0, 200), 145);  // 200 + 55 * -128 / 128
    EXPECT_EQ(CombineChannel(dtOverlay, 20, 50), 8);    // 50 + 50 * -108 / 128 = 50 - 42
    EXPECT_EQ(CombineChannel(dtWhite, s, d), 228);
}

TEST(DrawBitmap, UnscaledBlendAndOpacity) {
    TBitmap dest = Filled(4, 1, {100, 100, 100, 7});
    TBitmap src = Filled(4, 1, {200, 0, 255, 255});
    Put(src, 1, 0, {200, 0, 255, 128});
    Put(src, 2, 0, {200, 0, 255, 0});
    DrawBitmap(Params(dest, src, {0, 0, 4, 1}, 255, dtAlpha));
    EXPECT_EQ(At(dest, 0, 0), (Pixel{200, 0, 255, 255}));
    EXPECT_EQ(At(dest, 1, 0), (Pixel{150, 49, 177, 255}));  // (127*d + 128*r) div 255
    EXPECT_EQ(At(dest, 2, 0), (Pixel{100, 100, 100, 7}));   // A = 0 is never written

    TBitmap half = Filled(1, 1, {0, 0, 0, 9});
    DrawBitmap(Params(half, Filled(1, 1, {255, 255, 255, 255}), {0, 0, 1, 1}, 128, dtAlpha));
    EXPECT_EQ(At(half, 0, 0), (Pixel{128, 128, 128, 255}));
}

TEST(DrawBitmap, CopyWithTinyOpacityStillWritesOpaquePixels) {
    TBitmap dest = Filled(2, 1, {10, 10, 10, 0});
    TBitmap src = Filled(2, 1, {200, 150, 100, 255});
    Put(src, 1, 0, {200, 150, 100, 0});
    DrawBitmap(Params(dest, src, {0, 0, 2, 1}, 1, dtCopy));
    EXPECT_EQ(At(dest, 0, 0), (Pixel{200, 150, 100, 255}));
    EXPECT_EQ(At(dest, 1, 0), (Pixel{10, 10, 10, 0}));
    DrawBitmap(Params(dest, src, {0, 0, 2, 1}, 0, dtCopy));  // opacity 0: nothing at all
}

TEST(DrawBitmap, ClipAndPlacementLimitTheChange) {
    TBitmap dest = Filled(4, 4, {0, 0, 0, 0});
    TBitmap src = Filled(4, 4, {9, 9, 9, 255});
    TDrawParams p = Params(dest, src, {1, 1, 5, 5}, 300, dtAlpha);
    p.Clip = {0, 0, 3, 3};
    DrawBitmap(p);
    int changed = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) changed += At(dest, x, y)[0] == 9;
    EXPECT_EQ(changed, 4);
    EXPECT_EQ(At(dest, 1, 1)[0], 9);
    EXPECT_EQ(At(dest, 2, 2)[0], 9);
}

TEST(DrawBitmap, BoxAverageWhenShrinkingByMoreThanHalf) {
    TBitmap src = Numbered(400, 4);
    TBitmap dest = Filled(100, 1, {0, 0, 0, 33});
    DrawBitmap(Params(dest, src, {0, 0, 100, 1}, 255, dtAlpha));
    // Column 10 averages source columns 40..43 over k = 4 rows (from row 2; past the table, row 3 again).
    EXPECT_EQ(At(dest, 10, 0)[0], (40 + 41 + 42 + 43) / 4);
    EXPECT_EQ(At(dest, 10, 0)[3], 33);  // resampling leaves the destination's alpha

    TBitmap dest2 = Filled(200, 1, {0, 0, 0, 0});
    DrawBitmap(Params(dest2, src, {0, 0, 200, 1}, 255, dtAlpha));
    // Bilinear: fx = 399 * 10 * 256 div 200 = 5107, sx = 19, wx = 243 (not the box average 20.5 -> 20).
    const int wx = 5107 % 256;
    const int expected = ((256 - wx) * 256 * 19 + wx * 256 * 20) >> 16;
    EXPECT_EQ(expected, 19);
    EXPECT_EQ(At(dest2, 10, 0)[0], expected);  // opaque samples are written unblended
}

TEST(DrawBitmap, OnePixelWideSourceIsStretchedWithoutReadingOutside) {
    TBitmap src = Filled(1, 1, {50, 60, 70, 255});
    TBitmap dest = Filled(5, 5, {0, 0, 0, 0});
    DrawBitmap(Params(dest, src, {0, 0, 5, 5}, 255, dtAlpha));
    EXPECT_EQ(At(dest, 4, 4), (Pixel{50, 60, 70, 0}));
}

TEST(DrawBitmap, ShrinkingWidthWhileGrowingHeightAveragesOneRow) {
    TBitmap src = Numbered(40, 2);
    TBitmap dest = Filled(10, 8, {0, 0, 0, 0});
    DrawBitmap(Params(dest, src, {0, 0, 10, 8}, 255, dtCopy));
    EXPECT_EQ(At(dest, 1, 0)[0], (4 + 5 + 6 + 7) / 4);
}

TEST(DrawBitmapAt, NegativeOffsetsSkipSourcePixels) {
    TBitmap dest = Filled(3, 3, {0, 0, 0, 0});
    DrawBitmapAt(-1, -2, dest, dtAlpha, Numbered(3, 3));
    EXPECT_EQ(At(dest, 0, 0), (Pixel{1, 2, 7, 255}));
    EXPECT_EQ(At(dest, 1, 0), (Pixel{2, 2, 7, 255}));
    EXPECT_EQ(At(dest, 0, 1), (Pixel{0, 0, 0, 0}));
    DrawBitmapAt(2, 2, dest, dtAlpha, Numbered(3, 3));
    EXPECT_EQ(At(dest, 2, 2), (Pixel{0, 0, 7, 255}));
}

// The background strip behind a row: pixels a rendering left transparent are copied too.
TEST(CopyPixels, CopiesTransparentPixelsAndClips) {
    TBitmap row = Filled(4, 2, {9, 9, 9, 255});
    TBitmap picture = Numbered(3, 3);
    Put(picture, 1, 2, {40, 50, 60, 0});
    CopyPixels(row, 2, -1, picture);
    EXPECT_EQ(At(row, 1, 0), (Pixel{9, 9, 9, 255}));  // left of the picture: untouched
    EXPECT_EQ(At(row, 2, 0), (Pixel{0, 1, 7, 255}));
    EXPECT_EQ(At(row, 2, 1), (Pixel{0, 2, 7, 255}));
    EXPECT_EQ(At(row, 3, 1), (Pixel{40, 50, 60, 0}));
    CopyPixels(row, 5, 0, picture);  // wholly outside: nothing
    EXPECT_EQ(At(row, 3, 1), (Pixel{40, 50, 60, 0}));
}

TEST(Rotate, QuarterTurns) {
    TBitmap b = Numbered(3, 2);
    RotateBitmap(b, 1);
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 3);
    EXPECT_EQ(At(b, 1, 0), (Pixel{0, 0, 7, 255}));  // top-right is the source's top-left
    TBitmap c = Numbered(3, 2);
    RotateBitmap(c, 3);
    EXPECT_EQ(At(c, 0, 2), (Pixel{0, 0, 7, 255}));  // bottom-left
    TBitmap d = Numbered(3, 3);
    RotateBitmap(d, 2);
    EXPECT_EQ(At(d, 0, 1), (Pixel{2, 1, 7, 255}));  // the middle row is reversed too
    EXPECT_EQ(At(d, 0, 0), (Pixel{2, 2, 7, 255}));
    TBitmap e = Numbered(3, 3);
    RotateBitmap(e, 4);
    EXPECT_EQ(At(e, 0, 0), (Pixel{0, 0, 7, 255}));
}

TEST(AlphaMasks, GradientEllipseAndKey) {
    TBitmap g = Filled(2, 255, {1, 2, 3, 0});
    GradientAlpha(g, true);
    for (int y = 0; y < 255; ++y) ASSERT_EQ(At(g, 1, y)[3], y);
    GradientAlpha(g, false);
    EXPECT_EQ(At(g, 0, 0)[3], 255);
    EXPECT_EQ(At(g, 0, 0)[0], 1);

    TBitmap e = Filled(100, 60, {0, 0, 0, 0});
    EllipseAlpha(e);
    EXPECT_EQ(At(e, 50, 30)[3], 255);
    for (auto [x, y] : {std::pair{0, 0}, {99, 0}, {0, 59}, {99, 59}}) EXPECT_EQ(At(e, x, y)[3], 0);
    for (int w : {1, 2, 3}) {  // too small for an ellipse: stays opaque, no division by zero
        TBitmap tiny = Filled(w, 1, {0, 0, 0, 0});
        EllipseAlpha(tiny);
        EXPECT_EQ(At(tiny, 0, 0)[3], 255);
    }

    TBitmap k = Filled(2, 1, {5, 6, 7, 99});
    Put(k, 1, 0, {5, 6, 8, 99});
    SetAlphaByKey(k, 200);
    EXPECT_EQ(At(k, 0, 0)[3], 0);
    EXPECT_EQ(At(k, 1, 0)[3], 200);
}

TEST(FillAndXor, RequireA32BitBitmap) {
    TBitmap rgb(2, 2, 24);
    try {
        FillBitmap32(rgb, 0);
        FAIL();
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "32bitBmp以外を塗りつぶそうとしました");
    }
    EXPECT_THROW(XorRect32(rgb, {0, 0, 1, 1}, 0), EError);
    SetAlpha(rgb, 5);  // silently nothing
    TBitmap b(3, 2);
    FillBitmap32(b, 0x80112233);
    EXPECT_EQ(At(b, 2, 1), (Pixel{0x33, 0x22, 0x11, 0x80}));
    XorRect32(b, {1, 1, 9, 9}, 0x00FFFFFF);
    EXPECT_EQ(At(b, 2, 1), (Pixel{0xCC, 0xDD, 0xEE, 0x80}));
    EXPECT_EQ(At(b, 0, 1), (Pixel{0x33, 0x22, 0x11, 0x80}));
    SetAlphaRect(b, 7, {-5, -5, 1, 1});
    EXPECT_EQ(At(b, 0, 0)[3], 7);
    EXPECT_EQ(At(b, 1, 0)[3], 0x80);
}
