// The main window's commands: the mouse on the list, the keys and the wheel, the caption
// buttons and the link.
#include "app/FmTODOmain.h"

#include <windowsx.h>

#include "framework/Application.h"
#include "support/kvneGlobal.h"
#include "window/WindowPlacement.h"

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
            EditItemDialog(ShownSelection());  // with nothing selected, a new item
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
    List.ShowFocus(false);
    List.Select(List.ItemAt(x, y));  // a press beside the items clears the selection
    PaintList();
    if (rightButton) {
        POINT p{x, y};
        ClientToScreen(Handle(), &p);
        OpenMenu(p.x, p.y);
    }
}

void TFmTODOmain::FormKeyDown(WPARAM& key) {
    const bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    // Folded, the list is out of sight: no key moves through it or acts on the item selected there.
    const bool listShown = !folded_;
    if (control) {
        switch (key) {
            case 'C': if (listShown) P1todoCopyClick(); break;
            case 'V': P1todoInsertClick(); break;
            case 'X': if (listShown) P1todoCutClick(); break;
            case 'N': AddItemDialog(); break;
            case 'Z': shift ? RedoClick() : UndoClick(); break;
            case 'Y': RedoClick(); break;
        }
        return;
    }
    // Moves through the list show where the keyboard is.
    const auto move = [this](void (TListView::*step)()) {
        List.ShowFocus(true);
        (List.*step)();
        PaintList();
    };
    if (!listShown && key != VK_APPS && key != VK_F1) return;
    switch (key) {
        case VK_APPS: {
            RECT r;
            GetWindowRect(Handle(), &r);
            OpenMenu(r.left + 16, r.top + 16);
            break;
        }
        case VK_DOWN: move(&TListView::SelectNext); break;
        case VK_UP: move(&TListView::SelectPrevious); break;
        case VK_HOME: move(&TListView::SelectFirst); break;
        case VK_END: move(&TListView::SelectLast); break;
        case VK_NEXT: move(&TListView::PageDown); break;
        case VK_PRIOR: move(&TListView::PageUp); break;
        case VK_RETURN:
        case VK_F2: EditItemDialog(Selection()); break;
        case VK_DELETE: DeleteWithConfirmation(); break;
        case VK_F1: GlobalEnv.OpenHelp(); break;
    }
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
    const int width = r.right - r.left;
    // The unfolded height may come from a hand-edited file: bounded as a stored size is, and
    // none (the folded height or less, which would leave the button doing nothing) unfolds to
    // the design height.
    const int unfolded = RestoredSize({width, NormalHeight}, {width, Scale(kDesignClientHeight)}, {0, FoldedHeight + 1},
                                      {width, GetSystemMetrics(SM_CYVIRTUALSCREEN)})
                             .height;
    const int height = r.bottom - r.top == FoldedHeight ? unfolded : FoldedHeight;
    int top = r.top;
    if (height != FoldedHeight) {
        // Folded at the bottom of the screen, the window unfolds upward as far as it must: grown
        // downward, its list would lie below the work area.
        MONITORINFO monitor{sizeof monitor, {}, {}, 0};
        GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& w = monitor.rcWork;
        top = FitToWorkArea({r.left, r.top, r.right, r.top + height}, {w.left, w.top, w.right, w.bottom}).Top;
    }
    SetWindowPos(Handle(), nullptr, r.left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
