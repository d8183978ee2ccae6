#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "WinTestFolder.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/kvneGlobal.h"

namespace {

// The test program has no version resource, so its key is software\unknown\unknown.
void ClearRegistry(TkvneGlobal& env) {
    RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(env.RegistryKeyName()).c_str());
}

void WriteRegistryPath(TkvneGlobal& env, const std::wstring& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (ToWide(env.RegistryKeyName()) + L"\\DATA").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

}  // namespace

TEST(GlobalEnv, WithoutVersionResourceEverythingIsUnknown) {
    TkvneGlobal env;
    EXPECT_EQ(env.CompanyName(), "unknown");
    EXPECT_EQ(env.ProductName(), "unknown");
    EXPECT_EQ(env.InternalName(), "unknown");
    EXPECT_EQ(env.FileVersion(), "");
    EXPECT_EQ(env.ExeFileName(), "memorail_win32_tests.exe");
    EXPECT_EQ(env.ExeFolder().back(), '\\');
    EXPECT_EQ(env.RegistryKeyName(), "software\\unknown\\unknown");
}

TEST(GlobalEnv, DefaultDataFolderIsUnderApplicationData) {
    TkvneGlobal env;
    ClearRegistry(env);
    TkvneGlobal fresh;
    std::string folder = fresh.DefaultDataFolder();
    EXPECT_EQ(folder.substr(folder.size() - 16), "\\unknown\\unknown");
    EXPECT_EQ(fresh.DataFolder(), folder);
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(fresh.DataFolderPath(), folder + "\\");
    HKEY key = nullptr;  // the default is not written to the registry
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"software\\unknown\\unknown\\DATA", 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST(GlobalEnv, SetDataFolderIsReadBackByTheNextStart) {
    WinTestFolder folder;
    const std::string chosen = FromWide(folder.Wide()) + "\\選んだ\\データ";
    {
        TkvneGlobal env;
        env.SetDataFolder(chosen + "\\");
        EXPECT_EQ(env.DataFolder(), chosen);
        EXPECT_EQ(env.DataFolderPath(), chosen + "\\");
        EXPECT_TRUE(FolderExists(chosen));
    }
    TkvneGlobal next;
    EXPECT_EQ(next.DataFolder(), chosen);
    ClearRegistry(next);
}

TEST(GlobalEnv, RegistryPathOutsideCodePage932StillWorks) {
    WinTestFolder folder;
    std::wstring wide = folder.Wide() + L"\\Ren\u00e9e\\Memorail";
    {
        TkvneGlobal env;
        WriteRegistryPath(env, wide);
    }
    TkvneGlobal next;
    std::string data = next.DataFolder();
    EXPECT_EQ(data.find('?'), std::string::npos) << data;
    ASSERT_TRUE(FolderExists(data)) << data;
    ReplaceFileSafely(next.DataFolderPath() + "probe.txt", "x");
    EXPECT_NE(GetFileAttributesW((wide + L"\\probe.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    ClearRegistry(next);
}

TEST(GlobalEnv, SecondCopyFindsTheMutex) {
    TkvneGlobal first, second;
    EXPECT_FALSE(first.IsAlreadyRunning());
    EXPECT_TRUE(second.IsAlreadyRunning());
}

TEST(GlobalEnv, ApplicationIniStore) {
    WinTestFolder folder;
    TkvneGlobal env;
    env.SetDataFolder(FromWide(folder.Wide()));
    EXPECT_EQ(env.ReadAppInteger("FmTODOmain", "left", 17), 17);
    env.WriteAppInteger("FmTODOmain", "left", -120);
    env.WriteAppString("FmTODOmain", "名前", "値");
    EXPECT_EQ(env.ReadAppInteger("FmTODOmain", "left", 17), -120);
    EXPECT_EQ(env.ReadAppString("FmTODOmain", "名前", ""), "値");
    EXPECT_EQ(env.ReadAppString("nothing", "here", "default"), "default");
    EXPECT_TRUE(FileExists(env.DataFolderPath() + "application.ini"));
    ClearRegistry(env);
}

// A choice the registry cannot keep (a volatile key takes no lasting subkey) would hold only
// until the program ends: it is refused and the folder stays.
TEST(GlobalEnv, AFolderTheRegistryCannotKeepIsRefused) {
    WinTestFolder folder;
    TkvneGlobal env;
    ClearRegistry(env);
    const std::string before = env.DataFolder();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, ToWide(env.RegistryKeyName()).c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_THROW(env.SetDataFolder(FromWide(folder.Wide())), EError);
    EXPECT_EQ(env.DataFolder(), before);
    ClearRegistry(env);
}

// Wine shows itself as a system newer than XP: the program must not take it for one of the
// older systems it names (the XP check chooses the title font).
TEST(GlobalEnv, SystemNameIsKnown) {
    TkvneGlobal env;
    ASSERT_GE(env.OSMajorVersion(), 6);
    EXPECT_EQ(env.OSName(), "unknown1");
}

// A second copy builds the environment before it learns that it must end: nothing may be
// written or created by then, and the stored choice is never rewritten by a start.
TEST(GlobalEnv, ConstructionOnlyReadsTheStoredFolder) {
    WinTestFolder folder;
    const std::wstring chosen = folder.Wide() + L"\\later\\";
    {
        TkvneGlobal env;
        WriteRegistryPath(env, chosen);
    }
    auto stored = [] {
        wchar_t value[1024] = {};
        DWORD size = sizeof value;
        RegGetValueW(HKEY_CURRENT_USER, L"software\\unknown\\unknown\\DATA", L"PATH", RRF_RT_REG_SZ, nullptr, value,
                     &size);
        return std::wstring(value);
    };
    TkvneGlobal second;
    EXPECT_EQ(GetFileAttributesW(chosen.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(stored(), chosen);
    EXPECT_EQ(second.DataFolderPath(), FromWide(chosen));
    EXPECT_TRUE(FolderExists(second.DataFolder()));
    EXPECT_EQ(stored(), chosen);
    ClearRegistry(second);
}

TEST(GlobalEnv, OpenHelpWithoutTheHelpFileSaysWhichFileIsMissing) {
    TkvneGlobal env;
    const std::string helpFile = env.ExeFolder() + "memorail_win32_tests.chm";
    ASSERT_FALSE(FileExists(helpFile));
    Application.DiscardReports();
    RunGuarded([&] { env.OpenHelp(); });  // as the menu and F1 run it
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_EQ(Application.PendingReports().front(), "ヘルプファイルが見つかりません。\r\n" + helpFile);
    Application.DiscardReports();
}
