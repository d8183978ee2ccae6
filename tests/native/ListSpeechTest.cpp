// What a screen reader says for an item.
#include <gtest/gtest.h>

#include "app/ListSpeech.h"

namespace {

TDateTime Day(int year, int month, int day) {
    TDateTime date = 0;
    TryEncodeDate(year, month, day, date);
    return date;
}

Tdata Item(TDateTime date, const std::string& text, const std::string& mark) {
    Tdata item;
    item.Date = date;
    item.Text = text;
    item.Category = mark;
    return item;
}

}  // namespace

TEST(ListSpeech, TheDateInWordsTheMarkTheTextAndTheDueState) {
    const TDateTime today = Day(2026, 12, 31) + 0.75;  // evening: the time of day counts for nothing
    struct Case {
        Tdata item;
        const char* spoken;
    } cases[] = {
        {Item(Day(2026, 12, 30), "牛乳", "★"), "12月30日 ★ 牛乳 期限切れ"},
        {Item(Day(2026, 12, 31) + 0.9, "会議\r\n10時", kNoCategory), "12月31日 会議 10時 今日"},
        {Item(Day(2027, 1, 1), "\t初詣\n", ""), "2027年1月1日 初詣"},
        {Item(Day(2025, 6, 5), "", "●"), "2025年6月5日 ● 期限切れ"},
        {Item(0, "いつか", ""), "期日なし いつか"},
    };
    for (const Case& c : cases) EXPECT_EQ(SpokenItem(c.item, today), c.spoken);
}
