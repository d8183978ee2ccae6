#include <gtest/gtest.h>

#include <random>

#include "CountingText.h"
#include "StandInText.h"
#include "app/ListLayout.h"

using Lines = std::vector<std::string>;

TEST(ListLayout, DesignPositionsFoldTo41) {
    TListGeometry g;
    g.clientWidth = 334;
    g.clientHeight = g.outerHeight = 248;
    g.dateWidth = 33;
    g.markWidth = 13;
    LayoutColumns(g);
    EXPECT_EQ(g.listTop, 33);
    EXPECT_EQ(g.listBottom, 240);
    EXPECT_EQ(g.foldedHeight, 41);
    EXPECT_EQ(g.textColumnWidth, 318 - 33 - 13 - 17 - 4);
    g.displayLineCount = 12;  // exactly as many lines as whole rows: no scroll bar
    LayoutRows(g);
    EXPECT_EQ(g.visibleRows, 207 / 16);
    EXPECT_EQ(g.visibleRows, 12);
    EXPECT_FALSE(g.scrollBarShown);
    EXPECT_EQ(g.listRight, 326);
    g.displayLineCount = 13;
    LayoutColumns(g);
    LayoutRows(g);
    EXPECT_TRUE(g.scrollBarShown);
    EXPECT_EQ(g.scrollBarLeft, 310);
    EXPECT_EQ(g.listRight, 309);

    TListGeometry folded = g;
    folded.clientHeight = folded.outerHeight = 41;
    LayoutColumns(folded);
    LayoutRows(folded);
    EXPECT_EQ(folded.visibleRows, 0);
    EXPECT_FALSE(folded.scrollBarShown);
    EXPECT_EQ(folded.foldedHeight, 41);

    TListGeometry narrow = g;
    narrow.clientWidth = 60;
    LayoutColumns(narrow);
    EXPECT_EQ(narrow.textColumnWidth, 0);
}

TEST(WrapText, PiecesAndEdges) {
    StandInText canvas;
    EXPECT_EQ(WrapText("", canvas, 60), Lines{});
    EXPECT_EQ(WrapText("abcdefghij", canvas, 60), Lines{"abcdefghij"});
    EXPECT_EQ(WrapText("abcdefghijk", canvas, 60), (Lines{"abcdefghij", "k"}));
    EXPECT_EQ(WrapText("ab\r\ncd\nef", canvas, 60), (Lines{"ab", "cd\n", "ef"}));
    EXPECT_EQ(WrapText("表ソ能表ソ能", canvas, 30), (Lines{"表ソ", "能表", "ソ能"}));  // never half a character
    EXPECT_EQ(WrapText("表abc", canvas, 11), Lines{});      // the first character is wider than the column
    EXPECT_EQ(WrapText("ab表", canvas, 11), (Lines{"a", "b"}));  // 表 no longer fits: the rest is not shown
    EXPECT_EQ(WrapText("abc", canvas, 0), Lines{});
    EXPECT_EQ(FirstLine("a\nb", canvas, 600), "a\n");
}

namespace {

// The line breaks as the list has always made them: a character walk summing single widths,
// the whole text taken at once when it has no LF and fits.
Lines WrapByCharacters(std::string text, const TTextMeasurer& canvas, int width) {
    Lines lines;
    while (!text.empty()) {
        std::size_t end = text.size();
        if (text.find('\n') != std::string::npos || canvas.TextWidth(text) > width) {
            int sum = 0;
            for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
                sum += canvas.TextWidth(text.substr(i, CharLength(text, i)));
                if (sum > width) { end = i; break; }
                if (CharLength(text, i) == 1 && text[i] == '\n') { end = i + 1; break; }
            }
        }
        if (end == 0) break;
        std::string piece = text.substr(0, end), kept;
        text.erase(0, end);
        for (std::size_t i = 0; i < piece.size(); ++i)
            if (piece[i] == '\r' && i + 1 < piece.size() && piece[i + 1] == '\n') ++i;
            else kept += piece[i];
        lines.push_back(kept);
    }
    return lines;
}

}  // namespace

// Random texts of ASCII, two-byte characters (one with a LF as its second byte), CR LF, lone
// LF and a lead byte at the very end break where they always did, wrapped or cut with "..".
TEST(WrapText, BreaksAsTheCharacterWalkDid) {
    const std::vector<std::string> parts = {"a", "W", " ", "表", "ソ", "\r\n", "\n", "\r", "\x81\n", "i"};
    std::mt19937 random(7);
    CountingText canvas;
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int n = static_cast<int>(random() % 40); n > 0; --n) text += parts[random() % parts.size()];
        if (round % 7 == 0) text += "\x82";
        const int width = static_cast<int>(random() % 70);
        EXPECT_EQ(WrapText(text, canvas, width), WrapByCharacters(text, canvas, width)) << round;
        std::string joined = text;
        for (std::size_t at; (at = joined.find("\r\n")) != std::string::npos;) joined.replace(at, 2, " ");
        EXPECT_EQ(SingleDisplayLine(text, canvas, width), FitTextWithDots(joined, canvas, width)) << round;
    }
}

