// Every window at the system's dpi is its 96-dpi layout scaled, and WM_DPICHANGED scales it
// again. Meant for a run in a prefix at 192 dpi (LogPixels); at 96 the first part compares a
// window with itself and only the handler is put to work.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "WinTestFolder.h"
#include "app/FmTODOmain.h"
#include "app/FmTodoOption.h"
#include "app/FormProgress.h"
#include "app/FormVersionInfo.h"
#include "background/FormColorSetUp.h"
#include "background/kvneColors.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/kvneGlobal.h"
#include "todo/FmTODOdata.h"
#include "todo/FormMessage.h"

namespace {


struct TPiece {
    std::wstring className;
    RECT rect;       // in the top-level window's client area
    int fontHeight;  // pixels, 0 without a font of its own
};

struct TShot {
    int dpi = 0;
    SIZE client{};
    std::vector<TPiece> pieces;
};

int FontHeight(HWND window) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    if (!font || !GetObjectW(font, sizeof face, &face)) return 0;
    return std::abs(face.lfHeight);
}

TShot Shoot(const TForm& form) {
    TShot shot;
    shot.dpi = form.Dpi();
    RECT client{};
    GetClientRect(form.Handle(), &client);
    shot.client = {client.right, client.bottom};
    std::pair<HWND, TShot*> into(form.Handle(), &shot);
    EnumChildWindows(
        form.Handle(),
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<std::pair<HWND, TShot*>*>(data);
            wchar_t name[64] = L"";
            GetClassNameW(child, name, 64);
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, s->first, reinterpret_cast<POINT*>(&r), 2);
            s->second->pieces.push_back({name, r, FontHeight(child)});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&into));
    return shot;
}

// b is a at b.dpi / a.dpi, within a pixel of the larger scale.
void ExpectScaled(const TShot& a, const TShot& b, const std::string& window) {
    auto within = [&](int small, int large) { return std::abs(large * a.dpi - small * b.dpi) <= b.dpi; };
    EXPECT_TRUE(within(a.client.cx, b.client.cx) && within(a.client.cy, b.client.cy))
        << window << ": client " << a.client.cx << "x" << a.client.cy << " at " << a.dpi << ", " << b.client.cx << "x"
        << b.client.cy << " at " << b.dpi;
    ASSERT_EQ(a.pieces.size(), b.pieces.size()) << window;
    for (std::size_t i = 0; i < a.pieces.size(); ++i) {
        const TPiece &p = a.pieces[i], &q = b.pieces[i];
        ASSERT_EQ(p.className, q.className) << window;
        EXPECT_TRUE(within(p.rect.left, q.rect.left) && within(p.rect.top, q.rect.top) &&
                    within(p.rect.right, q.rect.right) && within(p.rect.bottom, q.rect.bottom))
            << window << ": " << FromWide(p.className) << " #" << i << " (" << p.rect.left << "," << p.rect.top << ","
            << p.rect.right << "," << p.rect.bottom << ") at " << a.dpi << ", (" << q.rect.left << "," << q.rect.top
            << "," << q.rect.right << "," << q.rect.bottom << ") at " << b.dpi;
        EXPECT_TRUE(within(p.fontHeight, q.fontHeight))
            << window << ": " << FromWide(p.className) << " #" << i << " font " << p.fontHeight << " at " << a.dpi
            << ", " << q.fontHeight << " at " << b.dpi;
    }
}

struct TWindowCase {
    const char* name;
    std::function<std::unique_ptr<TForm>(HWND owner)> make;
};

class WindowsAtDpi : public ::testing::TestWithParam<TWindowCase> {
protected:
    void SetUp() override {
        GlobalEnv.SetDataFolder(FromWide(folder_.Wide()));
        ColorsList.LoadDefaults();
        Application.DiscardReports();
        owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindowAtOnce(owner_);
        Application.DiscardReports();
        RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(GlobalEnv.RegistryKeyName()).c_str());
    }
    WinTestFolder folder_;
    HWND owner_ = nullptr;
};

}  // namespace

TEST_P(WindowsAtDpi, AreTheir96DpiLayoutScaled) {
    TShot design, here;
    {
        const TDpiOverride at96(96);
        const auto form = GetParam().make(owner_);
        design = Shoot(*form);
    }
    const auto form = GetParam().make(owner_);
    here = Shoot(*form);
    EXPECT_EQ(design.dpi, 96);
    if (const char* expected = std::getenv("MEMORAIL_EXPECT_DPI")) {
        EXPECT_EQ(here.dpi, std::atoi(expected));
    }
    ExpectScaled(design, here, GetParam().name);
}

