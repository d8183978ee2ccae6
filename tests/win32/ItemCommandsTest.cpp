// The main window's item commands on a list of its own: the menu, the clipboard, the archive.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <thread>

#include "DataFolderTest.h"
#include "app/FmTODOmain.h"
#include "framework/Application.h"
#include "framework/Messages.h"
#include "settings/ProfileList.h"
#include "settings/SettingsKeys.h"
#include "support/Clipboard_win.h"
#include "support/Encoding_win.h"
#include "support/Errors.h"
#include "support/FileIO.h"
#include "support/kvneGlobal.h"

namespace {

// Item i is due on day 45000 + i, so sorting by date keeps the file's order.
std::string ItemLines(int count, const std::string& text = "item") {
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += DateToText(45000 + i) + ",000000,\"" + text + std::to_string(i) + "\",\"　\"\r\n";
    return lines;
}

// Runs step once a modal loop has started (a thread timer fires inside it).
std::function<void()> gStep;
void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (gStep) gStep();
}

class ItemCommands : public DataFolderTest {
protected:
    void TearDown() override {
        if (form_.Handle()) DestroyWindow(form_.Handle());
        DataFolderTest::TearDown();
    }
    void Start(const std::string& items) {
        ReplaceFileSafely(Path("todo\\todo.txt"), items);
        form_.Create();
        Application.SetMainForm(form_.Handle());
        form_.PaintList();  // the layout has been shown
    }
    // Whether act puts a question on the screen (closed again at once).
    static bool AsksAQuestion(const std::function<void()>& act) {
        bool asked = false;
        gStep = [&asked] {
            HWND box = FindWindowW(L"TFormMessage", nullptr);
            asked = box != nullptr;
            if (box) PostMessageW(box, WM_CLOSE, 0, 0);
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 300, RunStep);
        act();
        MSG msg;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 500 && !asked)
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        KillTimer(nullptr, timer);
        gStep = nullptr;
        return asked;
    }

    TFmTODOmain form_;
};

}  // namespace

TEST_F(ItemCommands, OpeningTheMenuKeepsTheScrolledSelection) {
    Start(ItemLines(40));
    ASSERT_GT(form_.List.LineCount(), form_.List.VisibleRows());
    form_.List.SetTopLine(20);
    form_.List.Select(22);
    form_.PopupMenu1Popup();
    EXPECT_EQ(form_.List.FirstShownLine(), 20);
    EXPECT_EQ(form_.Selection(), 22);
    for (const char* name : {"P1todoCopy", "P1TodoCut", "P1todoEdit", "P1todoAdd", "P1todoInsert"})
        EXPECT_TRUE(form_.PopupMenu1.Find(name)->enabled) << name;
    EXPECT_FALSE(form_.PopupMenu1.Find("P1printer")->visible);
    EXPECT_TRUE(form_.PopupMenu1.Find("PsAuto")->checked);
    EXPECT_TRUE(form_.PopupMenu1.Find("PsDate")->checked);
    EXPECT_NE(Read("memorail_win32_tests.ini").find("auto=1"), std::string::npos);  // saved at each opening

    form_.List.Select(-1);
    form_.PopupMenu1Popup();
    for (const char* name : {"P1todoCopy", "P1TodoCut", "P1todoEdit"})
        EXPECT_FALSE(form_.PopupMenu1.Find(name)->enabled) << name;
}

