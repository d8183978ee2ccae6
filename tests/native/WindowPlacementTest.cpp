#include <gtest/gtest.h>

#include <string>

#include "window/WindowPlacement.h"

namespace {

std::string Text(const TRect& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

struct HitCase {
    int x, y;
    TRect window;
    THitCode code;
};

class EdgeHit : public ::testing::TestWithParam<HitCase> {};

}  // namespace

TEST_P(EdgeHit, FindsTheBand) {
    const HitCase& c = GetParam();
    EXPECT_EQ(EdgeHitTest(c.x, c.y, c.window), c.code);
}

constexpr TRect kWindow{100, 50, 300, 150};
constexpr TRect kLeftOfPrimary{-500, -300, -200, -100};  // a monitor left of and above the primary one
constexpr TRect kNarrow{0, 0, 8, 8};

INSTANTIATE_TEST_SUITE_P(
    Bands, EdgeHit,
    ::testing::Values(HitCase{200, 100, kWindow, htNone}, HitCase{104, 100, kWindow, htLeft},
                      HitCase{105, 100, kWindow, htNone}, HitCase{296, 100, kWindow, htRight},
                      HitCase{295, 100, kWindow, htNone}, HitCase{200, 54, kWindow, htTop},
                      HitCase{200, 146, kWindow, htBottom}, HitCase{101, 51, kWindow, htTopLeft},
                      HitCase{299, 51, kWindow, htTopRight}, HitCase{101, 149, kWindow, htBottomLeft},
                      HitCase{299, 149, kWindow, htBottomRight}, HitCase{-202, -200, kLeftOfPrimary, htRight},
                      HitCase{-499, -299, kLeftOfPrimary, htTopLeft}, HitCase{-350, -200, kLeftOfPrimary, htNone},
                      HitCase{4, 4, kNarrow, htBottomRight}));

namespace {

struct SnapCase {
    const char* name;
    TRect window, work;
    int distance;
    TRect expected;
};

class Snap : public ::testing::TestWithParam<SnapCase> {};

}  // namespace

TEST_P(Snap, ToTheWorkAreaEdges) {
    const SnapCase& c = GetParam();
    EXPECT_EQ(Text(SnapToWorkArea(c.window, c.work, c.distance)), Text(c.expected));
}

constexpr TRect kScreen{0, 0, 1024, 768};
constexpr TRect kShrunk{0, 0, 1024, 728};  // a taskbar along the bottom

INSTANTIATE_TEST_SUITE_P(
    Edges, Snap,
    ::testing::Values(SnapCase{"top_31", {100, 31, 300, 131}, kScreen, 32, {100, 0, 300, 100}},
                      SnapCase{"top_32_stays", {100, 32, 300, 132}, kScreen, 32, {100, 32, 300, 132}},
                      SnapCase{"above_top", {100, -20, 300, 80}, kScreen, 32, {100, 0, 300, 100}},
                      SnapCase{"left", {-10, 300, 190, 400}, kScreen, 32, {0, 300, 200, 400}},
                      SnapCase{"right", {800, 300, 1000, 400}, kScreen, 32, {824, 300, 1024, 400}},
                      SnapCase{"bottom_of_work_area", {100, 600, 300, 700}, kShrunk, 32, {100, 628, 300, 728}},
                      SnapCase{
                          "bottom_of_screen_is_not_an_edge", {100, 640, 300, 740}, kShrunk, 10, {100, 640, 300, 740}},
                      SnapCase{"corner", {1000, 700, 1040, 730}, kShrunk, 32, {984, 698, 1024, 728}},
                      SnapCase{"off", {100, 20, 300, 120}, kScreen, 0, {100, 20, 300, 120}}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct PlaceCase {
    const char* name;
    TRect window;
    std::vector<TMonitorArea> monitors;
    TRect expected;
};

class OnScreen : public ::testing::TestWithParam<PlaceCase> {};

const std::vector<TMonitorArea> kOne = {{{0, 0, 1024, 728}, true}};
const std::vector<TMonitorArea> kSideBySide = {{{0, 0, 1024, 728}, true}, {{1024, 0, 2048, 768}, false}};
const std::vector<TMonitorArea> kLeftOf = {{{0, 0, 1024, 728}, true}, {{-1280, -200, 0, 824}, false}};

}  // namespace

TEST_P(OnScreen, KeepsOrCentres) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(Text(EnsureOnScreen(c.window, c.monitors, 1024, 768)), Text(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, OnScreen,
    ::testing::Values(PlaceCase{"on_the_one", {100, 100, 434, 348}, kOne, {100, 100, 434, 348}},
                      PlaceCase{"gone_monitor", {1500, 100, 1834, 348}, kOne, {345, 260, 679, 508}},
                      PlaceCase{"on_the_second", {1500, 100, 1834, 348}, kSideBySide, {1500, 100, 1834, 348}},
                      PlaceCase{"left_of_primary", {-900, -100, -566, 148}, kLeftOf, {-900, -100, -566, 148}},
                      PlaceCase{"snapped_to_a_gone_left_monitor", {-334, 100, 0, 348}, kOne, {345, 260, 679, 508}},
                      PlaceCase{"one_column_on_the_left", {-333, 100, 1, 348}, kOne, {-333, 100, 1, 348}},
                      PlaceCase{"too_big_and_off", {3000, 3000, 5000, 4000}, kOne, {0, 0, 1024, 768}},
                      PlaceCase{"top_just_above", {100, -8, 434, 240}, kOne, {100, -8, 434, 240}},
                      PlaceCase{"top_too_far_above", {100, -9, 434, 239}, kOne, {345, 260, 679, 508}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FitToWorkArea, MovesInsideAndAlignsALargeWindowTopLeft) {
    const TRect work{-1280, -200, 0, 824};
    EXPECT_EQ(Text(FitToWorkArea({-100, 700, 309, 870}, work)), Text({-409, 654, 0, 824}));
    EXPECT_EQ(Text(FitToWorkArea({-1300, -300, -900, -100}, work)), Text({-1280, -200, -880, 0}));
    EXPECT_EQ(Text(FitToWorkArea({0, 0, 2000, 2000}, {0, 0, 1024, 728})), Text({0, 0, 2000, 2000}));
}

// Kept in the bottom-right corner at 96 dpi and started at 192: the doubled window is moved
// back whole, its corner kept; one the user left hanging off the screen stays as it was.
TEST(KeepInsideAtLargerScale, BringsBackAWindowOnlyTheNewScalePushedOff) {
    const TRect work{0, 0, 1024, 728};
    EXPECT_EQ(Text(KeepInsideAtLargerScale({690, 480, 1358, 976}, {334, 248}, work)), Text({356, 232, 1024, 728}));
    EXPECT_EQ(Text(KeepInsideAtLargerScale({800, 480, 1468, 976}, {334, 248}, work)), Text({800, 480, 1468, 976}));
    EXPECT_EQ(Text(KeepInsideAtLargerScale({100, 100, 768, 596}, {334, 248}, work)), Text({100, 100, 768, 596}));
    EXPECT_EQ(Text(KeepInsideAtLargerScale({0, 0, 1400, 1000}, {700, 500}, work)), Text({0, 0, 1400, 1000}));
}

// A size kept from a larger screen is cut to a work area short of the taskbar's rows.
TEST(ShrinkToWorkArea, CutsTheSizeDownToTheWorkAreaButNotBelowTheMinimum) {
    const TRect work{0, 0, 1366, 728};
    EXPECT_EQ(Text(ShrinkToWorkArea({10, 20, 1376, 788}, work, {240, 150})), Text({10, 20, 1376, 748}));
    EXPECT_EQ(Text(ShrinkToWorkArea({0, 0, 409, 170}, work, {240, 150})), Text({0, 0, 409, 170}));
    EXPECT_EQ(Text(ShrinkToWorkArea({0, 0, 409, 170}, {0, 0, 200, 100}, {240, 150})), Text({0, 0, 240, 150}));
}

TEST(BoundStoredSize, AbsurdStoredSizesStayUsable) {
    EXPECT_EQ(BoundStoredSize(0, 58, 1024), 58);
    EXPECT_EQ(BoundStoredSize(-300, 41, 768), 41);
    EXPECT_EQ(BoundStoredSize(100000, 58, 1024), 1024);
    EXPECT_EQ(BoundStoredSize(334, 58, 1024), 334);
}

// Row by row the union cuts 4, 2, 1 and 1 pixels from each corner.
TEST(WindowRegion, SteppedCornerRowByRow) {
    const int w = 20, h = 12;
    const auto rects = WindowRegionRects(w, h, true);
    auto inside = [&](int x, int y) {
        for (const TRect& r : rects)
            if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return true;
        return false;
    };
    const int cut[] = {4, 2, 1, 1, 0};
    for (int row = 0; row < 5; ++row)
        for (int y : {row, h - 1 - row}) {
            int first = 0;
            while (first < w && !inside(first, y)) ++first;
            int last = w - 1;
            while (last >= 0 && !inside(last, y)) --last;
            EXPECT_EQ(first, cut[row]) << "row " << y;
            EXPECT_EQ(w - 1 - last, cut[row]) << "row " << y;
        }
    EXPECT_EQ(Text(WindowRegionRects(w, h, false).front()), Text({0, 0, 20, 13}));
}

namespace {

struct SizeCase {
    const char* name;
    TWindowSize stored, expected;
};

class StoredSize : public ::testing::TestWithParam<SizeCase> {};

}  // namespace

// Default 334 × 248, minimum 58 × 41 (the folded height), a 1024 × 768 screen.
TEST_P(StoredSize, AbsurdSizesBringBackTheDefault) {
    const SizeCase& c = GetParam();
    const TWindowSize size = RestoredSize(c.stored, {334, 248}, {58, 41}, {1024, 768});
    EXPECT_EQ(size.width, c.expected.width);
    EXPECT_EQ(size.height, c.expected.height);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoredSize,
    ::testing::Values(SizeCase{"Zero", {0, 0}, {334, 248}}, SizeCase{"NegativeWidth", {-300, 400}, {334, 248}},
                      SizeCase{"BelowTheMinimumWidth", {57, 400}, {334, 248}},
                      SizeCase{"BelowTheFoldedHeight", {400, 40}, {334, 248}},
                      SizeCase{"FoldedStaysFolded", {400, 41}, {400, 41}},
                      SizeCase{"NarrowestStays", {58, 300}, {58, 300}}, SizeCase{"Ordinary", {500, 300}, {500, 300}},
                      SizeCase{"PastTheScreen", {100000, 100000}, {1024, 768}}),
    [](const auto& info) { return std::string(info.param.name); });
