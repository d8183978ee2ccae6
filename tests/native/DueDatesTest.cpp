#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "TestFolder.h"
#include "background/kvneColors.h"
#include "todo/ArchivedItems.h"
#include "todo/DueDates.h"
#include "todo/TodoStore.h"

namespace {

TDateTime Day(int y, int m, int d) {
    TDateTime date = 0;
    EXPECT_TRUE(TryEncodeDate(y, m, d, date));
    return date;
}

struct StateCase {
    const char* name;
    TDateTime due, today;
    TDueState state;
    const char* shown;
};

class DueStates : public ::testing::TestWithParam<StateCase> {};

}  // namespace

TEST_P(DueStates, StateAndDateShown) {
    const StateCase& c = GetParam();
    EXPECT_EQ(DueState(c.due, c.today), c.state);
    EXPECT_EQ(DueDateText(c.due, c.today, "/"), c.shown);
}

// today carries a time of day, as the clock gives it.
INSTANTIATE_TEST_SUITE_P(
    Table, DueStates,
    ::testing::Values(StateCase{"yesterday", Day(2026, 6, 9), Day(2026, 6, 10) + 0.9, TDueState::Overdue, "06/09"},
                      StateCase{"today", Day(2026, 6, 10), Day(2026, 6, 10) + 0.1, TDueState::Today, "06/10"},
                      StateCase{"tomorrow", Day(2026, 6, 11), Day(2026, 6, 10) + 0.99, TDueState::Later, "06/11"},
                      StateCase{"lastYear", Day(2025, 12, 31), Day(2026, 1, 1), TDueState::Overdue, "2025/12/31"},
                      StateCase{"nextYear", Day(2027, 1, 1), Day(2026, 12, 31) + 0.5, TDueState::Later, "2027/01/01"},
                      StateCase{"elevenMonthsAgo", Day(2025, 7, 10), Day(2026, 6, 10), TDueState::Overdue, "2025/07/10"},
                      StateCase{"noDate", kNoDate, Day(2026, 6, 10), TDueState::None, ""},
                      StateCase{"lastDay", Day(9999, 12, 31) + 0.5, Day(2026, 6, 10), TDueState::Later, "9999/12/31"},
                      // Days the file cannot name, or no number at all, are no date.
                      StateCase{"pastTheCalendar", Day(9999, 12, 31) + 1, Day(2026, 6, 10), TDueState::None, ""},
                      StateCase{"noNumber", std::numeric_limits<double>::quiet_NaN(), Day(2026, 6, 10), TDueState::None, ""},
                      StateCase{"farPast", -1e300, Day(2026, 6, 10), TDueState::None, ""},
                      // Without a today (the archive's list) every date shows its year, 1899's too.
                      StateCase{"noToday", Day(1899, 12, 31), kNoDate, TDueState::Later, "1899/12/31"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DueDates, SummaryCountsAndReminderText) {
    TTodoData items;
    items.LoadFromText("20260609,000000,\"late\",\"\"\r\n20260610,000000,\"now\\nsecond line\",\"\"\r\n"
                       ",000000,\"someday\",\"\"\r\n20260611,000000,\"later\",\"\"\r\n20260610,000000,\"also now\",\"\"\r\n");
    const TDueSummary summary = SummariseDue(items, Day(2026, 6, 10) + 0.5);
    EXPECT_EQ(summary.today, 2);
    EXPECT_EQ(summary.overdue, 1);
    EXPECT_EQ(ReminderText(summary), "今日が期日の項目: 2件 / 期限切れ: 1件\r\nnow\r\nalso now\r\nlate");
    EXPECT_FALSE(SummariseDue(items, Day(2026, 6, 1)).Any());
}

TEST(DueDates, ReminderShowsTheFirstLineWithText) {
    TTodoData items;
    const int i = items.NewItem();
    items.SetDate(i, Day(2026, 6, 10));
    items.SetText(i, "\r\n\t\nmilk\r\nand bread");
    EXPECT_EQ(SummariseDue(items, Day(2026, 6, 10)).texts, std::vector<std::string>{"milk"});
}

TEST(DueDates, DayWatchSeesMidnightOnly) {
    TDayWatch watch;
    EXPECT_TRUE(watch.Changed(Day(2026, 6, 10) + 0.99));
    EXPECT_FALSE(watch.Changed(Day(2026, 6, 10) + 0.999));
    EXPECT_TRUE(watch.Changed(Day(2026, 6, 11) + 0.0001));
    EXPECT_EQ(watch.Today(), Day(2026, 6, 11));
}

TEST(DueDates, EmptyDateFieldLoadsSavesAndSortsLast) {
    TTodoData items;
    const std::string text = ",0000FF,\"none\",\"★\"\r\n20270105,000000,\"next year\",\"　\"\r\n"
                             "20261224,000000,\"christmas\",\"　\"\r\n";
    items.LoadFromText(text);
    ASSERT_EQ(items.Count(), 3);
    EXPECT_FALSE(HasDate(items.GetDate(0)));
    EXPECT_EQ(items.GetText(0), "none");
    EXPECT_EQ(items.GetColor(0), 0x0000FF);
    EXPECT_EQ(items.SaveToText(), text);
    // Any other bad date still makes the line plain text.
    TTodoData other;
    other.LoadFromText("2026X105,000000,\"x\",\"\"\r\n");
    EXPECT_EQ(other.GetText(0), "2026X105,000000,\"x\",\"\"");
    // So does a line that only begins with a comma, as plain text may.
    other.LoadFromText(",a,b,c\r\n,00FF00,plain,text\r\n");
    EXPECT_EQ(other.GetText(0), ",a,b,c");
    EXPECT_EQ(other.GetText(1), ",00FF00,plain,text");
    for (bool descending : {false, true}) {
        items.SortItems(skDate, descending);
        EXPECT_EQ(items.GetText(2), "none") << descending;
        EXPECT_EQ(items.GetText(descending ? 0 : 1), "next year") << descending;
    }
}

TEST(DueDates, SchemeHasTheTwoColoursUnderText) {
    TColorsList scheme;
    scheme.LoadDefaults();
    EXPECT_EQ(scheme.GetColor(kColorOverdue), 0x0000E0);
    EXPECT_EQ(scheme.GetColor(kColorDueToday), 0x0080FF);
    // A scheme written before the two keys existed gets them at their built-in colours.
    TColorsList old;
    old.LoadFromText("<テキスト>\r\n\t<本文シャドウ>$F0F0F0</本文シャドウ>\r\n</テキスト>\r\n");
    EXPECT_EQ(old.GetColorOrDefault(kColorOverdue), 0x0000E0);
    EXPECT_NE(old.GetText().find("\t<期限切れ>$0000E0</期限切れ>"), std::string::npos);
}

namespace {

const std::string kLineA = "20260105,000000,\"a\",\"★\"";
const std::string kLineB = "20260107,0000FF,\"b\",\"　\"";

}  // namespace

TEST(ArchiveLines, RemovesExactlyTheChosenLines) {
    // Hand-written lines with lone LF, a damaged line and no line end at the end all stay.
    const std::string content = kLineA + "\r\nhand written\n" + kLineB + "\r\n\r\n20260199,x\r" + kLineA;
    EXPECT_EQ(RemoveLines(content, {0}), "hand written\n" + kLineB + "\r\n\r\n20260199,x\r" + kLineA);
    EXPECT_EQ(RemoveLines(content, {2, 5}), kLineA + "\r\nhand written\n\r\n20260199,x\r");
    EXPECT_EQ(RemoveLines(content, {99, -1}), content);
    // A line that moved is found by its text; twins are taken once each.
    TArchivedItem a, twin, gone;
    a.line = 2, a.text = kLineB;
    twin.line = 0, twin.text = kLineA;
    gone.line = 1, gone.text = "not there";
    TArchivedItem twin2 = twin;
    twin2.line = 7;
    EXPECT_EQ(LocateLines(content, {a, twin, twin2, gone}), (std::vector<int>{2, 0, 5, -1}));
}

TEST(ArchiveLines, AMonthSavedWithAUtf8MarkKeepsItsFirstItem) {
    TestFolder folder;
    const std::string mark = "\xEF\xBB\xBF", content = mark + kLineA + "\r\n" + kLineB + "\r\n";
    WriteBytes(folder / "202601.txt", content);
    const std::vector<TArchivedItem> all = ReadAllArchivedItems(folder / "");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].item.Text, "a");
    EXPECT_EQ(LocateLines(content, {all[0]}), std::vector<int>{0});
    EXPECT_EQ(RemoveLines(content, {0}), mark + kLineB + "\r\n");
}

