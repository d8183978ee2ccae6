#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "support/Encoding_win.h"
#include "support/Shell.h"

std::string GetSpecialFolder(int folderId) {
    std::string result;
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folderId, &pidl)) && pidl) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(pidl, path)) result = PathFromWide(path);
        CoTaskMemFree(pidl);
    }
    if (result.empty() && folderId != kFolderDesktop) return GetSpecialFolder(kFolderDesktop);
    return result;
}

void OpenDocument(const std::string& path) {
    ShellExecuteW(GetActiveWindow(), L"Open", ToWide(path).c_str(), nullptr, L"", SW_SHOWNORMAL);
}
