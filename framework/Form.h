// Base class of every window: routes the window procedure to a virtual OnMessage.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dpi_win.h"
#include "framework/Handles.h"
#include "support/Wine_win.h"

// "<what>: <class> (<last error>)", for a window class or window that could not be made.
std::string WindowFailure(const char* what, const wchar_t* className);
// Destroys a top-level window and marks it as closing (kClosingProperty), so a window that is
// merely hidden can be told from one that is going. Under Wine it skips the hide DestroyWindow
// starts with, which there first waits for the window manager to confirm the window is mapped,
// the full 2 s when none runs; on Windows the window is hidden and destroyed as usual.
void DestroyWindowAtOnce(HWND hwnd, bool skipHide = RunningUnderWine());
// Centres a top-level window over another visible window, or over the screen without one, kept
// on that monitor's work area.
// With insertAfter (HWND_TOPMOST, say) the window also takes that place in the z-order.
void CentreWindow(HWND window, HWND over = nullptr, HWND insertAfter = nullptr);
constexpr wchar_t kClosingProperty[] = L"Memorail.Closing";

// While one lives, windows made lay out at its dpi whatever their monitor's: a test sees one
// window at two scales on one screen.
class TDpiOverride {
public:
    explicit TDpiOverride(int dpi);
    ~TDpiOverride();
    TDpiOverride(const TDpiOverride&) = delete;
    TDpiOverride& operator=(const TDpiOverride&) = delete;
};

class TForm {
public:
    TForm() = default;
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return handle_; }

    // The dpi the window lays out at, and a design length (96 dpi) at it.
    int Dpi() const { return dpi_; }
    int Scale(int value) const { return MulDiv(value, dpi_, kDesignDpi); }
    RECT Scale(const RECT& r) const { return {Scale(r.left), Scale(r.top), Scale(r.right), Scale(r.bottom)}; }
    // The dialogs' font at the window's dpi, made on first use; the form owns it and, when the
    // dpi changes, gives its successor to every control that had it.
    HFONT DialogFont(int weight = FW_NORMAL, const wchar_t* face = nullptr) const;

    // A hook sees every message of the window before OnMessage, in the order the hooks were
    // added. Answering true stops the message there, with result as its answer.
    using THook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    int AddHook(THook hook);
    void RemoveHook(int id);

    // Shows the window modally: its owner (or the main form) is disabled, a loop of its own
    // runs with dialog keys (Tab, Enter, Esc) until Close, and the result is ModalResult:
    // every modal window answers through it (mrNone when closed without an answer).
    // The window stays until the caller releases it; the owner is enabled and active again.
    int ShowModal();
    // Ends a modal run, or closes a modeless window.
    void Close();
    enum : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL };
    int ModalResult = mrNone;
    // The button Esc presses (the dialog manager's cancel command), when enabled and shown.
    TControl* CancelButton = nullptr;

    // A child control of this window at args' design place, scaled to the window's dpi; its
    // notifications go to its own handlers.
    TControl& AddControl(const TControlArgs& args);

protected:
    struct CreateArgs {
        const wchar_t* className = nullptr;
        std::string caption;  // Shift-JIS
        DWORD style = WS_POPUP;
        DWORD exStyle = 0;
        int left = CW_USEDEFAULT;
        int top = CW_USEDEFAULT;
        int clientWidth = 0;  // at 96 dpi: scaled to the window's dpi
        int clientHeight = 0;
        HWND owner = nullptr;
        HICON icon = nullptr;
        UINT classStyle = CS_DBLCLKS;
        HBRUSH background = nullptr;  // the class's background; none for windows that paint it all
    };

    // A dialog: caption with a close box, fixed frame, on top, Tab between controls, no double
    // clicks, the button face behind.
    static CreateArgs DialogArgs(const wchar_t* className, const std::string& caption, int clientWidth,
                                 int clientHeight, HWND owner);
    // Registers the class on first use and creates the window.
    void CreateHandle(const CreateArgs& args);
    // WM_CLOSE destroys the window as DefWindowProc would, through DestroyWindowAtOnce.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // A key of the modal loop, before the dialog keys; true when the form used it.
    virtual bool DialogKey(const MSG&) { return false; }
    // Run by the base at WM_CREATE and WM_DESTROY, after the hooks and before OnMessage.
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    // After the window moved to a monitor of another dpi: the controls and the dialog fonts are
    // scaled already, the window still has its old size (WM_SIZE follows); the form redoes what
    // it measured or drew itself.
    // suggested is where the window goes next; a form may change it.
    virtual void DpiChanged(int /*oldDpi*/, RECT& /*suggested*/) {}
    // WM_DPICHANGED's work: the window at the suggested rectangle, its controls and fonts at dpi.
    void ApplyDpi(int dpi, RECT suggested);
    // Runs each step whatever the steps before it did; a failing step is reported.
    static void RunSteps(std::initializer_list<std::function<void()>> steps);
    // Destroys the window while the derived form still exists, so that it sees WM_DESTROY;
    // every concrete form calls it from its destructor.
    void DestroyHandle();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool PressFocusedButton(const MSG& msg);
    bool PressCancelButton(WPARAM wParam, LPARAM lParam);
    // WM_ACTIVATE of a top-level window of controls: the focus kept and given back; false to
    // leave the message to the system.
    bool KeepFocusInControls(WPARAM wParam);

    void RescaleFonts();
    // A child form takes its parent form's new dpi: its place, its controls, its fonts.
    void FollowParentDpi();
    void TellChildForms();
    static int ParentFormDpi(HWND parent);
    static bool IsForm(HWND window);

    HWND handle_ = nullptr;
    int dpi_ = kDesignDpi;
    struct TDialogFont {
        int weight;
        const wchar_t* face;
        TFontHandle font;
    };
    mutable std::vector<TDialogFont> fonts_;
    std::vector<std::pair<int, THook>> hooks_;
    int nextHookId_ = 1;
    std::vector<std::unique_ptr<TControl>> controls_;
    bool modal_ = false, modalDone_ = false;
    HWND lastFocus_ = nullptr;  // the control that had the focus as the window went inactive
};