TEST_F(ItemCommands, LayoutsKeepThePlaceAndTheSelection) {
    Start(ItemLines(60));
    form_.List.SetTopLine(30);
    form_.List.Select(35);
    form_.LayoutList();  // as an item command or a menu opening lays out
    SendMessageW(form_.Handle(), WM_WINDOWRESET, 0, 0);  // as a finished rendering does
    form_.PaintList();
    EXPECT_EQ(form_.List.FirstShownLine(), 30);
    EXPECT_EQ(form_.Selection(), 35);
    EXPECT_EQ(GetScrollPos(form_.ScrollBar, SB_CTL), 30);
    // Four whole rows show lines 30 … 33: the selection is scrolled just into view, not dropped.
    RECT r;
    GetWindowRect(form_.Handle(), &r);
    const int width = r.right - r.left;
    SetWindowPos(form_.Handle(), nullptr, 0, 0, width, 33 + 4 * form_.List.RowHeight + 8 + 5,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(form_.List.VisibleRows(), 4);
    form_.PaintList();
    EXPECT_EQ(form_.Selection(), 35);
    EXPECT_EQ(form_.List.FirstShownLine(), 32);
    // Folded and unfolded again, the list shows the same.
    SetWindowPos(form_.Handle(), nullptr, 0, 0, width, form_.FoldedHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    form_.PaintList();
    SetWindowPos(form_.Handle(), nullptr, 0, 0, width, 33 + 4 * form_.List.RowHeight + 8 + 5,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    form_.PaintList();
    EXPECT_EQ(form_.Selection(), 35);
    EXPECT_EQ(form_.List.FirstShownLine(), 32);
}

TEST_F(ItemCommands, APastedItemFarDownIsSelectedAndShown) {
    Start(ItemLines(60));
    SetClipboardText(form_.Handle(), DateToText(46000) + ",000000,\"last\",\"　\"");
    form_.List.Select(5);
    form_.P1todoInsertClick();  // inserted above item 5, sorted to the end by its date
    ASSERT_EQ(form_.Items.GetText(60), "last");
    EXPECT_EQ(form_.Selection(), 60);
    EXPECT_EQ(form_.List.FirstShownLine(), 61 - form_.List.VisibleRows());
    form_.PaintList();
    EXPECT_EQ(form_.Selection(), 60);
}

TEST_F(ItemCommands, WithoutASelectionNothingIsCopiedCutOrAsked) {
    Start(ItemLines(3));
    const std::string before = Read("todo\\todo.txt");
    SetClipboardText(form_.Handle(), "kept");
    form_.List.Select(-1);
    EXPECT_FALSE(AsksAQuestion([this] {
        form_.P1todoCutClick();
        WPARAM key = VK_DELETE;
        form_.FormKeyDown(key);
    }));
    EXPECT_EQ(form_.Items.Count(), 3);
    EXPECT_EQ(GetClipboardText(form_.Handle(), 100), "kept");
    EXPECT_EQ(Read("todo\\todo.txt"), before);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(ToWide(Path("todo\\1*.txt")).c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);  // no archive was started
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

// Folded, the list is out of sight: keys neither move through it nor act on the item selected
// there, and the menu offers it to no edit, cut or copy.
TEST_F(ItemCommands, FoldedTheSelectedItemIsNotActedOn) {
    Start(ItemLines(3));
    const std::string before = Read("todo\\todo.txt");
    SetClipboardText(form_.Handle(), "kept");
    form_.List.Select(1);
    form_.FoldClick();
    RECT r;
    GetWindowRect(form_.Handle(), &r);
    ASSERT_EQ(r.bottom - r.top, form_.FoldedHeight);
    EXPECT_FALSE(AsksAQuestion([this] {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        for (WPARAM key : {WPARAM{'X'}, WPARAM{'C'}}) form_.FormKeyDown(key);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        for (WPARAM key : {WPARAM{VK_DOWN}, WPARAM{VK_DELETE}}) form_.FormKeyDown(key);
        SendMessageW(form_.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
        // The list's one edge left: a press there once selected the item at it.
        SendMessageW(form_.Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(form_.List.Rect.left + 20, form_.List.Rect.top));
        SendMessageW(form_.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(form_.List.Rect.left + 20, form_.List.Rect.top));
    }));
    EXPECT_EQ(form_.Items.Count(), 3);
    EXPECT_EQ(GetClipboardText(form_.Handle(), 100), "kept");
    EXPECT_EQ(Read("todo\\todo.txt"), before);
    EXPECT_EQ(form_.Selection(), 1);
    form_.PopupMenu1Popup();
    EXPECT_FALSE(form_.PopupMenu1.Find("P1TodoCut")->enabled);
    form_.FoldClick();
    form_.PopupMenu1Popup();
    EXPECT_TRUE(form_.PopupMenu1.Find("P1TodoCut")->enabled);
}

TEST_F(ItemCommands, CopyThenPasteDuplicatesEvenALongItem) {
    const std::string longText = std::string(3000, 'x') + "表";  // 95 5C ends the line's text
    Start(DateToText(45000) + ",0000FF,\"" + longText + "\",\"★\"\r\n");
    form_.List.Select(0);
    form_.P1todoCopyClick();
    form_.List.Select(-1);
    form_.P1todoInsertClick();
    ASSERT_EQ(form_.Items.Count(), 2);
    EXPECT_EQ(form_.Items.ItemToLine(0), form_.Items.ItemToLine(1));
    EXPECT_EQ(Read("todo\\todo.txt"), form_.Items.SaveToText());

    // NULs a crash left in a line are dropped, not the rest of the line after them.
    Tdata damaged = form_.Items.Item(0);
    damaged.Text = std::string("ab\0\0cd", 6);
    form_.Store.Edit(form_.Store.IdAt(0), damaged);
    form_.List.Select(0);
    form_.P1todoCopyClick();
    form_.PasteItem(-1);
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), "abcd");
    EXPECT_EQ(form_.Items.GetCategory(form_.Selection()), "★");
    form_.Store.Undo();

    // The longest text a paste takes, its line longer by the escapes of its quotes.
    std::string largest;
    while (largest.size() < (1 << 20)) largest += "\"a\tb";
    largest.resize(1 << 20);
    ASSERT_TRUE(SetClipboardText(form_.Handle(), largest + "\"more"));
    form_.PasteItem(-1);
    ASSERT_EQ(form_.Items.GetText(form_.Selection()), largest);  // the rest is cut off
    form_.P1todoCopyClick();
    form_.PasteItem(-1);
    ASSERT_EQ(form_.Items.Count(), 4);
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), largest);
}

TEST_F(ItemCommands, PlainTextPastesAsOneItemInTheNewTextColour) {
    Start("");
    form_.NewTextColor = 0x00FF00;
    SetClipboardText(form_.Handle(), "abc\r\n牛乳");
    form_.PasteItem(-1);
    ASSERT_EQ(form_.Items.Count(), 1);
    EXPECT_EQ(form_.Items.GetText(0), "abc\r\n牛乳");
    EXPECT_EQ(form_.Items.GetColor(0), 0x00FF00);
    EXPECT_EQ(form_.Items.GetCategory(0), "　");
    EXPECT_EQ(form_.Selection(), 0);

    SetClipboardText(form_.Handle(), "");  // an empty clipboard gives an empty item
    form_.PasteItem(0);
    ASSERT_EQ(form_.Items.Count(), 2);
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), "");
    EXPECT_EQ(form_.Items.GetColor(form_.Selection()), 0x00FF00);
}

