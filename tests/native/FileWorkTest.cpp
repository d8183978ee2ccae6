#include <gtest/gtest.h>

#include <filesystem>

#include "TestFolder.h"
#include "support/FileIO.h"
#include "support/FileWork.h"

TEST(ForceFolder, CreatesParentsAndAnswersWhetherTheFolderExists) {
    TestFolder folder;
    EXPECT_TRUE(ForceFolder(folder / "a/b/c"));
    EXPECT_TRUE(FolderExists(folder / "a/b/c"));
    EXPECT_TRUE(ForceFolder(folder / "a/b/c"));  // already there
    WriteBytes(folder / "file", "x");
    EXPECT_FALSE(ForceFolder(folder / "file/sub"));  // a file in the way
    EXPECT_FALSE(ForceFolder(""));
}

TEST(LastSeparator, StepsOverTwoByteCharacters) {
    EXPECT_EQ(LastSeparator("C:\\data\\表"), 7u);  // 表 ends in 0x5C
    EXPECT_EQ(LastSeparator("a/b"), 1u);
    EXPECT_EQ(LastSeparator("表"), std::string::npos);
}

TEST(FindFilesRecursive, FolderFilesComeBeforeSubfolderFiles) {
    TestFolder folder;
    std::filesystem::create_directories(folder / "a/deep");
    std::filesystem::create_directories(folder / "b");
    std::filesystem::create_directories(folder / ".hidden");
    for (const char* name : {"top.png", "top.txt", "a/one.png", "a/deep/two.PNG", "b/three.png", ".hidden/no.png"})
        WriteBytes(folder / name, "x");
    std::vector<std::string> list{"stale"};
    FindFilesRecursive(folder.Path().string(), "*.png", list);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], folder / "top.png");
    EXPECT_TRUE((list[1] == folder / "a/one.png" && list[2] == folder / "b/three.png") ||
                (list[1] == folder / "b/three.png" && list[2] == folder / "a/one.png"));
    EXPECT_EQ(list[3], folder / "a/deep/two.PNG");
    FindFilesRecursive(folder / "top.txt", "*.png", list);
    EXPECT_EQ(list, std::vector<std::string>{folder / "top.txt"});
    ListSubfolders(folder / "a/deep", list);
    EXPECT_TRUE(list.empty());
}

TEST(MoveFileTo, WithoutOverwriteChangesNothing) {
    TestFolder folder;
    WriteBytes(folder / "source", "new");
    WriteBytes(folder / "target", "old");
    MoveFileTo(folder / "source", folder / "target", false);
    EXPECT_EQ(ReadBytes(folder / "source"), "new");
    EXPECT_EQ(ReadBytes(folder / "target"), "old");
    MoveFileTo(folder / "source", folder / "target", true);
    EXPECT_FALSE(FileExists(folder / "source"));
    EXPECT_EQ(ReadBytes(folder / "target"), "new");
    CopyFileTo(folder / "target", folder / "copy", false);
    EXPECT_EQ(ReadBytes(folder / "copy"), "new");
}

TEST(ExtractFileDrive, StepsOverTwoByteCharacters) {
    const struct {
        const char* path;
        const char* drive;
    } cases[] = {
        {"C:\\x\\y", "C:"},
        {"\\\\server\\share\\x", "\\\\server\\share"},
        {"\\\\表示\\share\\x", "\\\\表示\\share"},  // 表 ends in 0x5C
        {"\\\\server\\表\\x", "\\\\server\\表"},
        {"\\\\表\\ソ能", "\\\\表\\ソ能"},
        {"\\\\表", "\\\\表"},
        {"relative\\表", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractFileDrive(c.path), c.drive) << c.path;
}
