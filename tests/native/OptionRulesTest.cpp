// The options dialog's rules: spin values, adding and deleting marks, one folder by two names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/OptionRules.h"

namespace {

struct SpinCase {
    const char* text;
    TSpinRange range;
    int value;
};

class SpinText : public ::testing::TestWithParam<SpinCase> {};

struct MarksCase {
    std::vector<std::string> present;
    const char* marks;
    std::vector<std::string> added;
};

class Marks : public ::testing::TestWithParam<MarksCase> {};

struct FolderCase {
    const char *a, *b;
    bool same;
};

class Folders : public ::testing::TestWithParam<FolderCase> {};

}  // namespace

TEST_P(SpinText, StaysInRange) {
    EXPECT_EQ(SpinValueOfText(GetParam().text, GetParam().range), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Values, SpinText,
                         ::testing::Values(SpinCase{"0", {1, 9999}, 1}, SpinCase{"30", {1, 9999}, 30},
                                           SpinCase{"10000", {1, 9999}, 9999}, SpinCase{"-5", {0, 64}, 0},
                                           SpinCase{" 64 ", {0, 64}, 64}, SpinCase{"+7", {0, 64}, 7},
                                           SpinCase{"abc", {1, 500}, 1}, SpinCase{"12x", {1, 500}, 1},
                                           SpinCase{"", {0, 100}, 0}, SpinCase{"-", {0, 100}, 0},
                                           SpinCase{"99999999999999999999999", {1, 500}, 500},
                                           SpinCase{"-99999999999999999999999", {1, 500}, 1}));

TEST(SpinValue, StoredValueOutsideTakesTheNearestBound) {
    EXPECT_EQ(ClampSpinValue(0, {1, 9999}), 1);
    EXPECT_EQ(ClampSpinValue(501, {1, 500}), 500);
    EXPECT_EQ(ClampSpinValue(-2147483648LL, {0, 100}), 0);
}

TEST_P(Marks, AddsOnlyNewCharacters) { EXPECT_EQ(MarksToAdd(GetParam().present, GetParam().marks), GetParam().added); }

INSTANTIATE_TEST_SUITE_P(Sets, Marks,
                         ::testing::Values(MarksCase{{"　", "☆", "★"}, "★☆◆◇", {"◆", "◇"}},
                                           MarksCase{{"①", "⑤"}, "①②③④⑤⑥⑦⑧⑨", {"②", "③", "④", "⑥", "⑦", "⑧", "⑨"}},
                                           MarksCase{{}, "★★", {"★"}},     // twice in the text: once
                                           MarksCase{{"a"}, "Ab", {"b"}},  // letter case aside
                                           MarksCase{
                                               {"　"}, "表", {"表"}},  // a trail byte 5C is no character of its own
                                           MarksCase{{"★"}, "", {}}));

TEST(DeleteSelection, CategoryTakesTheFollowingOrNone) {
    EXPECT_EQ(CategorySelectionAfterDelete(1, 3), 1);   // the one that followed
    EXPECT_EQ(CategorySelectionAfterDelete(2, 2), -1);  // the last went
    EXPECT_EQ(CategorySelectionAfterDelete(0, 0), -1);
}

TEST(DeleteSelection, PictureTakesTheFollowingOrTheOneBefore) {
    EXPECT_EQ(PictureSelectionAfterDelete(1, 3), 1);
    EXPECT_EQ(PictureSelectionAfterDelete(3, 3), 2);
    EXPECT_EQ(PictureSelectionAfterDelete(1, 1), 0);  // only "標準" is left
}

TEST_P(Folders, ComparedAsFolders) {
    EXPECT_EQ(SameFolderText(GetParam().a, GetParam().b), GetParam().same) << GetParam().a << " " << GetParam().b;
}

INSTANTIATE_TEST_SUITE_P(Names, Folders,
                         ::testing::Values(FolderCase{"C:\\Data\\", "C:\\Data", true},
                                           FolderCase{"c:\\data", "C:\\DATA\\\\", true},
                                           FolderCase{"C:/Data/", "C:\\Data", true},
                                           FolderCase{"C:\\Data", "C:\\Data2", false},
                                           FolderCase{"C:\\表", "C:\\表\\", true},  // 95 5C is not a separator
                                           FolderCase{"C:\\表", "C:\\", false}));
