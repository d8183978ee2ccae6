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
