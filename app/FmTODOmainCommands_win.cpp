// The main window's commands: the mouse on the list, the caption buttons and the link.
#include "app/FmTODOmain.h"

#include <windowsx.h>

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
            if (!kvneGctButton1.MouseDown(x, y)) kvneGctButton2.MouseDown(x, y);
            break;
        case WM_LBUTTONDOWN:
            LinkLabel1.MouseDown(x, y);
            if (kvneGctButton1.MouseDown(x, y) || kvneGctButton2.MouseDown(x, y) || LinkLabel1.Contains(x, y)) break;
            if (LayoutPending) break;  // the list has not been shown since it changed
            if (x >= ListRect.left && x < ListRect.right && y < ListRect.bottom) {
                // Until the item commands arrive, a left click only selects.
                SelectedItem = ItemAtRow(y, ListRect.top, RowHeight, FirstShownLine(), LineItems);
                PaintList();
            }
            break;
        case WM_LBUTTONUP:
            if (kvneGctButton1.MouseUp(x, y) || kvneGctButton2.MouseUp(x, y)) break;
            if (LinkLabel1.MouseUp(x, y)) LinkLabel1.Click();
            break;
    }
}

void TFmTODOmain::FoldClick() {
    RECT r;
    GetWindowRect(Handle(), &r);
    const int height = r.bottom - r.top == FoldedHeight ? NormalHeight : FoldedHeight;
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
