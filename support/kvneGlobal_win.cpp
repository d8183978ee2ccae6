#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/Encoding_win.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/Shell.h"
#include "support/TextWork.h"
#include "support/kvneGlobal.h"

TkvneGlobal GlobalEnv;

namespace {

HKEY OpenKeyForReading(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    return RegOpenKeyExW(parent, ToWide(name).c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
}

// Reads a string value as UTF-16, so a path outside code page 932 can still be turned
// into a usable short path.
std::wstring ReadRegistryString(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
        return {};
    return std::wstring(buf.data());
}

// Creates the folder first when its name is not expressible in code page 932:
// only an existing folder has a short name to fall back on.
std::string UsableFolderPath(const std::wstring& folder) {
    bool expressible = ToWide(FromWide(folder)) == folder;
    if (!expressible) SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return PathFromWide(folder);
}

std::string QueryVersionValue(const std::vector<char>& block, const std::wstring& name, bool& found) {
    wchar_t* value = nullptr;
    UINT length = 0;
    found = VerQueryValueW(block.data(), name.c_str(), reinterpret_cast<void**>(&value), &length) && value;
    return found && length > 0 ? FromWide(std::wstring(value, wcsnlen(value, length))) : std::string();
}

}  // namespace

TkvneGlobal::TkvneGlobal() {
    ReadVersion();
    HKEY software = OpenKeyForReading(HKEY_CURRENT_USER, "software");
    HKEY company = software ? OpenKeyForReading(software, company_) : nullptr;
    HKEY program = company ? OpenKeyForReading(company, internalName_) : nullptr;
    if (program) {
        HKEY data = OpenKeyForReading(program, "DATA");
        std::wstring path = data ? ReadRegistryString(data, L"PATH") : std::wstring();
        if (data) RegCloseKey(data);
        // Only read here: a second copy constructs this too and must end without touching
        // the registry or the disk; the folder is made when the data folder is first used.
        registryFolder_ = path;
    }
    for (HKEY key : {program, company, software})
        if (key) RegCloseKey(key);
}

TkvneGlobal::~TkvneGlobal() = default;

std::string TkvneGlobal::RegistryKeyName() { return "software\\" + CompanyName() + "\\" + InternalName(); }

void TkvneGlobal::ReadVersion() {
    wchar_t module[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameW(nullptr, module, static_cast<DWORD>(std::size(module)));
    std::wstring full(module, n);
    std::size_t slash = full.find_last_of(L"\\/");
    exeFolder_ = PathFromWide(full.substr(0, slash + 1));
    exeFileName_ = FromWide(full.substr(slash + 1));
    company_ = product_ = internalName_ = "unknown";

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(full.c_str(), &handle);
    if (size == 0) return;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(full.c_str(), 0, size, block.data())) return;
    struct Translation {
        WORD language, codePage;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < sizeof(Translation))
        return;
    wchar_t prefix[64];
    swprintf(prefix, 64, L"\\StringFileInfo\\%04X%04X\\", translation->language, translation->codePage);
    bool found;
    fileVersion_ = QueryVersionValue(block, std::wstring(prefix) + L"FileVersion", found);
    for (auto [name, field] : {std::pair{L"ProductName", &product_}, std::pair{L"InternalName", &internalName_},
                               std::pair{L"CompanyName", &company_}}) {
        std::string value = QueryVersionValue(block, std::wstring(prefix) + name, found);
        if (found) *field = value.empty() ? "unknown" : value;
    }
    versionRead_ = true;
}

std::string TkvneGlobal::CompanyName() {
    if (!versionRead_) ReadVersion();
    return company_;
}
std::string TkvneGlobal::ProductName() {
    if (!versionRead_) ReadVersion();
    return product_;
}
std::string TkvneGlobal::InternalName() {
    if (!versionRead_) ReadVersion();
    return internalName_;
}
std::string TkvneGlobal::FileVersion() {
    if (!versionRead_) ReadVersion();
    return fileVersion_;
}
std::string TkvneGlobal::ExeFolder() {
    if (!versionRead_) ReadVersion();
    return exeFolder_;
}
std::string TkvneGlobal::ExeFileName() {
    if (!versionRead_) ReadVersion();
    return exeFileName_;
}

void TkvneGlobal::DetectSystem() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExW(&info);
#pragma GCC diagnostic pop
    majorVersion_ = static_cast<int>(info.dwMajorVersion);
    char letter = static_cast<char>(info.szCSDVersion[0] < 0x80 ? info.szCSDVersion[0] : 0);
    systemName_ = SystemNameOf(majorVersion_, static_cast<int>(info.dwMinorVersion), letter,
                               info.dwPlatformId == VER_PLATFORM_WIN32_NT);
}

