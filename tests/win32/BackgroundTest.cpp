#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <thread>

#include "background/BGRender.h"
#include "background/ImageLoad.h"
#include "background/RenderHost_win.h"
#include "background/kvneColors.h"
#include "background/kvneGraphicSource.h"

namespace {

std::uint32_t Pixel(const TBitmap& b, int x, int y) {
    std::uint32_t v;
    std::memcpy(&v, b.ScanLine(y) + x * 4, 4);
    return v;
}

}  // namespace

TEST(BackgroundResources, BuiltInPictureAndSchemeLoad) {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadProgramResource("picture", bytes));
    TMemoryStream stream(bytes);
    TBitmap picture;
    LoadJpegImage(picture, stream);
    EXPECT_EQ(picture.Width(), 320);
    EXPECT_EQ(picture.Height(), 225);

    ASSERT_TRUE(ReadProgramResource("colors", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kBuiltInColorScheme);
    TColorsList colors;
    colors.LoadDefaults();
    EXPECT_EQ(colors.GetColor(kColorActiveTitle), 0x0000FF);
}

TEST(BackgroundPlaceholder, RedFrameAndTheMessagesText) {
    const TBitmap b = MakePlaceholder("この画像の大きさには対応していません", *CreateTextDrawer());
    ASSERT_EQ(b.Width(), 100);
    for (int i = 0; i < 100; i += 11) {
        EXPECT_EQ(Pixel(b, i, 0), 0xFFFF0000u);
        EXPECT_EQ(Pixel(b, 0, i), 0xFFFF0000u);
        EXPECT_EQ(Pixel(b, 99, i), 0xFFFF0000u);
        EXPECT_EQ(Pixel(b, i, 99), 0xFFFF0000u);
    }
    int dark = 0;  // text pixels: neither white nor the red of the lines
    for (int y = 2; y < 98; ++y)
        for (int x = 2; x < 98; ++x) {
            const std::uint8_t* p = b.ScanLine(y) + x * 4;
            if (p[2] < 128 && p[1] < 128) ++dark;
        }
    EXPECT_GT(dark, 30);
}

// A task posted from another thread reaches the UI thread through whatever loop runs, the
// nested loop of a modal window included.
TEST(RenderHost, PostedTasksRunInAnyMessageLoop) {
    auto host = std::make_shared<TWin32RenderHost>(nullptr);
    ASSERT_NE(host->Window(), nullptr);
    const DWORD uiThread = GetCurrentThreadId();
    DWORD ranOn = 0;
    std::thread([&] { host->PostToUi([&] { ranOn = GetCurrentThreadId(); }); }).join();
    MSG msg;
    for (int i = 0; i < 100 && !ranOn; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
    EXPECT_EQ(ranOn, uiThread);
    host->Close();
    host->PostToUi([&] { ranOn = 0; });  // after Close: dropped
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(ranOn, uiThread);
}