// OK on an editor nobody touched: the item stays exactly as it was, its time of day too.
TEST_F(ItemCommands, AcceptingAnUntouchedEditorChangesNothing) {
    Start("20050714,563412,\"\x87\x9A\xED\x40 and 表\",\"◆\"\r\n");  // a colour none of the 16
    form_.Items.SetDate(0, form_.Items.GetDate(0) + 0.75);
    const std::string line = form_.Items.ItemToLine(0);
    gStep = [] {
        if (HWND editor = FindWindowW(L"TFmTODOdata", nullptr)) {
            HWND ok = GetDlgItem(editor, 103);
            PostMessageW(editor, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        }
    };
    SetTimer(nullptr, 0, 200, RunStep);
    form_.EditItemDialog(0);
    EXPECT_EQ(form_.Items.ItemToLine(0), line);
    EXPECT_DOUBLE_EQ(form_.Items.GetDate(0) - static_cast<long long>(form_.Items.GetDate(0)), 0.75);
}

// An edit shows at once, also when its save fails (another program holds the file): the
// rows are not left showing the old text.
TEST_F(ItemCommands, AnEditShowsEvenWhenItsSaveFails) {
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[OPTION]\r\nwordwrap=1\r\n");
    Start(ItemLines(2));
    ASSERT_EQ(form_.List.LineCount(), 2);
    const std::wstring file = ToWide(Path("todo\\todo.txt"));
    HANDLE locked = INVALID_HANDLE_VALUE;
    gStep = [&] {
        HWND editor = FindWindowW(L"TFmTODOdata", nullptr);
        if (!editor) return;
        SetWindowTextW(FindWindowExW(editor, nullptr, L"Edit", nullptr), L"a\r\nb\r\nc");
        locked = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        PostMessageW(editor, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(editor, 103)));
    };
    SetTimer(nullptr, 0, 200, RunStep);
    EXPECT_THROW(form_.EditItemDialog(0), EFileError);
    gStep = nullptr;
    CloseHandle(locked);
    EXPECT_EQ(form_.Items.GetText(0), "a\r\nb\r\nc");
    EXPECT_EQ(form_.List.LineCount(), 4);
}

