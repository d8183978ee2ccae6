// The main window's services: the window-behaviour component and the tray icon.
#include "app/FmTODOmain.h"

#include "framework/Application.h"

void TFmTODOmain::SetUpFormFunc() {
    FormFunc.Attach(*this);
    FormFunc.Preserve = true;
    FormFunc.KeepSize = true;
    FormFunc.KeepLocation = true;
    FormFunc.SetDragDrop(true);
    FormFunc.DropNamesEnabled = true;
    FormFunc.WindowDrag = true;
    FormFunc.WindowResize = true;
    FormFunc.OnWindowReset = [this] { FormFuncWindowReset(); };
    FormFunc.OnDropFinish = [this](const std::vector<std::string>& names) { FormFuncDropFinish(names); };
    FormFunc.OnCanDragMove = [this](int x, int y, bool& dragMove) { FormFuncCanDragMove(x, y, dragMove); };
}

void TFmTODOmain::FormFuncCanDragMove(int mouseX, int mouseY, bool& dragMove) {
    // A press on the caption buttons (strictly inside the box both span) or on the link is a
    // click, not the start of a move.
    const TRect& fold = kvneGctButton1.BtnDraw.Bounds();
    const TRect& close = kvneGctButton2.BtnDraw.Bounds();
    if ((fold.Left < mouseX && mouseX < close.Right && fold.Top < mouseY && mouseY < close.Bottom) ||
        LinkLabel1.Contains(mouseX, mouseY))
        dragMove = false;
}

void TFmTODOmain::SetUpTaskBarIcon() {
    TaskBarIcon1.SetOwner(Handle());
    TaskBarIcon1.SetText("MEMORAIL");
    TaskBarIcon1.OnMouseDown = [this](TTrayButton button, int shift, int x, int y) {
        if (shift != tsDouble) TaskBarIcon1MouseDown(button, x, y);  // a double click toggles once
    };
    TaskBarIcon1.OnBalloonClick = [this] { ComeForward(); };
}

void TFmTODOmain::TaskBarIcon1MouseDown(TTrayButton button, int x, int y) {
    // A left click hides a shown window and brings a hidden or minimised one back to the
    // front; the right button opens the menu at the pointer.
    if (button == tbRight) return OpenMenu(x, y);
    if (button != tbLeft) return;
    if (IsWindowVisible(Handle()) && !IsIconic(Handle()) && !IsIconic(Application.Handle()))
        ShowWindow(Handle(), SW_HIDE);
    else
        ComeForward();
}

void TFmTODOmain::BringForward(HWND first) {
    // Posted: a window shown from here would hold this start until a busy first copy answers.
    DWORD process = 0;
    GetWindowThreadProcessId(first, &process);
    AllowSetForegroundWindow(process);  // the foreground the user gave this start goes on
    PostMessageW(first, WM_COMEFORWARD, 0, 0);
}

void TFmTODOmain::ComeForward() {
    // An open dialog comes forward, not its disabled owner.
    if (Application.ActivateModal()) return;
    if (IsIconic(Application.Handle())) ShowWindow(Application.Handle(), SW_RESTORE);
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    if (!IsWindowVisible(Handle())) ShowWindow(Handle(), SW_SHOW);  // hidden in the tray: shown again
    // The screen may have changed while it was hidden, unheard of by a hidden window.
    EnsureOnScreen(Handle());
    SetForegroundWindow(Handle());
}