// One fitting measurement per piece, and every byte measured about once: a long pasted text
// costs in proportion to its length.
TEST(WrapText, LinearInTheTextsLength) {
    CountingText canvas;
    const std::string text(65000, 'a');  // 'a' is 5 pixels wide here: 12 to a 60-pixel line
    const Lines lines = WrapText(text, canvas, 60);
    ASSERT_EQ(lines.size(), 65000u / 12 + 1);
    EXPECT_EQ(canvas.fits, static_cast<int>(lines.size()));
    EXPECT_LE(canvas.measuredBytes, text.size() + lines.size());
    canvas.Reset();
    std::string lineFeeds;
    for (int i = 0; i < 5000; ++i) lineFeeds += "表ab\r\n";
    EXPECT_EQ(WrapText(lineFeeds, canvas, 600).size(), 5000u);
    EXPECT_LE(canvas.measuredBytes, lineFeeds.size() + 5000);
}

TEST(WrapText, SingleLineWhenWrappingIsOff) {
    StandInText canvas;
    EXPECT_EQ(SingleDisplayLine("ab\r\ncd", canvas, 600), "ab cd");
    EXPECT_EQ(SingleDisplayLine("abcdefghij", canvas, 36), "abcd..");
}

TEST(Scrolling, TopLineSelectionAndHits) {
    EXPECT_EQ(BoundTopLine(-3, 20, 5), 0);
    EXPECT_EQ(BoundTopLine(30, 20, 5), 15);
    EXPECT_EQ(BoundTopLine(4, 3, 5), -2);  // a hidden bar leaves a negative difference
    EXPECT_EQ(FirstShownLine(7, 3, 5), 0);
    EXPECT_EQ(FirstShownLine(7, 20, 5), 7);
    // Scrolled down one line, then the window grew one row: every line fits again.
    EXPECT_EQ(FirstShownLine(1, 13, 13), 0);

    const std::vector<int> lineItems = {0, 0, 1, 2, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(VisibleSelection(2, lineItems, 2, 3), 2);
    EXPECT_EQ(VisibleSelection(0, lineItems, 2, 3), -1);  // scrolled out above
    EXPECT_EQ(VisibleSelection(4, lineItems, 2, 3), -1);  // below the last whole row
    EXPECT_EQ(VisibleSelection(3, lineItems, 2, 3), 3);   // in the partial row under the whole rows
    EXPECT_EQ(VisibleSelection(-1, lineItems, 2, 3), -1);

    EXPECT_EQ(ItemAtRow(33, 33, 16, 0, lineItems), 0);
    EXPECT_EQ(ItemAtRow(33 + 16 * 2 + 15, 33, 16, 0, lineItems), 1);
    EXPECT_EQ(ItemAtRow(33 + 16 * 2, 33, 16, 5, lineItems), 5);
    EXPECT_EQ(ItemAtRow(32, 33, 16, 0, lineItems), -1);
    EXPECT_EQ(ItemAtRow(33 + 16 * 10, 33, 16, 0, lineItems), -1);  // empty space under the lines
}

TEST(Scrolling, ItemAtPointCountsTheEdgesAsInside) {
    const std::vector<int> lineItems = {0, 1, 2};
    // List area (8, 33)–(326, 240), rows of 16.
    EXPECT_EQ(ItemAtPoint(8, 33, 8, 33, 326, 240, 16, 0, lineItems), 0);
    EXPECT_EQ(ItemAtPoint(326, 49, 8, 33, 326, 240, 16, 0, lineItems), 1);
    EXPECT_EQ(ItemAtPoint(7, 33, 8, 33, 326, 240, 16, 0, lineItems), -1);
    EXPECT_EQ(ItemAtPoint(327, 33, 8, 33, 326, 240, 16, 0, lineItems), -1);
    EXPECT_EQ(ItemAtPoint(100, 32, 8, 33, 326, 240, 16, 0, lineItems), -1);
    EXPECT_EQ(ItemAtPoint(100, 240, 8, 33, 326, 240, 16, 0, lineItems), -1);  // below the three lines
    EXPECT_EQ(ItemAtPoint(100, 241, 8, 33, 326, 240, 16, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}), -1);
    EXPECT_EQ(ItemAtPoint(100, 33, 8, 33, 326, 33, 16, 0, lineItems), -1);  // folded: no height, no row
}

