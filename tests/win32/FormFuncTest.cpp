// The window-behaviour component in front of a plain form.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "WinTestFolder.h"
#include "framework/Form.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/kvneGlobal.h"
#include "window/kvneFormFunc.h"

namespace {

class TGadget : public TForm {
public:
    std::vector<UINT> seen;
    RECT painted{};
    void Create() {
        CreateArgs args;
        args.className = L"TGadgetForm";
        args.left = 100;
        args.top = 120;
        args.clientWidth = 200;
        args.clientHeight = 150;
        CreateHandle(args);
    }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP || message == WM_ERASEBKGND) seen.push_back(message);
        if (message == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(Handle(), &ps);
            painted = ps.rcPaint;
            EndPaint(Handle(), &ps);
            return 0;
        }
        return TForm::OnMessage(message, wParam, lParam);
    }
};

// A shell drop of the given names, as Explorer hands it over.
HGLOBAL MakeDrop(const std::vector<std::wstring>& names) {
    std::size_t chars = 1;
    for (const auto& n : names) chars += n.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& n : names) {
        std::memcpy(p, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
        p += n.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

class FormFunc : public ::testing::Test {
protected:
    void SetUp() override {
        GlobalEnv.SetDataFolder(FromWide(folder_.Wide()));
        form_.Create();
        func_.Attach(form_);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(GlobalEnv.RegistryKeyName()).c_str()); }
    std::string AppIni() {
        std::string text;
        ReadWholeFile(GlobalEnv.DataFolderPath() + "application.ini", text);
        return text;
    }
    WinTestFolder folder_;
    TGadget form_;
    TkvneFormFunc func_;
};

}  // namespace

