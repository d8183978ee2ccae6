// The main window's commands: the mouse on the list, the keys and the wheel, the caption
// buttons and the link.
#include "app/FmTODOmain.h"

#include <windowsx.h>

#include "framework/Application.h"
#include "support/kvneGlobal.h"

void TFmTODOmain::OnMouse(UINT message, int x, int y) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (!trackingMouse_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
                trackingMouse_ = TrackMouseEvent(&track) != FALSE;
            }
            kvneGctButton1.MouseMove(x, y);
            kvneGctButton2.MouseMove(x, y);
            if (LinkLabel1.MouseMove(x, y)) {
                const RECT r = LinkLabel1.Bounds();
                InvalidateRect(Handle(), &r, FALSE);
            }
            break;
        case WM_LBUTTONDBLCLK:
            // The class takes double clicks for the list; on a button the second press is a press.
            if (kvneGctButton1.MouseDown(x, y) || kvneGctButton2.MouseDown(x, y) || LinkLabel1.Contains(x, y)) break;
            EditItemDialog(Selection());  // with nothing selected, a new item
            break;
        case WM_LBUTTONDOWN:
            LinkLabel1.MouseDown(x, y);
            if (kvneGctButton1.MouseDown(x, y) || kvneGctButton2.MouseDown(x, y) || LinkLabel1.Contains(x, y)) break;
            FormMouseDown(x, y, false);
            break;
        case WM_RBUTTONDOWN: FormMouseDown(x, y, true); break;
        case WM_LBUTTONUP:
            if (kvneGctButton1.MouseUp(x, y) || kvneGctButton2.MouseUp(x, y)) break;
            if (LinkLabel1.MouseUp(x, y)) LinkLabel1.Click();
            break;
    }
}

void TFmTODOmain::FormMouseDown(int x, int y, bool rightButton) {
    if (LayoutPending) return;  // the list has not been shown since it changed
    SelectedItem = ItemAt(x, y);  // a press beside the items clears the selection
    PaintList();
    if (rightButton) {
        POINT p{x, y};
        ClientToScreen(Handle(), &p);
        OpenMenu(p.x, p.y);
    }
}

int TFmTODOmain::ItemAt(int x, int y) const {
    return ItemAtPoint(x, y, ListRect.left, ListRect.top, ListRect.right, ListRect.bottom, RowHeight, FirstShownLine(),
                       LineItems);
}

void TFmTODOmain::SelectNext() {
    const TSelectionStep step = StepDown(Selection(), Items.Count(), FirstShownLine(), VisibleRows, LineItems);
    if (step.topLine >= 0) SetTopLine(step.topLine);
    SelectedItem = step.selected;
    PaintList();
}

void TFmTODOmain::SelectPrevious() {
    const TSelectionStep step = StepUp(Selection(), FirstShownLine(), LineItems);
    if (step.topLine >= 0) SetTopLine(step.topLine);
    SelectedItem = step.selected;
    PaintList();
}

void TFmTODOmain::FormKeyDown(WPARAM& key) {
    // Each key is tested in turn; a handler may change the key for the tests after it.
    if (key == VK_APPS) {
        RECT r;
        GetWindowRect(Handle(), &r);
        OpenMenu(r.left + 16, r.top + 16);
    }
    if (key == VK_DOWN) SelectNext();
    if (key == VK_UP) SelectPrevious();
    if (key == VK_RETURN) EditItemDialog(Selection());
    if (key == VK_DELETE) DeleteWithConfirmation();
    if (key == VK_F1) GlobalEnv.OpenHelp();
    const bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    if (control && ((key == 'Z' && !shift) || key == 'Y')) (key == 'Z' ? UndoClick() : RedoClick());
    if (control && shift && key == 'Z') RedoClick();
}

LRESULT CALLBACK TFmTODOmain::ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR form) {
    // The bar moves only by the mouse and through SetTopLine; its keys go to the window.
    auto* owner = reinterpret_cast<TFmTODOmain*>(form);
    if (message == WM_KEYDOWN) {
        RunGuarded([owner, &wParam] { owner->FormKeyDown(wParam); });
        return 0;
    }
    if (message == WM_MOUSEWHEEL) return SendMessageW(owner->Handle(), message, wParam, lParam);
    if (message == WM_GETDLGCODE) return DLGC_WANTARROWS;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void TFmTODOmain::FoldClick() {
    RECT r;
    GetWindowRect(Handle(), &r);
    const int height = r.bottom - r.top == FoldedHeight ? NormalHeight : FoldedHeight;
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
