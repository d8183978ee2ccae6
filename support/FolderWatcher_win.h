// Tells a window when files of a folder change: a worker waits on the system's change
// notification and posts one message per burst of changes. The window answers by looking at
// the files it cares about (their stamps tell its own writes from other programs').
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class TFolderWatcher {
public:
    // Posts message to window after changes of names, sizes or write times in folder (not its
    // subfolders). A folder that is missing or goes away is looked for again every two seconds.
    TFolderWatcher(const std::wstring& folder, HWND window, UINT message);
    ~TFolderWatcher();
    TFolderWatcher(const TFolderWatcher&) = delete;
    TFolderWatcher& operator=(const TFolderWatcher&) = delete;

    // The window took the message: the next change posts another.
    void Handled() { pending_ = false; }

private:
    void Run();

    std::wstring folder_;
    HWND window_;
    UINT message_;
    HANDLE stop_;
    std::atomic<bool> pending_{false};
    std::thread worker_;
};