namespace {

struct ShowCase {
    const char* name;
    int topLine, first, last, visibleRows, expected;
};

class ShowItem : public ::testing::TestWithParam<ShowCase> {};

}  // namespace

TEST_P(ShowItem, ScrollsJustEnough) {
    const ShowCase& c = GetParam();
    EXPECT_EQ(ScrollToShow(c.topLine, c.first, c.last, c.visibleRows), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ShowItem,
    ::testing::Values(ShowCase{"AlreadyShown", 10, 12, 13, 5, 10}, ShowCase{"LastWholeRow", 10, 14, 14, 5, 10},
                      ShowCase{"AboveComesToTheTop", 10, 4, 5, 5, 4},
                      ShowCase{"BelowComesToTheBottom", 10, 30, 31, 5, 27},
                      ShowCase{"InThePartialRow", 10, 15, 15, 5, 11},
                      ShowCase{"TallerThanTheRowsShowsItsFirstLine", 10, 20, 29, 5, 20},
                      ShowCase{"TallAndPartlyShownKeepsItsFirstLineAtTheTop", 10, 12, 29, 5, 12},
                      ShowCase{"FoldedStays", 10, 30, 30, 0, 10}, ShowCase{"NoLineStays", 10, 30, 29, 5, 10}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct StepCase {
    const char* name;
    std::vector<int> lineItems;  // the item of each display line
    int itemCount, firstShown, visibleRows, selected;
    bool down;
    int topLine, result;  // topLine −1: the list does not scroll
};

class SelectionSteps : public ::testing::TestWithParam<StepCase> {};

}  // namespace

TEST_P(SelectionSteps, ScrollOrMove) {
    const StepCase& c = GetParam();
    const TSelectionStep step = c.down ? StepDown(c.selected, c.itemCount, c.firstShown, c.visibleRows, c.lineItems)
                                       : StepUp(c.selected, c.firstShown, c.lineItems);
    EXPECT_EQ(step.topLine, c.topLine);
    EXPECT_EQ(step.selected, c.result);
}

// Item 1 wraps to three lines: lines 0 | 1 1 1 | 2 | 3.
INSTANTIATE_TEST_SUITE_P(
    Lists, SelectionSteps,
    ::testing::Values(StepCase{"DownFromNoneSelectsTheFirst", {0, 1, 2}, 3, 0, 5, -1, true, -1, 0},
                      StepCase{"DownFromNoneSelectsTheFirstInView", {0, 1, 1, 1, 2, 3}, 4, 2, 2, -1, true, -1, 1},
                      StepCase{"DownFromNoneFoldedSelectsTheFirst", {0, 1, 2}, 3, 3, 0, -1, true, -1, 0},
                      StepCase{"DownOnTheLastStays", {0, 1, 2}, 3, 0, 5, 2, true, -1, 2},
                      StepCase{"DownIntoThePartialRowSelects", {0, 1, 1, 1, 2, 3}, 4, 0, 2, 0, true, -1, 1},
                      StepCase{"DownScrollsTheWrappedItemIntoView", {0, 1, 1, 1, 2, 3}, 4, 0, 2, 1, true, 1, 1},
                      StepCase{"DownScrollsUntilItIsWhole", {0, 1, 1, 1, 2, 3}, 4, 1, 2, 1, true, 2, 1},
                      StepCase{"DownOnceWholeMovesOn", {0, 1, 1, 1, 2, 3}, 4, 2, 2, 1, true, -1, 2},
                      StepCase{"DownAtTheEndOfTheLines", {0, 1, 1, 1, 2, 3}, 4, 4, 2, 3, true, -1, 3},
                      StepCase{"UpOnTheFirstClears", {0, 1, 2}, 3, 0, 5, 0, false, -1, -1},
                      StepCase{"UpFromNoneStaysNone", {0, 1, 2}, 3, 0, 5, -1, false, -1, -1},
                      StepCase{"UpScrollsBackOverTheWrappedItem", {0, 1, 1, 1, 2, 3}, 4, 2, 2, 1, false, 1, 1},
                      StepCase{"UpScrollsWhileTheTopLineIsTheSelection", {0, 1, 1, 1, 2, 3}, 4, 1, 2, 1, false, 0, 1},
                      StepCase{"UpOnTheTopLineMoves", {0, 1, 1, 1, 2, 3}, 4, 0, 2, 1, false, -1, 0},
                      StepCase{"UpFoldedPastTheLastLine", {0, 1, 2}, 3, 3, 0, 2, false, -1, 1}),
    [](const auto& info) { return std::string(info.param.name); });
