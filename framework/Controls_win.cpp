#include "framework/Controls.h"

#include <vector>

#include "support/Encoding_win.h"

void InitCommonControlsOnce() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

TControl::TControl(HWND parent, const TControlArgs& args) : id_(args.id), anchors_(args.anchors) {
    InitCommonControlsOnce();
    handle_ =
        CreateWindowExW(args.exStyle, args.className, ToWide(args.text).c_str(), WS_CHILD | WS_VISIBLE | args.style,
                        args.left, args.top, args.width, args.height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), GetModuleHandleW(nullptr), nullptr);
    if (args.font) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(args.font), FALSE);
    RECT client{};
    GetClientRect(parent, &client);
    rightGap_ = client.right - (args.left + args.width);
    bottomGap_ = client.bottom - (args.top + args.height);
}

TControl::~TControl() {
    if (IsWindow(handle_)) DestroyWindow(handle_);
}

void TControl::SetText(const std::string& text) { SetWindowTextW(handle_, ToWide(text).c_str()); }

std::string TControl::Text() const {
    std::vector<wchar_t> buffer(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
    GetWindowTextW(handle_, buffer.data(), static_cast<int>(buffer.size()));
    return FromWide(buffer.data());
}

void TControl::SetBounds(int left, int top, int width, int height) {
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TControl::Bounds() const {
    RECT r{};
    GetWindowRect(handle_, &r);
    MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void TControl::ParentResized(int clientWidth, int clientHeight) {
    if (!(anchors_ & (akRight | akBottom))) return;
    RECT r = Bounds();
    int left = r.left, top = r.top, width = r.right - r.left, height = r.bottom - r.top;
    if (anchors_ & akRight) {
        if (anchors_ & akLeft)
            width = clientWidth - rightGap_ - left;  // both: it grows
        else
            left = clientWidth - rightGap_ - width;  // right only: it moves
    }
    if (anchors_ & akBottom) {
        if (anchors_ & akTop)
            height = clientHeight - bottomGap_ - top;
        else
            top = clientHeight - bottomGap_ - height;
    }
    SetBounds(left, top, width < 0 ? 0 : width, height < 0 ? 0 : height);
}

void TControl::Rescale(int fromDpi, int toDpi) {
    // Edges rather than sizes, so neighbours that touched still touch.
    auto scale = [fromDpi, toDpi](int value) { return MulDiv(value, toDpi, fromDpi); };
    const RECT r = Bounds();
    const int left = scale(r.left), top = scale(r.top);
    SetBounds(left, top, scale(r.right) - left, scale(r.bottom) - top);
    rightGap_ = scale(rightGap_);
    bottomGap_ = scale(bottomGap_);
}

void EnableControl(HWND control, bool enabled, HWND heir) {
    if (!enabled && GetFocus() == control) SetFocus(heir);
    EnableWindow(control, enabled);
}

void PlaceUpDown(HWND upDown, HWND edit, const RECT& editPlace, int dpi) {
    auto s = [dpi](int value) { return MulDiv(value, dpi, 96); };
    const int top = s(editPlace.top), height = s(editPlace.bottom) - top;
    const int upDownLeft = s(editPlace.right - 18);
    SetWindowPos(edit, nullptr, s(editPlace.left), top, s(editPlace.right - 16) - s(editPlace.left), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(upDown, nullptr, upDownLeft, top, s(editPlace.right - 2) - upDownLeft, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT CreateDialogFont(int weight, const wchar_t* face, int dpi) {
    return CreateFontW(-MulDiv(12, dpi, 96), 0, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       face ? face : L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF");  // ＭＳ Ｐゴシック
}