// A month an editor saved as UTF-8: its items read as they are, a restore takes its line out,
// and a removal does not add a Shift-JIS line to UTF-8 ones.
TEST(ArchiveLines, AUtf8MonthGivesItsItemsAndTakesThemOut) {
    TestFolder folder;
    const std::string archive = folder / "202601.txt";
    const std::u8string utf8 = u8"20260105,000000,\"買い物\",\"★\"\r\n20260105,000000,\"牛乳\",\"★\"\r\n";
    WriteBytes(archive, std::string(utf8.begin(), utf8.end()));
    TTodoStore store(folder / "");
    store.Load();
    const std::vector<TArchivedItem> all = ReadAllArchivedItems(folder / "");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(store.Restore({all[0]}), 1);
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Items().GetText(0), "買い物");
    EXPECT_EQ(ReadBytes(archive), "20260105,000000,\"牛乳\",\"★\"\r\n");
    WriteBytes(archive, std::string(utf8.begin(), utf8.end()));
    store.Remove(store.IdAt(0));
    EXPECT_EQ(ReadBytes(archive),
              "20260105,000000,\"買い物\",\"★\"\r\n20260105,000000,\"牛乳\",\"★\"\r\n"
              "20260105,000000,\"買い物\",\"★\"\r\n");
}