// A save that merges another program's items and then cannot write (a sync client holds the
// file) still lays the merged list out.
TEST_F(ItemCommands, ItemsMergedByASaveThatFailsAreShown) {
    Start(ItemLines(2));
    ReplaceFileSafely(Path("todo\\todo.txt"), ItemLines(3));
    HANDLE held = CreateFileW(ToWide(Path("todo\\todo.txt")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SetClipboardText(form_.Handle(), "mine");
    EXPECT_THROW(form_.PasteItem(-1), EFileError);
    CloseHandle(held);
    ASSERT_EQ(form_.Items.Count(), 4);
    EXPECT_EQ(form_.List.LineCount(), 4);
}

// A paint can come between a change of the list and its layout (a question a save asks shows
// over the window): the rows of items gone meanwhile stay empty instead of failing the paint.
TEST_F(ItemCommands, APaintBeforeTheLayoutSkipsItemsGoneMeanwhile) {
    Start(ItemLines(3));
    form_.List.Select(2);
    form_.Store.Remove(form_.Store.IdAt(2));
    EXPECT_NO_THROW(form_.PaintList());
    EXPECT_EQ(form_.Selection(), -1);
}

TEST_F(ItemCommands, AnArchiveThatCannotBeWrittenKeepsTheItem) {
    Start("20050714,0000FF,\"牛乳\",\"★\"\r\n");
    CreateDirectoryW(ToWide(Path("todo\\200507.txt")).c_str(), nullptr);
    try {
        form_.ArchiveItem(0);
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("200507.txt"), std::string::npos) << e.what();
    }
    EXPECT_EQ(form_.Items.Count(), 1);
    EXPECT_EQ(Read("todo\\todo.txt"), "20050714,0000FF,\"牛乳\",\"★\"\r\n");
}

TEST_F(ItemCommands, UndoAndRedoFromTheKeysAndTheMenu) {
    Start("20050714,0000FF,\"牛乳\",\"★\"\r\n20050715,000000,\"卵\",\"　\"\r\n");
    const std::string before = Read("todo\\todo.txt");
    form_.PopupMenu1Popup();
    EXPECT_FALSE(form_.PopupMenu1.Find("P1undo")->enabled);
    form_.ArchiveItem(0);  // Delete, はい
    ASSERT_TRUE(FileExists(Path("todo\\200507.txt")));
    form_.PopupMenu1Popup();
    EXPECT_TRUE(form_.PopupMenu1.Find("P1undo")->enabled);
    EXPECT_FALSE(form_.PopupMenu1.Find("P1redo")->enabled);
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    WPARAM key = 'Z';
    form_.FormKeyDown(key);
    EXPECT_EQ(Read("todo\\todo.txt"), before);
    EXPECT_FALSE(FileExists(Path("todo\\200507.txt")));  // the archive as it was: there was none
    key = 'Y';
    form_.FormKeyDown(key);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(form_.Items.Count(), 1);
    EXPECT_EQ(Read("todo\\200507.txt"), "20050714,0000FF,\"牛乳\",\"★\"\r\n");
    form_.UndoClick();
    EXPECT_EQ(form_.Items.Count(), 2);
}

namespace {

void PressKey(TFmTODOmain& form, WPARAM key, bool control = false) {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    form.FormKeyDown(key);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

}  // namespace

// Home, End and the page keys move the selection and keep it in view; the clipboard keys
// act on it.
TEST_F(ItemCommands, TheKeysMoveTheSelectionAndCopyPasteAndCut) {
    Start(ItemLines(40));
    const int rows = form_.List.VisibleRows();
    ASSERT_GT(40, rows + 2);
    PressKey(form_, VK_END);
    EXPECT_EQ(form_.Selection(), 39);
    EXPECT_EQ(form_.List.FirstShownLine(), 40 - rows);
    EXPECT_TRUE(form_.List.FocusShown());
    PressKey(form_, VK_HOME);
    EXPECT_EQ(form_.Selection(), 0);
    EXPECT_EQ(form_.List.FirstShownLine(), 0);
    PressKey(form_, VK_NEXT);  // to the last shown row, then a page on
    EXPECT_EQ(form_.Selection(), rows - 1);
    PressKey(form_, VK_NEXT);
    EXPECT_EQ(form_.Selection(), 2 * rows - 2);
    EXPECT_EQ(form_.List.FirstShownLine(), rows - 1);
    PressKey(form_, VK_PRIOR);  // to the first shown row
    EXPECT_EQ(form_.Selection(), rows - 1);
    PressKey(form_, VK_PRIOR);
    EXPECT_EQ(form_.Selection(), 0);

    PressKey(form_, 'C', true);
    EXPECT_EQ(GetClipboardText(form_.Handle(), 1000), DateToText(45000) + ",000000,\"item0\",\"　\"");
    PressKey(form_, VK_END);
    PressKey(form_, 'V', true);  // before the selected item
    EXPECT_EQ(form_.Items.Count(), 41);
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), "item0");
    PressKey(form_, 'X', true);
    EXPECT_EQ(form_.Items.Count(), 40);
    EXPECT_EQ(form_.Items.GetText(0), "item0");
    EXPECT_NE(form_.Items.GetText(1), "item0");
}

