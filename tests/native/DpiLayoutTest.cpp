#include <gtest/gtest.h>

#include <cstdlib>

#include "app/FrameLayout.h"
#include "app/ListLayout.h"
#include "framework/Dpi.h"
#include "window/WindowPlacement.h"

namespace {

struct TScaleCase {
    int dpi;
    int fontPixels;  // 9 points, the list's default font
};

class MainWindowAtDpi : public testing::TestWithParam<TScaleCase> {};

// A length of the design at the case's dpi, allowing the pixel that rounding may give or take.
void ExpectScaled(int actual, int design, int dpi, const char* what) {
    EXPECT_LE(std::abs(actual * 96 - design * dpi), dpi) << what << " at " << dpi << " dpi: " << actual;
}

void ExpectScaled(const TRect& actual, const TRect& design, int dpi, const char* what) {
    ExpectScaled(actual.Left, design.Left, dpi, what);
    ExpectScaled(actual.Top, design.Top, dpi, what);
    ExpectScaled(actual.Width(), design.Width(), dpi, what);
    ExpectScaled(actual.Height(), design.Height(), dpi, what);
}

TListGeometry ListAt(int dpi, int clientWidth, int clientHeight, int rowHeight, int lines) {
    const TFrameLayout frame = MainFrameLayout(clientWidth, dpi);
    TListGeometry g;
    g.dpi = dpi;
    g.clientWidth = clientWidth;
    g.clientHeight = g.outerHeight = clientHeight;  // borderless: the window is its client area
    g.linkBottom = frame.link.Bottom;
    g.rowHeight = rowHeight;
    g.scrollBarWidth = ScaleForDpi(17, dpi);
    g.displayLineCount = lines;
    LayoutColumns(g);
    LayoutRows(g);
    return g;
}

}  // namespace

TEST_P(MainWindowAtDpi, FixedPartsScaleAndKeepTheirDistanceToTheRightEdge) {
    const int dpi = GetParam().dpi;
    const int width = ScaleForDpi(334, dpi);
    const TFrameLayout f = MainFrameLayout(width, dpi);
    ExpectScaled(f.titleLeft, 4, dpi, "title left");
    ExpectScaled(f.titleTop, -4, dpi, "title top");
    ExpectScaled(f.foldButton, {282, 3, 306, 17}, dpi, "fold button");
    ExpectScaled(f.closeButton, {306, 3, 330, 17}, dpi, "close button");
    ExpectScaled(f.link, {239, 17, 327, 29}, dpi, "link");
    ExpectScaled(f.markFontHeight, 12, dpi, "button glyphs");
    EXPECT_EQ(f.foldButton.Right, f.closeButton.Left) << "the buttons touch at every scale";

    // A wider window moves them by exactly the extra width; the link fitted to its caption
    // keeps its right edge.
    const TFrameLayout wide = MainFrameLayout(width + 100, dpi, 40);
    EXPECT_EQ(wide.closeButton.Left, f.closeButton.Left + 100);
    EXPECT_EQ(wide.link.Right, f.link.Right + 100);
    EXPECT_EQ(wide.link.Width(), 40);
}

TEST_P(MainWindowAtDpi, ListRowsAndFoldedHeightScale) {
    const auto [dpi, fontPixels] = GetParam();
    EXPECT_EQ(PointFontPixels(9, dpi), fontPixels);
    const int row = ListRowHeight(fontPixels, dpi);
    ExpectScaled(row, 16, dpi, "row");
    const TListGeometry g = ListAt(dpi, ScaleForDpi(334, dpi), ScaleForDpi(248, dpi), row, 13);
    ExpectScaled(TRect{g.listLeft, g.listTop, g.listRight, g.listBottom}, {8, 33, 309, 240}, dpi, "list");
    EXPECT_EQ(g.visibleRows, 12) << "the design's rows fit at every scale";
    EXPECT_TRUE(g.scrollBarShown);
    ExpectScaled(g.scrollBarLeft, 310, dpi, "scroll bar");
    ExpectScaled(g.foldedHeight, 41, dpi, "folded height");

    const TListGeometry folded = ListAt(dpi, ScaleForDpi(334, dpi), g.foldedHeight, row, 13);
    EXPECT_EQ(folded.visibleRows, 0);
    EXPECT_EQ(folded.foldedHeight, g.foldedHeight);
}