TEST(ArchiveLines, ListsItemsNewestMonthFirst) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(folder / "202601.txt", kLineA + "\r\nnot an item\r\n\r\n" + kLineB + "\r\n");
    WriteBytes(folder / "202512.txt", kLineB + "\r\n");
    WriteBytes(folder / "todo.txt", kLineA + "\r\n");
    WriteBytes(folder / "2026.txt", kLineA + "\r\n");
    const std::vector<TArchivedItem> all = ReadAllArchivedItems(todo);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].month, "202601");
    EXPECT_EQ(all[0].line, 0);
    EXPECT_EQ(all[1].line, 3);
    EXPECT_EQ(all[1].item.Text, "b");
    EXPECT_EQ(all[2].month, "202512");
    EXPECT_TRUE(MatchesSearch(all[0], "A"));
    EXPECT_FALSE(MatchesSearch(all[0], "b"));
    TArchivedItem katakana;
    katakana.item.Text = "アイテム";  // ア is 83 41: its second byte is "A"
    EXPECT_FALSE(MatchesSearch(katakana, "a"));
    EXPECT_TRUE(MatchesSearch(katakana, "イテ"));
}

// A month both computers wrote to at once, which the sync client could not merge: the copy it
// set aside holds the other computer's removals, which come back from it as from the month.
TEST(ArchiveLines, ASyncClientsCopyOfAMonthGivesItsItems) {
    TestFolder folder;
    const std::string todo = folder / "";
    WriteBytes(todo + "202601.txt", kLineA + "\r\n");
    const std::string copy = todo + "202601 (PC's conflicted copy 2026-01-09).txt";
    WriteBytes(copy, kLineA + "\r\n" + kLineB + "\r\n");
    WriteBytes(todo + "202601-PC.TXT", kLineB + "\r\n");
    WriteBytes(todo + "20260109.txt", kLineB + "\r\n");  // a day's name is no month's
    const std::vector<TArchivedItem> all = ReadAllArchivedItems(todo);
    ASSERT_EQ(all.size(), 3u);  // the copy's A is the month's own removal: listed once
    const auto from = [&](const std::string& path) {
        const auto it = std::find_if(all.begin(), all.end(), [&](const auto& a) { return a.path == path; });
        return it == all.end() ? TArchivedItem{} : *it;
    };
    EXPECT_EQ(from(copy).month, "202601");
    TTodoStore store(todo);
    store.Load();
    EXPECT_EQ(store.Restore({from(copy)}), 1);
    EXPECT_EQ(store.Items().ItemToLine(0), kLineB);
    EXPECT_EQ(ReadBytes(copy), kLineA + "\r\n");
    // Restored from the month's file, A leaves the copy too, which would offer it again.
    EXPECT_EQ(store.Restore({from(todo + "202601.txt")}), 1);
    EXPECT_EQ(ReadBytes(copy), "");
    EXPECT_EQ(ReadBytes(todo + "202601-PC.TXT"), kLineB + "\r\n");
    EXPECT_EQ(ReadAllArchivedItems(todo).size(), 1u);
    store.Undo();
    EXPECT_EQ(ReadBytes(copy), kLineA + "\r\n");
    EXPECT_EQ(ReadBytes(todo + "202601.txt"), kLineA + "\r\n");
}

