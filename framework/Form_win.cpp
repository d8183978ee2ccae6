#include "framework/Form.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "framework/Accessible_win.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/Errors.h"

void DestroyWindowAtOnce(HWND hwnd, bool skipHide) {
    SetPropW(hwnd, kClosingProperty, reinterpret_cast<HANDLE>(1));
    if (skipHide) {
        // The empty region takes the window off the screen, and the windows under it are redrawn;
        // without WS_VISIBLE, DestroyWindow has nothing left to hide.
        SetWindowRgn(hwnd, CreateRectRgn(0, 0, 0, 0), TRUE);
        SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~WS_VISIBLE);
    }
    DestroyWindow(hwnd);
}

namespace {
int gDpiOverride = 0;

int DpiOfNewForm(HWND hwnd) {
    if (gDpiOverride) return gDpiOverride;
    return DpiOfWindow(hwnd);
}
}  // namespace

TDpiOverride::TDpiOverride(int dpi) { gDpiOverride = SaneDpi(dpi); }
TDpiOverride::~TDpiOverride() { gDpiOverride = 0; }

TForm::~TForm() {
    controls_.clear();
    if (handle_) {
        Application.FormGone(handle_);
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

void TForm::DestroyHandle() {
    if (handle_) DestroyWindowAtOnce(handle_);
}

TControl& TForm::AddControl(const TControlArgs& args) {
    TControlArgs scaled = args;
    scaled.left = Scale(args.left);
    scaled.top = Scale(args.top);
    scaled.width = Scale(args.left + args.width) - scaled.left;
    scaled.height = Scale(args.top + args.height) - scaled.top;
    controls_.push_back(std::make_unique<TControl>(handle_, scaled));
    return *controls_.back();
}

bool TForm::ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND from = nullptr;
    if (message == WM_COMMAND || message == WM_HSCROLL || message == WM_VSCROLL) from = reinterpret_cast<HWND>(lParam);
    if (message == WM_NOTIFY) from = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    if (!from) return false;
    for (const auto& control : controls_) {
        if (control->Handle() != from) continue;
        result = 0;
        if (message == WM_COMMAND) {
            const int code = HIWORD(wParam);
            if (control->OnCommand) control->OnCommand(code);
            if (code == BN_CLICKED && control->OnClick) control->OnClick();
        } else if (message == WM_NOTIFY) {
            if (control->OnNotify) result = control->OnNotify(reinterpret_cast<NMHDR*>(lParam));
        } else if (control->OnScroll) {
            control->OnScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        }
        return true;
    }
    return false;
}

bool TForm::PressFocusedButton(const MSG& msg) {
    // Enter presses the focused push button; the system's dialog keys would send IDOK instead.
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
    HWND focus = GetFocus();
    if (!focus || !IsChild(handle_, focus)) return false;
    if (!(SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return false;
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

int TForm::ShowModal() {
    HWND owner = GetWindow(handle_, GW_OWNER);
    if (!owner) owner = Application.MainForm();
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ModalResult = mrNone;
    modal_ = true;
    modalDone_ = false;
    {
        const TModalScope modal(handle_);
        NameControlsByLabels(handle_);
        ShowWindow(handle_, SW_SHOW);
        MSG msg{};
        while (!modalDone_ && IsWindow(handle_)) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // the program ends: so does the question
                break;
            }
            if (!DialogKey(msg) && !PressFocusedButton(msg) && !IsDialogMessageW(handle_, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    modal_ = false;
    // The owner first, so that the focus goes back to it and not to another program.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (owner && IsWindow(handle_) && GetActiveWindow() == handle_) SetActiveWindow(owner);
    return ModalResult;  // the caller's release takes the window away
}

void TForm::Close() {
    if (modal_)
        modalDone_ = true;
    else if (handle_)
        PostMessageW(handle_, WM_CLOSE, 0, 0);
}

TForm::CreateArgs TForm::DialogArgs(const wchar_t* className, const std::string& caption, int clientWidth,
                                    int clientHeight, HWND owner) {
    CreateArgs args;
    args.className = className;
    args.caption = caption;
    args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    args.clientWidth = clientWidth;
    args.clientHeight = clientHeight;
    args.owner = owner;
    args.classStyle = 0;
    args.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    return args;
}

std::string WindowFailure(const char* what, const wchar_t* className) {
    const DWORD error = GetLastError();
    return std::string(what) + ": " + FromWide(className) + " (" + std::to_string(error) + ")";
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
        wc.hbrBackground = args.background;
        wc.lpszClassName = args.className;
        if (!RegisterClassExW(&wc)) throw EError(WindowFailure("ウィンドウ クラスを登録できません", args.className));
    }
    const bool child = (args.style & WS_CHILD) != 0;
    // The system draws the frame at the monitor's dpi, also while a test lays the inside out
    // at another.
    const int monitorDpi = child ? ParentFormDpi(args.owner) : DpiForNewWindow(args.owner, {args.left, args.top});
    auto outerSize = [&args, monitorDpi](int dpi) {
        RECT r{0, 0, MulDiv(args.clientWidth, dpi, kDesignDpi), MulDiv(args.clientHeight, dpi, kDesignDpi)};
        AdjustWindowRectForDpi(r, args.style, args.exStyle, gDpiOverride ? monitorDpi : dpi);
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    const int expected = gDpiOverride && !child ? gDpiOverride : monitorDpi;
    const SIZE size = outerSize(expected);
    // A child's place is a design place in its parent, like a control's.
    const int left = child ? MulDiv(args.left, expected, kDesignDpi) : args.left;
    const int top = child ? MulDiv(args.top, expected, kDesignDpi) : args.top;
    const HWND made = CreateWindowExW(args.exStyle, args.className, ToWide(args.caption).c_str(), args.style, left, top,
                                      size.cx, size.cy, args.owner, nullptr, instance, this);
    if (!made) throw EError(WindowFailure("ウィンドウを作成できません", args.className));
    // The monitor it landed on decides; the controls made in WM_CREATE had that dpi already.
    if (dpi_ != expected) {
        const SIZE right = outerSize(dpi_);
        SetWindowPos(made, nullptr, 0, 0, right.cx, right.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HFONT TForm::DialogFont(int weight, const wchar_t* face) const {
    for (const TDialogFont& f : fonts_)
        if (f.weight == weight && f.face == face) return f.font.Get();
    fonts_.push_back({weight, face, TFontHandle(CreateDialogFont(weight, face, dpi_))});
    return fonts_.back().font.Get();
}

void TForm::RescaleFonts() {
    std::vector<TFontHandle> old;
    std::vector<std::pair<HFONT, HFONT>> swaps;
    for (TDialogFont& f : fonts_) {
        TFontHandle next(CreateDialogFont(f.weight, f.face, dpi_));
        swaps.emplace_back(f.font.Get(), next.Get());
        old.push_back(std::exchange(f.font, std::move(next)));
    }
    // Every descendant, those of child forms included, before the old fonts go.
    EnumChildWindows(
        handle_,
        [](HWND child, LPARAM data) -> BOOL {
            const auto had = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
            for (const auto& [from, to] : *reinterpret_cast<std::vector<std::pair<HFONT, HFONT>>*>(data))
                if (had == from) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(to), TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&swaps));
}

bool TForm::IsForm(HWND window) {
    // The class's procedure: a window's own may have been subclassed (for its accessible name).
    return GetClassLongPtrW(window, GCLP_WNDPROC) == reinterpret_cast<ULONG_PTR>(WindowProc);
}

int TForm::ParentFormDpi(HWND parent) {
    // A form's own dpi leads: a test may have changed it without a monitor to match.
    const auto* form = parent && IsForm(parent)
                           ? reinterpret_cast<const TForm*>(GetWindowLongPtrW(parent, GWLP_USERDATA))
                           : nullptr;
    return form ? form->dpi_ : DpiOfWindow(parent);
}

void TForm::TellChildForms() {
    for (HWND child = GetWindow(handle_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsForm(child))
            SendMessageW(child, WM_DPICHANGED_AFTERPARENT, 0, 0);
}

void TForm::FollowParentDpi() {
    HWND parent = GetParent(handle_);
    const int dpi = ParentFormDpi(parent);
    if (dpi == dpi_) return;
    const int oldDpi = std::exchange(dpi_, dpi);
    RECT r{};
    GetWindowRect(handle_, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    auto scale = [oldDpi, dpi](int value) { return MulDiv(value, dpi, oldDpi); };
    SetWindowPos(handle_, nullptr, scale(r.left), scale(r.top), scale(r.right) - scale(r.left),
                 scale(r.bottom) - scale(r.top), SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& control : controls_) control->Rescale(oldDpi, dpi);
    RescaleFonts();
    TellChildForms();
    RECT place{};
    GetWindowRect(handle_, &place);
    RunGuarded([this, oldDpi, &place] { DpiChanged(oldDpi, place); });
}

void TForm::ApplyDpi(int dpi, RECT suggested) {
    dpi = SaneDpi(dpi);
    const int oldDpi = dpi_;
    if (dpi != oldDpi) {
        dpi_ = dpi;
        for (const auto& control : controls_) control->Rescale(oldDpi, dpi);
        RescaleFonts();
        TellChildForms();
        // Before the new size: controls anchored to the bottom are placed by their final heights.
        RunGuarded([this, oldDpi, &suggested] { DpiChanged(oldDpi, suggested); });
    }
    SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(handle_, nullptr, TRUE);
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

bool TForm::PressCancelButton(WPARAM wParam, LPARAM lParam) {
    // Esc: the dialog manager's cancel command names no control when none has the id IDCANCEL.
    if (LOWORD(wParam) != IDCANCEL || lParam != 0 || !CancelButton) return false;
    HWND button = CancelButton->Handle();
    if (IsWindowEnabled(button) && IsWindowVisible(button) && CancelButton->OnClick) CancelButton->OnClick();
    return true;
}

LRESULT TForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // A copy: a hook may remove itself or others while it runs.
    const auto hooks = hooks_;
    for (const auto& [id, hook] : hooks) {
        LRESULT result = 0;
        if (hook(message, wParam, lParam, result)) return result;
    }
    if (message == WM_COMMAND && PressCancelButton(wParam, lParam)) return 0;
    LRESULT reflected = 0;
    if (ReflectToControl(message, wParam, lParam, reflected)) return reflected;
    if (message == WM_SIZE && wParam != SIZE_MINIMIZED)
        for (const auto& control : controls_) control->ParentResized(LOWORD(lParam), HIWORD(lParam));
    if (message == WM_DPICHANGED) {
        ApplyDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    if (message == WM_DPICHANGED_AFTERPARENT) FollowParentDpi();
    if (message == WM_CREATE) RunGuarded([this] {
        FormCreate();
        NameControlsByLabels(handle_);  // the controls made so far; ShowModal names later ones
    });
    if (message == WM_DESTROY) RunGuarded([this] { FormDestroy(); });
    return OnMessage(message, wParam, lParam);
}

bool TForm::KeepFocusInControls(WPARAM wParam) {
    // Only windows of controls; the system would put the focus on the window itself.
    if ((GetWindowLongPtrW(handle_, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) == 0 ||
        (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD) != 0)
        return false;
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        lastFocus_ = focus && IsChild(handle_, focus) ? focus : nullptr;
        return true;
    }
    if (HIWORD(wParam)) return false;  // minimised
    HWND focus =
        lastFocus_ && IsChild(handle_, lastFocus_) && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)
            ? lastFocus_
            : GetNextDlgTabItem(handle_, nullptr, FALSE);
    if (!focus || !IsChild(handle_, focus)) return false;
    SetFocus(focus);
    return true;
}

LRESULT TForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A window of controls gives the focus back to the control that had it, or to its first:
    // after a question or a dialog over it, the keys and a screen reader found no control.
    if (message == WM_ACTIVATE && KeepFocusInControls(wParam)) return 0;
    if (message == WM_CLOSE) {
        if (modal_)
            modalDone_ = true;  // the close box ends the question; the caller destroys the window
        else
            DestroyWindowAtOnce(handle_);
        return 0;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->handle_ = hwnd;
        form->dpi_ = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) ? ParentFormDpi(GetParent(hwnd)) : DpiOfNewForm(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        Application.FormCreated(hwnd);
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

void CentreWindow(HWND window, HWND over, HWND insertAfter) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, box{};
    if (over && IsWindowVisible(over)) GetWindowRect(over, &area);
    GetWindowRect(window, &box);
    const int w = box.right - box.left, h = box.bottom - box.top;
    int left = (area.left + area.right - w) / 2, top = (area.top + area.bottom - h) / 2;
    // Kept on the work area of the monitor it is centred on, its top left first when it is larger.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        left = std::max(std::min(left, static_cast<int>(work.right) - w), static_cast<int>(work.left));
        top = std::max(std::min(top, static_cast<int>(work.bottom) - h), static_cast<int>(work.top));
    }
    SetWindowPos(window, insertAfter, left, top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | (insertAfter ? 0 : SWP_NOZORDER));
}
