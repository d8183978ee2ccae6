// Child controls made from argument structs at the design's pixels; their notifications come
// back to their own handlers, so the parent's window procedure does not grow a case for each.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

enum TAnchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

struct TControlArgs {
    const wchar_t* className = L"STATIC";  // WC_BUTTON, WC_STATIC, ... or a common control's class
    int id = 0;
    DWORD style = 0;  // WS_CHILD | WS_VISIBLE are always added
    DWORD exStyle = 0;
    int left = 0, top = 0, width = 0, height = 0;  // client pixels at 96 dpi
    std::string text;                              // Shift-JIS
    HFONT font = nullptr;                          // the parent keeps it alive
    int anchors = akLeft | akTop;
};

class TControl {
public:
    TControl(HWND parent, const TControlArgs& args);
    ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    HWND Handle() const { return handle_; }
    int Id() const { return id_; }
    void SetText(const std::string& text);
    std::string Text() const;
    void SetBounds(int left, int top, int width, int height);
    RECT Bounds() const;  // in the parent's client coordinates
    void SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE); }
    // Its own flag: a control of a window not shown yet still counts as visible.
    bool Visible() const { return (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_VISIBLE) != 0; }
    // Keeps the anchored distances when the parent's client area changes size.
    void ParentResized(int clientWidth, int clientHeight);
    // Place, size and anchored distances from one dpi to another, the parent's size unchanged.
    void Rescale(int fromDpi, int toDpi);

    std::function<void()> OnClick;            // BN_CLICKED
    std::function<void(int code)> OnCommand;  // every WM_COMMAND code
    std::function<LRESULT(NMHDR* header)> OnNotify;
    std::function<void(int code, int position)> OnScroll;

private:
    HWND handle_ = nullptr;
    int id_ = 0;
    int anchors_ = akLeft | akTop;
    int rightGap_ = 0, bottomGap_ = 0;  // distances to the parent's right and bottom edges
};

// Once per process, before the first common control.
void InitCommonControlsOnce();

// An up-down control beside its buddy edit, as UDS_ALIGNRIGHT puts it at 96 dpi, at the dpi's
// scale: the systems keep the up-down 16 pixels wide at every dpi. editPlace is the edit's
// design place before the up-down took its part of it.
void PlaceUpDown(HWND upDown, HWND edit, const RECT& editPlace, int dpi);

// Switches a control on or off; one switched off with the focus on it hands the focus to
// heir, or the window would be left with none.
void EnableControl(HWND control, bool enabled, HWND heir);

// The dialogs' font, ＭＳ Ｐゴシック (or the face given) 12 pixels at 96 dpi with the Shift-JIS
// character set; the caller owns it.
HFONT CreateDialogFont(int weight = FW_NORMAL, const wchar_t* face = nullptr, int dpi = 96);
