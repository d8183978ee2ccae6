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

// A link below the folder to a folder above it would be followed round and round, each
// round giving the same pictures again under a longer path.
TEST(FindFilesRecursive, LinksToFoldersAreNotFollowed) {
    TestFolder folder;
    std::filesystem::create_directories(folder / "a");
    WriteBytes(folder / "a/one.png", "x");
    std::filesystem::create_directory_symlink(folder.Path(), folder / "a/up");
    std::filesystem::create_directory_symlink(folder.Path() / "a", folder / "a/again");
    std::vector<std::string> list;
    FindFilesRecursive(folder.Path().string(), "*.*", list);
    EXPECT_EQ(list, std::vector<std::string>{folder / "a/one.png"});
    // The dropped name itself may be a link.
    FindFilesRecursive(folder / "a/again", "*.*", list);
    EXPECT_EQ(list, std::vector<std::string>{folder / "a/again/one.png"});
}

TEST(MoveFileTo, TheTargetChangesOnlyWhenTheNewFileTakesItsPlace) {
    const struct {
        bool move;
        const char* source;  // nullptr: no such file
        const char* target;
        bool overwrite;
        const char* sourceAfter;
        const char* targetAfter;
    } cases[] = {
        {true, "new", "old", true, nullptr, "new"},
        {true, "new", nullptr, false, nullptr, "new"},
        {true, "new", "old", false, "new", "old"},
        {true, nullptr, "old", true, nullptr, "old"},  // the move fails: the target stays
        {false, "new", "old", true, "new", "new"},
        {false, "new", "old", false, "new", "old"},
        {false, nullptr, "old", true, nullptr, "old"},
    };
    for (const auto& c : cases) {
        TestFolder folder;
        const std::string source = folder / "source", target = folder / "target";
        if (c.source) WriteBytes(source, c.source);
        if (c.target) WriteBytes(target, c.target);
        (c.move ? MoveFileTo : CopyFileTo)(source, target, c.overwrite);
        auto contents = [](const std::string& path) { return FileExists(path) ? ReadBytes(path) : "(none)"; };
        auto expected = [](const char* text) { return std::string(text ? text : "(none)"); };
        const std::string what = std::string(c.move ? "move " : "copy ") + expected(c.source) + " onto " +
                                 expected(c.target) + (c.overwrite ? ", overwrite" : "");
        EXPECT_EQ(contents(source), expected(c.sourceAfter)) << what;
        EXPECT_EQ(contents(target), expected(c.targetAfter)) << what;
    }
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

// A rewrite may keep a file's time for as long as its file system's times are coarse: whole
// seconds (FAT, some shares) for 3 s, finer times for a tenth of a second.
TEST(SettledAt, CoarseTimesWaitLongerThanFineOnes) {
    const std::int64_t second = 10000000, whole = 13400000000 * second, fine = whole + 1234567;
    EXPECT_FALSE(SettledAt(whole, whole + 2 * second, second));
    EXPECT_TRUE(SettledAt(whole, whole + 3 * second, second));
    EXPECT_FALSE(SettledAt(fine, fine + second / 20, second));
    EXPECT_TRUE(SettledAt(fine, fine + second / 5, second));
    EXPECT_FALSE(SettledAt(fine, fine - second, second));  // a time ahead of the clock
}
