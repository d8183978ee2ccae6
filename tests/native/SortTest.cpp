#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "todo/TodoData.h"

namespace {

// The straightforward sort the order must equal: exchange neighbours in the wrong order.
void BubbleSort(std::vector<Tdata>& items, int key, bool descending) {
    const int n = static_cast<int>(items.size());
    for (int i = 1; i < n; ++i)
        for (int j = n - 1; j >= i; --j)
            if (TTodoData::CompareItems(items[j - 1], items[j], key, descending) < 0) std::swap(items[j - 1], items[j]);
}

int Add(TTodoData& data, const char* date, double time, const std::string& text, const std::string& category,
        std::int32_t color) {
    int i = data.NewItem();
    data.SetDate(i, DateFromText(date) + time);
    data.SetText(i, text);
    data.SetCategory(i, category);
    data.SetColor(i, color);
    return i;
}

std::string Texts(const TTodoData& data) {
    std::string out;
    for (int i = 0; i < data.Count(); ++i) out += data.GetText(i);
    return out;
}

}  // namespace

TEST(Sort, ByDateStableInBothDirectionsWhateverTheTime) {
    TTodoData data;
    Add(data, "20240102", 0.9, "a", "", 0);
    Add(data, "20240101", 0.1, "b", "", 0);
    Add(data, "20240102", 0.1, "c", "", 0);
    Add(data, "20240101", 0.8, "d", "", 0);
    data.SortItems(skDate, false);
    EXPECT_EQ(Texts(data), "bdac");
    data.SortItems(skDate, true);
    EXPECT_EQ(Texts(data), "acbd");
    EXPECT_EQ(TTodoData::SortKey, skDate);
    EXPECT_TRUE(TTodoData::SortDescending);
}

TEST(Sort, CategoryTextColourAndBadKeys) {
    TTodoData data;
    Add(data, "20240101", 0, "b", "★", -5);
    Add(data, "20240101", 0, "a", "", 7);
    Add(data, "20240101", 0, "c", "①", 0);
    data.SortItems(skColor, false);  // the full signed value
    EXPECT_EQ(Texts(data), "bca");
    data.SortItems(skCategory, false);  // empty compares as empty, not as the full-width space
    EXPECT_EQ(Texts(data), "abc");  // byte order here: ★ (81 9A) before ① (87 40)
    data.SortItems(skText, true);
    EXPECT_EQ(Texts(data), "cba");
    data.SortItems(9, false);
    EXPECT_EQ(Texts(data), "cba");
}

TEST(Sort, ToggleFollowsTheLastDirectionWhateverItsKey) {
    TTodoData::SortKey = 0;
    TTodoData::SortDescending = false;
    TTodoData data;
    Add(data, "20240101", 0, "x", "", 0);
    Add(data, "20240102", 0, "y", "", 0);
    EXPECT_TRUE(data.ToggleSort(skDate));  // the first choice after start sorts descending
    EXPECT_EQ(Texts(data), "yx");
    EXPECT_FALSE(data.ToggleSort(skDate));
    EXPECT_EQ(Texts(data), "xy");
    data.SortItems(skDate, true);
    EXPECT_FALSE(data.ToggleSort(skCategory));  // after a descending sort: ascending by category
}

TEST(Sort, SameOrderAsTheBubbleSortOnRandomLists) {
    std::mt19937 random(3);
    const char* categories[] = {"", "★", "☆", "①", "A", "a"};
    for (int round = 0; round < 30; ++round) {
        TTodoData data;
        std::vector<Tdata> reference;
        for (int i = 0; i < 60; ++i) {
            std::string text(1, static_cast<char>('a' + random() % 5));
            int k = Add(data, "20240101", 0, text + std::to_string(i % 7), categories[random() % 6],
                        static_cast<std::int32_t>(random() % 5) - 2);
            data.SetDate(k, DateFromText("20240101") + random() % 4 + (random() % 100) / 100.0);
            reference.push_back(*data.Record(k));
        }
        for (int key = 0; key < 4; ++key)
            for (bool descending : {false, true}) {
                data.SortItems(key, descending);
                BubbleSort(reference, key, descending);
                for (int i = 0; i < data.Count(); ++i) {
                    ASSERT_EQ(data.GetText(i), reference[i].Text) << key << descending;
                    ASSERT_EQ(data.GetDate(i), reference[i].Date);
                }
            }
    }
}

TEST(Sort, RecordsAreFoundAgainAfterSorting) {
    TTodoData data;
    Add(data, "20240103", 0, "late", "", 0);
    const Tdata* record = data.Record(Add(data, "20240101", 0, "early", "", 0));
    data.SortItems(skDate, false);
    EXPECT_EQ(data.IndexOfRecord(record), 0);
    EXPECT_EQ(data.IndexOfRecord(nullptr), -1);
}

// Dates no file gives but a caller may set: the order is still a strict weak one, and days
// outside the calendar (or no number) count as no date, after the dated items in list order.
TEST(Sort, DatesOutOfAnyCalendarStillOrderStrictly) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const std::vector<double> dates = {45000.5, 1e300, -1e300, nan, inf, -inf, 9.3e18, -9.3e18, -0.5, 45000};
    for (const double a : dates)
        for (const double b : dates) {
            Tdata x, y;
            x.Date = a, y.Date = b;
            EXPECT_EQ(TTodoData::CompareItems(x, y, skDate, false), -TTodoData::CompareItems(y, x, skDate, false))
                << a << " " << b;
        }
    TTodoData data;
    for (const double date : dates) data.SetDate(data.NewItem(), date);
    data.SortItems(skDate, false);
    std::vector<double> sorted;
    for (int i = 0; i < data.Count(); ++i) sorted.push_back(data.GetDate(i));
    ASSERT_EQ(sorted.size(), dates.size());
    EXPECT_EQ(sorted[0], -0.5);
    EXPECT_EQ(sorted[1], 45000.5);  // the same day as 45000: the list's order stays
    EXPECT_EQ(sorted[2], 45000);
    const std::vector<double> undated = {1e300, -1e300, nan, inf, -inf, 9.3e18, -9.3e18};
    for (std::size_t k = 0; k < undated.size(); ++k) {
        if (std::isnan(undated[k])) {
            EXPECT_TRUE(std::isnan(sorted[3 + k]));
        } else {
            EXPECT_EQ(sorted[3 + k], undated[k]);
        }
    }
}
