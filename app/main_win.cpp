// Program entry: one copy per machine; a second start brings the first copy forward.
#include <windows.h>

#include "app/FmTODOmain.h"
#include "framework/Application.h"
#include "support/Collator_win.h"
#include "support/kvneGlobal.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (GlobalEnv.IsAlreadyRunning()) {
        if (HWND first = FindWindowW(kMainWindowClass, nullptr)) {
            if (IsIconic(first)) ShowWindow(first, SW_RESTORE);
            SetForegroundWindow(first);
        }
        return 0;
    }
    static const TUserLocaleCollator collator;  // texts sort as the user's locale orders them
    TTodoData::SetCollator(&collator);
    Application.Initialize();
    Application.SetTitle("Memorail");
    TFmTODOmain mainForm;
    mainForm.Create();
    if (!mainForm.Handle()) return 1;
    ShowWindow(mainForm.Handle(), SW_SHOW);
    UpdateWindow(mainForm.Handle());
    return Application.Run();
}
