#include "app/FmTODOmain.h"

#include "framework/Application.h"
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
}

void TFmTODOmain::ApplySettings() {
    if (titleFont_) DeleteObject(titleFont_);
    const bool windowsXP = GlobalEnv.OSName() == "WindowsXP";
    titleTop_ = windowsXP ? -8 : -4;
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(24, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    titleFont_ = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                             windowsXP ? L"Alba" : L"Century Gothic");
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TFmTODOmain::FormShow() {}

void TFmTODOmain::FormDestroy() {
    try {
        if (!itemFileUnreadable_) Items.SaveToFile(TodoFolder + "todo.txt");
    } catch (const std::exception& e) {
        Application.ShowException(e);  // the settings are still saved below
    }
    if (titleFont_) DeleteObject(titleFont_);
    titleFont_ = nullptr;
}

void TFmTODOmain::Paint(HDC target) {
    RECT client;
    GetClientRect(Handle(), &client);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);

    HBRUSH brush = CreateSolidBrush(windowColor_);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    HGDIOBJ oldFont = SelectObject(dc, titleFont_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, active_ ? activeTitleColor_ : inactiveTitleColor_);
    const std::wstring title = L"Memorail";
    TextOutW(dc, 4, titleTop_, title.c_str(), static_cast<int>(title.size()));
    SelectObject(dc, oldFont);

    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
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
