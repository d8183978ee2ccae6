// The marks the item editor offers, read from Category.txt.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "support/Errors.h"
#include "todo/CategoryList.h"

namespace {

// Every line of a text, as written.
std::vector<std::string> MarksOfText(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
}

struct FileCase {
    const char* name;
    const char* content;  // nullptr: no file
    std::vector<std::string> marks;
    bool hasNoMark;
};

class CategoryFile : public ::testing::TestWithParam<FileCase> {};

}  // namespace

TEST_P(CategoryFile, GivesItsMarks) {
    TestFolder folder;
    const std::string file = folder / "Category.txt";
    if (GetParam().content) WriteBytes(file, GetParam().content);
    const std::vector<std::string> marks = ReadCategoryList(file);
    EXPECT_EQ(marks, GetParam().marks);
    EXPECT_EQ(HasNoMark(marks), GetParam().hasNoMark);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CategoryFile,
    ::testing::Values(FileCase{"missing", nullptr, {"　", "☆", "★"}, true},
                      FileCase{"with_no_mark", "　\r\n★\r\n①\r\n", {"　", "★", "①"}, true},
                      FileCase{"without_no_mark", "★\r\n◆\r\n", {"★", "◆"}, false},
                      FileCase{"lf_lines_no_final_end", "★\n◆", {"★", "◆"}, false},
                      FileCase{"empty_lines_dropped", "\r\n★\r\n\r\n\n◆\r\n\r\n", {"★", "◆"}, false},
                      FileCase{"empty_file", "", {}, false},
                      FileCase{"repeated_marks_once", "★\r\n◆\r\n★\r\n　\r\n◆\r\n", {"★", "◆", "　"}, true},
                      FileCase{"utf8_mark_skipped", "\xEF\xBB\xBF★\r\n◆\r\n", {"★", "◆"}, false},
                      // ★ and ◆ as Notepad saves them in UTF-8, with its mark or without
                      FileCase{"utf8_read_as_shift_jis", "\xE2\x98\x85\r\n\xE2\x97\x86\r\n", {"★", "◆"}, false},
                      FileCase{"utf8_with_mark", "\xEF\xBB\xBF\xE2\x98\x85\r\n", {"★"}, false},
                      FileCase{"half_width_kana_not_taken_for_utf8", "ﾃｽ\r\n", {"ﾃｽ"}, false},  // C3 BD
                      // 表 ends in 5C, a backslash's byte; ASCII and half-width marks stay as written
                      FileCase{"bytes_kept", "表\r\n a\r\nｱ\r\n　 \r\n", {"表", " a", "ｱ", "　 "}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CategoryFile, ThatCannotBeReadOrIsInUtf16IsAnError) {
    TestFolder folder;
    std::filesystem::create_directory(folder / "Category.txt");
    EXPECT_THROW(ReadCategoryList(folder / "Category.txt"), EFileError);
    WriteBytes(folder / "utf16.txt", std::string("\xFF\xFE\x06\x26\r\0\n\0", 8));  // ★
    EXPECT_THROW(ReadCategoryList(folder / "utf16.txt"), EFileError);
}

TEST(CategoryFile, OffersAtMostAThousandMarks) {
    std::string text;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 1500; ++i) text += std::to_string(i) + "\r\n";
    const std::vector<std::string> marks = CategoryLines(text);
    ASSERT_EQ(marks.size(), kMaxCategories);
    EXPECT_EQ(marks.front(), "0");
    EXPECT_EQ(marks.back(), std::to_string(kMaxCategories - 1));
    // Written back with a mark taken out and one added, the marks no list showed stay.
    std::vector<std::string> listed(marks.begin() + 1, marks.end());
    listed.push_back("★");
    const std::vector<std::string> back = MarksOfText(CategoryFileText(listed, text));
    ASSERT_EQ(back.size(), 1500u);
    EXPECT_EQ(back[kMaxCategories - 1], "★");
    EXPECT_EQ(back[kMaxCategories], std::to_string(kMaxCategories));
    EXPECT_EQ(back.back(), "1499");
}
