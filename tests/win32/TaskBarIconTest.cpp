// The tray icon with a recorder in place of the shell.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/Encoding_win.h"
#include "window/TaskBarIcon.h"

namespace {

struct Request {
    DWORD kind;
    std::wstring tip;
    UINT callback;
    DWORD size;
    UINT flags;
    std::wstring infoTitle, info;
};

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        icon_.Notify = [this](DWORD kind, NOTIFYICONDATAW* data) {
            requests_.push_back({kind, data->szTip, data->uCallbackMessage, data->cbSize, data->uFlags,
                                 data->uFlags & NIF_INFO ? data->szInfoTitle : L"", data->uFlags & NIF_INFO ? data->szInfo : L""});
            return TRUE;
        };
        owner_ =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
        button_ =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        icon_.SetOwner(owner_);
        icon_.SetApplicationWindow(button_);
    }
    void TearDown() override {
        DestroyWindow(owner_);
        DestroyWindow(button_);
    }
    TTaskBarIcon icon_;
    std::vector<Request> requests_;
    HWND owner_ = nullptr, button_ = nullptr;
};

struct NotificationCase {
    UINT mouseMessage;
    const char* events;
};

class TrayNotifications : public ::testing::TestWithParam<NotificationCase> {};

}  // namespace

TEST_P(TrayNotifications, ReachTheEventsInOrder) {
    TTaskBarIcon icon;
    icon.Notify = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };
    std::string events;
    POINT cursor;
    GetCursorPos(&cursor);
    const char* names[] = {"L", "R", "M"};
    icon.OnDblClick = [&] { events += "dbl "; };
    icon.OnMouseDown = [&](TTrayButton b, int shift, int x, int y) {
        events += std::string("down") + names[b] + std::to_string(shift) + " ";
        EXPECT_EQ(x, cursor.x);
        EXPECT_EQ(y, cursor.y);
    };
    icon.OnMouseUp = [&](TTrayButton b, int shift, int, int) {
        events += std::string("up") + names[b] + std::to_string(shift) + " ";
    };
    icon.OnMouseMove = [&](int shift, int, int) { events += "move" + std::to_string(shift) + " "; };
    SendMessageW(icon.Handle(), TTaskBarIcon::kCallbackMessage, 1, GetParam().mouseMessage);
    EXPECT_EQ(events, GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TrayNotifications,
    ::testing::Values(NotificationCase{WM_MOUSEMOVE, "move0 "}, NotificationCase{WM_LBUTTONDOWN, "downL1 "},
                      NotificationCase{WM_LBUTTONUP, "upL1 "}, NotificationCase{WM_LBUTTONDBLCLK, "dbl downL8 "},
                      NotificationCase{WM_RBUTTONDOWN, "downR2 "}, NotificationCase{WM_RBUTTONUP, "upR2 "},
                      NotificationCase{WM_RBUTTONDBLCLK, "dbl downR8 "}, NotificationCase{WM_MBUTTONDOWN, "downM4 "},
                      NotificationCase{WM_MBUTTONUP, "upM4 "}, NotificationCase{WM_MBUTTONDBLCLK, ""}));

