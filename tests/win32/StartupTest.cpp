#include <gtest/gtest.h>
#include <windows.h>

#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/Shell.h"

TEST(Startup, ShortcutFollowsTheOption) {
    const std::string product = "MemorailStartupTest";
    const std::string shortcut = GetSpecialFolder(kFolderStartup) + "\\" + product + ".lnk";
    RegisterStartup(false, product);
    EXPECT_FALSE(FileExists(shortcut));
    RegisterStartup(false, product);  // nothing to remove: nothing happens

    RegisterStartup(true, product);
    ASSERT_TRUE(FileExists(shortcut));
    std::string target = ShortcutTarget(shortcut);
    EXPECT_NE(target.find("memorail_win32_tests.exe"), std::string::npos) << target;

    RegisterStartup(true, product);  // an existing shortcut is left alone
    EXPECT_TRUE(FileExists(shortcut));
    RegisterStartup(false, product);
    EXPECT_FALSE(FileExists(shortcut));
}

// The user's Startup folder redirected to a drive that does not exist: the system gives no
// Startup folder, and the desktop's shortcut of the same name is neither removed nor made.
TEST(Startup, WithoutAStartupFolderTheDesktopIsLeftAlone) {
    const std::string product = "MemorailStartupTest";
    const std::string onDesktop = GetSpecialFolder(kFolderDesktop) + "\\" + product + ".lnk";
    ReplaceFileSafely(onDesktop, "the user's own shortcut");
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY folders = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &folders), ERROR_SUCCESS);
    wchar_t saved[1024] = {};
    DWORD size = sizeof saved, type = 0;
    const bool hadValue =
        RegQueryValueExW(folders, L"Startup", nullptr, &type, reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS;
    const wchar_t missing[] = L"Q:\\no such drive\\Startup";
    RegSetValueExW(folders, L"Startup", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof missing);

    EXPECT_EQ(FindSpecialFolder(kFolderStartup), "");
    RegisterStartup(false, product);
    EXPECT_TRUE(FileExists(onDesktop));
    DeleteFileAt(onDesktop);
    RegisterStartup(true, product);
    EXPECT_FALSE(FileExists(onDesktop));

    if (hadValue)
        RegSetValueExW(folders, L"Startup", 0, type, reinterpret_cast<const BYTE*>(saved), size);
    else
        RegDeleteValueW(folders, L"Startup");
    RegCloseKey(folders);
    DeleteFileAt(onDesktop);
}

// The program was moved after its shortcut was made: Windows would start a file that is gone.
TEST(Startup, AShortcutToAnotherPlaceIsMadeAgain) {
    const std::string product = "MemorailStartupTest";
    const std::string shortcut = GetSpecialFolder(kFolderStartup) + "\\" + product + ".lnk";
    ASSERT_TRUE(CreateShortcut("C:\\古い フォルダ\\memorail.exe", shortcut, product));
    RegisterStartup(true, product);
    EXPECT_NE(ShortcutTarget(shortcut).find("memorail_win32_tests.exe"), std::string::npos) << ShortcutTarget(shortcut);
    RegisterStartup(false, product);
}

// A shortcut that cannot be written (a folder of its name in the way) is told, not taken for done.
TEST(Startup, AShortcutThatCannotBeMadeIsTold) {
    const std::string product = "MemorailStartupTest";
    const std::string shortcut = GetSpecialFolder(kFolderStartup) + "\\" + product + ".lnk";
    ASSERT_TRUE(CreateDirectoryW(ToWide(shortcut).c_str(), nullptr));
    EXPECT_FALSE(RegisterStartup(true, product));
    RemoveDirectoryW(ToWide(shortcut).c_str());
    EXPECT_TRUE(RegisterStartup(true, product));
    EXPECT_TRUE(RegisterStartup(false, product));
    EXPECT_FALSE(FileExists(shortcut));
}