// The wheel moves the selection an item a notch: a touchpad's parts of a notch add up.
TEST_F(ItemCommands, TheWheelMovesAnItemANotch) {
    Start(ItemLines(10));
    form_.List.Select(0);
    const auto wheel = [this](int delta) { SendMessageW(form_.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0); };
    for (int part = 0; part < 3; ++part) wheel(-40);
    EXPECT_EQ(form_.Selection(), 1);
    wheel(-2 * WHEEL_DELTA);
    EXPECT_EQ(form_.Selection(), 3);
    wheel(WHEEL_DELTA);
    EXPECT_EQ(form_.Selection(), 2);
}

// Shift+F10, the menu key of keyboards without one, opens the menu as that key does.
TEST_F(ItemCommands, ShiftF10OpensTheMenu) {
    Start(ItemLines(1));
    bool opened = false;
    gStep = [&opened] {
        opened = FindWindowW(L"#32768", nullptr) != nullptr;
        EndMenu();
    };
    BYTE keys[256] = {};
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, RunStep);
    SendMessageW(form_.Handle(), WM_SYSKEYDOWN, VK_F10, 0);
    KillTimer(nullptr, timer);
    gStep = nullptr;
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_TRUE(opened);
}

// An item taller than the rows is paged through before PageDown takes the next one.
TEST_F(ItemCommands, PageDownPagesThroughATallItem) {
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[OPTION]\r\nwordwrap=1\r\n");
    std::string tall;
    for (int i = 0; i < 40; ++i) tall += "line" + std::to_string(i) + "\\n";
    Start(DateToText(45000) + ",000000,\"" + tall + "\",\"　\"\r\n" + ItemLines(1));
    ASSERT_GT(form_.List.EndLineOf(0), form_.List.VisibleRows() * 2);
    PressKey(form_, VK_HOME);
    PressKey(form_, VK_NEXT);
    EXPECT_EQ(form_.Selection(), 0);
    EXPECT_EQ(form_.List.FirstShownLine(), form_.List.VisibleRows() - 1);
    for (int i = 0; i < 40; ++i) PressKey(form_, VK_NEXT);
    EXPECT_EQ(form_.Selection(), 1);
    PressKey(form_, VK_HOME);
    EXPECT_EQ(form_.List.FirstShownLine(), 0);
}

