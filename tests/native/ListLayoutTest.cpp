#include <gtest/gtest.h>

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
