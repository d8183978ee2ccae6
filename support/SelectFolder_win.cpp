#include "support/SelectFolder.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "support/Encoding_win.h"
#include "support/Shell.h"
#include "support/Wine_win.h"

namespace {

struct TBrowseState {
    std::wstring start;
    HWND placeOn = nullptr;
};

// Centred on the monitor the program is on, at one third of the height the dialog leaves free.
void PlaceDialog(HWND dialog, HWND placeOn) {
    HMONITOR monitor = placeOn ? MonitorFromWindow(placeOn, MONITOR_DEFAULTTOPRIMARY)
                               : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT box{};
    if (!GetMonitorInfoW(monitor, &info) || !GetWindowRect(dialog, &box)) return;
    const RECT& screen = info.rcMonitor;
    const int w = box.right - box.left, h = box.bottom - box.top;
    SetWindowPos(dialog, nullptr, screen.left + (screen.right - screen.left - w) / 2,
                 screen.top + (screen.bottom - screen.top - h) / 3, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CALLBACK BrowseProc(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    const auto* state = reinterpret_cast<const TBrowseState*>(data);
    const auto start = reinterpret_cast<LPARAM>(state->start.c_str());
    // Under Wine the first dialog of a run can fail to find the folder at this point: then once
    // more when the dialog is up. Windows selects it here, and the folder is selected once.
    if (!state->start.empty() && !SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start) && RunningUnderWine())
        PostMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
    PlaceDialog(dialog, state->placeOn);
    return 0;
}

// A chosen shortcut stands for its target.
std::string PathOfItem(PIDLIST_ABSOLUTE item) {
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(item, path)) return "";
    SHFILEINFOW info{};
    info.dwAttributes = SFGAO_LINK;
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED) &&
        (info.dwAttributes & SFGAO_LINK)) {
        const std::string target = ShortcutTarget(PathFromWide(path));
        return target;  // a shortcut without a readable target gives nothing
    }
    return PathFromWide(path);
}

class TOleScope {
public:
    TOleScope() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~TOleScope() {
        if (ok_) OleUninitialize();
    }
    TOleScope(const TOleScope&) = delete;
    TOleScope& operator=(const TOleScope&) = delete;

private:
    bool ok_;
};

}  // namespace

bool TSelectFolder::Execute() {
    try {
        TOleScope ole;
        HWND active = GetActiveWindow();
        HWND owner = active;
        TBrowseState state;
        state.start = ToWide((Options & sfoUseInitialFolder) ? InitialFolder : Folder);
        state.placeOn = active;
        const std::wstring title = ToWide(Title);
        BROWSEINFOW browse{};
        browse.hwndOwner = owner;
        browse.lpszTitle = title.c_str();
        browse.ulFlags = BIF_RETURNONLYFSDIRS | ((Options & sfoUseNewStyle) ? BIF_NEWDIALOGSTYLE : 0);
        browse.lpfn = BrowseProc;
        browse.lParam = reinterpret_cast<LPARAM>(&state);
        // No "insert a disk" box for an empty drive while the tree is read.
        const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
        PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
        SetErrorMode(oldMode);
        if (!item) return false;
        std::string path;
        try {
            path = PathOfItem(item);
        } catch (...) {
        }
        CoTaskMemFree(item);
        if (path.empty()) return false;
        Folder = path;
        return true;
    } catch (...) {
        return false;
    }
}
