#include "window/TaskBarIcon.h"

#include <windowsx.h>

#include "framework/Application.h"
#include "framework/Dpi_win.h"
#include "framework/Form.h"
#include "support/Encoding_win.h"

namespace {
const wchar_t kIconWindowClass[] = L"TTaskBarIconWindow";
}

TTaskBarIcon::TTaskBarIcon() : taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, kIconWindowClass, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kIconWindowClass;
        RegisterClassExW(&wc);
    }
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kIconWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                              this);
    // The program runs on without its tray icon, but says so.
    if (!window_) Application.ReportError(WindowFailure("通知領域のアイコンを作成できません", kIconWindowClass));
}

TTaskBarIcon::~TTaskBarIcon() {
    Remove();
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

HWND TTaskBarIcon::TaskbarButtonWindow() const {
    return applicationWindow_ ? applicationWindow_ : Application.Handle();
}

void TTaskBarIcon::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTaskbarButton();
    if (enabled) {
        temporary_ = false;  // the balloon's icon stays as the real one
        Send(added_ ? NIM_MODIFY : NIM_ADD);
    } else {
        Send(NIM_DELETE);
        // Without the icon a hidden window could no longer be reached.
        if (owner_ && !IsWindowVisible(owner_)) ShowWindow(owner_, SW_SHOW);
    }
}

void TTaskBarIcon::SetText(const std::string& text) {
    text_ = text;
    if (added_) Send(NIM_MODIFY);
}

void TTaskBarIcon::SetIcon(HICON icon) {
    icon_.Reset(icon ? CopyIcon(icon) : nullptr);
    if (added_) Send(NIM_MODIFY);
}

void TTaskBarIcon::Minimize() {
    if (enabled_) {
        if (!added_) Send(NIM_ADD);  // refused before: once more as the window goes
        // Without the icon a hidden window could not be brought back.
        if (owner_ && added_) ShowWindow(owner_, SW_HIDE);
    } else if (HWND button = TaskbarButtonWindow()) {
        // The application minimises, not the form: no minimised place is ever stored.
        ShowWindow(button, SW_MINIMIZE);
    }
}

void TTaskBarIcon::Remove() {
    if (window_) KillTimer(window_, 1);
    temporary_ = false;
    if (added_) Send(NIM_DELETE);
}

void TTaskBarIcon::UpdateTaskbarButton() {
    HWND button = TaskbarButtonWindow();
    if (!button) return;
    if (button == Application.Handle()) Application.SetTaskbarButtonVisible(!enabled_);
    ShowWindow(button, enabled_ ? SW_HIDE : SW_SHOWNOACTIVATE);
}

std::wstring TTaskBarIcon::TipText(const std::string& text) {
    std::wstring tip = ToWide(text);
    if (tip.size() > 63) tip.resize(63);
    return tip;
}

void TTaskBarIcon::ShowBalloon(const std::string& title, const std::string& text) {
    if (!added_) {
        Send(NIM_ADD);
        temporary_ = true;
    }
    std::wstring wideTitle = ToWide(title), wideText = ToWide(text);
    if (wideTitle.size() > 63) wideTitle.resize(63);
    if (wideText.size() > 255) wideText.resize(255);
    Send(NIM_MODIFY, &wideTitle, &wideText);
    if (temporary_ && window_) SetTimer(window_, 1, kBalloonSeconds * 1000, nullptr);
}

void TTaskBarIcon::BalloonGone() {
    if (window_) KillTimer(window_, 1);
    if (!temporary_) return;
    temporary_ = false;
    if (added_ && !enabled_) Send(NIM_DELETE);
}

