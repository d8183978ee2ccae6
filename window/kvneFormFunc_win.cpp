#include "window/kvneFormFunc.h"

#include <shellapi.h>
#include <windowsx.h>

#include <climits>

#include "framework/Handles.h"
#include "framework/Messages.h"
#include "support/Encoding_win.h"
#include "support/TextWork.h"
#include "support/kvneGlobal.h"
#include "window/WindowPlacement.h"

namespace {

TRect ToTRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

TRect WindowRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return ToTRect(r);
}

TRect WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{sizeof info, {}, {}, 0};
    GetMonitorInfoW(monitor, &info);
    return ToTRect(info.rcWork);
}

std::vector<TMonitorArea> Monitors() {
    std::vector<TMonitorArea> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{sizeof info, {}, {}, 0};
            GetMonitorInfoW(monitor, &info);
            reinterpret_cast<std::vector<TMonitorArea>*>(data)->push_back(
                {ToTRect(info.rcWork), (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void MoveWindowTo(HWND hwnd, const TRect& r) {
    SetWindowPos(hwnd, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Borderless(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) == 0; }

}  // namespace

TkvneFormFunc::~TkvneFormFunc() {
    if (owner_ && hookId_) owner_->RemoveHook(hookId_);
}

void TkvneFormFunc::Attach(TForm& owner) {
    owner_ = &owner;
    hwnd_ = owner.Handle();
    hookId_ = owner.AddHook([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return Handle(message, wParam, lParam, result);
    });
    GetWindowRect(hwnd_, &normalRect_);
}

void TkvneFormFunc::SetDragDrop(bool on) {
    dragDrop_ = on;
    if (hwnd_) DragAcceptFiles(hwnd_, on);
}

void TkvneFormFunc::SetWindowRound(bool on) {
    windowRound_ = on;
    if (!hwnd_ || !Borderless(hwnd_)) return;  // a framed window takes it at its next size change
    if (on)
        ApplyWindowRound();
    else
        SetWindowRgn(hwnd_, nullptr, TRUE);
}

void TkvneFormFunc::SetWindowPosition(TwindowPosition position) {
    if (position == windowPosition_) return;
    windowPosition_ = position;
    if (!hwnd_) return;
    if (position == wpBottom)
        SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    else
        SetWindowPos(hwnd_, position == wpTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TkvneFormFunc::ApplyWindowRound() {
    if (!hwnd_) return;
    const TRect r = WindowRectOf(hwnd_);
    try {
        TRegion region;
        region.AddRect(0, 0, 0, 0, rmCopy);
        for (const TRect& part : WindowRegionRects(r.Width(), r.Height(), windowRound_, owner_->Dpi()))
            region.AddRect(part.Left, part.Top, part.Right, part.Bottom, rmOr);
        SetWindowRgn(hwnd_, region.CopyHandle(), TRUE);  // Windows owns the copy
    } catch (const ERgnError&) {
        // A region the system cannot make leaves the window rectangular.
    }
}

bool TkvneFormFunc::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED && windowRound_) ApplyWindowRound();
            [[fallthrough]];
        case WM_MOVE:
            maximised_ = IsZoomed(hwnd_) != FALSE;
            if (!maximised_ && !IsIconic(hwnd_)) GetWindowRect(hwnd_, &normalRect_);
            return false;
        case WM_PAINT:
            if (ClipDraw) ClipPaintToRegion();
            return false;
        case WM_ERASEBKGND:
            if (ClipDraw) SelectClipRgn(reinterpret_cast<HDC>(wParam), ClipRegion.Handle());
            if (OnEraseBackGround) OnEraseBackGround();
            if (EraseBackGround) return false;
            result = 1;
            return true;
        case WM_QUERYENDSESSION: result = 1; return true;
        case WM_ENDSESSION:
            // The process may end as soon as this returns: close now, through the normal path.
            if (wParam) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
            return !IsWindow(hwnd_);
        case WM_NCHITTEST: {
            if (!WindowResize) return false;
            const THitCode code =
                EdgeHitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), WindowRectOf(hwnd_), owner_->Scale(5));
            if (code == htNone) return false;
            result = code;
            return true;
        }
        case WM_MOUSEMOVE:
            if (WindowDrag && wParam == MK_LBUTTON) DragStart(lParam);
            return false;
        case WM_ENTERSIZEMOVE:
            GetWindowRect(hwnd_, &moveStartRect_);
            GetCursorPos(&moveStartCursor_);
            return false;
        case WM_MOVING:
            if (OnWindowMoved) OnWindowMoved();
            if (FitScreenPx <= 0) return false;
            Snap(*reinterpret_cast<RECT*>(lParam));
            result = TRUE;
            return true;
        case WM_DROPFILES:
            DropFiles(reinterpret_cast<HDROP>(wParam));
            result = 0;
            return true;
        case WM_DISPLAYCHANGE:
            // A smaller screen or a monitor gone may leave the window where nothing shows it, and
            // a borderless window there cannot be dragged back. A maximised one the system places.
            if (!IsIconic(hwnd_) && !IsZoomed(hwnd_)) EnsureOnScreen(hwnd_);
            return false;
        case WM_WINDOWRESET:
            if (OnWindowReset) OnWindowReset();
            return false;
        case WM_DESTROY:
            // Stored while the window still exists: after the session ends nothing later runs.
            SavePosition();
            return false;
    }
    return false;
}

void TkvneFormFunc::ClipPaintToRegion() {
    // What lies outside the region counts as painted, so the owner's paint canvas is clipped
    // to the region whatever canvas it takes.
    try {
        RECT client{};
        GetClientRect(hwnd_, &client);
        TRegion outside;
        outside.AddRect(client, rmCopy);
        outside.Add(ClipRegion.Handle(), rmDiff);
        ValidateRgn(hwnd_, outside.Handle());
    } catch (const ERgnError&) {
        // Without a region the paint is simply not clipped.
    }
}

void TkvneFormFunc::DragStart(LPARAM lParam) {
    bool dragMove = true;
    if (OnCanDragMove) OnCanDragMove(LOWORD(lParam), HIWORD(lParam), dragMove);
    if (!dragMove) return;
    ReleaseCapture();
    SendMessageW(hwnd_, WM_SYSCOMMAND, 0xF012, lParam);
}

void TkvneFormFunc::Snap(RECT& proposed) {
    // The move loop applies the rectangle it carries: snap that one, from where the drag began
    // plus the pointer's way, so the window neither jumps back nor trails the pointer.
    POINT cursor;
    GetCursorPos(&cursor);
    const int w = proposed.right - proposed.left, h = proposed.bottom - proposed.top;
    const int left = moveStartRect_.left + cursor.x - moveStartCursor_.x;
    const int top = moveStartRect_.top + cursor.y - moveStartCursor_.y;
    const TRect wanted{left, top, left + w, top + h};
    const RECT wantedRect = ToRECT(wanted);
    const TRect work = WorkAreaOf(MonitorFromRect(&wantedRect, MONITOR_DEFAULTTONEAREST));
    proposed = ToRECT(SnapToWorkArea(wanted, work, owner_->Scale(FitScreenPx)));
}

void TkvneFormFunc::DropFiles(HDROP drop) {
    std::vector<std::string> names;
    if (dragDrop_) {
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            // Each name whole, however long: a cut path would name another file or none.
            std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
            const std::string narrow = PathFromWide(name);
            if (OnDropFile) OnDropFile(narrow);
            if (DropNamesEnabled) names.push_back(narrow);
        }
    }
    DragFinish(drop);
    if (dragDrop_ && OnDropFinish) OnDropFinish(names);
}

