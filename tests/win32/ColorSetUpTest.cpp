// The colour set-up dialog over a scheme file of its own: applying, closing, the picker's edits.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "WinTestFolder.h"
#include "background/FormColorSetUp.h"
#include "background/kvneColors.h"
#include "framework/Handles.h"
#include "framework/Messages.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"

namespace {

// Runs step once the modal loop has started (a thread timer fires inside it).
std::function<void()> gStep;
void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (gStep) gStep();
}

// Another open window: counts the resets it is sent.
class TResetCounter : public TForm {
public:
    TResetCounter() {
        CreateArgs args;
        args.className = L"TResetCounter";
        args.clientWidth = args.clientHeight = 50;
        CreateHandle(args);
    }
    ~TResetCounter() override { DestroyHandle(); }
    int Resets = 0;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_WINDOWRESET) ++Resets;
        return TForm::OnMessage(message, wParam, lParam);
    }
};

class ColorSetUp : public ::testing::Test {
protected:
    void SetUp() override {
        oldFile_ = ColorsList.FileName();
        file_ = FromWide(folder_.Wide()) + "\\picture.clr";
        TColorsList scheme;
        scheme.LoadDefaults();
        scheme.SetColor(kColorWindowBackground, 0x123456);
        scheme.SaveAs(file_);
        ReadWholeFile(file_, original_);
        ColorsList.SetFileName(file_);
        ColorsList.Load();
    }
    void TearDown() override {
        gStep = nullptr;
        ColorsList.SetFileName(oldFile_);
        ColorsList.Load();
    }
    std::string FileNow() const {
        std::string content;
        ReadWholeFile(file_, content);
        return content;
    }

    WinTestFolder folder_;
    std::string oldFile_, file_, original_;
};

void Click(TControl* button) { SendMessageW(button->Handle(), BM_CLICK, 0, 0); }

struct CloseCase {
    const char* name;
    std::function<void(TFormColorSetUp&)> close;
    bool kept;
};

class ColorSetUpClose : public ColorSetUp, public ::testing::WithParamInterface<CloseCase> {};

}  // namespace

TEST_P(ColorSetUpClose, ApplyThenClose) {
    TResetCounter other;
    TFormColorSetUp form(other.Handle());
    int resetsOnApply = -1;
    std::int32_t applied = 0;
    RECT wide{};
    gStep = [&] {
        TreeView_SelectItem(form.TreeView1->Handle(), form.FindNode(kColorWindowBackground));
        form.FrameColorSelect1->SetColor(0x00FF00);
        Click(form.ButtonSelect);  // shows the picker
        GetClientRect(form.Handle(), &wide);
        Click(form.ButtonSelect);  // the node takes the colour
        Click(form.BtApply);
        resetsOnApply = other.Resets;
        applied = ColorsList.GetColor(kColorWindowBackground);
        GetParam().close(form);
    };
    SetTimer(nullptr, 0, 100, RunStep);
    EXPECT_EQ(EditColorScheme(form), GetParam().kept);
    EXPECT_EQ(wide.right, 562);
    EXPECT_EQ(form.ButtonSelect->Text(), "色変更");
    EXPECT_EQ(resetsOnApply, 1);
    EXPECT_EQ(applied, 0x00FF00);
    if (GetParam().kept) {
        EXPECT_NE(FileNow().find("<背景>$00FF00</背景>"), std::string::npos);
        EXPECT_EQ(ColorsList.GetColor(kColorWindowBackground), 0x00FF00);
        EXPECT_EQ(other.Resets, 1);
    } else {
        EXPECT_EQ(FileNow(), original_);
        EXPECT_EQ(ColorsList.GetColor(kColorWindowBackground), 0x123456);
        EXPECT_EQ(other.Resets, 2);  // back to the reloaded scheme
    }
}

