// The program's icon in the notification area. While it is enabled the taskbar button is
// hidden, so the program lives in the notification area only; mouse actions on the icon are
// reported to the owner. The icon has a hidden top-level window of its own for the shell's
// notifications (a message-only window would miss the broadcast after Explorer restarts).
// While a modal window of the program runs, the icon reports nothing: a click brings that
// window to the front instead.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "framework/Handles.h"

enum TTrayButton { tbLeft, tbRight, tbMiddle };
// Shift states as the events report them.
enum TTrayShift { tsNone = 0, tsLeft = 1, tsRight = 2, tsMiddle = 4, tsDouble = 8 };

class TTaskBarIcon {
public:
    // The shell's notifications arrive at the icon's own window as this message.
    static constexpr UINT kCallbackMessage = WM_USER + 100;

    TTaskBarIcon();
    ~TTaskBarIcon();
    TTaskBarIcon(const TTaskBarIcon&) = delete;
    TTaskBarIcon& operator=(const TTaskBarIcon&) = delete;

    // The window the icon stands for, and the window whose taskbar button it hides (the
    // application's, unless set).
    void SetOwner(HWND owner) { owner_ = owner; }
    void SetApplicationWindow(HWND window) { applicationWindow_ = window; }

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetText(const std::string& text);  // Shift-JIS
    const std::string& Text() const { return text_; }
    void SetIcon(HICON icon);  // copied
    bool Added() const { return added_; }
    HWND Handle() const { return window_; }

    // A balloon from the icon (title and text Shift-JIS, cut to the shell's 63 and 255 units).
    // Without the enabled icon a temporary one carries it and goes with it (or after
    // kBalloonSeconds, for shells that never say the balloon has gone).
    void ShowBalloon(const std::string& title, const std::string& text);
    bool Temporary() const { return temporary_; }
    static constexpr UINT kBalloonSeconds = 30;

    // "最小化": into the notification area when enabled (the window stays while the shell
    // refuses the icon), else the application minimises.
    void Minimize();
    // Out of the notification area at once, as at the icon's end: for the window it stands for
    // going away when the process may end before any destructor runs.
    void Remove();
    void UpdateTaskbarButton();

    std::function<void()> OnDblClick;
    std::function<void(TTrayButton button, int shift, int x, int y)> OnMouseDown, OnMouseUp;
    std::function<void(int shift, int x, int y)> OnMouseMove;
    std::function<void()> OnBalloonClick;
    // The shell's notify-icon call; tests put a recorder here.
    std::function<BOOL(DWORD request, NOTIFYICONDATAW* data)> Notify = [](DWORD request, NOTIFYICONDATAW* data) {
        return Shell_NotifyIconW(request, data);
    };

    // The tip as the shell's first record takes it: at most 63 UTF-16 units (code page 932 has
    // no character outside the basic plane, so no pair is ever cut).
    static std::wstring TipText(const std::string& text);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Send(DWORD request, const std::wstring* title = nullptr, const std::wstring* info = nullptr);
    void BalloonGone();
    void Notification(UINT mouseMessage);
    HWND TaskbarButtonWindow() const;

    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    HWND applicationWindow_ = nullptr;
    TIconHandle icon_;
    std::string text_;
    bool enabled_ = false, added_ = false, temporary_ = false;
    UINT taskbarCreated_ = 0;
};