std::string TkvneFormFunc::Section() const {
    wchar_t name[256] = L"";
    GetClassNameW(hwnd_, name, 256);
    return UpperCaseSjis(FromWide(name));
}

void TkvneFormFunc::SavePosition() {
    if (!Preserve || !hwnd_ || saved_) return;
    saved_ = true;
    const std::string section = Section();
    RECT r = normalRect_;  // the restored rectangle also while maximised
    if (!maximised_ && !IsIconic(hwnd_)) GetWindowRect(hwnd_, &r);
    if (KeepLocation) {
        GlobalEnv.WriteAppInteger(section, "TOP", r.top);
        GlobalEnv.WriteAppInteger(section, "LEFT", r.left);
    }
    if (KeepSize) {
        const TWindowSize stored = StoredSizeAtDpi({r.right - r.left, r.bottom - r.top}, owner_->Dpi());
        GlobalEnv.WriteAppInteger(section, "WIDTH", stored.width);
        GlobalEnv.WriteAppInteger(section, "HEIGHT", stored.height);
    }
    GlobalEnv.WriteAppString(section, "DOCKSITE", dockSite_);
}

void TkvneFormFunc::LoadPosition() {
    if (!Preserve || !hwnd_) return;
    const std::string section = Section();
    TRect r = WindowRectOf(hwnd_);
    int left = r.Left, top = r.Top, width = r.Width(), height = r.Height();
    if (KeepSize) {
        // A hand-edited or outdated file may hold any number: keep the window usable.
        MINMAXINFO limits{};
        const int dpi = owner_->Dpi();
        limits.ptMinTrackSize = {SystemMetricForDpi(SM_CXMINTRACK, dpi), SystemMetricForDpi(SM_CYMINTRACK, dpi)};
        SendMessageW(hwnd_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        const TWindowSize designed = StoredSizeAtDpi({width, height}, dpi);
        const TWindowSize size = RestoredSizeAtDpi(
            {GlobalEnv.ReadAppInteger(section, "WIDTH", designed.width),
             GlobalEnv.ReadAppInteger(section, "HEIGHT", designed.height)},
            {width, height}, {limits.ptMinTrackSize.x, limits.ptMinTrackSize.y},
            {GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)}, dpi);
        width = size.width;
        height = size.height;
    }
    if (KeepLocation) {
        left = GlobalEnv.ReadAppInteger(section, "LEFT", (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
        top = GlobalEnv.ReadAppInteger(section, "TOP", (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    }
    dockSite_ = GlobalEnv.ReadAppString(section, "DOCKSITE", "");
    TRect placed{left, top, left + width, top + height};
    if (KeepLocation) {
        // A place kept at a smaller display scale: a window at the screen's edge grew past it.
        const RECT at{left, top, left + 1, top + 1};
        placed = KeepInsideAtLargerScale(placed, StoredSizeAtDpi({width, height}, owner_->Dpi()),
                                         WorkAreaOf(MonitorFromRect(&at, MONITOR_DEFAULTTONEAREST)));
    }
    MoveWindowTo(hwnd_, placed);
    EnsureOnScreen(hwnd_);
}

bool TkvneFormFunc::LocationStored() const {
    if (!hwnd_) return false;
    const std::string section = Section();
    return GlobalEnv.ReadAppInteger(section, "LEFT", INT_MIN) != INT_MIN &&
           GlobalEnv.ReadAppInteger(section, "TOP", INT_MIN) != INT_MIN;
}

void EnsureOnScreen(HWND window) {
    const TRect now = WindowRectOf(window);
    const TRect placed = EnsureOnScreen(now, Monitors(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    if (placed.Left != now.Left || placed.Top != now.Top || placed.Width() != now.Width() ||
        placed.Height() != now.Height())
        MoveWindowTo(window, placed);
}

void FitToWorkArea(HWND window) {
    const TRect now = WindowRectOf(window);
    const TRect work = WorkAreaOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    MINMAXINFO limits{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const TRect placed =
        FitToWorkArea(ShrinkToWorkArea(now, work, {limits.ptMinTrackSize.x, limits.ptMinTrackSize.y}), work);
    if (placed.Left != now.Left || placed.Top != now.Top || placed.Width() != now.Width() ||
        placed.Height() != now.Height())
        MoveWindowTo(window, placed);
}
