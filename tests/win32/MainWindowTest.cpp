// The main window in a data folder of its own: what must hold however its files behave.
#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <set>

#include "WinTestFolder.h"
#include "app/FmTODOmain.h"
#include "background/BGprofile.h"
#include "background/kvneGraphicSource.h"
#include "framework/Application.h"
#include "framework/Dpi.h"
#include "framework/Messages.h"
#include "framework/Timer.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/Shell.h"
#include "support/TextWork.h"
#include "support/kvneGlobal.h"

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = FromWide(folder_.Wide());
        GlobalEnv.SetDataFolder(data_);
        Application.DiscardReports();
    }
    void TearDown() override {
        Application.DiscardReports();
        RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(GlobalEnv.RegistryKeyName()).c_str());
    }
    std::string Path(const std::string& name) const { return data_ + "\\" + name; }
    // Closes the window as the program does and answers whether the run would end.
    bool CloseEndsTheRun(TFmTODOmain& form) {
        DestroyWindow(form.Handle());
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }

    WinTestFolder folder_;
    std::string data_;
};

}  // namespace

TEST_F(MainWindow, ClosingEndsTheRunWhenNothingCanBeSaved) {
    CreateDirectoryW(ToWide(Path("todo")).c_str(), nullptr);
    CreateDirectoryW(ToWide(Path("todo\\todo.txt")).c_str(), nullptr);  // both files are folders
    CreateDirectoryW(ToWide(Path("memorail_win32_tests.ini")).c_str(), nullptr);
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    ASSERT_TRUE(form.Handle());
    EXPECT_TRUE(CloseEndsTheRun(form));
    EXPECT_EQ(Application.PendingReports().size(), 2u);  // the items and the settings, once each
}

