// The main window's services: the window-behaviour component and, with it, dragging.
#include "app/FmTODOmain.h"

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
    FormFunc.OnCanDragMove = [this](int x, int y, bool& dragMove) { FormFuncCanDragMove(x, y, dragMove); };
}

void TFmTODOmain::FormFuncCanDragMove(int mouseX, int mouseY, bool& dragMove) {
    // A press on a caption button or the link is a click, not the start of a move.
    if (kvneGctButton1.Contains(mouseX, mouseY) || kvneGctButton2.Contains(mouseX, mouseY) ||
        LinkLabel1.Contains(mouseX, mouseY))
        dragMove = false;
}
