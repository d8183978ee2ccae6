#include "support/FolderWatcher_win.h"

TFolderWatcher::TFolderWatcher(const std::wstring& folder, HWND window, UINT message)
    : folder_(folder), window_(window), message_(message), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    worker_ = std::thread([this] { Run(); });
}

TFolderWatcher::~TFolderWatcher() {
    SetEvent(stop_);
    if (worker_.joinable()) worker_.join();
    CloseHandle(stop_);
}

void TFolderWatcher::Run() {
    constexpr DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
    constexpr DWORD kRetryMs = 2000;
    for (;;) {
        HANDLE change = FindFirstChangeNotificationW(folder_.c_str(), FALSE, kFilter);
        if (change == INVALID_HANDLE_VALUE) {
            if (WaitForSingleObject(stop_, kRetryMs) == WAIT_OBJECT_0) return;
            continue;
        }
        bool watching = true;
        while (watching) {
            HANDLE handles[] = {stop_, change};
            switch (WaitForMultipleObjects(2, handles, FALSE, INFINITE)) {
                case WAIT_OBJECT_0 + 1:
                    if (!pending_.exchange(true) && !PostMessageW(window_, message_, 0, 0)) pending_ = false;
                    watching = FindNextChangeNotification(change) != FALSE;
                    break;
                case WAIT_OBJECT_0: FindCloseChangeNotification(change); return;
                default: watching = false; break;
            }
        }
        FindCloseChangeNotification(change);
        // The folder went away: its new copy, once made, is watched again.
        if (WaitForSingleObject(stop_, kRetryMs) == WAIT_OBJECT_0) return;
    }
}
