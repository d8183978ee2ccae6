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

// Light from the top left: the round bevel's shadow lies at the bottom right only.
TEST(FlatButton, RoundBevelShadowIsBottomRight) {
    TkvneBtnDraw draw;
    draw.SetBounds(0, 0, 40, 40);
    draw.SetStyle(bsCircle);
    draw.SetColor(0x808080);
    draw.SetColorBack(0x808080);
    HDC dc = CreateCompatibleDC(nullptr);
    draw.Paint(dc);
    DeleteDC(dc);
    // The ring's band along each diagonal, from the rim inwards.
    auto band = [&](int dx, int dy) {
        int sum = 0;
        for (int d = 3; d < 12; ++d) {
            const int x = dx < 0 ? d : 39 - d, y = dy < 0 ? d : 39 - d;
            const std::uint8_t* p = draw.Composed().ScanLine(y) + x * 4;
            sum += p[0] + p[1] + p[2];
        }
        return sum;
    };
    const int topLeft = band(-1, -1), bottomRight = band(1, 1), topRight = band(1, -1), bottomLeft = band(-1, 1);
    EXPECT_GT(topLeft, bottomRight);
    EXPECT_GT(topRight, bottomRight);  // the sides between the two arcs are not shaded
    EXPECT_GT(bottomLeft, bottomRight);
    EXPECT_LT(topRight, topLeft);
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

TEST(LinkLabel, ClickIsPressAndReleaseOnTheLabel) {
    TLinkLabel label;
    label.SetBounds(10, 10, 50, 12);
    label.MouseDown(5, 5);  // pressed in the list, released over the link
    EXPECT_FALSE(label.MouseUp(20, 15));
    label.MouseDown(20, 15);  // pressed on it, released elsewhere
    EXPECT_FALSE(label.MouseUp(5, 5));
    label.MouseDown(20, 15);
    EXPECT_TRUE(label.MouseUp(20, 15));
    EXPECT_FALSE(label.MouseUp(20, 15));  // a double click's second release: no second opening
}

TEST(LinkLabel, BoldIsGoneOnceTheMouseHasPassed) {
    TLinkLabel label;
    LOGFONTW font{};
    font.lfWeight = FW_BOLD;
    font.lfItalic = TRUE;
    label.SetFont(font);
    label.SetBounds(10, 10, 50, 12);
    label.MouseMove(20, 15);
    EXPECT_TRUE(label.Font().lfUnderline);
    label.MouseMove(0, 0);
    EXPECT_FALSE(label.Font().lfUnderline);
    EXPECT_EQ(label.Font().lfWeight, FW_NORMAL);
    EXPECT_FALSE(label.Font().lfItalic);
}

TEST(Collator, UserLocaleOrder) {
    TUserLocaleCollator collator;
    // Pairs whose byte order is the other way round: the locale puts letters before case.
    EXPECT_LT(collator.Compare("a", "B"), 0);
    EXPECT_GT(collator.Compare("B", "a"), 0);
    EXPECT_LT(collator.Compare("b", "C"), 0);
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
