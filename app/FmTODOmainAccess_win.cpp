// The main window for screen readers: the list's object and the events that follow the
// selection and the keyboard focus.
#include "app/FmTODOmain.h"

LRESULT TFmTODOmain::AnswerAccessibility(WPARAM wParam, LPARAM lParam, bool& answered) {
    answered = false;
    // Once the window is going, no reader gets a new object that would outlive it.
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !Handle() || accessibilityClosed_) return 0;
    if (!accessible_) {
        const auto buttonBounds = [](const TkvneGctButton& button) {
            const TRect& b = button.BtnDraw.Bounds();
            return RECT{b.Left, b.Top, b.Right, b.Bottom};
        };
        accessible_ = new TListAccessible(
            Handle(), List, Store,
            {{[this] { return std::string(folded_ ? "広げる" : "折りたたむ"); }, ROLE_SYSTEM_PUSHBUTTON,
              [this, buttonBounds] { return buttonBounds(kvneGctButton1); }, [this] { FoldClick(); }},
             {[] { return std::string("閉じる"); }, ROLE_SYSTEM_PUSHBUTTON,
              [this, buttonBounds] { return buttonBounds(kvneGctButton2); },
              [this] { PostMessageW(Handle(), WM_CLOSE, 0, 0); }},
             {[this] { return LinkLabel1.Caption(); }, ROLE_SYSTEM_LINK, [this] { return LinkLabel1.Bounds(); },
              [this] { LinkLabel1.Click(); }}},
            [this](int) { PostMessageW(Handle(), WM_EDITSELECTED, 0, 0); });
    }
    return AnswerGetObject(accessible_, wParam, lParam, answered);
}

void TFmTODOmain::NotifySelection() {
    // After the layout, so that a reader asking at once finds the item at its new place.
    // Another item at the same place is news as much as the same item at another place.
    const int selected = Selection();
    if (selected == notifiedSelection_ && List.SelectedId() == notifiedId_) return;
    notifiedSelection_ = selected;
    notifiedId_ = List.SelectedId();
    if (selected < 0) return;
    if (GetFocus() == Handle()) NotifyWinEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, selected + 1);
    NotifyWinEvent(EVENT_OBJECT_SELECTION, Handle(), OBJID_CLIENT, selected + 1);
}

void TFmTODOmain::DetachAccessibility() {
    accessibilityClosed_ = true;
    if (!accessible_) return;
    accessible_->Detach();  // a reader may hold it longer than the window lives
    accessible_->Release();
    accessible_ = nullptr;
}