TEST_F(TrayIcon, EnablingAddsTheIconAndHidesTheTaskbarButton) {
    icon_.SetText("MEMORAIL");
    EXPECT_TRUE(requests_.empty());  // disabled: nothing shown
    icon_.SetEnabled(true);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].kind, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(requests_[0].tip, L"MEMORAIL");
    EXPECT_EQ(requests_[0].size, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
    EXPECT_EQ(requests_[0].callback, TTaskBarIcon::kCallbackMessage);
    EXPECT_FALSE(IsWindowVisible(button_));
    icon_.SetEnabled(true);  // unchanged: nothing
    EXPECT_EQ(requests_.size(), 1u);
    // Explorer restarted: the icon comes back while enabled, not after.
    SendMessageW(icon_.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(requests_.back().kind, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(requests_.size(), 2u);
    icon_.SetEnabled(false);
    EXPECT_EQ(requests_.back().kind, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(IsWindowVisible(button_));
    SendMessageW(icon_.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(requests_.size(), 3u);
}

// The icon's small image at the tray's size, not the large one for the shell to shrink.
TEST_F(TrayIcon, ShowsTheSmallImageAtTheTraysSize) {
    SIZE shown{};
    icon_.Notify = [&](DWORD, NOTIFYICONDATAW* data) {
        ICONINFO info{};
        BITMAP mask{};
        if (GetIconInfo(data->hIcon, &info)) {
            GetObjectW(info.hbmMask, sizeof mask, &mask);
            shown = {mask.bmWidth, info.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
            DeleteObject(info.hbmMask);
            if (info.hbmColor) DeleteObject(info.hbmColor);
        }
        return TRUE;
    };
    icon_.SetEnabled(true);
    EXPECT_EQ(shown.cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(shown.cy, GetSystemMetrics(SM_CYSMICON));
}

TEST_F(TrayIcon, MinimizeAndTheWayBack) {
    icon_.Minimize();  // without the tray the application window minimises, not the form
    EXPECT_TRUE(IsIconic(button_));
    EXPECT_FALSE(IsIconic(owner_));
    ShowWindow(button_, SW_RESTORE);
    icon_.SetEnabled(true);
    icon_.Minimize();
    EXPECT_FALSE(IsWindowVisible(owner_));
    icon_.SetEnabled(false);  // without the icon a hidden window would be out of reach
    EXPECT_TRUE(IsWindowVisible(owner_));
}

TEST_F(TrayIcon, BalloonWithoutTheTrayComesAndGoesWithATemporaryIcon) {
    bool clicked = false;
    icon_.OnBalloonClick = [&] { clicked = true; };
    icon_.ShowBalloon("Memorail", "今日が期日の項目: 1件 / 期限切れ: 0件");
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[0].kind, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(requests_[1].kind, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_TRUE(requests_[1].flags & NIF_INFO);
    EXPECT_EQ(requests_[1].size, static_cast<DWORD>(sizeof(NOTIFYICONDATAW)));
    EXPECT_EQ(requests_[1].infoTitle, L"Memorail");
    EXPECT_EQ(FromWide(requests_[1].info), "今日が期日の項目: 1件 / 期限切れ: 0件");
    EXPECT_TRUE(icon_.Temporary());
    EXPECT_TRUE(IsWindowVisible(button_));  // no tray option: the taskbar button stays
    SendMessageW(icon_.Handle(), TTaskBarIcon::kCallbackMessage, 1, NIN_BALLOONUSERCLICK);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(requests_.back().kind, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(icon_.Added());
    // A press on the temporary icon is the balloon's click, never the tray's hide.
    bool pressed = false;
    icon_.OnMouseDown = [&](TTrayButton, int, int, int) { pressed = true; };
    clicked = false;
    icon_.ShowBalloon("Memorail", "x");
    SendMessageW(icon_.Handle(), TTaskBarIcon::kCallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(pressed);
    EXPECT_FALSE(icon_.Added());
    // With the tray option the icon stays after its balloon.
    icon_.SetEnabled(true);
    icon_.ShowBalloon("Memorail", "x");
    SendMessageW(icon_.Handle(), TTaskBarIcon::kCallbackMessage, 1, NIN_BALLOONTIMEOUT);
    EXPECT_EQ(requests_.back().kind, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_TRUE(icon_.Added());
}

TEST(TrayTip, CutAt63Units) {
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "表示";
    EXPECT_EQ(TTaskBarIcon::TipText(longText).size(), 63u);
    EXPECT_EQ(TTaskBarIcon::TipText(longText).substr(0, 2), L"\x8868\x793A");
    EXPECT_EQ(TTaskBarIcon::TipText("MEMORAIL"), L"MEMORAIL");
}

// The shell refuses the icon (busy at logon): nothing may count it as shown, and 最小化 must
// not hide the window into a notification area that has no icon to bring it back.
TEST_F(TrayIcon, ARefusedIconIsTriedAgainAndNeverHidesTheWindowAway) {
    bool shellReady = false;
    icon_.Notify = [&](DWORD kind, NOTIFYICONDATAW*) {
        requests_.push_back({kind, L"", 0, 0, 0, L"", L""});
        return shellReady ? TRUE : FALSE;
    };
    icon_.SetEnabled(true);
    EXPECT_FALSE(icon_.Added());
    icon_.Minimize();
    EXPECT_TRUE(IsWindowVisible(owner_));
    shellReady = true;
    icon_.Minimize();  // tries the icon again first
    EXPECT_TRUE(icon_.Added());
    EXPECT_EQ(requests_.back().kind, static_cast<DWORD>(NIM_ADD));
    EXPECT_FALSE(IsWindowVisible(owner_));
    // Explorer starts again and refuses the icon: the hidden window comes back.
    shellReady = false;
    SendMessageW(icon_.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(icon_.Added());
    EXPECT_TRUE(IsWindowVisible(owner_));
}
