// The options dialog: its pages, the zoom rule, OK, apply and cancel, deleting pictures, and
// the main window's options command with its data folder and picture timer.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DataFolderTest.h"
#include "app/FmTODOmain.h"
#include "app/FmTodoOption.h"
#include "background/BGprofile.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/TextWork.h"
#include "support/kvneGlobal.h"

namespace {

// Each step runs once a modal loop has started: a thread timer fires inside it.
std::vector<std::function<void()>> gSteps;
void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (gSteps.empty()) return;
    auto step = gSteps.front();
    gSteps.erase(gSteps.begin());
    step();
}
void NextStep(std::function<void()> step) {
    gSteps.push_back(std::move(step));
    SetTimer(nullptr, 0, 50, RunStep);
}

// Through the dialog's own wiring, whatever page is shown.
void Click(TFmTodoOption& dialog, TControl* button) {
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(button->Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button->Handle()));
}

// Presses OK in the running dialog and answers the text of the folder message it shows.
std::string OkWithFolderMessage(TFmTodoOption& dialog) {
    std::string message;
    NextStep([&] {
        NextStep([&] {  // inside the message box's own loop
            HWND box = FindWindowW(L"#32770", nullptr);
            wchar_t text[512] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 512);
            message = FromWide(text);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        Click(dialog, dialog.BtOK);
    });
    dialog.ShowModal();
    return message;
}

TFmTodoOption* OpenDialog() {
    HWND h = FindWindowW(L"TFmTodoOption", nullptr);
    return h ? dynamic_cast<TFmTodoOption*>(reinterpret_cast<TForm*>(GetWindowLongPtrW(h, GWLP_USERDATA))) : nullptr;
}

std::string ListEntry(const TControl* list, int i) {
    wchar_t text[256] = {};
    SendMessageW(list->Handle(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    return FromWide(text);
}

class OptionsFolder : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        CreateDirectoryW(ToWide(Path("picture")).c_str(), nullptr);
        MainSettings.Clear();
        MainSettings.UseDefaultFileName(GlobalEnv.DataFolderPath(), GlobalEnv.ExeFileName());
        BGprofile.SetDataFolderPath(GlobalEnv.DataFolderPath());
    }
    void TearDown() override {
        if (main_.Handle()) DestroyWindow(main_.Handle());
        gSteps.clear();
        DataFolderTest::TearDown();
    }
    // Pictures p1 ... pN, each with its own settings and scheme.
    void AddPictures(int count) {
        std::string list;
        for (int i = 1; i <= count; ++i) {
            const std::string name = "p" + std::to_string(i);
            list += Path(name + ".jpg") + "\r\n";
            ReplaceFileSafely(Path("picture\\" + name + ".ini"),
                              "[PICTURE]\r\nvalign=2\r\nzoom=" + std::to_string(i) + "\r\n");
            ReplaceFileSafely(Path("picture\\" + name + ".clr"), "");
        }
        ReplaceFileSafely(Path("picture.lst"), list);
    }
    void StartMain(const std::string& settings) {
        ReplaceFileSafely(Path("memorail_win32_tests.ini"), settings);
        ReplaceFileSafely(Path("todo\\todo.txt"), "20240305,000000,\"item\",\"　\"\r\n");
        main_.Create();
        Application.SetMainForm(main_.Handle());
    }

    TFmTODOmain main_;
};

// Every control of one page: its caption (a list's entries), shown with its page only.
struct ControlRow {
    const char* name;
    std::function<TControl*(TFmTodoOption&)> control;
    std::string caption;
    std::vector<std::string> entries;
};
struct SpinRow {
    const char* name;
    std::function<TSpinEdit&(TFmTodoOption&)> spin;
    TSpinRange range;
    int shown;  // from the settings written below
};
struct PageCase {
    int page;
    std::vector<ControlRow> controls;
    std::vector<SpinRow> spins;
};

#define CONTROL(name) #name, [](TFmTodoOption & d) { return d.name; }
#define SPIN(name) #name, [](TFmTodoOption & d) -> TSpinEdit& { return d.name; }

class OptionPages : public OptionsFolder, public ::testing::WithParamInterface<PageCase> {};

}  // namespace