TEST_F(MainWindow, AnUnreadableItemFileIsReportedKeptAndTheRestLoads) {
    CreateDirectoryW(ToWide(Path("todo")).c_str(), nullptr);
    const std::string items = "20240305,0000FF,\"一件目\",\"★\"\r\n";
    ReplaceFileSafely(Path("todo\\todo.txt"), items);
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[OPTION]\r\nshadow=0\r\n");
    HANDLE lock =
        CreateFileW(ToWide(Path("todo\\todo.txt")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    CloseHandle(lock);
    EXPECT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_FALSE(form.List.Style.shadowOn);  // the settings were still read
    EXPECT_GT(form.List.RowHeight, 0);
    EXPECT_TRUE(CloseEndsTheRun(form));
    std::string after;
    ReadWholeFile(Path("todo\\todo.txt"), after);
    EXPECT_EQ(after, items);
}

// Saved by an editor as UTF-16: refused with a message, and no save of the run replaces it.
TEST_F(MainWindow, AUtf16ItemFileIsReportedAndNeverOverwritten) {
    CreateDirectoryW(ToWide(Path("todo")).c_str(), nullptr);
    const std::wstring wide =
        L"\xFEFF"
        L"20240305,0000FF,\"一件目\",\"★\"\r\n";
    const std::string items(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    ReplaceFileSafely(Path("todo\\todo.txt"), items);
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_EQ(Application.PendingReports().front(), Path("todo\\todo.txt") + " はShift-JISのファイルではありません");
    EXPECT_EQ(form.Items.Count(), 0);
    form.Items.NewItem();  // as if one was added: its save, and the one at the end, must not reach the file
    EXPECT_TRUE(CloseEndsTheRun(form));
    std::string after;
    ReadWholeFile(Path("todo\\todo.txt"), after);
    EXPECT_EQ(after, items);
}

// Settings an editor saved as UTF-16 are told of at start, the defaults in use meanwhile, and
// the end does not write over them.
TEST_F(MainWindow, AUtf16SettingsFileIsReportedAtStartAndKept) {
    const std::wstring wide = L"\xFEFF[OPTION]\r\nshadow=0\r\n";
    const std::string settings(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), settings);
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_EQ(Application.PendingReports().front(),
              Path("memorail_win32_tests.ini") + " はShift-JISのファイルではありません");
    EXPECT_TRUE(form.List.Style.shadowOn);
    // The menu, which saves the automatic sort as it opens, still opens.
    EXPECT_NO_THROW(form.PopupMenu1Popup());
    EXPECT_TRUE(CloseEndsTheRun(form));
    std::string after;
    ReadWholeFile(Path("memorail_win32_tests.ini"), after);
    EXPECT_EQ(after, settings);
}

// A hand-edited snapping distance past what the options offer: a window in the middle of the
// screen stays where it is dragged instead of sticking to a corner.
TEST_F(MainWindow, AnAbsurdSnappingDistanceLeavesTheWindowWhereItIsDragged) {
    for (const char* distance : {"100000", "2147483647"}) {
        ReplaceFileSafely(Path("memorail_win32_tests.ini"),
                          std::string("[OPTION]\r\nfitscreenpx=") + distance + "\r\n");
        TFmTODOmain form;
        form.Create();
        Application.SetMainForm(form.Handle());
        RECT placed{};
        GetWindowRect(form.Handle(), &placed);
        SendMessageW(form.Handle(), WM_ENTERSIZEMOVE, 0, 0);
        RECT moving = placed;
        SendMessageW(form.Handle(), WM_MOVING, WMSZ_TOP, reinterpret_cast<LPARAM>(&moving));
        SendMessageW(form.Handle(), WM_EXITSIZEMOVE, 0, 0);
        EXPECT_TRUE(EqualRect(&moving, &placed)) << distance << ": " << moving.left << "," << moving.top;
        EXPECT_TRUE(CloseEndsTheRun(form));
    }
}

// A selection look the options do not offer is their nearest one, which the list then shows.
TEST_F(MainWindow, AnUnknownSelectionLookIsTheNearestOne) {
    for (const auto& [stored, shown] : {std::pair{"9", 5}, std::pair{"-3", 0}}) {
        ReplaceFileSafely(Path("memorail_win32_tests.ini"), std::string("[OPTION]\r\nselected=") + stored + "\r\n");
        TFmTODOmain form;
        form.Create();
        Application.SetMainForm(form.Handle());
        EXPECT_EQ(form.List.Style.highlightStyle, shown) << stored;
        EXPECT_TRUE(CloseEndsTheRun(form));
    }
}

// A stored data folder where a file sits (or on a drive that is gone): said at start, not only
// at the first save, while the list shows none of the items.
TEST_F(MainWindow, AnItemsFolderThatCannotBeMadeIsReportedAtStart) {
    const std::string blocker = Path("blocker");
    ReplaceFileSafely(blocker, "x");
    GlobalEnv.SetDataFolder(blocker);
    Application.DiscardReports();
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_NE(Application.PendingReports().front().find(blocker + "\\todo"), std::string::npos);
    EXPECT_TRUE(CloseEndsTheRun(form));
}

// At exit with nothing writable beside the item file, the items go to the user's documents.
TEST_F(MainWindow, ItemsNoFolderTakesAtExitGoToTheDocuments) {
    const std::string blocker = Path("blocker");
    ReplaceFileSafely(blocker, "x");
    GlobalEnv.SetDataFolder(blocker);
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    Tdata item;
    item.Text = "最後の項目";
    form.Store.Add(item);
    EXPECT_TRUE(CloseEndsTheRun(form));
    const std::string told = "項目は次のファイルに保存しました:\r\n";
    std::string aside;
    for (const std::string& report : Application.PendingReports())
        if (const std::size_t at = report.find(told); at != std::string::npos) aside = report.substr(at + told.size());
    ASSERT_NE(aside.find(FindSpecialFolder(kFolderDocuments)), std::string::npos) << aside;
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(aside, saved));
    DeleteFileW(ToWide(aside).c_str());
    EXPECT_NE(saved.find("最後の項目"), std::string::npos);
}

// A save at exit that fails otherwise than on a file (out of memory while it merges, a question
// that cannot be asked) sets the items aside as well.
TEST_F(MainWindow, AnyFailureOfTheExitSaveSetsTheItemsAside) {
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    Tdata item;
    item.Text = "最後の項目";
    form.Store.Add(item);
    form.Store.Save();
    ReplaceFileSafely(Path("todo\\todo.txt"), "");  // emptied elsewhere: the save asks
    form.Store.ConfirmLargeChange = []() -> bool { throw std::bad_alloc(); };
    EXPECT_TRUE(CloseEndsTheRun(form));
    const std::string told = "項目は次のファイルに保存しました:\r\n";
    std::string aside;
    for (const std::string& report : Application.PendingReports())
        if (const std::size_t at = report.find(told); at != std::string::npos) aside = report.substr(at + told.size());
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(aside, saved)) << aside;
    EXPECT_NE(saved.find("最後の項目"), std::string::npos);
}