TEST(ArchiveLines, RestoreIsAnUndoableStoreCommand) {
    TestFolder folder;
    const std::string archive = folder / "202601.txt";
    const std::string content = "hand written\r\n" + kLineA + "\r\n" + kLineB + "\n20260199,damaged\r\n";
    WriteBytes(archive, content);
    TTodoStore store(folder / "");
    store.Load();
    std::vector<TArchivedItem> all = ReadAllArchivedItems(folder / "");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(store.Restore({all[1]}), 1);
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Items().ItemToLine(0), kLineB);
    EXPECT_EQ(ReadBytes(archive), "hand written\r\n" + kLineA + "\r\n20260199,damaged\r\n");
    EXPECT_EQ(store.Restore({all[1]}), 0);  // already back: its line is gone
    store.Undo();
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(ReadBytes(archive), content);
    store.Redo();
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(ReadBytes(archive), "hand written\r\n" + kLineA + "\r\n20260199,damaged\r\n");
    // An archive gone meanwhile (a sync client deleting it to put it back) is not made empty.
    store.Undo();
    std::filesystem::remove(archive);
    store.Redo();
    EXPECT_EQ(store.Count(), 1);
    EXPECT_FALSE(std::filesystem::exists(archive));
}

TEST(ArchiveLines, AnItemWithoutADateGoesToTodaysMonth) {
    TestFolder folder;
    WriteBytes(folder / "todo.txt", ",000000,\"someday\",\"　\"\r\n");
    TTodoStore store(folder / "");
    store.Clock = [] { return Day(2026, 3, 15) + 0.5; };
    store.Load();
    store.Remove(store.IdAt(0));
    EXPECT_EQ(ReadBytes(folder / "202603.txt"), ",000000,\"someday\",\"　\"\r\n");
}

// A block of NULs, as a crash can leave in a file, must not come back into the item file:
// its next load would take the NULs for UTF-16 and refuse every item.
TEST(ArchiveLines, NulsOfADamagedLineStayInTheArchive) {
    TestFolder folder;
    WriteBytes(folder / "202601.txt", "20260105,000000,\"milk" + std::string(3000, '\0') + "\",\"★\"\r\n");
    TTodoStore store(folder / "");
    store.Load();
    const std::vector<TArchivedItem> all = ReadAllArchivedItems(folder / "");
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].item.Text, "milk");
    ASSERT_EQ(store.Restore(all), 1);
    store.Save();
    TTodoStore again(folder / "");
    again.Load();
    ASSERT_EQ(again.Count(), 1);
    EXPECT_EQ(again.Items().GetText(0), "milk");
    EXPECT_EQ(ReadBytes(folder / "202601.txt"), "");
}

