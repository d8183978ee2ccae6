#include "framework/Dpi_win.h"

namespace {

template <typename Function>
Function UserFunction(const char* name) {
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

}  // namespace

int SystemDpi() {
    static const auto forSystem = UserFunction<GetDpiForSystemFn>("GetDpiForSystem");
    if (forSystem) return SaneDpi(static_cast<int>(forSystem()));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return SaneDpi(dpi);
}

int DpiOfWindow(HWND window) {
    static const auto forWindow = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
    if (forWindow && window) {
        const UINT dpi = forWindow(window);
        if (dpi) return SaneDpi(static_cast<int>(dpi));
    }
    return SystemDpi();
}

int DpiForNewWindow(HWND owner, POINT at) {
    if (owner && IsWindow(owner)) return DpiOfWindow(owner);
    // Shcore is loaded only where a point's monitor is asked for; Windows 8.1 has it.
    static const auto forMonitor = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (forMonitor && at.x != CW_USEDEFAULT &&
        SUCCEEDED(forMonitor(MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY), 0, &x, &y)) && y)
        return SaneDpi(static_cast<int>(y));
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi = UserFunction<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    static const auto forDpi = UserFunction<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

HICON SmallProgramIcon(int dpi) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                         SystemMetricForDpi(SM_CXSMICON, dpi), SystemMetricForDpi(SM_CYSMICON, dpi),
                                         LR_SHARED));
}
