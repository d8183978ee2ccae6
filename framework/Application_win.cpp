#include "framework/Application.h"

#include "framework/Dpi_win.h"
#include "framework/Form.h"
#include "support/Encoding_win.h"
#include "support/Errors.h"

TApplication Application;

namespace {
const wchar_t kApplicationClass[] = L"TApplication";
// Posted to the application window: show the reports that wait.
constexpr UINT WM_SHOWREPORTS = WM_APP + 1;

// A shown top-level window of this thread that owner owns, an enabled one first: the dialog a
// modal run shows over its owner.
HWND ShownPopupOf(HWND owner) {
    struct TSearch {
        HWND owner, enabled = nullptr, disabled = nullptr;
    } search{owner};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<TSearch*>(data);
            if (GetWindow(window, GW_OWNER) != s.owner || !IsWindowVisible(window)) return TRUE;
            (IsWindowEnabled(window) ? s.enabled : s.disabled) = window;
            return s.enabled == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.enabled ? search.enabled : search.disabled;
}
}  // namespace

void TApplication::Initialize() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = SmallProgramIcon(SystemDpi());
    wc.lpszClassName = kApplicationClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EError(WindowFailure("ウィンドウ クラスを登録できません", kApplicationClass));
    // A visible window of no size: the owner of every form and the one taskbar button.
    int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_ = CreateWindowExW(0, kApplicationClass, ToWide(title_).c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                              nullptr, nullptr, instance, nullptr);
    if (!handle_) throw EError(WindowFailure("ウィンドウを作成できません", kApplicationClass));
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_) SetWindowTextW(handle_, ToWide(title).c_str());
}

int TApplication::Run() {
    if (handle_ && taskbarButtonVisible_) ShowWindow(handle_, SW_SHOWNOACTIVATE);
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        bool dialogKey = false;
        for (HWND window : modeless_)
            if ((dialogKey = IsDialogMessageW(window, &msg) != FALSE)) break;
        if (dialogKey) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (handle_) {
        DestroyWindowAtOnce(handle_);
        handle_ = nullptr;
    }
    return static_cast<int>(msg.wParam);
}

void TApplication::SendToAllForms(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::vector<HWND> forms = forms_;  // a form may close while it answers
    for (HWND form : forms)
        if (IsWindow(form)) SendMessageW(form, message, wParam, lParam);
}

void TApplication::RemoveModeless(HWND hwnd) { std::erase(modeless_, hwnd); }

void TApplication::LeaveModal() {
    if (!modal_.empty()) modal_.pop_back();
}

bool TApplication::ActivateModal() const {
    if (modal_.empty()) return false;
    // A window that a modal run disabled has the dialog of the run over it, maybe a second one.
    HWND target = modal_.back();
    for (int depth = 0; depth < 4 && target && IsWindow(target) && !IsWindowEnabled(target); ++depth) {
        HWND popup = ShownPopupOf(target);
        if (!popup) break;
        target = popup;
    }
    if (!target || !IsWindow(target)) return true;
    if (IsIconic(target)) ShowWindow(target, SW_RESTORE);
    SetForegroundWindow(target);
    SetActiveWindow(target);
    return true;
}

void TApplication::FormGone(HWND hwnd) {
    std::erase(forms_, hwnd);
    RemoveModeless(hwnd);
    if (!hwnd || hwnd != mainForm_) return;
    mainForm_ = nullptr;
    // What failed while closing is shown first, by the loop that still runs; then the end.
    if (reports_.empty() || !handle_)
        PostQuitMessage(0);
    else
        quitAfterReports_ = true;
}

void TApplication::ShowException(const std::exception& e) { ReportError(e.what()); }

void TApplication::ReportError(const std::string& message) {
    for (const std::string& waiting : reports_)
        if (waiting == message) return;
    reports_.push_back(message);
    if (handle_ && !showingReports_) PostMessageW(handle_, WM_SHOWREPORTS, 0, 0);
}

void TApplication::ShowReports() {
    if (showingReports_) return;  // a box is open: the loop below takes the new one too
    showingReports_ = true;
    while (!reports_.empty()) {
        const std::string& message = reports_.front();
        HWND owner = mainForm_ && IsWindowVisible(mainForm_) ? mainForm_ : handle_;
        TModalScope modal(owner);
        MessageBoxW(owner, ToWide(message).c_str(), ToWide(title_).c_str(), MB_OK | MB_ICONERROR);
        reports_.pop_front();  // shown: the same failure may be reported again from now on
    }
    showingReports_ = false;
    if (quitAfterReports_) PostQuitMessage(0);
}

void RunGuarded(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& e) {
        Application.ShowException(e);
    } catch (...) {
        Application.ReportError("unknown error");
    }
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SHOWREPORTS: Application.ShowReports(); return 0;
    case WM_SETFOCUS:
        // The taskbar button activates this window; hand the focus to the modal window that
        // runs, or else to the main form.
        if (Application.ActivateModal()) return 0;
        if (Application.mainForm_ && IsWindowVisible(Application.mainForm_)) {
            SetFocus(Application.mainForm_);
            return 0;
        }
        break;
    case WM_CLOSE:
        // The taskbar button's close must not end the program under an open question or editor.
        if (Application.ActivateModal()) return 0;
        if (Application.mainForm_) {
            PostMessageW(Application.mainForm_, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
