#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "WinTestFolder.h"
#include "support/FolderWatcher_win.h"

namespace {

constexpr UINT kChanged = WM_APP + 40;

// Waits for the watcher's message on this thread's queue.
bool ChangeSeen(TFolderWatcher& watcher, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        if (PeekMessageW(&msg, nullptr, kChanged, kChanged, PM_REMOVE)) {
            watcher.Handled();
            return true;
        }
        Sleep(10);
    }
    return false;
}

void Write(const std::wstring& path, const char* text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

TEST(FolderWatcher, SeesAWriteInPlaceAndARenameOverTheFile) {
    WinTestFolder folder;
    const std::wstring file = folder.Wide() + L"\\todo.txt";
    Write(file, "a\r\n");
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    // Messages to a window of this thread reach this thread's queue.
    TFolderWatcher watcher(folder.Wide(), window, kChanged);
    Sleep(200);
    EXPECT_FALSE(ChangeSeen(watcher, 300));
    Write(file, "a\r\nb\r\n");
    EXPECT_TRUE(ChangeSeen(watcher));
    Sleep(300);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, kChanged, kChanged, PM_REMOVE)) watcher.Handled();
    const std::wstring temp = folder.Wide() + L"\\todo.txt.tmp";
    Write(temp, "c\r\n");
    ChangeSeen(watcher, 500);  // the temporary file itself may be seen
    ASSERT_TRUE(MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(ChangeSeen(watcher));
    DestroyWindow(window);
}
