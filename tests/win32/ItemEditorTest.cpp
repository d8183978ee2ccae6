// The item editor: layout, keys and outcomes, and fields that keep what the user left alone.
#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "WinTestFolder.h"
#include "background/kvneColors.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/kvneGlobal.h"
#include "todo/FmTODOdata.h"

namespace {

class ItemEditor : public ::testing::Test {
protected:
    void SetUp() override {
        GlobalEnv.SetDataFolder(FromWide(folder_.Wide()));
        ColorsList.LoadDefaults();
        Application.DiscardReports();
        owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 150, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindowAtOnce(owner_);
        Application.DiscardReports();
        RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(GlobalEnv.RegistryKeyName()).c_str());
    }
    std::string Path(const std::string& name) const { return GlobalEnv.DataFolderPath() + name; }
    WinTestFolder folder_;
    HWND owner_ = nullptr;
};

template <typename Case>
class ItemEditorCases : public ItemEditor, public ::testing::WithParamInterface<Case> {};
const auto kCaseName = [](const auto& info) { return std::string(info.param.name); };

// Steps run one at a time inside the modal loop, from a thread timer; a last one closes the
// editor should the steps not have done so.
std::vector<std::function<void()>> gSteps;
std::size_t gNextStep = 0;
void CALLBACK RunNextStep(HWND, UINT, UINT_PTR id, DWORD) {
    if (gNextStep < gSteps.size())
        gSteps[gNextStep++]();
    else
        KillTimer(nullptr, id);
}

void RunModal(TFmTODOdata& editor, std::vector<std::function<void()>> steps) {
    steps.insert(steps.begin(), [&editor] { SetForegroundWindow(editor.Handle()); });
    steps.push_back([&editor] { editor.Close(); });
    gSteps = std::move(steps);
    gNextStep = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, RunNextStep);
    editor.ShowModal();
    KillTimer(nullptr, timer);
    gSteps.clear();
}

void PressKey(WPARAM key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
}

std::vector<std::string> Items(HWND box) {
    std::vector<std::string> items;
    for (int i = 0; i < SendMessageW(box, CB_GETCOUNT, 0, 0); ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(box, CB_GETLBTEXTLEN, i, 0)), L'\0');
        SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(FromWide(text));
    }
    return items;
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

TDateTime Day(int year, int month, int day) {
    TDateTime result = 0;
    TryEncodeDate(year, month, day, result);
    return result;
}

// The design's places at 409 × 170.
struct Placed {
    const char* name;
    TControl* TFmTODOdata::*control;  // null: the colour box
    RECT design;
    int anchors;
    bool fontHigh = false;  // may be taller: Wine keeps a list box's field as high as its font
};
const Placed kPlaces[] = {
    {"Memo", &TFmTODOdata::Memo, {8, 8, 401, 88}, akLeft | akTop | akRight | akBottom},
    {"Label1", &TFmTODOdata::Label1, {9, 98, 45, 110}, akLeft | akBottom},
    {"DateTimePicker1", &TFmTODOdata::DateTimePicker1, {48, 94, 148, 114}, akLeft | akBottom},
    {"Label2", &TFmTODOdata::Label2, {9, 120, 45, 132}, akLeft | akBottom},
    {"ColorBox1", nullptr, {48, 115, 148, 137}, akLeft | akBottom},
    {"Label3", &TFmTODOdata::Label3, {9, 142, 45, 154}, akLeft | akBottom},
    {"CBcate", &TFmTODOdata::CBcate, {48, 138, 148, 158}, akLeft | akBottom, true},
    {"BtCancel", &TFmTODOdata::BtCancel, {324, 111, 399, 132}, akRight | akBottom},
    {"BtOK", &TFmTODOdata::BtOK, {324, 135, 399, 155}, akRight | akBottom},
};

struct SizeCase {
    const char* name;
    int width, height;
};

}  // namespace

