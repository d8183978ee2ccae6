// The monthly archive keeps what it holds and gains the removed item's line.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestFolder.h"
#include "support/Errors.h"
#include "todo/ItemArchive.h"

namespace {

constexpr char kLine[] = "20050714,0000FF,\"牛乳\",\"★\"";

struct AppendCase {
    const char* name;
    bool exists;
    std::string before, after;
};

class ArchiveAppend : public ::testing::TestWithParam<AppendCase> {};

}  // namespace

TEST_P(ArchiveAppend, KeepsEveryByteAndAddsTheLine) {
    TestFolder folder;
    const std::string path = folder / "200507.txt";
    if (GetParam().exists) WriteBytes(path, GetParam().before);
    AppendToArchive(path, kLine);
    EXPECT_EQ(ReadBytes(path), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Files, ArchiveAppend,
                         ::testing::Values(AppendCase{"Missing", false, "", std::string(kLine) + "\r\n"},
                                           AppendCase{"Empty", true, "", std::string(kLine) + "\r\n"},
                                           AppendCase{"Ended", true, "20050701,000000,\"a\",\"　\"\r\n",
                                                      "20050701,000000,\"a\",\"　\"\r\n" + std::string(kLine) + "\r\n"},
                                           // Hand-written and damaged lines stay exactly as they were.
                                           AppendCase{
                                               "NoFinalLineEnd", true, "written by hand\r\ndamaged,\"",
                                               "written by hand\r\ndamaged,\"\r\n" + std::string(kLine) + "\r\n"},
                                           AppendCase{"LoneLf", true, "x\n", "x\n\r\n" + std::string(kLine) + "\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ArchiveFile, NamedAfterTheMonthOfTheDueDate) {
    EXPECT_EQ(ArchiveFileName("C:\\d\\todo\\", 38547.75), "C:\\d\\todo\\200507.txt");  // 2005-07-14 18:00
    EXPECT_EQ(ArchiveFileName("t\\", 0), "t\\189912.txt");
    EXPECT_EQ(ArchiveFileName("t\\", 2958465), "t\\999912.txt");  // 9999-12-31
}

TEST(ArchiveFile, AnUnreadableArchiveIsReportedAndLeftAsItIs) {
    TestFolder folder;
    const std::string path = folder / "200507.txt";
    std::filesystem::create_directory(path);  // exists, but is no file to read
    EXPECT_THROW(AppendToArchive(path, kLine), EFileError);
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

// An archive an editor saved as UTF-16 would be ruined by a Shift-JIS line at its end.
TEST(ArchiveFile, AUtf16ArchiveIsReportedAndLeftAsItIs) {
    TestFolder folder;
    const std::string path = folder / "200507.txt";
    const std::string utf16("\xFF\xFEx\0\r\0\n\0", 8);
    WriteBytes(path, utf16);
    try {
        AppendToArchive(path, kLine);
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), NotShiftJisMessage(path));
    }
    EXPECT_EQ(ReadBytes(path), utf16);
}

// The line taken back must be the whole last line: an undated item's line is the end of a
// dated twin's, which another program may have archived after it.
TEST(ArchiveFile, TakingBackALineLeavesALastLineThatOnlyEndsWithIt) {
    TestFolder folder;
    const std::string path = folder / "202612.txt", undated = ",0000FF,\"牛乳\",\"★\"";
    const std::string dated = "20261205" + undated + "\r\n";
    WriteBytes(path, dated);
    EXPECT_FALSE(RemoveLastArchiveLine(path, undated));
    EXPECT_EQ(ReadBytes(path), dated);
    for (const std::string& before :
         {std::string(), std::string("x\n"), std::string("x\r"), std::string("\xEF\xBB\xBF")}) {
        WriteBytes(path, before + undated + "\r\n");
        EXPECT_TRUE(RemoveLastArchiveLine(path, undated));
        EXPECT_EQ(ReadBytes(path), before);
    }
}
