#include "framework/ColorBox.h"

#include <iterator>

#include "framework/Handles.h"
#include "support/Encoding_win.h"

namespace {
constexpr int kRows = 8;
}  // namespace

TColorBox::~TColorBox() {
    if (form_ && hookId_) form_->RemoveHook(hookId_);
}

void TColorBox::Create(TForm& form, TControlArgs args) {
    form_ = &form;
    id_ = args.id;
    // First: the box asks for its item height while it is being made.
    hookId_ = form.AddHook([this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        return OnFormMessage(message, lParam, result);
    });
    args.className = WC_COMBOBOXW;
    args.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL;
    control_ = &form.AddControl(args);
    for (const TStandardColor& c : kStandardColors)
        SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(c.name).c_str()));
    designHeight_ = args.height;
    SetComboHeights(Handle(), form.Scale(args.height), kRows);
}

void TColorBox::FitToDpi() {
    if (!control_) return;
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, form_->Scale(16));
    SetComboHeights(Handle(), form_->Scale(designHeight_), kRows);
}

void TColorBox::SetColor(std::int32_t color) {
    int found = -1;
    for (int i = 0; i < static_cast<int>(std::size(kStandardColors)) && found < 0; ++i)
        if (kStandardColors[i].color == color) found = i;
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

std::int32_t TColorBox::Color() const {
    const int index = ItemIndex();
    return index < 0 || index >= static_cast<int>(std::size(kStandardColors)) ? kNoColor : kStandardColors[index].color;
}

int TColorBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

bool TColorBox::OnFormMessage(UINT message, LPARAM lParam, LRESULT& result) {
    if (message == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_COMBOBOX || static_cast<int>(item->CtlID) != id_) return false;
        item->itemHeight = static_cast<UINT>(form_->Scale(16));  // the closed field is fitted afterwards
        result = TRUE;
        return true;
    }
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_COMBOBOX || static_cast<int>(item->CtlID) != id_) return false;
        DrawItem(*item);
        result = TRUE;
        return true;
    }
    return false;
}

void TColorBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID < std::size(kStandardColors)) {
        const TStandardColor& c = kStandardColors[item.itemID];
        const int margin = form_->Scale(2), side = r.bottom - r.top - 2 * margin;
        const RECT square{r.left + margin, r.top + margin, r.left + margin + side, r.top + margin + side};
        TBrushHandle fill(CreateSolidBrush(static_cast<COLORREF>(c.color)));
        FillRect(dc, &square, fill.Get());
        FrameRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RECT text{square.right + form_->Scale(4), r.top, r.right, r.bottom};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::wstring name = ToWide(c.name);
        DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

void SetComboHeights(HWND combo, int closedHeight, int rows) {
    // Set, then corrected by what came out: Wine's field is 2 pixels above what it was set to,
    // and never lower than its font. On Windows the first correction comes out right and the
    // next measurement ends the loop: the same box on both without asking which one runs.
    int field = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    RECT r{};
    for (int pass = 0; pass < 2; ++pass) {
        GetWindowRect(combo, &r);
        if (r.bottom - r.top == closedHeight) break;
        field += closedHeight - (r.bottom - r.top);
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    GetWindowRect(combo, &r);
    // A height above the closed field's is the open list's: the box itself keeps its own.
    const int row = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    SetWindowPos(combo, nullptr, 0, 0, r.right - r.left, closedHeight + rows * row + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