using ItemEditorLayout = ItemEditorCases<SizeCase>;
TEST_P(ItemEditorLayout, ControlsKeepTheirAnchoredDistances) {
    TFmTODOdata editor(owner_);
    const RECT start = WindowRect(editor.Handle());
    EXPECT_EQ(start.right - start.left, 409);  // borderless: the window is its client area
    EXPECT_EQ(start.bottom - start.top, 170);
    const auto [name, width, height] = GetParam();
    SetWindowPos(editor.Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int dx = width - 409, dy = height - 170;
    for (const Placed& p : kPlaces) {
        RECT want = p.design;
        if (p.anchors & akRight) want.right += dx;
        if (p.anchors & akBottom) want.bottom += dy;
        if ((p.anchors & (akLeft | akRight)) == akRight) want.left += dx;
        if ((p.anchors & (akTop | akBottom)) == akBottom) want.top += dy;
        const RECT got = (p.control ? editor.*p.control : editor.ColorBox1.Control())->Bounds();
        if (p.fontHigh && got.bottom - got.top > want.bottom - want.top)
            want.top = want.bottom - (got.bottom - got.top);
        EXPECT_EQ(got.left, want.left) << p.name;
        EXPECT_EQ(got.top, want.top) << p.name;
        EXPECT_EQ(got.right, want.right) << p.name;
        EXPECT_EQ(got.bottom, want.bottom) << p.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ItemEditorLayout,
                         ::testing::Values(SizeCase{"design", 409, 170}, SizeCase{"minimum", 240, 150},
                                           SizeCase{"double", 818, 340}),
                         kCaseName);

TEST_F(ItemEditor, TabGoesThroughTheControlsInOrderAndTheMemoOpensTheInputMethod) {
    TFmTODOdata editor(owner_);
    editor.SetText("一行目");
    std::vector<HWND> visited;
    BOOL imeOpen = FALSE;
    std::vector<std::function<void()>> steps{[&] {
        visited.push_back(GetFocus());
        HIMC context = ImmGetContext(GetFocus());
        imeOpen = ImmGetOpenStatus(context);
        ImmReleaseContext(GetFocus(), context);
    }};
    for (int i = 0; i < 7; ++i) {
        steps.push_back([] { PressKey(VK_TAB); });
        steps.push_back([&] { visited.push_back(GetFocus()); });
    }
    RunModal(editor, steps);
    const std::vector<HWND> order{
        editor.Memo->Handle(),     editor.BtCancel->Handle(), editor.BtOK->Handle(),  editor.DateTimePicker1->Handle(),
        editor.CBnoDate->Handle(), editor.ColorBox1.Handle(), editor.CBcate->Handle(), editor.Memo->Handle()};
    EXPECT_EQ(visited, order);
    EXPECT_TRUE(imeOpen);
    EXPECT_EQ(editor.Text(), "一行目");  // Tab moved on and wrote nothing
}

namespace {

struct RunCase {
    const char* name;
    const char* text;
    std::function<void(TFmTODOdata&)> act;
    bool closes;  // by the act, not by the test's last step
    int result;
};

void Click(TControl* button) { PostMessageW(button->Handle(), BM_CLICK, 0, 0); }
void KeyOn(HWND focus, WPARAM key) {
    SetFocus(focus);
    PressKey(key);
}
// Ctrl stays down until the run's end.
void CtrlEnterOn(HWND focus) {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    KeyOn(focus, VK_RETURN);
}

}  // namespace

using ItemEditorRun = ItemEditorCases<RunCase>;
TEST_P(ItemEditorRun, ButtonsAndKeys) {
    TFmTODOdata editor(owner_);
    editor.SetText(GetParam().text);
    bool stillOpen = false;
    RunModal(editor, {[&] { GetParam().act(editor); }, [&] { stillOpen = true; }});
    const BYTE released[256] = {};
    SetKeyboardState(const_cast<BYTE*>(released));
    EXPECT_EQ(stillOpen, !GetParam().closes);
    EXPECT_EQ(editor.ModalResult, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ItemEditorRun,
    ::testing::Values(
        RunCase{"ok", "牛乳", [](TFmTODOdata& e) { Click(e.BtOK); }, true, 1},
        RunCase{"ok_empty", "", [](TFmTODOdata& e) { Click(e.BtOK); }, true, 2},
        RunCase{"cancel", "牛乳", [](TFmTODOdata& e) { Click(e.BtCancel); }, true, 2},
        RunCase{"cancel_empty", "", [](TFmTODOdata& e) { Click(e.BtCancel); }, true, 2},
        RunCase{"enter_on_ok", "x", [](TFmTODOdata& e) { KeyOn(e.BtOK->Handle(), VK_RETURN); }, true, 1},
        RunCase{"enter_in_the_memo", "x", [](TFmTODOdata& e) { KeyOn(e.Memo->Handle(), VK_RETURN); }, false, 0},
        RunCase{"ctrl_enter_in_the_memo", "x", [](TFmTODOdata& e) { CtrlEnterOn(e.Memo->Handle()); }, true, 1},
        RunCase{"ctrl_enter_on_cancel", "x", [](TFmTODOdata& e) { CtrlEnterOn(e.BtCancel->Handle()); }, true, 1},
        RunCase{"escape_on_the_form", "x", [](TFmTODOdata& e) { KeyOn(e.Handle(), VK_ESCAPE); }, true, 0},
        RunCase{"escape_in_the_memo", "x", [](TFmTODOdata& e) { KeyOn(e.Memo->Handle(), VK_ESCAPE); }, false, 0},
        RunCase{"escape_on_a_button", "x", [](TFmTODOdata& e) { KeyOn(e.BtCancel->Handle(), VK_ESCAPE); }, false, 0}),
    kCaseName);

namespace {

struct TextCase {
    const char* name;
    std::string original;
    std::wstring typed;  // empty: left alone
    std::string result;
};

struct DateCase {
    const char* name;
    TDateTime original;
    SYSTEMTIME picked;  // wYear 0: left alone
    TDateTime result;
};

}  // namespace

using ItemEditorText = ItemEditorCases<TextCase>;
TEST_P(ItemEditorText, UnchangedTextKeepsItsBytes) {
    TFmTODOdata editor(owner_);
    editor.SetText(GetParam().original);
    if (!GetParam().typed.empty()) SetWindowTextW(editor.Memo->Handle(), GetParam().typed.c_str());
    EXPECT_EQ(editor.Text(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Texts, ItemEditorText,
                         ::testing::Values(TextCase{"nec_because", "\x87\x9A", L"", "\x87\x9A"},
                                           TextCase{"ibm_kanji", "\xED\x40", L"", "\xED\x40"},
                                           TextCase{"invalid_pair", "a\x81\x39", L"", "a\x81\x39"},
                                           // A damaged file's NUL: the memo shows the text up to it.
                                           TextCase{"nul_inside", std::string("a\0b", 3), L"", std::string("a\0b", 3)},
                                           TextCase{"changed_takes_the_memo", "\x87\x9A", L"\x2235x", "\x81\xE6x"}),
                         kCaseName);

using ItemEditorDate = ItemEditorCases<DateCase>;
TEST_P(ItemEditorDate, UnchangedDayIsKept) {
    TFmTODOdata editor(owner_);
    editor.SetDate(GetParam().original);
    SYSTEMTIME picked = GetParam().picked;
    if (picked.wYear)
        SendMessageW(editor.DateTimePicker1->Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
    EXPECT_EQ(editor.Date(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, ItemEditorDate,
    ::testing::Values(
        DateCase{"whole_day_of_the_item", Day(2024, 5, 6) + 0.75, {}, Day(2024, 5, 6)},
        DateCase{"picked", Day(2024, 5, 6) + 0.75, {2024, 5, 0, 9, 0, 0, 0, 0}, Day(2024, 5, 9)},
        DateCase{"before_the_pickers_range", Day(1700, 3, 1) - 0.5, {}, Day(1700, 3, 1)},
        DateCase{"picked_after_one_it_could_not_show", Day(1700, 3, 1), {2030, 1, 0, 2, 0, 0, 0, 0}, Day(2030, 1, 2)},
        DateCase{"before_day_zero", -1.25, {}, -1},
        // A day the item file cannot name is no date, in the editor too.
        DateCase{"far_out_of_range", 1e300, {}, kNoDate}),
    kCaseName);

TEST_F(ItemEditor, NoDateBoxSwitchesThePickerOff) {
    TFmTODOdata editor(owner_);
    EXPECT_EQ(editor.CBnoDate->Text(), "期日なし");
    editor.SetDate(kNoDate);
    EXPECT_TRUE(editor.NoDate());
    EXPECT_FALSE(IsWindowEnabled(editor.DateTimePicker1->Handle()));
    EXPECT_EQ(editor.Date(), kNoDate);
    SendMessageW(editor.CBnoDate->Handle(), BM_CLICK, 0, 0);  // a date wanted after all: the picker's
    EXPECT_TRUE(IsWindowEnabled(editor.DateTimePicker1->Handle()));
    EXPECT_TRUE(HasDate(editor.Date()));
    editor.SetDate(Day(2024, 5, 6));
    EXPECT_FALSE(editor.NoDate());
    SendMessageW(editor.CBnoDate->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(editor.Date(), kNoDate);
}

TEST_F(ItemEditor, OkWithCharactersShiftJisCannotHoldSaysWhichAndStaysOpen) {
    TFmTODOdata editor(owner_);
    std::wstring said;
    bool stayedOpen = false;
    RunModal(editor, {[&] { SetWindowTextW(editor.Memo->Handle(), L"10\u301C12\u6642 \U0001F600"); },
                      [&] { PostMessageW(editor.Handle(), WM_COMMAND, MAKEWPARAM(editor.BtOK->Id(), BN_CLICKED),
                                         reinterpret_cast<LPARAM>(editor.BtOK->Handle())); },
                      [&] {
                          HWND box = FindWindowW(L"#32770", nullptr);
                          wchar_t text[256] = {};
                          GetDlgItemTextW(box, 0xFFFF, text, 256);
                          said = text;
                          PostMessageW(box, WM_COMMAND, IDOK, 0);
                      },
                      [&] { stayedOpen = IsWindowVisible(editor.Handle()) != FALSE; }});
    EXPECT_EQ(said, ToWide("保存できない文字があります: ") + L"\U0001F600");  // the wave dash can be held
    EXPECT_TRUE(stayedOpen);
    EXPECT_NE(editor.ModalResult, TForm::mrOk);
}

TEST_F(ItemEditor, ColourBoxOffersTheSixteenAndAnUntouchedColourIsKept) {
    TFmTODOdata editor(owner_);
    EXPECT_EQ(editor.ColorBox1.Color(), static_cast<std::int32_t>(0xFF000000));  // untouched and empty
    EXPECT_EQ(editor.Color(), kNoColor);
    EXPECT_EQ(Items(editor.ColorBox1.Handle()),
              (std::vector<std::string>{"Black", "Maroon", "Green", "Olive", "Navy", "Purple", "Teal", "Gray", "Silver",
                                        "Red", "Lime", "Yellow", "Blue", "Fuchsia", "Aqua", "White"}));
    editor.SetColor(0x808000);
    EXPECT_EQ(editor.ColorBox1.ItemIndex(), 6);  // Teal
    editor.SetColor(1);                          // an item made from plain text: none of the 16
    EXPECT_EQ(editor.ColorBox1.ItemIndex(), -1);
    EXPECT_EQ(editor.ColorBox1.Color(), kNoColor);
    EXPECT_EQ(editor.Color(), 1);
    SendMessageW(editor.ColorBox1.Handle(), CB_SETCURSEL, 9, 0);  // the user picks Red
    EXPECT_EQ(editor.Color(), 0x0000FF);
}

TEST_F(ItemEditor, CategoriesComeFromTheFileWithTheNoMarkFirst) {
    {
        TFmTODOdata editor(owner_);  // no file: the built-in marks
        std::vector<std::string> items = Items(editor.CBcate->Handle());
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0], "　");
        std::sort(items.begin(), items.end());
        EXPECT_EQ(items, (std::vector<std::string>{"　", "☆", "★"}));  // in byte order
    }
    ReplaceFileSafely(Path("Category.txt"), "A\r\n★\r\n\x81\xE6\r\n");  // 81 E6: ∵
    TFmTODOdata editor(owner_);
    HWND box = editor.CBcate->Handle();
    ASSERT_EQ(Items(box).size(), 4u);
    EXPECT_EQ(Items(box)[0], "　");  // put in front of the sorted marks
    EXPECT_EQ(editor.Category(), "");
    // Found by its exact bytes, else added and selected.
    const std::pair<std::string, int> marks[] = {{"A", 4}, {"a", 5}, {"\x87\x9A", 6}, {"◆", 7}, {" ", 8}};
    for (const auto& [mark, count] : marks) {
        editor.SetCategory(mark);
        EXPECT_EQ(editor.Category(), mark);
        EXPECT_EQ(Items(box).size(), static_cast<std::size_t>(count)) << mark;
    }
    EXPECT_EQ(Items(box)[0], "　");  // " " sorts in front of it; it stays first all the same
    editor.SetCategory("");
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(editor.Category(), "");
}

TEST_F(ItemEditor, AnUnreadableCategoryFileIsReportedAndTheBuiltInMarksOffered) {
    CreateDirectoryW(ToWide(Path("Category.txt")).c_str(), nullptr);
    TFmTODOdata editor(owner_);
    EXPECT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_EQ(Items(editor.CBcate->Handle()).size(), 3u);
}

TEST_F(ItemEditor, RemembersItsSizeButNotItsPlace) {
    {
        TFmTODOdata editor(owner_);
        SetWindowPos(editor.Handle(), nullptr, 33, 44, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    std::string ini;
    ASSERT_TRUE(ReadWholeFile(Path("application.ini"), ini));
    for (const char* line : {"[TFMTODODATA]", "WIDTH=300", "HEIGHT=200"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    for (const char* line : {"LEFT=", "TOP="}) EXPECT_EQ(ini.find(line), std::string::npos) << line << "\n" << ini;
    const auto sizeOfNext = [this] {
        TFmTODOdata editor(owner_);
        const RECT r = WindowRect(editor.Handle());
        EXPECT_EQ(editor.Memo->Bounds().right, r.right - r.left - 8);  // the controls follow
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    EXPECT_EQ(sizeOfNext().cx, 300);
    GlobalEnv.WriteAppInteger("TFMTODODATA", "WIDTH", 10);
    GlobalEnv.WriteAppInteger("TFMTODODATA", "HEIGHT", 10);
    const SIZE least = sizeOfNext();
    // A size below the minimum is none the program stores: the editor comes back at its own.
    EXPECT_EQ(least.cx, TFmTODOdata::kClientWidth);
    EXPECT_EQ(least.cy, TFmTODOdata::kClientHeight);
}

namespace {

struct PlaceCase {
    const char* name;
    RECT owner;
    POINT cursor;
    POINT topLeft;  // before it is moved into the work area
};

}  // namespace

using ItemEditorPlace = ItemEditorCases<PlaceCase>;
TEST_P(ItemEditorPlace, OnThePointerOrBesideTheMainWindow) {
    const RECT& o = GetParam().owner;
    SetWindowPos(owner_, nullptr, o.left, o.top, o.right - o.left, o.bottom - o.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetCursorPos(GetParam().cursor.x, GetParam().cursor.y);
    TFmTODOdata editor(owner_);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT r = WindowRect(editor.Handle());
    EXPECT_EQ(r.left, std::max<int>(work.left, std::min<int>(GetParam().topLeft.x, work.right - 409)));
    EXPECT_EQ(r.top, std::max<int>(work.top, std::min<int>(GetParam().topLeft.y, work.bottom - 170)));
}

INSTANTIATE_TEST_SUITE_P(
    Places, ItemEditorPlace,
    ::testing::Values(PlaceCase{"centred_on_the_pointer", {200, 150, 600, 450}, {400, 300}, {400 - 204, 300 - 85}},
                      PlaceCase{"pointer_on_the_left_edge", {200, 150, 600, 450}, {200, 300}, {184, 166}},
                      PlaceCase{"pointer_outside", {200, 150, 600, 450}, {700, 600}, {184, 166}},
                      PlaceCase{"beside_at_the_screen_edge", {0, 0, 300, 200}, {700, 600}, {-16, 16}},
                      PlaceCase{"pointer_near_the_corner", {500, 400, 1020, 760}, {1000, 750}, {1000 - 204, 750 - 85}}),
    kCaseName);
