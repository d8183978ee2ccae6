#include <gtest/gtest.h>
#include <windows.h>

#include "background/Bitmap.h"
#include "background/DrawFrame.h"

namespace {

// Draws a frame in black on white and answers which pixels were painted.
std::vector<std::string> Frame(int style, int size = 12) {
    TBitmap bitmap(size, size);
    for (int y = 0; y < size; ++y) std::fill(bitmap.ScanLine(y), bitmap.ScanLine(y) + size * 4, 255);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, static_cast<HBITMAP>(bitmap.NativeHandle()));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    RECT r{0, 0, 10, 10};
    DrawFrame(dc, r, style);
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);
    std::vector<std::string> rows;
    for (int y = 0; y < size; ++y) {
        std::string row;
        for (int x = 0; x < size; ++x) row += bitmap.ScanLine(y)[x * 4] == 0 ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(DrawFrame, PlainOutlinesPixelsZeroToNine) {
    auto rows = Frame(0);
    EXPECT_EQ(rows[0], "##########..");
    EXPECT_EQ(rows[5], "#........#..");
    EXPECT_EQ(rows[9], "##########..");
    EXPECT_EQ(rows[10], "............");
}

TEST(DrawFrame, CutCornersLeaveTheCornerPixels) {
    auto rows = Frame(2);
    EXPECT_EQ(rows[0].substr(0, 10), "..######..");
    EXPECT_EQ(rows[1].substr(0, 10), ".#......#.");
    EXPECT_EQ(rows[2].substr(0, 10), "#........#");
    EXPECT_EQ(rows[9].substr(0, 10), "..######..");
}

TEST(DrawFrame, RoundedCornersStepTwice) {
    auto rows = Frame(4);
    EXPECT_EQ(rows[0].substr(0, 10), "....##....");
    EXPECT_EQ(rows[1].substr(0, 10), "..##..##..");
    EXPECT_EQ(rows[2].substr(0, 10), ".#......#.");
    EXPECT_EQ(rows[4].substr(0, 10), "#........#");
}
