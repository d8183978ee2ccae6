#include <gtest/gtest.h>
#include <windows.h>

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
