// Program entry: one copy per machine; a second start brings the first copy forward.
#include <windows.h>

#include "app/FmTODOmain.h"
#include "background/BGprofile.h"
#include "framework/Application.h"
#include "framework/Handles.h"
#include "support/Collator_win.h"
#include "support/Encoding_win.h"
#include "support/kvneGlobal.h"

namespace {

// How long a start that finds the lock but no main window waits for one or the other to change.
constexpr DWORD kLockWaitMs = 5000;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A copy that is closing keeps the lock a moment after its window has gone, and one that is
    // starting has it before its window shows: wait a little for the lock to be free or the window.
    const DWORD waitStart = GetTickCount();
    while (GlobalEnv.IsAlreadyRunning()) {
        HWND first = FindWindowW(kMainWindowClass, nullptr);
        if (first && !GetPropW(first, kClosingProperty)) {
            TFmTODOmain::BringForward(first);
            return 0;
        }
        if (GetTickCount() - waitStart > kLockWaitMs) {
            if (first) TFmTODOmain::BringForward(first);
            return 0;
        }
        Sleep(50);
    }
    static const TUserLocaleCollator collator;  // texts sort as the user's locale orders them
    TTodoData::SetCollator(&collator);
    const TComScope com;  // screen readers get the windows' objects through COM
    try {
        Application.Initialize();
        Application.SetTitle("Memorail");
        TFmTODOmain mainForm;
        mainForm.Create();
        ShowWindow(mainForm.Handle(), SW_SHOW);
        UpdateWindow(mainForm.Handle());
        const int code = Application.Run();
        // Everything is saved by now. A rendering that would not stop may still use the heap and
        // the libraries: the process ends here rather than destroying them under it.
        if (BGprofile.RenderLeftRunning()) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
        return code;
    } catch (const std::exception& e) {
        // Nothing can run without its windows: say why before ending.
        MessageBoxW(nullptr, ToWide(e.what()).c_str(), L"Memorail", MB_OK | MB_ICONERROR);
        return 1;
    }
}
