#include <gtest/gtest.h>
#include <windows.h>

#include "WinTestFolder.h"
#include "support/Encoding_win.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "todo/TodoData.h"

TEST(FileIO, SafeReplaceUnderAJapaneseName) {
    WinTestFolder folder;
    const std::string base = FromWide(folder.Wide()) + "\\表ソ能";
    ASSERT_TRUE(ForceFolder(base + "\\todo\\"));
    const std::string path = base + "\\todo\\todo.txt";
    TTodoData data;
    int i = data.NewItem();
    data.SetDate(i, DateFromText("20240305"));
    data.SetText(i, "表\\");
    data.SaveToFile(path);
    data.SetText(i, "二回目");
    data.SaveToFile(path);  // replacing an existing file
    TTodoData back;
    back.LoadFromFile(path);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.GetText(0), "二回目");
    EXPECT_FALSE(FileExists(TemporaryNameFor(path)));
}

TEST(FileIO, FailedReplaceKeepsTheOldFile) {
    WinTestFolder folder;
    const std::string path = FromWide(folder.Wide()) + "\\todo.txt";
    ReplaceFileSafely(path, "old");
    ASSERT_TRUE(MakeFolder(TemporaryNameFor(path)));
    try {
        ReplaceFileSafely(path, "new");
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    std::string content;
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "old");
    EXPECT_FALSE(ReadWholeFile(path + ".missing", content));
}

TEST(FileIO, MoveAcrossDrivesKeepsTheSourceWhenTheCopyFails) {
    WinTestFolder folder;
    const std::string source = FromWide(folder.Wide()) + "\\source.txt";
    // Under Wine the Linux root is drive Z:, the temporary folder on C:.
    if (!FolderExists("Z:\\tmp")) GTEST_SKIP() << "no second drive";
    const std::string target = "Z:\\tmp\\memorail-cross-drive-" + std::to_string(GetCurrentProcessId()) + ".txt";
    ReplaceFileSafely(target, "old");
    ReplaceFileSafely(source, "new");
    HANDLE held = CreateFileW(ToWide(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    MoveFileTo(source, target, true);  // the copy cannot open the target
    CloseHandle(held);
    std::string content;
    EXPECT_TRUE(ReadWholeFile(source, content));
    EXPECT_EQ(content, "new");
    ASSERT_TRUE(ReadWholeFile(target, content));
    EXPECT_EQ(content, "old");
    DeleteFileAt(target);
}
