#include <gtest/gtest.h>

#include "support/Dates.h"

TEST(DateFromText, ReadsWholeDaysSince1899) {
    EXPECT_EQ(DateFromText("18991231"), 1);
    EXPECT_EQ(DateFromText("19000101"), 2);
    EXPECT_EQ(DateFromText("20041231"), 38352);
    EXPECT_EQ(DateFromText("20240305"), 45356);
    EXPECT_EQ(DateFromText("20240305 and more"), 45356);  // characters after the eighth are ignored
}

TEST(DateFromText, GivesZeroForAnythingElse) {
    for (const char* text : {"", "2024030", "abcdefgh", "20241301", "20240230", "20230229", "00000101", "2024-3-5",
                             " 2024030", "+0240305", "18991230"})
        EXPECT_EQ(DateFromText(text), 0) << text;
    EXPECT_NE(DateFromText("20240229"), 0);
}

TEST(DateToText, WritesEightDigits) {
    TDateTime date = 0;
    ASSERT_TRUE(TryEncodeDate(2005, 3, 5, date));
    EXPECT_EQ(DateToText(date), "20050305");
    EXPECT_EQ(DateToText(date + 0.75), "20050305");  // the time of day is dropped
    ASSERT_TRUE(TryEncodeDate(1, 1, 1, date));
    EXPECT_EQ(DateToText(date), "00010101");
    EXPECT_EQ(DateToText(1e300), "00000000");
}

TEST(DateToText, RoundTripsEveryDayOfFourCenturies) {
    TDateTime first = DateFromText("19000101"), last = DateFromText("23001231");
    for (TDateTime day = first; day <= last; day += 1) ASSERT_EQ(DateFromText(DateToText(day)), day);
}

TEST(NowDateTime, IsTodayWithTimeOfDay) {
    TDateTime now = NowDateTime();
    EXPECT_GT(now, DateFromText("20200101"));
    EXPECT_LT(now, DateFromText("99991231"));
}

// An edited item keeps its time of day on the new day, before 1899-12-30 too, where the
// fraction counts away from zero: 18:00 on day -1 is -1.75, and -0.25 is a day earlier.
TEST(WithTimeOfDay, PutsTheTimeOnTheNewDayInBothDirections) {
    const TDateTime day = DateFromText("18991229"), earlier = DateFromText("18990921");
    EXPECT_EQ(WithTimeOfDay(day, 45356.75), -1.75);
    EXPECT_EQ(DateToText(WithTimeOfDay(day, 45356.75)), "18991229");
    EXPECT_EQ(DateToText(WithTimeOfDay(earlier, 45356.75)), "18990921");
    EXPECT_EQ(WithTimeOfDay(45356, -1.75), 45356.75);
    EXPECT_EQ(WithTimeOfDay(45356, 45000), 45356);
}