// At the end of a tall last item PageDown stays, instead of jumping back to the item's top.
TEST_F(ItemCommands, PageDownStopsAtTheEndOfATallLastItem) {
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[OPTION]\r\nwordwrap=1\r\n");
    std::string tall;
    for (int i = 0; i < 40; ++i) tall += "line" + std::to_string(i) + "\\n";
    Start(ItemLines(1) + DateToText(46000) + ",000000,\"" + tall + "\",\"　\"\r\n");
    const int bottom = form_.List.LineCount() - form_.List.VisibleRows();
    PressKey(form_, VK_END);
    for (int i = 0; i < 10 && form_.List.FirstShownLine() < bottom; ++i) PressKey(form_, VK_NEXT);
    ASSERT_EQ(form_.List.FirstShownLine(), bottom);
    PressKey(form_, VK_NEXT);
    EXPECT_EQ(form_.Selection(), 1);
    EXPECT_EQ(form_.List.FirstShownLine(), bottom);
}

TEST_F(ItemCommands, AnItemAnotherProgramAddsIsMergedAndKept) {
    Start("20050714,0000FF,\"牛乳\",\"★\"\r\n");
    form_.List.Select(0);
    form_.ArchiveItem(0);
    // A sync client brings two items; the watcher's message merges them at once.
    ReplaceFileSafely(Path("todo\\todo.txt"), "20050801,000000,\"a\",\"　\"\r\n20050802,000000,\"b\",\"　\"\r\n");
    SendMessageW(form_.Handle(), WM_ITEMFILECHANGED, 0, 0);
    ASSERT_EQ(form_.Items.Count(), 2);
    SetClipboardText(form_.Handle(), "20050803,000000,\"mine\",\"　\"");
    form_.PasteItem(-1);
    DestroyWindow(form_.Handle());
    const std::string saved = Read("todo\\todo.txt");
    for (const char* text : {"\"a\"", "\"b\"", "\"mine\""})
        EXPECT_NE(saved.find(text), std::string::npos) << text << " in " << saved;
    EXPECT_EQ(saved.find("牛乳"), std::string::npos);
}

// The watcher's word that arrives while a question is open is not lost: the file is merged
// once the question is answered, though nothing was saved.
TEST_F(ItemCommands, AFileChangeDuringAQuestionIsMergedAfterIt) {
    Start(ItemLines(2));
    form_.List.Select(0);
    gStep = [this] {
        ReplaceFileSafely(Path("todo\\todo.txt"), ItemLines(3));
        SendMessageW(form_.Handle(), WM_ITEMFILECHANGED, 0, 0);
        MSG msg;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 500; Sleep(5))  // the watcher's own too
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (HWND box = FindWindowW(L"TFormMessage", nullptr)) PostMessageW(box, WM_CLOSE, 0, 0);  // not deleted
    };
    SetTimer(nullptr, 0, 200, RunStep);
    PressKey(form_, VK_DELETE);
    gStep = nullptr;
    MSG msg;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 3000 && form_.Items.Count() != 3; Sleep(5))
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(form_.Items.Count(), 3);
}