// An editor's UTF-8 item file with characters Shift-JIS lacks loads, and the user is told of them.
TEST_F(MainWindow, CharactersAUtf8ItemFileCannotKeepAreTold) {
    CreateDirectoryW(ToWide(Path("todo")).c_str(), nullptr);
    const std::u8string utf8 = u8"20240105,000000,\"牛乳\",\"★\"\r\n20240105,000000,\"café\",\"★\"\r\n";
    ReplaceFileSafely(Path("todo\\todo.txt"), std::string(utf8.begin(), utf8.end()));
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    ASSERT_EQ(form.Items.Count(), 2);
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_NE(Application.PendingReports().front().find("「?」"), std::string::npos);
    EXPECT_TRUE(CloseEndsTheRun(form));
}

TEST_F(MainWindow, ApplyingTheSettingsKeepsTheListFontAlive) {
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    form.ApplySettings();
    EXPECT_EQ(GetObjectType(form.List.Text.Font()), static_cast<DWORD>(OBJ_FONT));
    EXPECT_TRUE(CloseEndsTheRun(form));
}

// A face picture that cannot be decoded makes every paint fail: one report, not one per
// repaint (each box would make the window paint again), and the window is left validated.
TEST_F(MainWindow, AFailingPaintIsReportedOnce) {
    // A PNG whose image data is damaged (the chunks' checksums are not read).
    const unsigned char png[] = {0x89, 'P', 'N', 'G', 13, 10,  26,  10,  0,   0,   0,   13,  'I', 'H', 'D', 'R',
                                 0,    0,   0,   1,   0,  0,   0,   1,   8,   2,   0,   0,   0,   0,   0,   0,
                                 0,    0,   0,   0,   4,  'I', 'D', 'A', 'T', 'x', 'x', 'x', 'x', 0,   0,   0,
                                 0,    0,   0,   0,   0,  'I', 'E', 'N', 'D', 0,   0,   0,   0};
    ReplaceFileSafely(Path("face.png"), std::string(reinterpret_cast<const char*>(png), sizeof png));
    GraphicSource().SetSearchFolder(data_ + "\\");
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    form.kvneGctButton1.BtnDraw.SetFaceFlat("face.png");
    for (int paint = 0; paint < 3; ++paint) {
        InvalidateRect(form.Handle(), nullptr, FALSE);
        UpdateWindow(form.Handle());
        EXPECT_EQ(Application.PendingReports().size(), paint == 0 ? 1u : 0u) << paint;
        Application.DiscardReports();  // the user closed the box
        RECT pending;
        EXPECT_FALSE(GetUpdateRect(form.Handle(), &pending, FALSE));
    }
    GraphicSource().SetSearchFolder("");
    EXPECT_TRUE(CloseEndsTheRun(form));
}

// Every window reset sets the timer again: it must still fire, and stay off when stopped.
TEST(Timer, SettingTheSameIntervalAgainKeepsItRunning) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    TTimer timer(owner, 7);
    int fired = 0;
    timer.OnTimer = [&] { ++fired; };
    timer.SetInterval(60);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 600 && fired == 0) {
        timer.SetInterval(60);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_TIMER) timer.Handle(msg.wParam);
        Sleep(10);
    }
    EXPECT_GT(fired, 0);
    timer.SetEnabled(false);
    timer.SetInterval(120);
    EXPECT_FALSE(timer.Running());
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Running());
    DestroyWindow(owner);
}

// The picture timer never draws the built-in picture while registered ones exist.
TEST_F(MainWindow, ThePictureTimerDrawsOnlyRegisteredPictures) {
    ReplaceFileSafely(Path("picture.lst"), "c:\\pics\\a.jpg\r\nc:\\pics\\b.jpg\r\n");
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    std::set<int> drawn;
    for (int tick = 0; tick < 30; ++tick) {
        form.Timer1Timer();
        drawn.insert(BGprofile.CurrentIndex());
        EXPECT_TRUE(form.Timer1.Running());
    }
    EXPECT_EQ(drawn, (std::set<int>{1, 2}));
    EXPECT_TRUE(CloseEndsTheRun(form));
}