TEST_F(FormFunc, SitsInFrontOfTheOwnersHandling) {
    EXPECT_EQ(SendMessageW(form_.Handle(), WM_APP, 0, 0), 0);
    EXPECT_EQ(form_.seen, (std::vector<UINT>{WM_APP}));  // passed on
    HDC dc = GetDC(form_.Handle());
    EXPECT_EQ(SendMessageW(form_.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(form_.seen.size(), 1u);  // answered in front, not passed on
    func_.EraseBackGround = true;
    SendMessageW(form_.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(form_.seen.back(), static_cast<UINT>(WM_ERASEBKGND));
    ReleaseDC(form_.Handle(), dc);
    EXPECT_EQ(SendMessageW(form_.Handle(), WM_QUERYENDSESSION, 0, 0), 1);
    func_.WindowResize = true;
    RECT r;
    GetWindowRect(form_.Handle(), &r);
    EXPECT_EQ(SendMessageW(form_.Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.right - 2, r.top + 50)), HTRIGHT);
}

TEST_F(FormFunc, PlaceAndSizeOutliveTheWindow) {
    func_.Preserve = func_.KeepLocation = func_.KeepSize = true;
    SetWindowPos(form_.Handle(), nullptr, 150, 160, 260, 170, SWP_NOZORDER);
    ShowWindow(form_.Handle(), SW_SHOWMAXIMIZED);  // a maximised window stores its restored place
    DestroyWindow(form_.Handle());
    const std::string ini = AppIni();
    EXPECT_NE(ini.find("[TGADGETFORM]"), std::string::npos) << ini;
    for (const char* line : {"TOP=160", "LEFT=150", "WIDTH=260", "HEIGHT=170", "DOCKSITE="})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;

    TGadget next;
    next.Create();
    TkvneFormFunc nextFunc;
    nextFunc.Attach(next);
    nextFunc.Preserve = nextFunc.KeepLocation = nextFunc.KeepSize = true;
    nextFunc.LoadPosition();
    RECT r;
    GetWindowRect(next.Handle(), &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 160);
    EXPECT_EQ(r.right - r.left, 260);
    EXPECT_EQ(r.bottom - r.top, 170);
}

TEST_F(FormFunc, AChangeOfTheScreenBringsAWindowOffEveryMonitorBack) {
    SetWindowPos(form_.Handle(), nullptr, 30000, 30000, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    SendMessageW(form_.Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    EXPECT_NE(MonitorFromWindow(form_.Handle(), MONITOR_DEFAULTTONULL), nullptr);
    RECT r;
    GetWindowRect(form_.Handle(), &r);
    EXPECT_LT(r.left, GetSystemMetrics(SM_CXSCREEN));
    // One still shown stays where it is.
    SetWindowPos(form_.Handle(), nullptr, 40, 50, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    SendMessageW(form_.Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    GetWindowRect(form_.Handle(), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
}

TEST_F(FormFunc, WithoutKeepLocationOnlyTheDockSiteIsWritten) {
    func_.Preserve = true;
    DestroyWindow(form_.Handle());
    const std::string ini = AppIni();
    EXPECT_NE(ini.find("DOCKSITE="), std::string::npos);
    EXPECT_EQ(ini.find("TOP="), std::string::npos);
    EXPECT_EQ(ini.find("WIDTH="), std::string::npos);
}

TEST_F(FormFunc, ZOrderBandsAndTheRoundRegion) {
    auto topmost = [&] { return (GetWindowLongPtrW(form_.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    func_.SetWindowPosition(wpTop);
    EXPECT_TRUE(topmost());
    // The same value again leaves the window alone, even when something else changed the band.
    SetWindowPos(form_.Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    func_.SetWindowPosition(wpTop);
    EXPECT_FALSE(topmost());
    func_.SetWindowPosition(wpNormal);
    func_.SetWindowPosition(wpTop);
    EXPECT_TRUE(topmost());
    func_.SetWindowPosition(wpNormal);
    EXPECT_FALSE(topmost());

    func_.SetWindowRound(true);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(form_.Handle(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 3, 0));
    EXPECT_TRUE(PtInRegion(region, 4, 0));
    EXPECT_FALSE(PtInRegion(region, 0, 3));
    EXPECT_TRUE(PtInRegion(region, 1, 2));
    EXPECT_FALSE(PtInRegion(region, 199, 149));
    EXPECT_TRUE(PtInRegion(region, 100, 75));
    func_.SetWindowRound(false);
    EXPECT_EQ(GetWindowRgn(form_.Handle(), region), ERROR);  // no region left
    DeleteObject(region);
}

TEST_F(FormFunc, DroppedNamesArriveWholeAndInOrder) {
    func_.SetDragDrop(true);
    func_.DropNamesEnabled = true;
    std::vector<std::string> dropped;
    std::vector<std::string> finishedWith;
    int finished = 0;
    func_.OnDropFile = [&](const std::string& name) { dropped.push_back(name); };
    func_.OnDropFinish = [&](const std::vector<std::string>& names) {
        ++finished;
        finishedWith = names;
    };
    const std::wstring longName = L"C:\\" + std::wstring(300, L'x') + L"\\picture.jpg";
    SendMessageW(form_.Handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({L"C:\\a.png", L"C:\\\x5199\x771f\\b.jpg", longName})), 0);
    const std::vector<std::string> expected = {"C:\\a.png", "C:\\写真\\b.jpg", FromWide(longName)};
    EXPECT_EQ(dropped, expected);
    EXPECT_EQ(finishedWith, expected);
    EXPECT_EQ(finished, 1);
}

TEST_F(FormFunc, ClipDrawKeepsPaintingInsideTheRegion) {
    ShowWindow(form_.Handle(), SW_SHOWNOACTIVATE);
    func_.ClipRegion.AddRect(0, 0, 80, 150, rmCopy);
    func_.ClipDraw = true;
    InvalidateRect(form_.Handle(), nullptr, FALSE);
    UpdateWindow(form_.Handle());
    EXPECT_EQ(form_.painted.right, 80);
    func_.ClipDraw = false;
    InvalidateRect(form_.Handle(), nullptr, FALSE);
    UpdateWindow(form_.Handle());
    EXPECT_EQ(form_.painted.right, 200);
    DestroyWindowAtOnce(form_.Handle());
}