// "編集" is offered for the selected item; merged away while the menu was open, it opens no
// editor for a new item.
TEST_F(ItemCommands, EditFromTheMenuForAnItemGoneMeanwhileOpensNothing) {
    Start(ItemLines(3));
    form_.List.Select(2);
    form_.PopupMenu1Popup();
    ASSERT_TRUE(form_.PopupMenu1.Find("P1todoEdit")->enabled);
    ReplaceFileSafely(Path("todo\\todo.txt"), ItemLines(2));
    SendMessageW(form_.Handle(), WM_ITEMFILECHANGED, 0, 0);
    ASSERT_EQ(form_.Selection(), -1);
    bool opened = false;
    gStep = [&opened] {
        if (HWND editor = FindWindowW(L"TFmTODOdata", nullptr)) {
            opened = true;
            PostMessageW(editor, WM_CLOSE, 0, 0);
        }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, RunStep);
    form_.PopupMenu1.Find("P1todoEdit")->onClick();
    MSG msg;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 600; Sleep(5))
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    KillTimer(nullptr, timer);
    gStep = nullptr;
    EXPECT_FALSE(opened);
    EXPECT_EQ(form_.Items.Count(), 2);
}

TEST_F(ItemCommands, SortingFollowsTheSelectedRecord) {
    Start("20240101,000000,\"b\",\"　\"\r\n20240102,000000,\"c\",\"　\"\r\n20240103,000000,\"a\",\"　\"\r\n");
    form_.List.Select(2);  // "a"
    form_.SortBy(skText);    // the opposite of the last sort, which was ascending by date
    EXPECT_EQ(form_.Items.GetText(0), "c");
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), "a");
    form_.SortBy(skText);  // and back
    EXPECT_EQ(form_.Items.GetText(0), "a");
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), "a");
}

// With sorting automatic, undoing a sort gives back the sort that was chosen before, or the
// next layout would sort the list again at once; redoing it takes the new one again.
TEST_F(ItemCommands, UndoingASortGivesBackTheSortBefore) {
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[SORT]\r\nauto=1\r\ntype=0\r\norder=0\r\n");
    Start("20240101,000000,\"b\",\"　\"\r\n20240102,000000,\"c\",\"　\"\r\n20240103,000000,\"a\",\"　\"\r\n");
    form_.SortBy(skText);  // descending: c b a
    ASSERT_EQ(form_.Items.GetText(0), "c");
    form_.UndoClick();
    form_.PaintList();
    EXPECT_EQ(form_.Items.GetText(0), "b");
    EXPECT_EQ(form_.Items.GetText(2), "a");
    EXPECT_EQ(MainSettings.Read(keys::SortType), skDate);
    form_.RedoClick();
    form_.PaintList();
    EXPECT_EQ(form_.Items.GetText(0), "c");
    EXPECT_EQ(form_.Items.GetText(2), "a");
}

// Another program holds the clipboard: Ctrl+V adds no empty item and Ctrl+X keeps the item
// it could not copy; each says so.
TEST_F(ItemCommands, ABusyClipboardAddsOrCutsNothing) {
    Start(ItemLines(2));
    const std::string before = Read("todo\\todo.txt");
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr), done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([held, done] {
        HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        const bool opened = OpenClipboard(owner);
        SetEvent(held);
        WaitForSingleObject(done, 10000);
        if (opened) CloseClipboard();
        DestroyWindow(owner);
    });
    WaitForSingleObject(held, 10000);
    form_.List.Select(0);
    PressKey(form_, 'V', true);
    const int afterPaste = form_.Items.Count();
    PressKey(form_, 'X', true);
    SetEvent(done);
    holder.join();
    CloseHandle(held);
    CloseHandle(done);
    EXPECT_EQ(afterPaste, 2);
    EXPECT_EQ(form_.Items.Count(), 2);
    EXPECT_EQ(Read("todo\\todo.txt"), before);
    EXPECT_EQ(Application.PendingReports().size(), 2u);
}

TEST(Clipboard, JapaneseTextSurvivesAnySessionCodePage) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const std::string line = "20240305,0000FF,\"牛乳と表\",\"★\"";
    ASSERT_TRUE(SetClipboardText(owner, line));
    EXPECT_EQ(GetClipboardText(owner, 1 << 20), line);
    ASSERT_TRUE(OpenClipboard(owner));
    const auto* wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    EXPECT_EQ(std::wstring(wide), ToWide(line));
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    const auto* locale = static_cast<const LCID*>(GlobalLock(GetClipboardData(CF_LOCALE)));
    EXPECT_EQ(*locale, 0x0411u);
    GlobalUnlock(GetClipboardData(CF_LOCALE));
    CloseClipboard();
    EXPECT_EQ(GetClipboardText(owner, 20), line.substr(0, 19));  // not inside "牛"
    DestroyWindow(owner);
}

