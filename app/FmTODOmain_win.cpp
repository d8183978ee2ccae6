#include "app/FmTODOmain.h"

#include "background/kvneColors.h"
#include "framework/Application.h"
#include "framework/Messages.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/kvneGlobal.h"

void TFmTODOmain::Create() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CreateArgs args;
    args.className = kMainWindowClass;
    args.caption = "TODO";
    args.style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    args.clientWidth = kDesignClientWidth;
    args.clientHeight = kDesignClientHeight;
    args.left = work.left + (work.right - work.left - kDesignClientWidth) / 2;
    args.top = work.top + (work.bottom - work.top - kDesignClientHeight) / 2;
    args.owner = Application.Handle();
    args.icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    CreateHandle(args);
    Application.SetMainForm(Handle());
}

void TFmTODOmain::FormCreate() {
    LoadData();
    SelectedItem = -1;
    ApplySettings();
}

void TFmTODOmain::LoadData() {
    const std::string dataPath = GlobalEnv.DataFolderPath();
    TodoFolder = dataPath + "todo\\";
    ForceFolder(TodoFolder);
    ForceFolder(dataPath + "picture\\");

    Items.ClearItems();
    // A file that exists but cannot be read must not be replaced by an empty list at exit.
    itemFileUnreadable_ = true;
    if (FileExists(TodoFolder + "todo.txt"))
        Items.LoadFromFile(TodoFolder + "todo.txt");
    else if (FileExists(dataPath + "todo.txt"))  // the item file's older place, read but never written
        Items.LoadFromFile(dataPath + "todo.txt");
    itemFileUnreadable_ = false;

    MainSettings.UseDefaultFileName(dataPath, GlobalEnv.ExeFileName());
    MainSettings.Load();
    NormalHeight = MainSettings.ReadInteger("FORM", "normalheight", 100);

    // Until a picture is chosen, the scheme is the data folder's own.
    ColorsList.SetFileName(dataPath + "colors.clr");
    ColorsList.Load();
}

void TFmTODOmain::FormShow() {}

void TFmTODOmain::FormDestroy() {
    try {
        if (!itemFileUnreadable_) Items.SaveToFile(TodoFolder + "todo.txt");
    } catch (const std::exception& e) {
        Application.ShowException(e);  // the settings are still saved below
    }
    MainSettings.WriteInteger("FORM", "normalheight", NormalHeight);
    MainSettings.Save();
}

LRESULT TFmTODOmain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: FormCreate(); return 0;
    case WM_SHOWWINDOW:
        if (wParam) FormShow();
        break;
    case WM_ACTIVATEAPP:
        active_ = wParam != FALSE;
        InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_WINDOWRESET: FormFuncWindowReset(); return 0;
    case WM_TIMER: return 0;  // the random picture change comes with the picture library
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_DESTROY:
        FormDestroy();
        TerminateApplication();
        return 0;
    }
    return TForm::OnMessage(message, wParam, lParam);
}