// A picture that is no .jpx stays in AddPicture and is met at every start: it becomes the
// background when it is new to the library, and afterwards the start picture applies again.
TEST_F(MainWindow, AddPictureOverridesTheStartPictureOnlyWithANewPicture) {
    CreateDirectoryW(ToWide(Path("AddPicture")).c_str(), nullptr);
    ReplaceFileSafely(Path("AddPicture\\kept.png"), "x");
    const std::string chosen = "c:\\pics\\a.jpg";
    ReplaceFileSafely(Path("picture.lst"), chosen + "\r\n");
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[PICTURE]\r\nrandom=0\r\nfilename=" + chosen + "\r\n");
    for (const std::string& expected : {LowerCaseSjis(Path("AddPicture\\kept.png")), chosen, chosen}) {
        TFmTODOmain form;
        form.Create();
        Application.SetMainForm(form.Handle());
        EXPECT_EQ(BGprofile.CurrentPicture(), expected);
        EXPECT_EQ(BGprofile.Pictures().size(), 3u);
        EXPECT_TRUE(CloseEndsTheRun(form));
    }
}

// A drag that starts strictly inside the box of the two caption buttons is a click.
TEST_F(MainWindow, NoDragFromTheCaptionButtons) {
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    const TRect& fold = form.kvneGctButton1.BtnDraw.Bounds();
    const TRect& close = form.kvneGctButton2.BtnDraw.Bounds();
    const struct {
        int x, y;
        bool drags;
    } presses[] = {{fold.Left + 1, fold.Top + 1, false}, {close.Right - 1, close.Bottom - 1, false},
                   {fold.Left, fold.Top + 5, true},      {close.Right, close.Top + 5, true},
                   {fold.Left + 5, fold.Top, true},      {100, 100, true}};
    for (const auto& press : presses) {
        bool drags = true;
        form.FormFunc.OnCanDragMove(press.x, press.y, drags);
        EXPECT_EQ(drags, press.drags) << press.x << "," << press.y;
    }
    EXPECT_TRUE(CloseEndsTheRun(form));
}

TEST_F(MainWindow, TheReminderComesAtStartAndWithANewDayOnly) {
    CreateDirectoryW(ToWide(Path("todo")).c_str(), nullptr);
    ReplaceFileSafely(Path("todo\\todo.txt"), "20260609,000000,\"late\",\"\"\r\n20260610,000000,\"now\",\"\"\r\n"
                                               ",000000,\"someday\",\"\"\r\n");
    std::vector<std::wstring> balloons;  // outlives the form, whose icon reports to it at the end
    TFmTODOmain form;
    form.Create();
    form.TaskBarIcon1.Notify = [&](DWORD, NOTIFYICONDATAW* data) {
        if (data->uFlags & NIF_INFO) balloons.push_back(data->szInfo);
        return TRUE;
    };
    TDateTime now = 0;
    TryEncodeDate(2026, 6, 10, now);
    form.Clock = [&] { return now; };
    form.CheckDay();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(FromWide(balloons[0]), "今日が期日の項目: 1件 / 期限切れ: 1件\r\nnow\r\nlate");
    EXPECT_EQ(form.List.DateColor(0), 0x0000E0);
    EXPECT_EQ(form.List.DateColor(1), 0x0080FF);
    EXPECT_EQ(form.List.DateColor(2), -1);
    now += 0.5;
    form.CheckDay();
    EXPECT_EQ(balloons.size(), 1u);  // the same day: nothing new
    now += 1;
    form.CheckDay();
    ASSERT_EQ(balloons.size(), 2u);
    EXPECT_EQ(FromWide(balloons[1]), "今日が期日の項目: 0件 / 期限切れ: 2件\r\nlate\r\nnow");
    EXPECT_EQ(form.List.DateColor(1), 0x0000E0);  // the marks followed midnight
    form.NotifyDue = false;
    now += 1;
    form.CheckDay();
    EXPECT_EQ(balloons.size(), 2u);
    CloseEndsTheRun(form);  // takes the run's end out of the queue, as the next test needs it empty
}