// A sort that moves the selected item out of view scrolls to it instead of dropping it.
TEST_F(ItemCommands, SortingKeepsAFarSelection) {
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[SORT]\r\ntype=0\r\norder=0\r\n");
    Start(ItemLines(40));
    form_.List.Select(35);
    form_.List.ShowSelection();
    form_.PaintList();
    form_.SortBy(skDate);  // descending now: item35 moves to the top part
    ASSERT_GE(form_.Selection(), 0);
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), "item35");
    RECT r;
    EXPECT_TRUE(form_.List.ItemBounds(form_.Selection(), r));
}

// Text from other programs: a file line copied with its line break is that item; several lines,
// or backslashes, are the text as it stands; nothing ends up in the item's mark.
TEST_F(ItemCommands, PastedTextFromOtherProgramsKeepsItsLines) {
    Start("");
    const std::string two = "20240305,0000FF,\"a\",\"★\"\r\n20240306,0000FF,\"b\",\"★\"";
    const struct {
        std::string clipboard, text, mark;
    } cases[] = {
        {"20240305,0000FF,\"a\",\"★\"\r\n", "a", "★"},
        {two + "\r\n", two, "　"},
        {"C:\\new\\temp \\\\server", "C:\\new\\temp \\\\server", "　"},
        {"\r\n\r\n", "", "　"},  // as an empty clipboard
        {"20240305,Meeting,Room 5,Bring laptop", "20240305,Meeting,Room 5,Bring laptop", "　"},  // a spreadsheet's row
        {"20240305,ff,\"b\",\"★\"", "b", "★"},
        {"20240305,ff,\"c\",\"★\" \t\r\n", "c", "★"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clipboard);
        ASSERT_TRUE(SetClipboardText(form_.Handle(), c.clipboard));
        form_.PasteItem(-1);
        ASSERT_GE(form_.Selection(), 0);
        EXPECT_EQ(form_.Items.GetText(form_.Selection()), c.text);
        EXPECT_EQ(form_.Items.GetCategory(form_.Selection()), c.mark);
    }
    EXPECT_EQ(form_.Items.Count(), 7);
}

// The warning about characters Shift-JIS cannot hold is a modal run like every question: no
// command from the tray or a reader starts under it.
void PutWideText(HWND owner, const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

TEST_F(ItemCommands, TheWarningOfReplacedCharactersIsAModalRun) {
    Start(ItemLines(1));
    PutWideText(form_.Handle(), L"a\u20AC");  // the euro sign is not in code page 932
    int level = -1;
    gStep = [&level] {
        level = Application.ModalLevel();
        if (HWND box = FindWindowW(L"#32770", L"Memorail")) PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    SetTimer(nullptr, 0, 300, RunStep);
    form_.PasteItem(-1);
    gStep = nullptr;
    EXPECT_EQ(level, 1);
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), "a?");

    // Korean text lacks thousands of characters: the warning names the first few.
    std::wstring korean;
    for (wchar_t c = 0xAC00; c < 0xAC00 + 3000; ++c) korean += c;
    PutWideText(form_.Handle(), korean);
    int shown = -1;
    gStep = [&shown] {
        HWND box = FindWindowW(L"#32770", L"Memorail");
        if (!box) return;
        shown = GetWindowTextLengthW(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    SetTimer(nullptr, 0, 300, RunStep);
    form_.PasteItem(-1);
    gStep = nullptr;
    EXPECT_GT(shown, 40);
    EXPECT_LT(shown, 100);
    EXPECT_EQ(form_.Items.GetText(form_.Selection()), std::string(3000, '?'));
}