// The lines an undone restore puts back go in one write: one refused halfway left the first
// lines in the archive and the undo failing for good.
TEST(ArchiveLines, UndoingARestorePutsItsLinesBackInOneWrite) {
    TestFolder folder;
    const std::string archive = folder / "202601.txt", nuls(3000, '\0');
    const std::string lineA = "20260105,000000,\"a" + nuls + "\",\"★\"", lineB = "20260105,000000,\"b\",\"★\"";
    WriteBytes(archive, lineA + "\r\n" + lineB + "\r\n");
    TTodoStore store(folder / "");
    store.Load();
    ASSERT_EQ(store.Restore(ReadAllArchivedItems(folder / "")), 2);
    WriteBytes(archive, "x\r\n");  // changed meanwhile
    EXPECT_TRUE(store.Undo());
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(ReadBytes(archive), "x\r\n" + lineA + "\r\n" + lineB + "\r\n");
}

// An undone restore leaves an item another program changed since in the list, and its line
// then stays out of the archive: put back, the item was in both places, and restoring it again
// made it twice.
TEST(ArchiveLines, UndoingARestoreKeepsOutTheLineOfAnItemChangedSince) {
    TestFolder folder;
    const std::string archive = folder / "202601.txt";
    WriteBytes(archive, kLineA + "\r\n" + kLineB + "\r\n");
    TTodoStore store(folder / "");
    store.Load();
    ASSERT_EQ(store.Restore(ReadAllArchivedItems(folder / "")), 2);
    store.Save();
    const std::string changedA = "20260105,000000,\"a2\",\"★\"";
    WriteBytes(store.FilePath(), changedA + "\r\n" + kLineB + "\r\n");
    ASSERT_EQ(store.CheckFile(), TTodoStore::TFileState::Merged);
    ASSERT_TRUE(store.Undo());
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Items().ItemToLine(0), changedA);
    EXPECT_EQ(ReadBytes(archive), kLineB + "\r\n");
    ASSERT_TRUE(store.Redo());
    EXPECT_EQ(store.Count(), 2);
    EXPECT_EQ(ReadBytes(archive), "");
    // The same when the archive changed meanwhile: only the line of the item taken out goes back.
    ASSERT_TRUE(store.Undo());
    WriteBytes(archive, "x\r\n");
    ASSERT_TRUE(store.Redo());
    ASSERT_TRUE(store.Undo());
    EXPECT_EQ(ReadBytes(archive), "x\r\n" + kLineB + "\r\n");
}

// A restore of a whole month undone after the automatic sort moved its items, which are taken
// out together (each looked for on its own took seconds for 50,000): the list's own items stay
// in their order.
TEST(ArchiveLines, UndoingALargeRestoreAfterASortTakesOutItsItems) {
    TestFolder folder;
    std::string lines;
    for (int i = 0; i < 50000; ++i)
        lines += "20260105,000000,\"item " + std::to_string(i * 7919 % 50000) + "\",\"★\"\r\n";
    WriteBytes(folder / "202601.txt", lines);
    WriteBytes(folder / "todo.txt", "20260105,000000,\"z\",\"★\"\r\n20260105,000000,\"a\",\"★\"\r\n");
    TTodoStore store(folder / "");
    store.Load();
    ASSERT_EQ(store.Restore(ReadAllArchivedItems(folder / "")), 50000);
    store.ItemsForLayout().SortItems(skText, false);
    ASSERT_TRUE(store.Undo());
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Items().GetText(0), "a");
    EXPECT_EQ(store.Items().GetText(1), "z");
    EXPECT_EQ(ReadBytes(folder / "202601.txt"), lines);
    ASSERT_TRUE(store.Redo());
    EXPECT_EQ(store.Count(), 50002);
}