TEST_P(MainWindowAtDpi, StoredSizesAreInDesignUnits) {
    const int dpi = GetParam().dpi;
    const TWindowSize screen{4000, 3000};
    const TWindowSize minimum{ScaleForDpi(58, dpi), ListAt(dpi, 400, 400, 20, 0).foldedHeight};
    // The design's window, stored at any scale, is the design's size.
    const TWindowSize design = StoredSizeAtDpi({ScaleForDpi(334, dpi), ScaleForDpi(248, dpi)}, dpi);
    EXPECT_EQ(design.width, 334);
    EXPECT_EQ(design.height, 248);
    // Stored at one scale, restored at another: the same look.
    const TWindowSize at96 = RestoredSizeAtDpi({500, 300}, {1, 1}, {58, 41}, screen, 96);
    const TWindowSize here = RestoredSizeAtDpi({500, 300}, {1, 1}, minimum, screen, dpi);
    ExpectScaled(here.width, at96.width, dpi, "width");
    ExpectScaled(here.height, at96.height, dpi, "height");
    // Every height comes back as it went out, within the rounding; a folded one (the minimum,
    // whatever the fonts make it) exactly, or the window would open unfolded by a pixel.
    for (int height = 30; height < 100; ++height) {
        const TWindowSize stored = StoredSizeAtDpi({400, height}, dpi);
        if (height >= minimum.height) {
            EXPECT_LE(std::abs(RestoredSizeAtDpi(stored, {1, 1}, minimum, screen, dpi).height - height), dpi / 96);
        }
        EXPECT_EQ(RestoredSizeAtDpi(stored, {1, 1}, {58, height}, screen, dpi).height, height) << dpi;
    }
    // A hand-edited size below the minimum still brings back the default size.
    const TWindowSize fallback{ScaleForDpi(334, dpi), ScaleForDpi(248, dpi)};
    const TWindowSize damaged = RestoredSizeAtDpi({10, 10}, fallback, minimum, screen, dpi);
    EXPECT_EQ(damaged.width, fallback.width);
    EXPECT_EQ(damaged.height, fallback.height);
}

INSTANTIATE_TEST_SUITE_P(Dpi, MainWindowAtDpi,
                         testing::Values(TScaleCase{96, 12}, TScaleCase{120, 15}, TScaleCase{144, 18},
                                         TScaleCase{192, 24}),
                         [](const auto& info) { return std::to_string(info.param.dpi); });

TEST(Dpi, RoundsAsMulDivDoes) {
    EXPECT_EQ(MulDivRounded(3, 144, 96), 5);    // 4.5: half away from zero
    EXPECT_EQ(MulDivRounded(-3, 144, 96), -5);
    EXPECT_EQ(MulDivRounded(1, 120, 96), 1);    // 1.25
    EXPECT_EQ(MulDivRounded(1000000000, 2, 4), 500000000);  // no overflow on the way
    EXPECT_EQ(MulDivRounded(5, 1, 0), -1);
    EXPECT_EQ(SaneDpi(0), 96);
    EXPECT_EQ(SaneDpi(144), 144);
}

TEST(WindowRegion, CornerStepsGrowWithTheDpi) {
    const std::vector<TRect> at96 = WindowRegionRects(100, 50, true);
    const std::vector<TRect> at192 = WindowRegionRects(200, 100, true, 192);
    ASSERT_EQ(at96.size(), at192.size());
    for (std::size_t i = 0; i < at96.size(); ++i) {
        EXPECT_EQ(at192[i].Left, 2 * at96[i].Left);
        EXPECT_EQ(at192[i].Top, 2 * at96[i].Top);
        EXPECT_EQ(at192[i].Right, 2 * at96[i].Right);
        EXPECT_EQ(at192[i].Bottom, 2 * at96[i].Bottom);
    }
}
