// The archive window over a large month: rows drawn as they come into view, narrowed by words,
// and the chosen row's item handed back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "DataFolderTest.h"
#include "app/FmArchive.h"
#include "support/FileIO.h"
#include "todo/TodoStore.h"

namespace {

class ArchiveWindow : public DataFolderTest {};

std::string Cell(const TFmArchive& archive, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(archive.LvItems->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return FromWide(text);
}

}  // namespace

// Every keystroke in the search box shows the rows again: a month of thousands of items must
// not format each of them (it took seconds under Wine), only the rows asked for.
TEST_F(ArchiveWindow, FormatsOnlyTheRowsAskedFor) {
    std::string lines;
    for (int i = 0; i < 5000; ++i) lines += "20260105,000000,\"item " + std::to_string(i) + "\",\"★\"\r\n";
    ReplaceFileSafely(Path("todo\\202601.txt"), lines);
    TFmArchive archive(nullptr, Path("todo\\"));
    archive.EdSearch->SetText("item 49");
    ASSERT_EQ(archive.Shown().size(), 111u);  // 49, 490 to 499, 4900 to 4999
    EXPECT_EQ(SendMessageW(archive.LvItems->Handle(), LVM_GETITEMCOUNT, 0, 0), 111);
    EXPECT_EQ(Cell(archive, 1, 2), "item 490");
    EXPECT_EQ(Cell(archive, 1, 1), "★");
    EXPECT_EQ(Cell(archive, 1, 0), "2026/01/05");
    EXPECT_LE(archive.CellsFormatted(), 10u);
    std::vector<TArchivedItem> restored;
    archive.OnRestore = [&](const std::vector<TArchivedItem>& items) {
        restored = items;
        return 0;
    };
    EXPECT_FALSE(IsWindowEnabled(archive.BtRestore->Handle()));  // nothing chosen yet
    archive.SelectRow(1, true);
    EXPECT_TRUE(IsWindowEnabled(archive.BtRestore->Handle()));
    archive.BtRestoreClick();
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].item.Text, "item 490");
    EXPECT_EQ(restored[0].line, 490);
    // Read again with the same words: no row stays chosen for another item.
    EXPECT_EQ(SendMessageW(archive.LvItems->Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);
    EXPECT_FALSE(IsWindowEnabled(archive.BtRestore->Handle()));
}

// A row whose line left its archive after the window read it comes back as nothing: the rows
// leave the list all the same, so the user is told rather than left to think them restored.
TEST_F(ArchiveWindow, RowsThatCouldNotComeBackAreReported) {
    const std::string a = "20260105,000000,\"a\",\"★\"\r\n", b = "20260105,000000,\"b\",\"★\"\r\n";
    ReplaceFileSafely(Path("todo\\202601.txt"), a + b);
    TTodoStore store(Path("todo\\"));
    store.Load();
    TFmArchive archive(nullptr, Path("todo\\"));
    archive.OnRestore = [&](const std::vector<TArchivedItem>& items) { return store.Restore(items); };
    ReplaceFileSafely(Path("todo\\202601.txt"), b);  // another copy restored "a" meanwhile
    archive.SelectRow(0, true);
    archive.SelectRow(1, true);
    archive.BtRestoreClick();
    EXPECT_EQ(store.Count(), 1);
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_EQ(Application.PendingReports().front(),
              "1件の項目は削除した項目の中になくなっていたため、元に戻せませんでした");
    Application.DiscardReports();
    ReplaceFileSafely(Path("todo\\202601.txt"), "20260105,000000,\"c\",\"★\"\r\n");
    archive.Reload();
    archive.SelectRow(0, true);
    archive.BtRestoreClick();
    EXPECT_EQ(store.Count(), 2);
    EXPECT_TRUE(Application.PendingReports().empty());
}

// A month an editor saved as UTF-16 shows none of its items: said as the window opens.
TEST_F(ArchiveWindow, AMonthThatCannotBeReadIsReportedAsTheWindowOpens) {
    ReplaceFileSafely(Path("todo\\202601.txt"), "20260105,000000,\"a\",\"★\"\r\n");
    ReplaceFileSafely(Path("todo\\202602.txt"), std::string("\xFF\xFE" "2\0" "0\0", 6));
    Application.DiscardReports();
    TFmArchive archive(nullptr, Path("todo\\"));
    EXPECT_EQ(archive.Archived().size(), 1u);
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_EQ(Application.PendingReports().front(), Path("todo\\202602.txt") + " はShift-JISのファイルではありません");
    Application.DiscardReports();
}

// Moved to a monitor of another scale, the columns scale with the font, widened by hand or not.
TEST_F(ArchiveWindow, ColumnsFollowAMoveToAnotherDpi) {
    TFmArchive archive(nullptr, Path("todo\\"));
    HWND list = archive.LvItems->Handle();
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, archive.Scale(200));
    int before[3];
    for (int i = 0; i < 3; ++i) before[i] = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
    RECT window{};
    GetWindowRect(archive.Handle(), &window);
    const int dpi = archive.Dpi() * 3 / 2;
    RECT suggested{window.left, window.top, window.left + (window.right - window.left) * 3 / 2,
                   window.top + (window.bottom - window.top) * 3 / 2};
    SendMessageW(archive.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0), before[i] * 3 / 2, 1) << "column " << i;
}

// Letters typed in the list go to the next row whose text starts with them, as in any list:
// the owner-data list asks the window, which answered row 0 to every letter, so the choice
// jumped to the first row whatever was typed.
TEST_F(ArchiveWindow, TypedLettersFindARowByItsText) {
    ReplaceFileSafely(Path("todo\\202601.txt"), "20260105,000000,\"milk\",\"★\"\r\n20260106,000000,\"Bread\",\"★\"\r\n"
                                                 "20260107,000000,\"butter\",\"★\"\r\n");
    TFmArchive archive(nullptr, Path("todo\\"));
    HWND list = archive.LvItems->Handle();
    const auto chosen = [&] {
        return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    };
    LVITEMW state{};
    state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, WM_CHAR, 'x', 1);  // no row's text
    EXPECT_EQ(chosen(), 1);
    Sleep(1100);  // a new search, not "xb"
    SendMessageW(list, WM_CHAR, 'b', 1);
    EXPECT_EQ(chosen(), 2);
    Sleep(1100);
    SendMessageW(list, WM_CHAR, 'm', 1);
    EXPECT_EQ(chosen(), 0);
}
