#include "framework/Form.h"

#include <exception>

#include "framework/Application.h"
#include "support/Encoding_win.h"

void DestroyWindowAtOnce(HWND hwnd) {
    // The empty region takes the window off the screen, and the windows under it are redrawn;
    // without WS_VISIBLE, DestroyWindow has nothing left to hide.
    SetPropW(hwnd, kClosingProperty, reinterpret_cast<HANDLE>(1));
    SetWindowRgn(hwnd, CreateRectRgn(0, 0, 0, 0), TRUE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(hwnd);
}

TForm::~TForm() {
    if (handle_) {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

void TForm::CreateHandle(const CreateArgs& args) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, args.className, &wc)) {
        wc.cbSize = sizeof wc;
        wc.style = args.classStyle;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hIcon = args.icon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = args.className;
        RegisterClassExW(&wc);
    }
    RECT r{0, 0, args.clientWidth, args.clientHeight};
    AdjustWindowRectEx(&r, args.style, FALSE, args.exStyle);
    CreateWindowExW(args.exStyle, args.className, ToWide(args.caption).c_str(), args.style, args.left, args.top,
                    r.right - r.left, r.bottom - r.top, args.owner, nullptr, instance, this);
}

int TForm::AddHook(THook hook) {
    hooks_.emplace_back(nextHookId_, std::move(hook));
    return nextHookId_++;
}

void TForm::RemoveHook(int id) {
    std::erase_if(hooks_, [id](const auto& entry) { return entry.first == id; });
}

void TForm::RunSteps(std::initializer_list<std::function<void()>> steps) {
    for (const auto& step : steps) RunGuarded(step);
}

LRESULT TForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // A copy: a hook may remove itself or others while it runs.
    const auto hooks = hooks_;
    for (const auto& [id, hook] : hooks) {
        LRESULT result = 0;
        if (hook(message, wParam, lParam, result)) return result;
    }
    if (message == WM_CREATE) RunGuarded([this] { FormCreate(); });
    if (message == WM_DESTROY) RunGuarded([this] { FormDestroy(); });
    return OnMessage(message, wParam, lParam);
}

LRESULT TForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        DestroyWindowAtOnce(handle_);
        return 0;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->handle_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = form->Dispatch(message, wParam, lParam);
    } catch (const std::exception& e) {
        Application.ShowException(e);  // the program goes on after the report
    } catch (...) {
        Application.ReportError("unknown error");
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->handle_ = nullptr;
        // Whatever the handlers did, the window is gone now: the main form's end ends the run.
        Application.FormGone(hwnd);
    }
    return result;
}