int TkvneGlobal::OSMajorVersion() {
    if (majorVersion_ == 0) DetectSystem();
    return majorVersion_;
}

std::string TkvneGlobal::OSName() {
    if (majorVersion_ == 0) DetectSystem();
    return systemName_;
}

bool TkvneGlobal::IsAlreadyRunning() {
    std::string name = CompanyName() + " " + ProductName() + " ";
    if (OSMajorVersion() >= 5) name = "Global\\" + name;
    std::wstring wide = ToWide(name);
    if (HANDLE existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, wide.c_str())) {
        CloseHandle(existing);
        return true;
    }
    HANDLE created = CreateMutexW(nullptr, FALSE, wide.c_str());
    DWORD error = GetLastError();
    // Two copies started at the same instant both miss the open above; the creator
    // that finds the mutex already there (or may not touch it) is the second copy.
    if (!created) return error == ERROR_ACCESS_DENIED;
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(created);
        return true;
    }
    mutex_ = created;
    return false;
}

std::string TkvneGlobal::DataFolder() {
    if (dataFolder_.empty()) {
        if (!registryFolder_.empty()) dataFolder_ = StripTrailingBackslashes(UsableFolderPath(registryFolder_));
        registryFolder_.clear();
        if (dataFolder_.empty()) dataFolder_ = DefaultDataFolder();
        ForceFolder(dataFolder_);
    }
    return dataFolder_;
}

std::string TkvneGlobal::DefaultDataFolder() {
    std::string base = GetSpecialFolder(kFolderAppData);
    if (base.empty()) base = GetSpecialFolder(kFolderDesktop);
    return StripTrailingBackslashes(base) + "\\" + CompanyName() + "\\" + ProductName();
}

void TkvneGlobal::SetDataFolder(const std::string& path) {
    const std::string folder = StripTrailingBackslashes(path);
    // Remembered first: a folder the next start would not find again is not taken at all.
    if (!folder.empty()) {
        ForceFolder(folder);
        StoreFolderChoice(folder);
    }
    registryFolder_.clear();
    dataFolder_ = folder;
    appIniPath_.clear();
}

void TkvneGlobal::StoreFolderChoice(const std::string& folder) {
    const auto refuse = [&folder] {
        throw EError("データ保存フォルダ\"" + folder + "\"をレジストリに記憶できません。\r\n変更は保存されません。");
    };
    // Opened at each choice, never kept: a key deleted meanwhile is made again.
    HKEY data = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ToWide(RegistryKeyName() + "\\DATA").c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &data, nullptr) != ERROR_SUCCESS)
        refuse();
    const std::wstring value = ToWide(folder);
    const LONG written = RegSetValueExW(data, L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(data);
    if (written != ERROR_SUCCESS) refuse();
}

std::string TkvneGlobal::AppIniPath() {
    if (appIniPath_.empty()) appIniPath_ = DataFolderPath() + "application.ini";
    return appIniPath_;
}

int TkvneGlobal::ReadAppInteger(const std::string& section, const std::string& key, int defaultValue) {
    std::string text = ReadAppString(section, key, "");
    if (text.empty()) return defaultValue;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    return (*end == '\0') ? static_cast<int>(value) : defaultValue;
}

std::string TkvneGlobal::ReadAppString(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) {
    wchar_t buf[2048];
    GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), ToWide(defaultValue).c_str(), buf,
                             static_cast<DWORD>(std::size(buf)), ToWide(AppIniPath()).c_str());
    return FromWide(buf);
}

void TkvneGlobal::WriteAppInteger(const std::string& section, const std::string& key, int value) {
    WriteAppString(section, key, std::to_string(value));
}

void TkvneGlobal::WriteAppString(const std::string& section, const std::string& key, const std::string& value) {
    // A failure is not told: a window's place is a convenience, written as each window closes,
    // and Wine fails such a write now and then at exit, where a box would keep the program open.
    WritePrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), ToWide(value).c_str(),
                               ToWide(AppIniPath()).c_str());
}

void TkvneGlobal::OpenHelp() {
    std::string name = ExeFileName();
    std::size_t dot = name.find_last_of('.');
    const std::string helpFile = ExeFolder() + (dot == std::string::npos ? name : name.substr(0, dot)) + ".chm";
    // The shell would fail without a word; the user is told which file is missing instead.
    if (!FileExists(helpFile)) throw EError("ヘルプファイルが見つかりません。\r\n" + helpFile);
    OpenDocument(helpFile);
}