void TTaskBarIcon::Send(DWORD request, const std::wstring* title, const std::wstring* info) {
    if (request == NIM_MODIFY && !added_) request = NIM_ADD;
    NOTIFYICONDATAW data{};
    // The first record's size, but for a balloon, which needs the whole one.
    data.cbSize = info ? sizeof data : NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = window_;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_ ? icon_.Get() : SmallProgramIcon(SystemDpi());  // the tray is at the system's scale
    if (!data.hIcon) data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    const std::wstring tip = TipText(text_);
    wcsncpy(data.szTip, tip.c_str(), 63);
    if (info) {
        data.uFlags |= NIF_INFO;
        data.dwInfoFlags = NIIF_INFO;
        wcsncpy(data.szInfo, info->c_str(), 255);
        wcsncpy(data.szInfoTitle, title ? title->c_str() : L"", 63);
    }
    const bool done = Notify && Notify(request, &data);
    if (request == NIM_DELETE) {
        added_ = false;
    } else if (request == NIM_ADD) {
        // A refused add (a shell busy at logon) is tried again at the next change. One the shell
        // timed out on may be there after all: a change to it tells.
        added_ = done || (Notify && Notify(NIM_MODIFY, &data));
    }
}

void TTaskBarIcon::Notification(UINT mouseMessage) {
    if (mouseMessage == NIN_BALLOONUSERCLICK) {
        BalloonGone();
        if (OnBalloonClick) OnBalloonClick();
        return;
    }
    if (mouseMessage == NIN_BALLOONTIMEOUT || mouseMessage == NIN_BALLOONHIDE) return BalloonGone();
    enum TKind { kMove, kDown, kUp, kDoubleDown };
    struct TEntry {
        UINT message;
        TKind kind;
        TTrayButton button;
        int shift;
    };
    static constexpr TEntry kTable[] = {{WM_MOUSEMOVE, kMove, tbLeft, tsNone},
                                        {WM_LBUTTONDOWN, kDown, tbLeft, tsLeft},
                                        {WM_LBUTTONUP, kUp, tbLeft, tsLeft},
                                        {WM_LBUTTONDBLCLK, kDoubleDown, tbLeft, tsDouble},
                                        {WM_RBUTTONDOWN, kDown, tbRight, tsRight},
                                        {WM_RBUTTONUP, kUp, tbRight, tsRight},
                                        {WM_RBUTTONDBLCLK, kDoubleDown, tbRight, tsDouble},
                                        {WM_MBUTTONDOWN, kDown, tbMiddle, tsMiddle},
                                        {WM_MBUTTONUP, kUp, tbMiddle, tsMiddle}};
    for (const TEntry& e : kTable) {
        if (e.message != mouseMessage) continue;
        if (Application.ModalLevel() > 0) {
            // As on a window a modal run disabled: a click only brings the modal window forward,
            // so no command starts under an open question, editor or dialog.
            if (e.kind == kDown || e.kind == kDoubleDown) Application.ActivateModal();
            return;
        }
        if (temporary_ && (e.kind == kDown || e.kind == kDoubleDown)) {
            // The balloon's own icon has no other use: a press on it is a click on the balloon.
            BalloonGone();
            if (OnBalloonClick) OnBalloonClick();
            return;
        }
        POINT p{};
        GetCursorPos(&p);  // signed screen coordinates: monitors left of the primary one work
        if (e.kind == kMove && OnMouseMove) OnMouseMove(e.shift, p.x, p.y);
        if (e.kind == kDoubleDown && OnDblClick) OnDblClick();
        if ((e.kind == kDown || e.kind == kDoubleDown) && OnMouseDown) OnMouseDown(e.button, e.shift, p.x, p.y);
        if (e.kind == kUp && OnMouseUp) OnMouseUp(e.button, e.shift, p.x, p.y);
        return;
    }
}

LRESULT CALLBACK TTaskBarIcon::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* icon = reinterpret_cast<TTaskBarIcon*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (icon) {
        try {
            if (message == kCallbackMessage) {
                icon->Notification(static_cast<UINT>(lParam));
                return 0;
            }
            if (message == icon->taskbarCreated_ && icon->taskbarCreated_ != 0) {
                // Explorer restarted and forgot every icon. One it refuses now leaves a window
                // hidden in the tray out of reach: it is shown.
                if (icon->enabled_) {
                    icon->Send(NIM_ADD);
                    if (!icon->added_ && icon->owner_ && !IsWindowVisible(icon->owner_)) ShowWindow(icon->owner_, SW_SHOW);
                }
                return 0;
            }
            if (message == WM_TIMER && wParam == 1) {
                icon->BalloonGone();
                return 0;
            }
        } catch (const std::exception& e) {
            Application.ShowException(e);
            return 0;
        }
    }
    if (message == WM_QUERYENDSESSION) return 1;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
