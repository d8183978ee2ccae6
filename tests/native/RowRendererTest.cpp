#include <gtest/gtest.h>

#include <array>

#include "StandInText.h"
#include "background/GraphicWork.h"

namespace {

using Pixel = std::array<int, 3>;  // B, G, R

Pixel At(const TBitmap& b, int x, int y) {
    const std::uint8_t* p = b.ScanLine(y) + x * 4;
    return {p[0], p[1], p[2]};
}

struct Row {
    TBitmap bitmap{200, 16}, mask{200, 16};
    StandInText text;
    TRowStyle style;
    TRowLine line;
    Row() {
        FillBitmap32(bitmap, 0xFFFFFFFF);
        style.dateWidth = 33;
        style.markWidth = 13;
        style.shadowOn = false;
        line.text = "abc";
        line.date = "03/05";
        line.mark = "*";
        line.color = 0x000000;
    }
    void Render() {
        RenderLine(bitmap, mask, line, style, text, [](int) { return 1; });
    }
};

}  // namespace

TEST(RenderLine, RuleColourAndOpacity) {
    Row row;
    row.line.text = "";
    row.line.first = false;
    row.Render();
    // Width 1: peak 127, then opacity 128: D = 63 of $C0C0C0 over white.
    const int d = 127 * 128 / 255, v = ((255 - d) * 255 + d * 0xC0) / 255;
    EXPECT_EQ(At(row.bitmap, 100, 15), (Pixel{v, v, v}));
    EXPECT_EQ(At(row.bitmap, 100, 14), (Pixel{255, 255, 255}));
}

TEST(RenderLine, TextDateAndMarkOnlyOnTheFirstLine) {
    Row first;
    first.line.color = 0x0000FF;
    first.Render();
    const int textY = 16 / 8;
    EXPECT_EQ(At(first.bitmap, 3, textY), (Pixel{0, 0, 255}));            // date
    EXPECT_EQ(At(first.bitmap, 36, textY), (Pixel{0, 0, 255}));           // mark
    EXPECT_EQ(At(first.bitmap, 33 + 13 + 3, textY), (Pixel{0, 0, 255}));  // text
    Row later;
    later.line.first = false;
    later.Render();
    EXPECT_EQ(At(later.bitmap, 3, textY), (Pixel{255, 255, 255}));
}

TEST(RenderLine, DateInItsOwnColourTheRestInTheItems) {
    Row row;
    row.line.color = 0x0000FF;
    row.line.dateColor = 0x0000E0;
    row.Render();
    const int textY = 16 / 8;
    EXPECT_EQ(At(row.bitmap, 3, textY), (Pixel{0, 0, 0xE0}));
    EXPECT_EQ(At(row.bitmap, 36, textY), (Pixel{0, 0, 255}));
    EXPECT_EQ(At(row.bitmap, 33 + 13 + 3, textY), (Pixel{0, 0, 255}));
}

TEST(RenderLine, ShadowFormulaAtAKnownMask) {
    TBitmap row(10, 10), mask(10, 10);
    FillBitmap32(row, 0xFF000000);
    FillBitmap32(mask, 0xFF000000);
    mask.ScanLine(5)[5 * 4] = 255;  // one white mask pixel: s = 255 around it
    mask.ScanLine(5)[6 * 4] = 100;
    ApplyShadow(row, mask, 0x0000FF);
    EXPECT_EQ(At(row, 5, 5), (Pixel{0, 0, 142 * 255 / 256}));  // s = 355, a = min(220, 142)
    EXPECT_EQ(At(row, 4, 4), (Pixel{0, 0, 102 * 255 / 256}));  // s = 255: a = 102
    EXPECT_EQ(At(row, 3, 3), (Pixel{0, 0, 0}));
    TBitmap full(5, 5), white(5, 5);
    FillBitmap32(full, 0xFF000000);
    FillBitmap32(white, 0xFFFFFFFF);
    ApplyShadow(full, white, 0xFFFFFF);
    EXPECT_EQ(At(full, 2, 2), (Pixel{219, 219, 219}));  // capped at 220: 220 * 255 div 256
    EXPECT_EQ(At(full, 0, 0), (Pixel{0, 0, 0}));        // border pixels get none
}

class HighlightStyles : public ::testing::TestWithParam<int> {};

TEST_P(HighlightStyles, MarkTheSelectedRow) {
    Row plain, selected;
    plain.style.highlightStyle = selected.style.highlightStyle = GetParam();
    selected.line.selected = true;
    plain.Render();
    selected.Render();
    const int textEnd = 49 + 18;
    switch (GetParam()) {
    case 0:  // everything inverted, background included
        EXPECT_EQ(At(selected.bitmap, 150, 5), (Pixel{0, 0, 0}));
        EXPECT_EQ(At(selected.bitmap, 50, 3), (Pixel{255, 255, 255}));
        break;
    case 1:  // XOR with $0000FF as a pixel word: the blue byte meets the red
        EXPECT_EQ(At(selected.bitmap, 150, 5), (Pixel{0, 255, 255}));
        break;
    case 2:  // a wider rule in the highlight colour
        EXPECT_GT(At(selected.bitmap, 100, 15)[0], 0);
        EXPECT_LT(At(selected.bitmap, 100, 15)[0], At(plain.bitmap, 100, 15)[0]);
        EXPECT_LT(At(selected.bitmap, 100, 14)[1], 255);
        break;
    case 3:  // the wave under the text only
        EXPECT_LT(At(selected.bitmap, 30, 13)[0], 255);
        EXPECT_EQ(At(selected.bitmap, textEnd + 8, 13), (Pixel{255, 255, 255}));
        break;
    case 4:  // a bar across the row
        EXPECT_LT(At(selected.bitmap, 190, 7)[0], 200);
        EXPECT_EQ(At(selected.bitmap, 190, 7)[2], 255);
        break;
    case 5:  // bars under the lower part of the text, from the date to the text's end
        EXPECT_LT(At(selected.bitmap, 20, 13)[0], 255);
        EXPECT_EQ(At(selected.bitmap, 20, 6), At(plain.bitmap, 20, 6));
        EXPECT_EQ(At(selected.bitmap, textEnd + 8, 13), At(plain.bitmap, textEnd + 8, 13));
        break;
    default:  // outside 0 … 5: unmarked
        for (int x = 0; x < 200; x += 7)
            for (int y = 0; y < 16; ++y) ASSERT_EQ(At(selected.bitmap, x, y), At(plain.bitmap, x, y));
    }
}

INSTANTIATE_TEST_SUITE_P(AllStyles, HighlightStyles, ::testing::Values(0, 1, 2, 3, 4, 5, 6, -1));

TEST(RenderLine, ShortDate) { EXPECT_EQ(ShortDate(DateFromText("20240305"), "/"), "03/05"); }
