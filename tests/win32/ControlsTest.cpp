#include <gtest/gtest.h>
#include <windows.h>

#include "WinTestFolder.h"
#include "support/Collator_win.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "window/LinkLabel.h"
#include "window/kvneButton.h"

TEST(FlatButton, ColorDownDoesNotInvalidateTheSnapshot) {
    TkvneBtnDraw draw;
    draw.SetBounds(0, 0, 24, 14);
    HDC screen = GetDC(nullptr);
    draw.CaptureBackground(screen);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(draw.SnapshotValid());
    int changes = 0;
    draw.OnChanged = [&] { ++changes; };
    draw.SetColorDown(0x123456);
    EXPECT_TRUE(draw.SnapshotValid());
    EXPECT_EQ(changes, 1);
    draw.SetColorDown(0x123456);  // the same value: nothing
    EXPECT_EQ(changes, 1);
    draw.SetColor(0x00FF00);
    EXPECT_FALSE(draw.SnapshotValid());
}

TEST(FlatButton, DisabledLooksLightGreyWhateverItsColour) {
    TkvneBtnDraw draw;
    draw.SetBounds(0, 0, 40, 20);
    draw.SetColor(0x0000FF);
    draw.SetColorBack(0x0000FF);
    draw.SetOverDrawType(dtAlpha);  // the state layer laid over the body as it is
    draw.SetState(stDisabled);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateCompatibleBitmap(GetDC(nullptr), 40, 20);
    HGDIOBJ old = SelectObject(dc, target);
    draw.Paint(dc);
    const std::uint8_t* middle = draw.Composed().ScanLine(10) + 20 * 4;
    EXPECT_EQ(middle[0], middle[2]);  // grey: no red left
    EXPECT_GT(middle[0], 120);
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
}

TEST(WinButton, SpaceAndEnterClick) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 50, nullptr, nullptr, nullptr, nullptr);
    TkvneWinButton button;
    button.Create(parent, 0, 0, 80, 24, "  閉じる");
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    SendMessageW(button.Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(button.BtnDraw.State(), stPressed);
    SendMessageW(button.Handle(), WM_KEYUP, 'A', 0);  // another key releases nothing
    EXPECT_EQ(clicks, 0);
    SendMessageW(button.Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(clicks, 1);
    SendMessageW(button.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(button.Handle(), WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(clicks, 2);
    SendMessageW(button.Handle(), WM_KEYUP, VK_SPACE, 0);  // up without down: no click
    EXPECT_EQ(clicks, 2);
    DestroyWindow(parent);
}

TEST(LinkLabel, UrlCaptionAndTarget) {
    WinTestFolder folder;
    const std::string base = FromWide(folder.Wide());
    ReplaceFileSafely(base + "\\readme.txt", "x");
    TLinkLabel label;
    label.SetCaption("someone@example.com");
    EXPECT_EQ(label.Target(), "someone@example.com");
    label.SetLinkURL(base + "\\readme.txt");
    EXPECT_EQ(label.Caption(), "readme.txt");
    EXPECT_EQ(label.Target(), base + "\\readme.txt");
    label.SetLinkURL(base);
    EXPECT_EQ(label.Caption(), base.substr(0, base.find_last_of('\\')));
    label.SetLinkURL("https://example.com/");
    EXPECT_EQ(label.Caption(), base.substr(0, base.find_last_of('\\')));  // not a file or folder: unchanged
    label.SetBounds(10, 10, 50, 12);
    EXPECT_TRUE(label.MouseMove(20, 15));
    EXPECT_TRUE(label.Hot());
    EXPECT_FALSE(label.MouseMove(21, 15));
    EXPECT_TRUE(label.MouseMove(0, 0));
    EXPECT_FALSE(label.Hot());
}

TEST(Collator, UserLocaleOrder) {
    TUserLocaleCollator collator;
    EXPECT_LT(collator.Compare("a", "b"), 0);
    EXPECT_GT(collator.Compare("b", "a"), 0);
    EXPECT_EQ(collator.Compare("表", "表"), 0);
    EXPECT_NE(collator.Compare("a", "A"), 0);  // case counts
}

TEST(WinButton, RegionShapesTheWindow) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 50, nullptr, nullptr, nullptr, nullptr);
    TkvneWinButton button;
    button.Create(parent, 0, 0, 40, 20, "x");
    button.BtnDraw.SetStyle(bsCircle);
    button.BtnDraw.SetRegion(true);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(button.Handle(), region), ERROR);
    EXPECT_TRUE(PtInRegion(region, 20, 10));   // the centre
    EXPECT_FALSE(PtInRegion(region, 0, 0));    // a corner outside the ellipse
    DeleteObject(region);
    DestroyWindow(parent);
}
