// The folder picker driven from a second thread: where it opens, what it answers.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <thread>

#include "WinTestFolder.h"
#include "support/Encoding_win.h"
#include "support/SelectFolder.h"

namespace {

enum class Answer { Ok, Cancel, VirtualThenOk };

struct PickerCase {
    const char* name;
    TSelectFolderOptions options;
    Answer answer;
    bool chosen;
};

HWND FindBrowseDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM data) {
            wchar_t name[16] = {};
            GetClassNameW(hwnd, name, 16);
            if (std::wstring(name) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
            *reinterpret_cast<HWND*>(data) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Waits for the dialog, notes its place and the error mode, then answers it.
struct TDriver {
    RECT box{};
    RECT monitor{};
    UINT errorMode = 0;
    std::atomic<bool> seen{false};

    void Run(DWORD thread, Answer answer) {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && !dialog; ++i, Sleep(20)) dialog = FindBrowseDialog(thread);
        if (!dialog) return;
        Sleep(200);  // the start selection and the placing are done in the dialog's first message
        GetWindowRect(dialog, &box);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &info);
        monitor = info.rcMonitor;
        errorMode = GetErrorMode();
        seen = true;
        if (answer == Answer::VirtualThenOk) {
            PIDLIST_ABSOLUTE computer = nullptr;
            SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
            SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
            CoTaskMemFree(computer);
        }
        PostMessageW(dialog, WM_COMMAND, answer == Answer::Cancel ? IDCANCEL : IDOK, 0);
    }
};

class SelectFolderCase : public ::testing::TestWithParam<PickerCase> {};

}  // namespace

TEST_P(SelectFolderCase, OpensCentredAtTheStartFolderAndAnswersOnlyFolders) {
    WinTestFolder folder;
    const std::string start = PathFromWide(folder.Wide());
    TSelectFolder picker;
    picker.Title = "データフォルダを選択してください";
    picker.Options = GetParam().options;
    // The start folder comes from InitialFolder with the option, from Folder without it.
    (picker.Options & sfoUseInitialFolder ? picker.InitialFolder : picker.Folder) = start;
    const std::string before = picker.Folder;

    const UINT savedMode = SetErrorMode(0);
    TDriver driver;
    std::thread answer([&driver, thread = GetCurrentThreadId(), how = GetParam().answer] { driver.Run(thread, how); });
    const bool chosen = picker.Execute();
    answer.join();
    const UINT modeAfter = SetErrorMode(savedMode);

    ASSERT_TRUE(driver.seen);
    EXPECT_EQ(chosen, GetParam().chosen);
    if (chosen)
        EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, ToWide(picker.Folder).c_str(), -1,
                                 folder.Wide().c_str(), -1),
                  CSTR_EQUAL)
            << picker.Folder;
    else
        EXPECT_EQ(picker.Folder, before);
    const int w = driver.box.right - driver.box.left, h = driver.box.bottom - driver.box.top;
    EXPECT_NEAR(driver.box.left, driver.monitor.left + (driver.monitor.right - driver.monitor.left - w) / 2, 1);
    EXPECT_NEAR(driver.box.top, driver.monitor.top + (driver.monitor.bottom - driver.monitor.top - h) / 3, 1);
    EXPECT_TRUE(driver.errorMode & SEM_FAILCRITICALERRORS);
    EXPECT_EQ(modeAfter, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SelectFolderCase,
    ::testing::Values(PickerCase{"InitialFolderOk", sfoUseNewStyle | sfoUseInitialFolder, Answer::Ok, true},
                      PickerCase{"FolderOk", 0, Answer::Ok, true},
                      PickerCase{"Cancel", sfoUseInitialFolder, Answer::Cancel, false},
                      PickerCase{"VirtualItem", sfoUseNewStyle | sfoUseInitialFolder, Answer::VirtualThenOk, false}),
    [](const auto& info) { return std::string(info.param.name); });
