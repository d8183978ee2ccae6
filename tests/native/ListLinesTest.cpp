// The list's lines are built again only as far as something changed: counted through the
// measurer's fits and the collator's comparisons.
#include <gtest/gtest.h>

#include "CountingText.h"
#include "app/ListLines.h"

namespace {

class CountingCollator : public TTextCollator {
public:
    int Compare(const std::string& a, const std::string& b) const override {
        ++compares;
        return a.compare(b);
    }
    mutable int compares = 0;
};

class ListLines : public ::testing::Test {
protected:
    void SetUp() override {
        TTodoData::SetCollator(&collator_);
        for (const char* text : {"delta", "alpha", "a rather long text that wraps", "alpha", "charlie"}) {
            const int i = items_.NewItem();
            items_.SetText(i, text);
            items_.SetDate(i, 45000);
        }
        settings_.wordWrap = true;
        settings_.width = 60;
        settings_.font = "MS/9/128";
        settings_.sortType = skText;
    }
    void TearDown() override { TTodoData::SetCollator(nullptr); }
    void Build() {
        canvas_.Reset();
        collator_.compares = 0;
        lines_.Build(items_, canvas_, settings_);
    }

    CountingCollator collator_;
    CountingText canvas_;
    TTodoData items_;
    TLineSettings settings_;
    TListLines lines_;
};

}  // namespace

TEST_F(ListLines, UnchangedItemsAndWidthSortAndMeasureNothing) {
    Build();
    EXPECT_GT(collator_.compares, 0);
    EXPECT_EQ(canvas_.fits, 6);  // alpha once for both; the long text takes three lines
    EXPECT_EQ(items_.GetText(0), "a rather long text that wraps");
    EXPECT_EQ(items_.GetLineCount(0), 3);
    EXPECT_EQ(lines_.FirstLineOf(1), 3);
    EXPECT_EQ(lines_.EndLineOf(2), 5);
    EXPECT_EQ(lines_.Items(), (std::vector<int>{0, 0, 0, 1, 2, 3, 4}));
    const std::vector<std::string> texts = lines_.Texts();

    // A change of height, a finished rendering, a menu opening: the same items, width and font.
    EXPECT_FALSE(lines_.Build(items_, canvas_, settings_));
    settings_.font = "MS/9/128";
    Build();
    EXPECT_EQ(canvas_.fits, 0);
    EXPECT_EQ(collator_.compares, 0);
    EXPECT_EQ(lines_.Texts(), texts);
}

TEST_F(ListLines, OneEditMeasuresOneText) {
    Build();
    items_.SetText(4, "bravo");
    Build();
    EXPECT_EQ(canvas_.fits, 1);
    EXPECT_GT(collator_.compares, 0);
    EXPECT_EQ(items_.GetText(3), "bravo");
    items_.SetColor(0, 255);  // not shown in the text, but the sort may depend on it
    Build();
    EXPECT_EQ(canvas_.fits, 0);
    EXPECT_GT(collator_.compares, 0);
}

TEST_F(ListLines, WidthFontOrWrappingMeasureAgainWithoutSorting) {
    Build();
    settings_.width = 90;
    Build();
    EXPECT_EQ(canvas_.fits, 5);  // the long text now takes two lines
    EXPECT_EQ(collator_.compares, 0);
    settings_.font = "MS/12/128";
    Build();
    EXPECT_EQ(canvas_.fits, 5);
    settings_.wordWrap = false;
    Build();
    EXPECT_EQ(lines_.Texts().size(), 5u);
    EXPECT_EQ(collator_.compares, 0);
    settings_.sortDescending = true;
    Build();
    EXPECT_EQ(canvas_.fits, 0);
    EXPECT_GT(collator_.compares, 0);
    EXPECT_EQ(items_.GetText(0), "delta");
}

TEST_F(ListLines, WithoutAutomaticSortingTheOrderStays) {
    settings_.sortAuto = false;
    Build();
    EXPECT_EQ(collator_.compares, 0);
    EXPECT_EQ(items_.GetText(0), "delta");
    EXPECT_EQ(lines_.RecordAt(0), items_.Record(0));
}

// Wrapped, every item keeps a row for its date and mark: an empty text, or one whose first
// character is wider than a narrowed column, would leave an item nobody can see or select.
TEST_F(ListLines, AnItemWithNoTextToShowKeepsOneLine) {
    items_.SetText(items_.NewItem(), "");
    settings_.sortAuto = false;
    Build();
    ASSERT_EQ(lines_.ItemCount(), 6);
    EXPECT_EQ(lines_.EndLineOf(5) - lines_.FirstLineOf(5), 1);
    EXPECT_EQ(lines_.Texts().back(), "");
    EXPECT_EQ(items_.GetLineCount(5), 1);
    settings_.width = 0;
    Build();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(lines_.EndLineOf(i) - lines_.FirstLineOf(i), 1) << i;
    EXPECT_EQ(lines_.Items(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
}