// Closed folded, then the unfolded height in the settings damaged by hand: the fold button
// must still bring back a window one can see and reach.
TEST_F(MainWindow, UnfoldingAfterADamagedHeightGivesAUsableWindow) {
    const std::string settings = Path("memorail_win32_tests.ini");
    for (std::string damaged : {"0", "-40", "x", "99999", "the folded height"}) {
        {
            TFmTODOmain form;
            form.Create();
            form.FoldClick();
            if (damaged == "the folded height") damaged = std::to_string(UnscaleForDpi(form.FoldedHeight, form.Dpi()));
            CloseEndsTheRun(form);
        }
        std::string text;
        ASSERT_TRUE(ReadWholeFile(settings, text));
        const std::size_t at = text.find("normalheight=");
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, text.find('\r', at) - at, "normalheight=" + damaged);
        ReplaceFileSafely(settings, text);

        TFmTODOmain form;
        form.Create();
        RECT r;
        GetWindowRect(form.Handle(), &r);
        EXPECT_EQ(r.bottom - r.top, form.FoldedHeight) << damaged;
        form.FoldClick();
        GetWindowRect(form.Handle(), &r);
        EXPECT_GT(r.bottom - r.top, form.FoldedHeight) << damaged;
        EXPECT_LE(r.bottom - r.top, GetSystemMetrics(SM_CYVIRTUALSCREEN)) << damaged;
        CloseEndsTheRun(form);
    }
}

TEST_F(MainWindow, FoldedAtTheBottomOfTheScreenTheWindowUnfoldsUpward) {
    TFmTODOmain form;
    form.Create();
    RECT work, r;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(form.Handle(), &r);
    const int unfolded = r.bottom - r.top;
    form.FoldClick();
    SetWindowPos(form.Handle(), nullptr, 100, work.bottom - form.FoldedHeight, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    form.FoldClick();
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.bottom - r.top, unfolded);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(r.left, 100);
    // With room below, it unfolds downward as always.
    form.FoldClick();
    SetWindowPos(form.Handle(), nullptr, 100, work.top + 10, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    form.FoldClick();
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.top, work.top + 10);
    CloseEndsTheRun(form);
}

// Minimised from its system menu (Alt+Space), the window is no shorter: unfolded after
// that, it has its height again.
TEST_F(MainWindow, MinimisingKeepsTheUnfoldedHeight) {
    TFmTODOmain form;
    form.Create();
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    RECT r;
    GetWindowRect(form.Handle(), &r);
    const int unfolded = r.bottom - r.top + 30;
    SetWindowPos(form.Handle(), nullptr, 0, 0, r.right - r.left, unfolded, SWP_NOZORDER | SWP_NOMOVE);
    form.FoldClick();
    ShowWindow(form.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(form.Handle()));
    ShowWindow(form.Handle(), SW_RESTORE);
    form.FoldClick();
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.bottom - r.top, unfolded);
    CloseEndsTheRun(form);
}

// After the loop the process may end at once (a rendering that would not stop): the icon
// must be gone with the window, or a dead one stays in the notification area.
TEST_F(MainWindow, TheTrayIconGoesWithTheWindow) {
    std::vector<DWORD> requests;  // outlives the form
    TFmTODOmain form;
    form.Create();
    form.TaskBarIcon1.Notify = [&](DWORD request, NOTIFYICONDATAW*) {
        requests.push_back(request);
        return TRUE;
    };
    form.TaskBarIcon1.SetEnabled(true);
    CloseEndsTheRun(form);
    EXPECT_FALSE(form.TaskBarIcon1.Added());
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back(), static_cast<DWORD>(NIM_DELETE));
}

// A click on the tray icon hides the shown window and brings back a hidden or minimised one,
// on the screen.
TEST_F(MainWindow, TheTrayIconBringsBackAMinimisedWindow) {
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    const auto click = [&] {
        SendMessageW(form.TaskBarIcon1.Handle(), TTaskBarIcon::kCallbackMessage, 1, WM_LBUTTONDOWN);
    };
    ShowWindow(form.Handle(), SW_SHOW);
    click();
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    click();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    ShowWindow(form.Handle(), SW_MINIMIZE);
    click();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    EXPECT_FALSE(IsIconic(form.Handle()));
    // Hidden while the screen changed (a hidden window hears nothing of it): shown on it.
    click();
    SetWindowPos(form.Handle(), nullptr, 30000, 30000, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    click();
    EXPECT_NE(MonitorFromWindow(form.Handle(), MONITOR_DEFAULTTONULL), nullptr);
    CloseEndsTheRun(form);
}

namespace {
// A second start, on a thread of its own, for the window of the first copy.
bool SecondStartReturns(HWND first) {
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* window) -> DWORD {
            TFmTODOmain::BringForward(static_cast<HWND>(window));
            return 0;
        },
        first, 0, nullptr);
    // The first copy answers nothing meanwhile: the second start must not wait for it.
    const bool returned = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
    MSG msg;
    while (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0)
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    CloseHandle(thread);
    return returned;
}
void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
}  // namespace

