#include <gtest/gtest.h>
#include <windows.h>

#include "background/Bitmap.h"

// GDI and the image operations share the same pixels, top row first.
TEST(Bitmap, IsATopDownDibSectionThatGdiDrawsInto) {
    TBitmap bitmap(8, 4);
    ASSERT_NE(bitmap.NativeHandle(), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, static_cast<HBITMAP>(bitmap.NativeHandle()));
    RECT topRow{0, 0, 8, 1};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &topRow, red);
    GdiFlush();
    SelectObject(dc, old);
    DeleteObject(red);
    DeleteDC(dc);
    const std::uint8_t* top = bitmap.ScanLine(0);
    EXPECT_EQ(top[0], 0);    // B
    EXPECT_EQ(top[2], 255);  // R
    EXPECT_EQ(bitmap.ScanLine(3)[2], 0);
    TBitmap rgb(5, 2, 24);
    EXPECT_EQ(rgb.Stride(), 16);
}