TEST_P(OptionPages, HoldTheirControls) {
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[PICTURE]\r\nminutes=0\r\n[OPTION]\r\nfitscreenpx=99\r\n");
    MainSettings.Load();
    AddPictures(2);
    TFmTodoOption dialog(nullptr);
    const PageCase& c = GetParam();
    for (int shown = 0; shown < TFmTodoOption::kPageCount; ++shown) {
        dialog.ShowPage(shown);
        for (const ControlRow& row : c.controls) {
            TControl* control = row.control(dialog);
            ASSERT_TRUE(control) << row.name;
            EXPECT_EQ(dialog.PageOf(control), c.page) << row.name;
            EXPECT_EQ(control->Visible(), shown == c.page && control != dialog.LeLink) << row.name;
            if (shown != c.page) continue;
            if (row.entries.empty()) {
                EXPECT_EQ(control->Text(), row.caption) << row.name;
                continue;
            }
            const int count = static_cast<int>(SendMessageW(control->Handle(), CB_GETCOUNT, 0, 0));
            ASSERT_EQ(count, static_cast<int>(row.entries.size())) << row.name;
            for (int i = 0; i < count; ++i) EXPECT_EQ(ListEntry(control, i), row.entries[i]) << row.name;
        }
    }
    for (const SpinRow& row : c.spins) {
        const TSpinEdit& spin = row.spin(dialog);
        int low = 0, high = 0;
        SendMessageW(spin.UpDown->Handle(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                     reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(low, row.range.min) << row.name;
        EXPECT_EQ(high, row.range.max) << row.name;
        EXPECT_EQ(spin.Edit->Text(), std::to_string(row.shown)) << row.name;
        EXPECT_EQ(dialog.PageOf(spin.Edit), c.page) << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, OptionPages,
    ::testing::Values(
        PageCase{0,
                 {{CONTROL(GbPicture), "画像", {}},
                  {CONTROL(CmbPicture), "", {"標準", "p1.jpg", "p2.jpg"}},
                  {CONTROL(BtPictureDel), "削除", {}},
                  {CONTROL(CMBvalign), "", {"合わせる", "上", "中央", "下"}},
                  {CONTROL(CMBhalign), "", {"合わせる", "左", "中央", "右"}},
                  {CONTROL(CMBeffect), "", {"なし", "グラデーション(上から)", "グラデーション(下から)", "楕円枠"}},
                  {CONTROL(CMBrotation), "", {"0度", "90度", "180度", "270度"}},
                  {CONTROL(CbPictureRandom), "画像を変える", {}},
                  {CONTROL(CBshadow), "文字に影をつける", {}},
                  {CONTROL(CBwordWrap), "文章を折り返して全て表示する", {}},
                  {CONTROL(CBwindowRound), "ウィンドウの角を丸くする", {}},
                  {CONTROL(CBoverdue), "期日を過ぎた項目を強調する", {}},
                  {CONTROL(CMBselected), "", {"反転", "色反転", "下線", "波線", "囲枠", "下枠"}},
                  {CONTROL(GbFont), "フォント", {}},
                  {CONTROL(LBScreenFontName), "ＭＳ Ｐゴシック", {}},
                  {CONTROL(LBScreenFontSize), "9 pt", {}},
                  {CONTROL(BtScreenFont), "変更", {}},
                  {CONTROL(Button1), "配色変更", {}},
                  {CONTROL(BtDispApply), "変更適用", {}}},
                 {{SPIN(SEzoom), {1, 500}, 100}, {SPIN(SEalpha), {0, 100}, 0}, {SPIN(SEmin), {1, 9999}, 1}}},
        PageCase{1,
                 {{CONTROL(BtDataFolderOpen), "開く", {}},
                  {CONTROL(BtDataFolderDefault), "標準", {}},
                  {CONTROL(BtDataFolderSelect), "選択", {}},
                  {CONTROL(GbCategory), "分類", {}},
                  {CONTROL(LbxCategory), "", {}},
                  {CONTROL(EdCategory), "", {}},
                  {CONTROL(SpeedButton1), "追加", {}},
                  {CONTROL(SpeedButton2), "追加", {}},
                  {CONTROL(SpeedButton3), "追加", {}},
                  {CONTROL(BtCateDel), "削除", {}}},
                 {}},
        PageCase{2,
                 {{CONTROL(CBstartup), "スタートアップに登録", {}},
                  {CONTROL(CBintasktray), "タスクトレイに入れる", {}},
                  {CONTROL(CBwindowOnTop), "常に一番前に表示する", {}},
                  {CONTROL(CBnotify), "期日を通知する", {}},
                  {CONTROL(LeLink), "https://korvane.example/", {}},
                  {CONTROL(GbPrintFont), "印刷フォント", {}},
                  {CONTROL(LbPrintFontName), "ＭＳ Ｐゴシック", {}},
                  {CONTROL(LbPrintFontSize), "12 pt", {}},  // no PRINTFONT section
                  {CONTROL(BtPrintFont), "変更", {}}},
                 {{SPIN(SEfitScreenPx), {0, 64}, 64}}}),
    [](const auto& info) { return "page" + std::to_string(info.param.page); });

namespace {

struct ZoomCase {
    int valign, halign;
    bool enabled;
};
class ZoomRule : public OptionsFolder, public ::testing::WithParamInterface<ZoomCase> {};

}  // namespace

TEST_P(ZoomRule, ZoomOnlyWithoutAFittedDirection) {
    TFmTodoOption dialog(nullptr);
    TFmTodoOption::SetItemIndex(dialog.CMBvalign, GetParam().valign);
    TFmTodoOption::SetItemIndex(dialog.CMBhalign, GetParam().halign);
    dialog.CMBvalignChange();
    EXPECT_EQ(IsWindowEnabled(dialog.SEzoom.Edit->Handle()) != FALSE, GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(Placements, ZoomRule,
                         ::testing::Values(ZoomCase{0, 2, false}, ZoomCase{3, 0, false}, ZoomCase{0, 0, false},
                                           ZoomCase{1, 3, true}));

// Hand-edited picture settings are shown as the background takes them: a placement past the
// list at the top or left, an effect or a rotation past it none.
TEST_F(OptionsFolder, OddPictureSettingsShowWhatTheBackgroundDoes) {
    ReplaceFileSafely(Path("default.ini"), "[PICTURE]\r\nvalign=7\r\nhalign=-1\r\neffect=9\r\nrotation=-3\r\n");
    TFmTodoOption dialog(nullptr);
    EXPECT_EQ(TFmTodoOption::ItemIndex(dialog.CMBvalign), 1);  // 上
    EXPECT_EQ(TFmTodoOption::ItemIndex(dialog.CMBhalign), 1);  // 左
    EXPECT_EQ(TFmTodoOption::ItemIndex(dialog.CMBeffect), 0);
    EXPECT_EQ(TFmTodoOption::ItemIndex(dialog.CMBrotation), 0);
}

// 削除 is offered only for a registered picture, from the dialog's opening on.
TEST_F(OptionsFolder, NoDeleteForTheDefaultPicture) {
    AddPictures(1);
    TFmTodoOption dialog(nullptr);
    EXPECT_FALSE(IsWindowEnabled(dialog.BtPictureDel->Handle()));
    TFmTodoOption::SetItemIndex(dialog.CmbPicture, 1);
    dialog.CmbPictureChange();
    EXPECT_TRUE(IsWindowEnabled(dialog.BtPictureDel->Handle()));
    ShowWindow(dialog.Handle(), SW_SHOW);
    SetForegroundWindow(dialog.Handle());
    SetFocus(dialog.BtPictureDel->Handle());
    dialog.BtPictureDelClick();  // the last registered picture
    EXPECT_FALSE(IsWindowEnabled(dialog.BtPictureDel->Handle()));
    EXPECT_EQ(GetFocus(), dialog.CmbPicture->Handle());  // not on the button that went off
}

// An arrow steps from the value the box stands for, also while a number out of range is still typed in it.
TEST_F(OptionsFolder, ZoomArrowsStepFromTheClampedValue) {
    TFmTodoOption dialog(nullptr);
    TFmTodoOption::SetItemIndex(dialog.CMBvalign, 1);
    TFmTodoOption::SetItemIndex(dialog.CMBhalign, 1);
    dialog.CMBvalignChange();
    const TSpinEdit& zoom = dialog.SEzoom;
    const struct {
        const char* typed;
        WPARAM arrow;
        const char* shows;
    } rows[] = {{"900", VK_UP, "500"}, {"900", VK_DOWN, "499"}, {"0", VK_UP, "2"}, {"250", VK_UP, "251"}};
    for (const auto& row : rows) {
        zoom.SetValue(100);
        zoom.Edit->SetText(row.typed);
        SendMessageW(zoom.Edit->Handle(), WM_KEYDOWN, row.arrow, 1);
        SendMessageW(zoom.Edit->Handle(), WM_KEYUP, row.arrow, 0xC0000001);
        EXPECT_EQ(zoom.Edit->Text(), row.shows) << row.typed;
        EXPECT_EQ(SendMessageW(zoom.UpDown->Handle(), UDM_GETPOS32, 0, 0), std::stoi(row.shows)) << row.typed;
    }
}

TEST_F(OptionsFolder, OkRefusesAMissingFolderAndStoresTheRest) {
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[PICTURE]\r\nminutes=0\r\n");
    MainSettings.Load();
    TFmTodoOption dialog(nullptr);
    const std::string missing = data_ + "\\missing";
    dialog.LEdatafolder->SetText(missing);
    TFmTodoOption::SetChecked(dialog.CBwordWrap, true);
    dialog.AddMarks("★☆◆◇");
    const std::string message = OkWithFolderMessage(dialog);
    EXPECT_EQ(message, "データ保存フォルダに指定された\"" + missing + "\"が存在しません。\r\n変更は保存されません。");
    EXPECT_EQ(GlobalEnv.DataFolder(), data_);
    EXPECT_FALSE(FolderExists(missing));
    const std::string ini = Read("memorail_win32_tests.ini");
    EXPECT_NE(ini.find("wordwrap=1"), std::string::npos);
    EXPECT_NE(ini.find("minutes=1"), std::string::npos);
    const std::vector<std::string> marks = dialog.Categories();  // in the list box's order
    ASSERT_EQ(marks.size(), 5u);
    std::string lines;
    for (const std::string& mark : marks) lines += mark + "\r\n";
    EXPECT_EQ(Read("Category.txt"), lines);
}

// Marks the list box would show with other bytes (NEC and IBM kanji, a broken pair) are
// written back as the file held them: the items' marks are compared byte for byte.
TEST_F(OptionsFolder, UntouchedMarksKeepTheirBytes) {
    const std::vector<std::string> odd = {"\x87\x9A", "\xED\x40", "a\x81\x39"};
    std::string file;
    for (const std::string& mark : odd) file += mark + "\r\n";
    ReplaceFileSafely(Path("Category.txt"), file);
    TFmTodoOption dialog(nullptr);
    dialog.AddMarks("★");
    dialog.SaveSettings(1);
    const std::vector<std::string> marks = dialog.Categories();
    EXPECT_EQ(marks.size(), 5u);
    for (const std::string& mark : odd) {
        EXPECT_NE(std::find(marks.begin(), marks.end(), mark), marks.end()) << mark;
        EXPECT_NE(Read("Category.txt").find(mark + "\r\n"), std::string::npos) << mark;
    }
}

// Untouched, Category.txt is not written: its blank lines and twins stay, and a file that could
// not be read is not replaced by the marks offered instead.
TEST_F(OptionsFolder, UntouchedMarksLeaveTheFileAsItIs) {
    const std::string file = "★\r\n\r\n★\r\n☆";
    ReplaceFileSafely(Path("Category.txt"), file);
    {
        TFmTodoOption dialog(nullptr);
        dialog.SaveSettings(1);
    }
    EXPECT_EQ(Read("Category.txt"), file);
}

TEST_F(OptionsFolder, DueDateSettingsStartOnAndAreStored) {
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "");
    MainSettings.Load();
    {
        TFmTodoOption dialog(nullptr);
        EXPECT_TRUE(TFmTodoOption::Checked(dialog.CBoverdue));
        EXPECT_TRUE(TFmTodoOption::Checked(dialog.CBnotify));
        TFmTodoOption::SetChecked(dialog.CBoverdue, false);
        TFmTodoOption::SetChecked(dialog.CBnotify, false);
        dialog.SaveSettings(0);
        dialog.SaveSettings(2);
    }
    MainSettings.Save();
    const std::string ini = Read("memorail_win32_tests.ini");
    EXPECT_NE(ini.find("overdue=0"), std::string::npos);
    EXPECT_NE(ini.find("notify=0"), std::string::npos);
    TFmTodoOption again(nullptr);
    EXPECT_FALSE(TFmTodoOption::Checked(again.CBoverdue));
    EXPECT_FALSE(TFmTodoOption::Checked(again.CBnotify));
}

// A folder that exists but takes no files (under Wine as root only a read-only file system
// does: sysfs), refused with its name as a missing one is.
TEST_F(OptionsFolder, OkRefusesAFolderThatCannotBeWritten) {
    const std::string locked = "Z:\\sys";
    ASSERT_TRUE(FolderExists(locked));
    TFmTodoOption dialog(nullptr);
    dialog.LEdatafolder->SetText(locked + "\\");
    const std::string message = OkWithFolderMessage(dialog);
    EXPECT_EQ(message, "データ保存フォルダに指定された\"" + locked + "\"に書き込めません。\r\n変更は保存されません。");
    EXPECT_EQ(GlobalEnv.DataFolder(), data_);
    EXPECT_TRUE(CanWriteInFolder(data_));
}

// A file named todo (someone's notes) takes the place of the items' folder: nothing of the
// session could be saved there, not even beside the item file at the end.
TEST_F(OptionsFolder, OkRefusesAFolderWhereAFileHoldsTheItemsPlace) {
    const std::string other = Path("notes");
    CreateDirectoryW(ToWide(other).c_str(), nullptr);
    ReplaceFileSafely(other + "\\todo", "buy milk\r\n");
    TFmTodoOption dialog(nullptr);
    dialog.LEdatafolder->SetText(other);
    const std::string message = OkWithFolderMessage(dialog);
    EXPECT_EQ(message, "データ保存フォルダに指定された\"" + other +
                           "\"には、項目のフォルダ todo と同じ名前のファイルがあります。\r\n変更は保存されません。");
    EXPECT_EQ(GlobalEnv.DataFolder(), data_);
}

namespace {

struct DeleteCase {
    int deleted, chosen;
};
class PictureDelete : public OptionsFolder, public ::testing::WithParamInterface<DeleteCase> {};

}  // namespace

TEST_P(PictureDelete, ChoosesTheNextOrTheOneBefore) {
    AddPictures(3);
    TFmTodoOption dialog(nullptr);
    TFmTodoOption::SetItemIndex(dialog.CmbPicture, GetParam().deleted);
    dialog.CmbPictureChange();
    dialog.BtPictureDelClick();
    const std::string chosen = "p" + std::to_string(GetParam().chosen + (GetParam().chosen >= GetParam().deleted));
    EXPECT_EQ(TFmTodoOption::ItemIndex(dialog.CmbPicture), GetParam().chosen);
    EXPECT_EQ(BGprofile.CurrentIndex(), GetParam().chosen);
    // The chosen picture's files are the ones written from now on, not the deleted one's.
    EXPECT_EQ(BGprofile.FileName(), Path("picture\\" + chosen + ".ini"));
    EXPECT_EQ(ColorsList.FileName(), Path("picture\\" + chosen + ".clr"));
    EXPECT_EQ(dialog.SEzoom.Value(), std::stoi(chosen.substr(1)));
    dialog.SaveSettings(0);
    EXPECT_FALSE(FileExists(Path("picture\\p" + std::to_string(GetParam().deleted) + ".ini")));
}

INSTANTIATE_TEST_SUITE_P(Entries, PictureDelete, ::testing::Values(DeleteCase{3, 2}, DeleteCase{1, 1}));

TEST_F(OptionsFolder, ApplyThenCancelKeepsTheAppliedDisplay) {
    AddPictures(1);
    StartMain("[PICTURE]\r\nrandom=0\r\nfilename=" + Path("p1.jpg") + "\r\n");
    bool appliedWhileOpen = false;
    NextStep([&] {
        TFmTodoOption* dialog = OpenDialog();
        ASSERT_TRUE(dialog);
        TFmTodoOption::SetChecked(dialog->CBwordWrap, true);
        TFmTodoOption::SetItemIndex(dialog->CMBvalign, 1);
        Click(*dialog, dialog->BtDispApply);
        appliedWhileOpen = main_.WordWrap;
        Click(*dialog, dialog->BtCancel);
    });
    main_.P1optionClick();
    EXPECT_TRUE(appliedWhileOpen);
    EXPECT_TRUE(main_.WordWrap);
    EXPECT_TRUE(MainSettings.Read(keys::WordWrap));
    EXPECT_NE(Read("picture\\p1.ini").find("valign=1"), std::string::npos);
    EXPECT_TRUE(SameTextSjis(BGprofile.CurrentPicture(), Path("p1.jpg")));
}

// The close box and Alt+F4 are a cancel: the picture chosen in the list is not kept.
TEST_F(OptionsFolder, CloseBoxSelectsTheOpenedPictureAgain) {
    AddPictures(2);
    StartMain("[PICTURE]\r\nrandom=0\r\nfilename=" + Path("p1.jpg") + "\r\n");
    NextStep([&] {
        TFmTodoOption* dialog = OpenDialog();
        ASSERT_TRUE(dialog);
        TFmTodoOption::SetItemIndex(dialog->CmbPicture, 2);
        dialog->CmbPictureChange();
        PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
    });
    main_.P1optionClick();
    EXPECT_TRUE(SameTextSjis(BGprofile.CurrentPicture(), Path("p1.jpg"))) << BGprofile.CurrentPicture();
}

TEST_F(OptionsFolder, NoRandomPictureWhileTheDialogIsOpen) {
    AddPictures(3);
    StartMain("[PICTURE]\r\nrandom=1\r\nminutes=1\r\n");
    std::vector<std::string> before;
    for (int i = 1; i <= 3; ++i)
        for (const char* ext : {".ini", ".clr"}) before.push_back(Read("picture\\p" + std::to_string(i) + ext));
    const std::string current = BGprofile.CurrentPicture();
    bool stopped = false;
    NextStep([&] {
        TFmTodoOption* dialog = OpenDialog();
        ASSERT_TRUE(dialog);
        TFmTodoOption::SetItemIndex(dialog->CMBrotation, 2);
        Click(*dialog, dialog->BtDispApply);                           // a window reset
        SendMessageW(main_.Handle(), WM_TIMER, main_.Timer1.Id(), 0);  // a minute has passed
        stopped = !main_.Timer1.Running() && BGprofile.CurrentPicture() == current;
        Click(*dialog, dialog->BtOK);
    });
    main_.P1optionClick();
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(main_.Timer1.Running());  // counts anew once the dialog is closed
    int i = 0;
    for (int n = 1; n <= 3; ++n)
        for (const char* ext : {".ini", ".clr"}) {
            const std::string name = "picture\\p" + std::to_string(n) + ext;
            if (SameTextSjis(Path("p" + std::to_string(n) + ".jpg"), current) && ext[1] == 'i')
                EXPECT_NE(Read(name).find("rotation=2"), std::string::npos) << name;  // only its .ini changes
            else
                EXPECT_EQ(Read(name), before[static_cast<std::size_t>(i)]) << name;
            ++i;
        }
}

namespace {

struct FolderSwitchCase {
    const char* name;
    std::function<std::string(const std::string& data, const std::string& other)> typed;
    bool switches;
};
class FolderSwitch : public OptionsFolder, public ::testing::WithParamInterface<FolderSwitchCase> {};

}  // namespace

TEST_P(FolderSwitch, OnlyAnotherFolderReloadsAndTheOldOneIsLeftAlone) {
    const std::string other = Path("new");  // empty
    CreateDirectoryW(ToWide(other).c_str(), nullptr);
    StartMain("[OPTION]\r\nshadow=0\r\n");
    const std::string items = Read("todo\\todo.txt");
    const std::string typed = GetParam().typed(data_, other);
    // Relative names count from here, as from the drive root after a start from the Startup shortcut.
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    SetCurrentDirectoryW(ToWide(Path("todo")).c_str());
    NextStep([&] {
        TFmTodoOption* dialog = OpenDialog();
        ASSERT_TRUE(dialog);
        dialog->LEdatafolder->SetText(typed);
        Click(*dialog, dialog->BtOK);
    });
    main_.P1optionClick();
    SetCurrentDirectoryW(cwd);
    EXPECT_EQ(GlobalEnv.DataFolder(), GetParam().switches ? other : data_);
    EXPECT_EQ(main_.Items.Count(), GetParam().switches ? 0 : 1);
    DestroyWindow(main_.Handle());
    EXPECT_EQ(Read("todo\\todo.txt"), items);
    std::string copied;
    ReadWholeFile(other + "\\todo\\todo.txt", copied);
    EXPECT_EQ(copied.find("item"), std::string::npos);  // nothing of the old folder came along
}

INSTANTIATE_TEST_SUITE_P(
    Typed, FolderSwitch,
    ::testing::Values(FolderSwitchCase{"same_with_backslash", [](auto& data, auto&) { return data + "\\"; }, false},
                      FolderSwitchCase{"same_in_upper_case", [](auto& data, auto&) { return UpperCaseSjis(data); },
                                       false},
                      FolderSwitchCase{"same_by_its_short_name",
                                       [](auto& data, auto&) {
                                           wchar_t shortName[MAX_PATH] = {};
                                           GetShortPathNameW(ToWide(data).c_str(), shortName, MAX_PATH);
                                           EXPECT_FALSE(SameTextSjis(FromWide(shortName), data));
                                           return FromWide(shortName);
                                       },
                                       false},
                      FolderSwitchCase{"empty_folder", [](auto&, auto& other) { return other + "\\"; }, true},
                      FolderSwitchCase{"relative", [](auto&, auto&) { return std::string("..\\new"); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Saves fail (an editor wrote the item file in UTF-16) when another data folder is chosen: the
// item only the session holds joins the new folder's items and is written there.
TEST_F(OptionsFolder, AFolderChangeKeepsTheItemsASaveCouldNotWrite) {
    const std::string other = Path("new");
    CreateDirectoryW(ToWide(other).c_str(), nullptr);
    CreateDirectoryW(ToWide(other + "\\todo").c_str(), nullptr);
    ReplaceFileSafely(other + "\\todo\\todo.txt", "20240305,000000,\"there\",\"　\"\r\n");
    StartMain("");
    const std::string utf16("\xFF\xFE" "a\0", 4);
    ReplaceFileSafely(Path("todo\\todo.txt"), utf16);
    TTodoData one;
    one.LineToItem(one.NewItem(), "20240306,000000,\"mine\",\"　\"");
    main_.Store.Add(one.Item(0));
    NextStep([&] {
        TFmTodoOption* dialog = OpenDialog();
        ASSERT_TRUE(dialog);
        dialog->LEdatafolder->SetText(other);
        Click(*dialog, dialog->BtOK);
    });
    main_.P1optionClick();
    ASSERT_EQ(GlobalEnv.DataFolder(), other);
    ASSERT_EQ(main_.Items.Count(), 2);
    EXPECT_EQ(main_.Items.GetText(1), "mine");
    std::string written;
    ReadWholeFile(other + "\\todo\\todo.txt", written);
    EXPECT_NE(written.find("there"), std::string::npos);
    EXPECT_NE(written.find("mine"), std::string::npos);
    EXPECT_EQ(written.find("item"), std::string::npos);  // the saved one stays where it was
    EXPECT_EQ(Read("todo\\todo.txt"), utf16);
}

// A drive root as data folder (a memory stick, say) is shown and compared as "C:\": "C:" alone
// names the drive's current folder, so an OK without changes moved the data folder there.
TEST_F(OptionsFolder, ADriveRootStaysTheDataFolder) {
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    SetCurrentDirectoryW(L"C:\\windows");
    GlobalEnv.SetDataFolder("C:\\");
    {
        TFmTodoOption dialog(nullptr);
        EXPECT_EQ(dialog.LEdatafolder->Text(), "C:\\");
        dialog.SaveSettings(1);
    }
    EXPECT_EQ(GlobalEnv.DataFolderPath(), "C:\\");
    DeleteFileW(ToWide(GlobalEnv.DataFolderPath() + "Category.txt").c_str());
    SetCurrentDirectoryW(cwd);
}
