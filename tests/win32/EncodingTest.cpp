#include <gtest/gtest.h>
#include <windows.h>

#include "WinTestFolder.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/TextWork.h"

TEST(Encoding, ConvertsShiftJisBothWays) {
    EXPECT_EQ(ToWide("表ソ能★"), L"\u8868\u30bd\u80fd\u2605");
    EXPECT_EQ(FromWide(L"\u8868\u30bd\u80fd\u2605"), "表ソ能★");
    EXPECT_EQ(ToWide(""), L"");
    EXPECT_EQ(FromWide(L"\u3000"), "　");
    // An editor's UTF-8 file, wave dash and a character the code page lacks among its text.
    const std::u8string utf8 = u8"表ソ能★\u301C\U0001F600";
    bool lossy = false;
    EXPECT_EQ(ShiftJisFromUtf8(std::string(utf8.begin(), utf8.end()), &lossy), "表ソ能★\x81\x60?");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(ShiftJisFromUtf8(std::string(utf8.begin(), utf8.end() - 4), &lossy), "表ソ能★\x81\x60");
    EXPECT_FALSE(lossy);
}

TEST(Encoding, JisSymbolsFromOtherSystemsAreKeptAndOthersAreNamed) {
    EXPECT_EQ(FromWide(L"10\u301C12\u6642"),
              "10\x81\x60"
              "12時");
    EXPECT_EQ(FromWide(L"\u2016\u2212\u00A2\u00A3\u00AC\u2014"), "\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C");
    std::wstring lost;
    EXPECT_EQ(FromWideNoting(L"a\U0001F600b\u301C\U0001F600\u00E9", lost), "a?b\x81\x60??");
    EXPECT_EQ(lost, L"\U0001F600\u00E9");
    EXPECT_EQ(FromWideNoting(L"\u8868\u301C", lost), "表\x81\x60");
    EXPECT_EQ(lost, L"");
}

TEST(Encoding, PathOutsideCodePage932FallsBackToTheShortPath) {
    WinTestFolder folder;
    std::wstring wide = folder.Wide() + L"\\caf\u00e9 data";
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
    std::string narrow = PathFromWide(wide);
    EXPECT_EQ(narrow.find('?'), std::string::npos) << narrow;
    ASSERT_TRUE(FolderExists(narrow)) << narrow;
    // The short path opens the very folder: a file written through it appears under the long name.
    ASSERT_TRUE(ForceFolder(narrow + "\\todo"));
    ReplaceFileSafely(narrow + "\\todo\\todo.txt", "x\r\n");
    EXPECT_NE(GetFileAttributesW((wide + L"\\todo\\todo.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    // A path that code page 932 can hold is left as it is.
    std::wstring japanese = folder.Wide() + L"\\\u8868";
    ASSERT_TRUE(CreateDirectoryW(japanese.c_str(), nullptr));
    EXPECT_EQ(PathFromWide(japanese), FromWide(folder.Wide()) + "\\表");
}