INSTANTIATE_TEST_SUITE_P(
    Closes, ColorSetUpClose,
    ::testing::Values(
        CloseCase{"close_box", [](TFormColorSetUp& f) { PostMessageW(f.Handle(), WM_CLOSE, 0, 0); }, false},
        CloseCase{"escape",  // as the close box
                  [](TFormColorSetUp& f) {
                      SetFocus(f.TreeView1->Handle());
                      PostMessageW(f.TreeView1->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
                  },
                  false},
        CloseCase{"ok", [](TFormColorSetUp& f) { PostMessageW(f.BtOK->Handle(), BM_CLICK, 0, 0); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ColorSetUp, BranchShowsWhiteWithThePickerOff) {
    TFormColorSetUp form(nullptr);
    form.FillTree();
    HWND tree = form.TreeView1->Handle();
    HTREEITEM branch = TreeView_GetSelection(tree);
    ASSERT_NE(branch, nullptr);
    EXPECT_FALSE(form.IsLeaf(branch));
    EXPECT_EQ(form.ShapeColor(), 0xFFFFFF);
    EXPECT_FALSE(IsWindowEnabled(form.ButtonSelect->Handle()));
    EXPECT_FALSE(IsWindowEnabled(form.FrameColorSelect1->LeR->Handle()));
    EXPECT_FALSE(IsWindowEnabled(form.FrameColorSelect1->TrackBar1->Handle()));

    TreeView_SelectItem(tree, form.FindNode(kColorWindowBackground));
    EXPECT_EQ(form.ShapeColor(), 0x123456);
    EXPECT_EQ(form.FrameColorSelect1->LeRGB->Text(), "563412");
    EXPECT_TRUE(IsWindowEnabled(form.ButtonSelect->Handle()));
    EXPECT_TRUE(IsWindowEnabled(form.FrameColorSelect1->LeR->Handle()));
}

// Moved against the right edge of the screen, or opened at a large scale on a small one.
TEST_F(ColorSetUp, ShowingThePickerKeepsTheDialogOnItsScreen) {
    TFormColorSetUp form(nullptr);
    form.FillTree();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(form.Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    RECT narrow{};
    GetWindowRect(form.Handle(), &narrow);
    SetWindowPos(form.Handle(), nullptr, work.right - (narrow.right - narrow.left), work.top + 10, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    TreeView_SelectItem(form.TreeView1->Handle(), form.FindNode(kColorWindowBackground));
    Click(form.ButtonSelect);
    RECT wide{}, client{};
    GetWindowRect(form.Handle(), &wide);
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, form.Scale(TFormColorSetUp::kWideWidth));
    if (wide.right - wide.left <= work.right - work.left)
        EXPECT_LE(wide.right, work.right);
    else
        EXPECT_EQ(wide.left, work.left);  // wider than the screen: its left part shown
    EXPECT_GE(wide.left, work.left);
    EXPECT_EQ(wide.top, work.top + 10);
}

// Moved to a monitor of twice the scale, the tree's indent and its images grow with its font.
TEST_F(ColorSetUp, TheTreesImagesFollowAMoveToAnotherDpi) {
    TFormColorSetUp form(nullptr);
    form.FillTree();
    RECT window{};
    GetWindowRect(form.Handle(), &window);
    const int dpi = 2 * form.Dpi();
    RECT suggested{window.left, window.top, window.left + 2 * (window.right - window.left),
                   window.top + 2 * (window.bottom - window.top)};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    HWND tree = form.TreeView1->Handle();
    int cx = 0, cy = 0;
    ImageList_GetIconSize(TreeView_GetImageList(tree, TVSIL_NORMAL), &cx, &cy);
    EXPECT_EQ(cx, form.Scale(20));
    EXPECT_EQ(cy, form.Scale(20));
    EXPECT_EQ(static_cast<int>(TreeView_GetIndent(tree)), form.Scale(20));
}

namespace {

// Lengths of the runs of marker pixels (black, then white) met going out from (x, y) by (dx, dy).
std::pair<int, int> MarkerRuns(HDC dc, int x, int y, int dx, int dy) {
    auto is = [&](COLORREF color) { return GetPixel(dc, x, y) == color; };
    for (int n = 0; n < 40 && !is(RGB(0, 0, 0)); ++n) x += dx, y += dy;
    int black = 0, white = 0;
    for (; is(RGB(0, 0, 0)); x += dx, y += dy) ++black;
    for (; is(RGB(255, 255, 255)); x += dx, y += dy) ++white;
    return {black, white};
}

// The picker as it paints, printed into a bitmap of its client's size.
class TPrintedPicker {
public:
    explicit TPrintedPicker(TFrameColorSelect& picker)
        : bitmap_(ClientBitmap(picker)), select_(dc_.Get(), bitmap_.Get()) {
        SendMessageW(picker.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.Get()), PRF_CLIENT);
    }
    HDC Dc() const { return dc_.Get(); }

private:
    static HBITMAP ClientBitmap(const TFrameColorSelect& picker) {
        RECT client{};
        GetClientRect(picker.Handle(), &client);
        const TWindowDC screen(nullptr);
        return CreateCompatibleBitmap(screen.Get(), client.right, client.bottom);
    }
    TMemoryDC dc_{CreateCompatibleDC(nullptr)};
    TBitmapHandle bitmap_;
    TSelectObject select_;
};

}  // namespace

// The marker's rings are drawn at the window's scale: as thick on every side, not the design's
// rings stretched unevenly with the field.
TEST_F(ColorSetUp, TheFieldMarkerIsEvenAtOneAndAHalfTimesTheScale) {
    const TDpiOverride at144(144);
    TFormColorSetUp form(nullptr);
    TFrameColorSelect& picker = *form.FrameColorSelect1;
    picker.SetHSV(200, 50, 100);
    const TPrintedPicker printed(picker);
    HDC dc = printed.Dc();
    const TFieldPoint at = FieldMarker(picker.Values().h, picker.Values().s);
    const int x = picker.Scale(TFrameColorSelect::kFieldLeft + at.x),
              y = picker.Scale(TFrameColorSelect::kFieldTop + at.y);
    const std::pair<int, int> ring{picker.Scale(1), picker.Scale(1)};
    EXPECT_EQ(MarkerRuns(dc, x, y, -1, 0), ring) << "left";
    EXPECT_EQ(MarkerRuns(dc, x, y, 1, 0), ring) << "right";
    EXPECT_EQ(MarkerRuns(dc, x, y, 0, -1), ring) << "top";
    EXPECT_EQ(MarkerRuns(dc, x, y, 0, 1), ring) << "bottom";
}

// The swatches' outlines are a design pixel wide at any scale, not one screen pixel.
TEST_F(ColorSetUp, SwatchOutlinesScaleWithTheWindow) {
    const TDpiOverride at192(192);
    TFormColorSetUp form(nullptr);
    TFrameColorSelect& picker = *form.FrameColorSelect1;
    const TPrintedPicker printed(picker);
    HDC dc = printed.Dc();
    const TRect design = SwatchRect(0, 0, TFrameColorSelect::kWidth, TFrameColorSelect::kHeight,
                                    TFrameColorSelect::kFieldTop, kFieldHeight);
    const int left = picker.Scale(design.Left), y = picker.Scale((design.Top + design.Bottom) / 2);
    const COLORREF grey = RGB(0x80, 0x80, 0x80), fill = static_cast<COLORREF>(picker.SwatchColor(0));
    EXPECT_EQ(GetPixel(dc, left, y), grey);
    EXPECT_EQ(GetPixel(dc, left + 1, y), grey);
    EXPECT_EQ(GetPixel(dc, left + 2, y), fill);
}

TEST_F(ColorSetUp, TheDueDateColoursAreLeavesUnderText) {
    ColorsList.LoadDefaults();  // the program's resource
    TFormColorSetUp form(nullptr);
    form.FillTree();
    const struct {
        const char* key;
        std::int32_t color;
    } rows[] = {{kColorOverdue, 0x0000E0}, {kColorDueToday, 0x0080FF}};
    for (const auto& row : rows) {
        HTREEITEM node = form.FindNode(row.key);
        ASSERT_NE(node, nullptr) << row.key;
        EXPECT_TRUE(form.IsLeaf(node));
        EXPECT_EQ(form.NodeColor(node), row.color);
        EXPECT_EQ(TreeView_GetParent(form.TreeView1->Handle(), form.FindNode(kColorHighlight)),
                  TreeView_GetParent(form.TreeView1->Handle(), node));  // under テキスト
    }
}

TEST_F(ColorSetUp, DroppedColoursGoToLeavesOnly) {
    TFormColorSetUp form(nullptr);
    form.FillTree();
    const std::string before = ColorsList.GetText();
    form.DropOnNode(TreeView_GetSelection(form.TreeView1->Handle()), 0x0000FF);  // the branch
    form.StoreTree();
    EXPECT_EQ(ColorsList.GetText(), before);
    form.DropOnNode(form.FindNode(kColorUnderline), 0x0000FF);
    form.StoreTree();
    EXPECT_EQ(ColorsList.GetColor(kColorUnderline), 0x0000FF);
    EXPECT_EQ(ColorsList.GetColor(kColorWindowBackground), 0x123456);
}

namespace {

struct EditCase {
    const char* name;
    std::function<TControl*(TFrameColorSelect&)> edit;  // typed into, then Enter
    std::string text;
    std::function<TControl*(TFrameColorSelect&)> shown;
    std::string shows;
    std::int32_t color;
};

class PickerEdits : public ::testing::TestWithParam<EditCase> {};

}  // namespace

TEST_P(PickerEdits, EnterTakesEffect) {
    TFormColorSetUp form(nullptr);
    TFrameColorSelect& frame = *form.FrameColorSelect1;
    frame.SetRGB(64, 128, 192);
    TControl* edit = GetParam().edit(frame);
    edit->SetText(GetParam().text);
    SendMessageW(edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(GetParam().shown(frame)->Text(), GetParam().shows);
    EXPECT_EQ(frame.Color(), GetParam().color);
    EXPECT_EQ(SendMessageW(frame.TrackBar1->Handle(), TBM_GETPOS, 0, 0), 100 - frame.Values().v);
}

INSTANTIATE_TEST_SUITE_P(Edits, PickerEdits,
                         ::testing::Values(EditCase{"red_300", [](TFrameColorSelect& f) { return f.LeR; }, "300",
                                                    [](TFrameColorSelect& f) { return f.LeR; }, "255", 0xC080FF},
                                           EditCase{"hue_360", [](TFrameColorSelect& f) { return f.LeH; }, "360",
                                                    [](TFrameColorSelect& f) { return f.LeH; }, "0", 0x3F3FBF},
                                           EditCase{"rrggbb", [](TFrameColorSelect& f) { return f.LeRGB; }, "FF0000",
                                                    [](TFrameColorSelect& f) { return f.LeR; }, "255", 0x0000FF},
                                           EditCase{"green_not_a_number", [](TFrameColorSelect& f) { return f.LeG; },
                                                    "x", [](TFrameColorSelect& f) { return f.LeG; }, "0", 0xC00040},
                                           EditCase{"value_0", [](TFrameColorSelect& f) { return f.LeV; }, "0",
                                                    [](TFrameColorSelect& f) { return f.LeRGB; }, "000000", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// An arrow steps from the number the box stands for, also while one out of range is typed in it.
TEST(PickerArrows, StepFromTheValueTyped) {
    const struct {
        TControl* TFrameColorSelect::*edit;
        int TPickerValues::*value;
        const char* typed;
        WPARAM arrow;
        int shows;
    } rows[] = {{&TFrameColorSelect::LeR, &TPickerValues::r, "300", VK_UP, 255},
                {&TFrameColorSelect::LeR, &TPickerValues::r, "300", VK_DOWN, 254},
                {&TFrameColorSelect::LeG, &TPickerValues::g, "-5", VK_UP, 1},
                {&TFrameColorSelect::LeB, &TPickerValues::b, "100", VK_DOWN, 99}};
    TFormColorSetUp form(nullptr);
    TFrameColorSelect& frame = *form.FrameColorSelect1;
    for (const auto& row : rows) {
        frame.SetRGB(64, 128, 192);
        TControl* edit = frame.*row.edit;
        edit->SetText(row.typed);
        SendMessageW(edit->Handle(), WM_KEYDOWN, row.arrow, 1);
        SendMessageW(edit->Handle(), WM_KEYUP, row.arrow, 0xC0000001);
        EXPECT_EQ(edit->Text(), std::to_string(row.shows)) << row.typed;
        EXPECT_EQ(frame.Values().*row.value, row.shows) << row.typed;
    }
}

// A system colour in a scheme is the colour this system gives it; an index it lacks is not.
TEST(SchemeColors, SystemColoursComeFromTheSystem) {
    TColorsList colors;
    colors.LoadDefaults();
    colors.SetValue(kColorWindowBackground, ColorToText(static_cast<std::int32_t>(0xFF000000 | COLOR_BTNFACE)));
    colors.SetValue(kColorUnderline, "$FF0000FF");
    EXPECT_EQ(static_cast<COLORREF>(colors.GetColor(kColorWindowBackground)), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(colors.GetColor(kColorUnderline), 0xC0C0C0);
}

namespace {

// The colour of the tree's square for a leaf, as the tree paints it.
COLORREF LeafSquarePixel(TFormColorSetUp& form, HTREEITEM item) {
    HWND tree = form.TreeView1->Handle();
    RECT client{}, text{};
    GetClientRect(tree, &client);
    if (!TreeView_GetItemRect(tree, item, &text, TRUE)) return CLR_INVALID;
    const TRect square = LeafSquare(text.left, text.top, text.bottom);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(tree, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF pixel = GetPixel(dc, (square.Left + square.Right) / 2, (square.Top + square.Bottom) / 2);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixel;
}

}  // namespace

// A system colour (the button face; an index the system lacks gives the built-in colour) shows as
// it is drawn, in the square, the shape and the picker; the file keeps it until a new colour is picked.
TEST_F(ColorSetUp, SystemColourEntriesShowTheColourTheyAreDrawnIn) {
    ColorsList.SetValue(kColorWindowBackground, "$FF00000F");
    ColorsList.SetValue(kColorUnderline, "-2147483393");  // $800000FF
    ColorsList.Save();
    TFormColorSetUp form(nullptr);
    form.FillTree();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    HTREEITEM background = form.FindNode(kColorWindowBackground), underline = form.FindNode(kColorUnderline);
    EXPECT_EQ(LeafSquarePixel(form, background), face);
    EXPECT_EQ(LeafSquarePixel(form, underline), RGB(0xC0, 0xC0, 0xC0));
    TreeView_SelectItem(form.TreeView1->Handle(), background);
    EXPECT_EQ(static_cast<COLORREF>(form.ShapeColor()), face);
    EXPECT_EQ(static_cast<COLORREF>(form.FrameColorSelect1->Color()), face);

    form.ColorChanged();  // the picker still at the colour shown: nothing picked
    form.StoreTree();
    EXPECT_EQ(ColorsList.GetValue(kColorWindowBackground), "$FF00000F");
    EXPECT_EQ(ColorsList.GetValue(kColorUnderline), "$800000FF");
    form.FrameColorSelect1->SetColor(0x00FF00);
    form.ColorChanged();
    form.StoreTree();
    EXPECT_EQ(ColorsList.GetValue(kColorWindowBackground), "$00FF00");
}

// A value on a line of its own shows its colour, as the window draws it, not black.
TEST_F(ColorSetUp, ValuesOnTheirOwnLinesShowTheirColour) {
    ColorsList.SetValue(kColorInnerFrame, "\r\n$123456\r\n");
    TFormColorSetUp form(nullptr);
    form.FillTree();
    EXPECT_EQ(form.ShownColor(form.FindNode(kColorInnerFrame)), 0x123456);
}

namespace {

class ColorSetUpAtDpi : public ColorSetUp, public ::testing::WithParamInterface<int> {};

}  // namespace

// Every name shows whole: its text box holds the text in the font it is drawn in, inside the tree.
TEST_P(ColorSetUpAtDpi, EveryTreeEntryShowsWhole) {
    const TDpiOverride dpi(GetParam());
    ColorsList.LoadDefaults();
    TFormColorSetUp form(nullptr);
    form.FillTree();
    HWND tree = form.TreeView1->Handle();
    RECT client{};
    GetClientRect(tree, &client);
    HDC dc = GetDC(tree);
    int entries = 0;
    std::vector<HTREEITEM> pending{TreeView_GetRoot(tree)};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        for (; item; item = TreeView_GetNextSibling(tree, item)) {
            if (HTREEITEM child = TreeView_GetChild(tree, item)) pending.push_back(child);
            wchar_t name[64] = L"";
            TVITEMW data{};
            data.mask = TVIF_TEXT | TVIF_HANDLE;
            data.hItem = item;
            data.pszText = name;
            data.cchTextMax = 64;
            ASSERT_TRUE(TreeView_GetItem(tree, &data));
            RECT text{};
            ASSERT_TRUE(TreeView_GetItemRect(tree, item, &text, TRUE));
            const TSelectObject font(dc, form.DialogFont(form.IsLeaf(item) ? FW_NORMAL : FW_BOLD));
            SIZE size{};
            GetTextExtentPoint32W(dc, name, lstrlenW(name), &size);
            EXPECT_GE(text.right - text.left, size.cx) << FromWide(name);
            EXPECT_LE(text.right, client.right) << FromWide(name);
            ++entries;
        }
    }
    ReleaseDC(tree, dc);
    EXPECT_EQ(entries, 12);
}

INSTANTIATE_TEST_SUITE_P(Scales, ColorSetUpAtDpi, ::testing::Values(96, 192));

// Tab goes round the controls the window shows: the picker's edits only once 色選択>> shows them.
TEST_F(ColorSetUp, TabReachesThePickerOnlyWhenItIsShown) {
    TFormColorSetUp form(nullptr);
    form.FillTree();
    TreeView_SelectItem(form.TreeView1->Handle(), form.FindNode(kColorWindowBackground));
    ShowWindow(form.Handle(), SW_SHOW);
    const auto tabStops = [&] {
        std::vector<HWND> stops;
        HWND at = form.TreeView1->Handle();
        do stops.push_back(at);
        while ((at = GetNextDlgTabItem(form.Handle(), at, FALSE)) && at != stops.front() && stops.size() < 30);
        return stops;
    };
    const std::vector<HWND> narrow = tabStops();
    EXPECT_EQ(narrow.back(), form.BtOK->Handle());
    EXPECT_EQ(narrow.size(), 6u);  // the tree and five buttons
    Click(form.ButtonSelect);
    const std::vector<HWND> wide = tabStops();
    EXPECT_NE(std::find(wide.begin(), wide.end(), form.FrameColorSelect1->LeRGB->Handle()), wide.end());
}
