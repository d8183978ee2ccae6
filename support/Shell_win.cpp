#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "framework/Handles.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/Functions.h"
#include "support/Shell.h"

std::string FindSpecialFolder(int folderId) {
    std::string result;
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folderId, &pidl)) && pidl) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(pidl, path)) result = PathFromWide(path);
        CoTaskMemFree(pidl);
    }
    return result;
}

std::string GetSpecialFolder(int folderId) {
    std::string result = FindSpecialFolder(folderId);
    if (result.empty() && folderId != kFolderDesktop) return FindSpecialFolder(kFolderDesktop);
    return result;
}

void OpenDocument(const std::string& path) {
    ShellExecuteW(GetActiveWindow(), L"Open", ToWide(path).c_str(), nullptr, L"", SW_SHOWNORMAL);
}

void OpenLink(const std::string& text) { OpenDocument(LinkTarget(text)); }

bool CreateShortcut(const std::string& target, const std::string& shortcutFile, const std::string& description) {
    TComScope com;
    TComPtr<IShellLinkW> link;
    TComPtr<IPersistFile> file;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out()));
    if (ok) {
        link->SetPath(ToWide(target).c_str());
        link->SetWorkingDirectory(ToWide(ExtractFileDrive(shortcutFile) + "\\").c_str());
        link->SetDescription(ToWide(description).c_str());
        link->SetIconLocation(ToWide(target).c_str(), 0);
        ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Out())) &&
             SUCCEEDED(file->Save(ToWide(shortcutFile).c_str(), TRUE));
    }
    return ok;
}

bool RegisterStartup(bool enable, const std::string& productName) {
    // The desktop is no stand-in here: a shortcut the user keeps there must not be removed.
    const std::string startup = FindSpecialFolder(kFolderStartup);
    if (startup.empty()) return !enable;
    const std::string shortcut = startup + "\\" + productName + ".lnk";
    if (!enable) {
        DeleteFileAt(shortcut);
        return !FileExists(shortcut);
    }
    wchar_t program[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, program, static_cast<DWORD>(std::size(program)));
    const std::string target = PathFromWide(program);
    // One to this program is left as the user keeps it; one to where it lay before a move
    // would start nothing.
    if (FileExists(shortcut) && _wcsicmp(ToWide(ShortcutTarget(shortcut)).c_str(), ToWide(target).c_str()) == 0)
        return true;
    return CreateShortcut(target, shortcut, productName);
}

std::string ShortcutTarget(const std::string& shortcutFile) {
    TComScope com;
    TComPtr<IShellLinkW> link;
    TComPtr<IPersistFile> file;
    std::string target;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Out())) &&
        SUCCEEDED(file->Load(ToWide(shortcutFile).c_str(), STGM_READ))) {
        wchar_t path[MAX_PATH * 4] = {};
        if (SUCCEEDED(link->GetPath(path, static_cast<int>(std::size(path)), nullptr, SLGP_RAWPATH)))
            target = PathFromWide(path);
    }
    return target;
}
