#include "background/RenderHost_win.h"

#include "framework/Application.h"
#include "framework/Messages.h"

namespace {

constexpr UINT WM_RUNTASK = WM_APP + 40;
const wchar_t kClassName[] = L"MemorailRenderHost";

}  // namespace

TWin32RenderHost::TWin32RenderHost(HWND mainWindow) : mainWindow_(mainWindow) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

void TWin32RenderHost::PostToUi(std::function<void()> task) {
    HWND window = window_;
    if (!window) return;
    auto* posted = new std::function<void()>(std::move(task));
    if (!PostMessageW(window, WM_RUNTASK, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

void TWin32RenderHost::SendWindowReset() {
    if (mainWindow_ && IsWindow(mainWindow_)) SendMessageW(mainWindow_, WM_WINDOWRESET, 0, 0);
}

void TWin32RenderHost::Close() {
    if (HWND window = window_.exchange(nullptr)) DestroyWindow(window);
}

LRESULT CALLBACK TWin32RenderHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_RUNTASK) return DefWindowProcW(hwnd, message, wParam, lParam);
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
    RunGuarded(*task);  // a failure is reported, not swallowed
    return 0;
}