TEST_P(WindowsAtDpi, FollowAMoveToAMonitorOfTwiceTheDpi) {
    const auto form = GetParam().make(owner_);
    const TShot before = Shoot(*form);
    RECT window{}, client{};
    GetWindowRect(form->Handle(), &window);
    GetClientRect(form->Handle(), &client);
    const int dpi = 2 * form->Dpi();
    // Where Windows would put it: the same corner, twice the client area (the frame as it is
    // drawn: Wine does not draw it at the window's dpi).
    RECT suggested{window.left, window.top, window.right + client.right, window.bottom + client.bottom};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT after{};
    GetWindowRect(form->Handle(), &after);
    EXPECT_EQ(after.right - after.left, suggested.right - suggested.left);
    EXPECT_EQ(after.bottom - after.top, suggested.bottom - suggested.top);
    EXPECT_EQ(form->Dpi(), dpi);
    ExpectScaled(before, Shoot(*form), GetParam().name);
    EXPECT_TRUE(Application.PendingReports().empty());
}

// Not the archive window: sizeable, it is bounded by the virtual screen, too small for it at
// twice the scale.
INSTANTIATE_TEST_SUITE_P(
    Windows, WindowsAtDpi,
    ::testing::Values(TWindowCase{"Editor", [](HWND owner) { return std::make_unique<TFmTODOdata>(owner); }},
                      TWindowCase{"Question",
                                  [](HWND owner) {
                                      auto form = std::make_unique<TFormMessage>(owner);
                                      form->SetButtons("保存しますか？", {"はい", "いいえ", "キャンセル"});
                                      return form;
                                  }},
                      TWindowCase{"Options", [](HWND owner) { return std::make_unique<TFmTodoOption>(owner); }},
                      TWindowCase{"ColorSetUp", [](HWND owner) { return std::make_unique<TFormColorSetUp>(owner); }},
                      TWindowCase{"Progress", [](HWND) { return std::make_unique<TFormProgress>(); }},
                      TWindowCase{"About", [](HWND owner) { return std::make_unique<TFormVersionInfo>(owner); }}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

// The main window's own parts, which have no windows: the buttons and the link are painted.
struct TMainShot {
    int dpi = 0;
    SIZE client{};
    std::vector<std::pair<const char*, RECT>> rects;
    std::vector<std::pair<const char*, int>> lengths;
};

RECT ToRECT(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

int FontPixels(HFONT font) {
    LOGFONTW face{};
    GetObjectW(font, sizeof face, &face);
    return std::abs(face.lfHeight);
}

TMainShot ShootMain(TFmTODOmain& form) {
    TMainShot shot;
    shot.dpi = form.Dpi();
    RECT client{};
    GetClientRect(form.Handle(), &client);
    shot.client = {client.right, client.bottom};
    shot.rects = {{"fold button", ToRECT(form.kvneGctButton1.BtnDraw.Bounds())},
                  {"close button", ToRECT(form.kvneGctButton2.BtnDraw.Bounds())},
                  {"link", form.LinkLabel1.Bounds()},
                  {"list", form.List.Rect}};
    shot.lengths = {{"row", form.List.RowHeight},
                    {"folded height", form.FoldedHeight},
                    {"title top", form.TitleTop},
                    {"title font", FontPixels(form.TitleFont.Get())},
                    {"list font", FontPixels(form.ScreenFont.Get())}};
    return shot;
}

void ExpectScaled(const TMainShot& a, const TMainShot& b) {
    auto within = [&](int small, int large) { return std::abs(large * a.dpi - small * b.dpi) <= b.dpi; };
    EXPECT_TRUE(within(a.client.cx, b.client.cx) && within(a.client.cy, b.client.cy))
        << "client " << a.client.cx << "x" << a.client.cy << ", " << b.client.cx << "x" << b.client.cy;
    for (std::size_t i = 0; i < a.rects.size(); ++i) {
        const RECT &p = a.rects[i].second, &q = b.rects[i].second;
        EXPECT_TRUE(within(p.left, q.left) && within(p.top, q.top) && within(p.right, q.right) &&
                    within(p.bottom, q.bottom))
            << a.rects[i].first << " (" << p.left << "," << p.top << "," << p.right << "," << p.bottom << ") at "
            << a.dpi << ", (" << q.left << "," << q.top << "," << q.right << "," << q.bottom << ") at " << b.dpi;
    }
    for (std::size_t i = 0; i < a.lengths.size(); ++i)
        EXPECT_TRUE(within(a.lengths[i].second, b.lengths[i].second))
            << a.lengths[i].first << " " << a.lengths[i].second << " at " << a.dpi << ", " << b.lengths[i].second
            << " at " << b.dpi;
}

class MainWindowAtDpi : public ::testing::Test {
protected:
    void SetUp() override {
        GlobalEnv.SetDataFolder(FromWide(folder_.Wide()));
        Application.DiscardReports();
    }
    void TearDown() override {
        Application.DiscardReports();
        RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(GlobalEnv.RegistryKeyName()).c_str());
    }
    static void Close(TFmTODOmain& form) {
        DestroyWindow(form.Handle());
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the main window's end
    }
    WinTestFolder folder_;
};

}  // namespace

TEST_F(MainWindowAtDpi, IsIts96DpiLayoutScaled) {
    TMainShot design, here;
    {
        const TDpiOverride at96(96);
        TFmTODOmain form;
        form.Create();
        design = ShootMain(form);
        Close(form);
    }
    TFmTODOmain form;
    form.Create();
    here = ShootMain(form);
    if (const char* expected = std::getenv("MEMORAIL_EXPECT_DPI")) {
        EXPECT_EQ(here.dpi, std::atoi(expected));
    }
    ExpectScaled(design, here);
    Close(form);
}

// Half as much again: the scaled folded height is not what the window's height scales to.
TEST_F(MainWindowAtDpi, FollowsAMoveToAnotherDpiFoldedOrNot) {
    for (const bool folded : {false, true}) {
        TFmTODOmain form;
        form.Create();
        if (folded) form.FoldClick();
        const TMainShot before = ShootMain(form);
        RECT window{};
        GetWindowRect(form.Handle(), &window);
        const int dpi = form.Dpi() * 3 / 2;
        RECT suggested{window.left, window.top, window.left + (window.right - window.left) * 3 / 2,
                       window.top + (window.bottom - window.top) * 3 / 2};
        SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        const TMainShot after = ShootMain(form);
        ExpectScaled(before, after);
        RECT now{};
        GetWindowRect(form.Handle(), &now);
        if (folded) {
            EXPECT_EQ(now.bottom - now.top, form.FoldedHeight) << "still folded";
            form.FoldClick();
            GetWindowRect(form.Handle(), &now);
            EXPECT_TRUE(std::abs((now.bottom - now.top) * 96 - 248 * dpi) <= dpi) << "unfolds to the scaled height";
        }
        EXPECT_TRUE(Application.PendingReports().empty());
        Close(form);
    }
}

namespace {

std::vector<RECT> TabRects(const TFmTodoOption& options) {
    std::vector<RECT> tabs(TFmTodoOption::kPageCount);
    for (std::size_t i = 0; i < tabs.size(); ++i)
        SendMessageW(options.PageControl1->Handle(), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tabs[i]));
    return tabs;
}

void ExpectTabsScaled(const std::vector<RECT>& design, const std::vector<RECT>& here, int dpi) {
    auto within = [dpi](LONG small, LONG large) { return std::abs(large * 96 - small * dpi) <= dpi; };
    for (std::size_t i = 0; i < design.size(); ++i) {
        const RECT &p = design[i], &q = here[i];
        // Side by side, each its size scaled: the control's own offset of the row stays as it is.
        EXPECT_TRUE(within(p.right - p.left, q.right - q.left) && within(p.bottom - p.top, q.bottom - q.top))
            << "tab " << i << " (" << p.left << "," << p.top << "," << p.right << "," << p.bottom << ") at 96, ("
            << q.left << "," << q.top << "," << q.right << "," << q.bottom << ") at " << dpi;
    }
}

class OptionTabsAtDpi : public WindowsAtDpi {};

}  // namespace

// The options' tabs are the control's own items, sized by their padding and the font: they
// scale as the rest of the dialog, and on a move to another dpi too.
TEST_F(OptionTabsAtDpi, AreTheir96DpiSizeScaled) {
    std::vector<RECT> design;
    {
        const TDpiOverride at96(96);
        TFmTodoOption options(owner_);
        design = TabRects(options);
    }
    TFmTodoOption options(owner_);
    ExpectTabsScaled(design, TabRects(options), options.Dpi());

    RECT window{}, client{};
    GetWindowRect(options.Handle(), &window);
    GetClientRect(options.Handle(), &client);
    const int dpi = 2 * options.Dpi();
    RECT suggested{window.left, window.top, window.right + client.right, window.bottom + client.bottom};
    SendMessageW(options.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    ExpectTabsScaled(design, TabRects(options), dpi);
}