// The first copy hidden in the tray and busy, or with a dialog open: a second start neither
// hangs nor leaves the dialog behind its disabled owner.
TEST_F(MainWindow, ASecondStartBringsTheFirstForwardWithoutWaiting) {
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    ShowWindow(form.Handle(), SW_HIDE);
    EXPECT_TRUE(SecondStartReturns(form.Handle()));
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));

    HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, form.Handle(), nullptr,
                                  nullptr, nullptr);
    {
        const TModalScope modal(dialog);
        EnableWindow(form.Handle(), FALSE);
        SetForegroundWindow(form.Handle());
        EXPECT_TRUE(SecondStartReturns(form.Handle()));
        PumpMessages();
        EXPECT_EQ(GetActiveWindow(), dialog);
        EnableWindow(form.Handle(), TRUE);
    }
    DestroyWindow(dialog);
    EXPECT_TRUE(CloseEndsTheRun(form));
}

// The item file emptied by another program while this one closes: the question runs a message
// loop inside the window's end, and no timer may act on the window meanwhile (a new day's
// reminder, a new picture after the renderer's shutdown).
TEST_F(MainWindow, NoTimerActsWhileTheWindowEnds) {
    CreateDirectoryW(ToWide(Path("todo")).c_str(), nullptr);
    ReplaceFileSafely(Path("todo\\todo.txt"), "20240305,0000FF,\"一件目\",\"★\"\r\n");
    int balloons = 0;  // outlives the form
    bool asked = false;
    TFmTODOmain form;
    form.Create();
    form.TaskBarIcon1.Notify = [&](DWORD, NOTIFYICONDATAW* data) {
        if (data->uFlags & NIF_INFO) ++balloons;
        return TRUE;
    };
    TDateTime now = form.Clock();
    form.Clock = [&] { return now; };
    form.CheckDay();
    ASSERT_EQ(balloons, 1);
    form.Store.ConfirmLargeChange = [&] {
        asked = true;
        now += 1;
        for (UINT_PTR timer : {1, 2, 3}) SendMessageW(form.Handle(), WM_TIMER, timer, 0);
        return false;
    };
    ReplaceFileSafely(Path("todo\\todo.txt"), "");
    CloseEndsTheRun(form);
    EXPECT_TRUE(asked);
    EXPECT_EQ(balloons, 1);
}

// The option asks to start with Windows and the shortcut cannot be made: the user is told.
TEST_F(MainWindow, AStartupShortcutThatCannotBeMadeIsReported) {
    const std::string shortcut = GetSpecialFolder(kFolderStartup) + "\\" + GlobalEnv.ProductName() + ".lnk";
    ASSERT_TRUE(CreateDirectoryW(ToWide(shortcut).c_str(), nullptr));  // a folder in its way
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[OPTION]\r\nstartup=1\r\n");
    TFmTODOmain form;
    form.Create();
    EXPECT_EQ(Application.PendingReports().size(), 1u);
    // Once: not again at every finished rendering of the background, once the box is closed.
    Application.DiscardReports();
    SendMessageW(form.Handle(), WM_WINDOWRESET, 0, 0);
    EXPECT_TRUE(Application.PendingReports().empty());
    RemoveDirectoryW(ToWide(shortcut).c_str());
    CloseEndsTheRun(form);
}

// The reminder's balloon clicked while the item editor is open: the editor comes forward, not
// its disabled owner, which would take the keys away from it.
TEST_F(MainWindow, ABalloonClickUnderADialogBringsTheDialogForward) {
    TFmTODOmain form;
    form.Create();
    Application.SetMainForm(form.Handle());
    ShowWindow(form.Handle(), SW_SHOW);
    HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, form.Handle(), nullptr,
                                  nullptr, nullptr);
    {
        const TModalScope modal(dialog);
        EnableWindow(form.Handle(), FALSE);
        SetForegroundWindow(form.Handle());
        form.TaskBarIcon1.OnBalloonClick();
        EXPECT_EQ(GetActiveWindow(), dialog);
        EnableWindow(form.Handle(), TRUE);
    }
    DestroyWindow(dialog);
    EXPECT_TRUE(CloseEndsTheRun(form));
}
