// Modal runs: nothing from outside a modal window (the tray, the taskbar button) starts a
// command while it is open, a question acts on the item it asked about, and the dialog keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "DataFolderTest.h"
#include "app/FmTODOmain.h"
#include "app/FmTodoOption.h"
#include "app/FormProgress.h"
#include "framework/Application.h"
#include "support/FileIO.h"
#include "todo/FormMessage.h"

namespace {

// Steps run one per tick of a thread timer, which also fires inside nested modal loops; a step
// that opens a modal window returns only when it is closed, while the next steps run inside.
std::vector<std::function<void()>> gSteps;
std::size_t gNextStep = 0;
void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    if (gNextStep < gSteps.size()) gSteps[gNextStep++]();
}

void RunSteps(std::vector<std::function<void()>> steps, const std::function<void()>& start) {
    gSteps = std::move(steps);
    gNextStep = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 60, RunNextStep);
    start();
    KillTimer(nullptr, timer);
    gSteps.clear();
}

void PostKey(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

HWND ShownMenu() {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

class ModalRun : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        other_ =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 30, 30, nullptr, nullptr, nullptr, nullptr);
        // A window of the application's class: its handling reads the program's one application.
        taskbar_.Initialize();
    }
    void TearDown() override {
        if (ShownMenu()) EndMenu();
        if (form_.Handle()) DestroyWindowAtOnce(form_.Handle());
        DestroyWindowAtOnce(other_);
        DestroyWindow(taskbar_.Handle());
        DataFolderTest::TearDown();
    }
    void Start(const std::string& items) {
        ReplaceFileSafely(Path("todo\\todo.txt"), items);
        form_.Create();
        Application.SetMainForm(form_.Handle());
        ShowWindow(form_.Handle(), SW_SHOW);
        form_.PaintList();
    }
    void Tray(UINT mouseMessage) {
        PostMessageW(form_.TaskBarIcon1.Handle(), TTaskBarIcon::kCallbackMessage, 1, mouseMessage);
    }

    TFmTODOmain form_;
    HWND other_ = nullptr;  // another program's window, in front when the tray is clicked
    TApplication taskbar_;  // the taskbar button's window
};

// One modal window of the program, how it is opened and how the test finds and closes it.
struct ModalCase {
    const char* name;
    std::function<void(TFmTODOmain&)> open;
    std::vector<std::function<void()>> reach;  // steps inside it before the tray is clicked
    std::function<HWND()> find;
    std::function<void(HWND)> close;
};
class TrayDuringModal : public ModalRun, public ::testing::WithParamInterface<ModalCase> {};

TFmTodoOption* OpenOptions() {
    HWND h = FindWindowW(L"TFmTodoOption", nullptr);
    return h ? dynamic_cast<TFmTodoOption*>(reinterpret_cast<TForm*>(GetWindowLongPtrW(h, GWLP_USERDATA))) : nullptr;
}

HWND FindSystemDialog() { return FindWindowW(L"#32770", nullptr); }

}  // namespace

TEST_P(TrayDuringModal, OnlyBringsTheModalWindowForward) {
    // The tray's own icon, not the overdue reminder's; from the settings, which every finished
    // rendering applies again.
    ReplaceFileSafely(Path("memorail_win32_tests.ini"), "[OPTION]\r\nintasktray=1\r\n");
    Start("20240305,000000,\"a\",\"　\"\r\n20240306,000000,\"b\",\"　\"\r\n");
    form_.List.Select(0);
    const ModalCase& c = GetParam();
    HWND modal = nullptr;
    bool activeAfterLeft = false, activeAfterRight = false, menuShown = false;
    std::vector<std::function<void()>> steps = c.reach;
    steps.push_back([&] {
        modal = c.find();
        SetForegroundWindow(other_);
        Tray(WM_LBUTTONDOWN);  // would hide the main window
        Tray(WM_LBUTTONUP);
    });
    steps.push_back([&] {
        activeAfterLeft = modal && GetForegroundWindow() == modal;
        SetForegroundWindow(other_);
        Tray(WM_RBUTTONDOWN);  // would open the menu
        Tray(WM_LBUTTONDBLCLK);
    });
    steps.push_back([&] {
        activeAfterRight = modal && GetForegroundWindow() == modal;
        if (ShownMenu()) {
            menuShown = true;
            EndMenu();
        }
        PostMessageW(taskbar_.Handle(), WM_CLOSE, 0, 0);  // the taskbar button's close
    });
    steps.push_back([&] {
        if (modal) c.close(modal);
    });
    RunSteps(std::move(steps), [&] { c.open(form_); });
    ASSERT_TRUE(modal);
    EXPECT_TRUE(activeAfterLeft);
    EXPECT_TRUE(activeAfterRight);
    EXPECT_FALSE(menuShown);
    ASSERT_TRUE(IsWindow(form_.Handle()));  // not closed from the taskbar button
    EXPECT_TRUE(IsWindowVisible(form_.Handle()));
    EXPECT_EQ(form_.Items.Count(), 2);
    EXPECT_EQ(Application.ModalLevel(), 0);
    // Once the modal window is gone the tray works again.
    SendMessageW(form_.TaskBarIcon1.Handle(), TTaskBarIcon::kCallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(form_.Handle()));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, TrayDuringModal,
    ::testing::Values(ModalCase{"editor",
                                [](TFmTODOmain& f) { f.AddItemDialog(); },
                                {},
                                [] { return FindWindowW(L"TFmTODOdata", nullptr); },
                                [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
                      ModalCase{"delete_question",
                                [](TFmTODOmain& f) {
                                    WPARAM key = VK_DELETE;
                                    f.FormKeyDown(key);
                                },
                                {},
                                [] { return FindWindowW(L"TFormMessage", nullptr); },
                                [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
                      // A system dialog over the options dialog: the innermost window comes forward.
                      ModalCase{"font_dialog_of_the_options",
                                [](TFmTODOmain& f) { f.P1optionClick(); },
                                {[] {
                                     TFmTodoOption* options = OpenOptions();
                                     if (options) PostMessageW(options->BtScreenFont->Handle(), BM_CLICK, 0, 0);
                                 },
                                 [] {}},
                                FindSystemDialog,
                                [](HWND w) {
                                    PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
                                    if (TFmTodoOption* options = OpenOptions()) options->Close();
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

// Registering pictures hands no messages to the windows, but what it calls might.
TEST_F(ModalRun, TheProgressWindowCountsAsModal) {
    Start("");
    {
        TProgressScope progress;
        SetForegroundWindow(other_);
        SendMessageW(form_.TaskBarIcon1.Handle(), TTaskBarIcon::kCallbackMessage, 1, WM_LBUTTONDOWN);
        EXPECT_TRUE(IsWindowVisible(form_.Handle()));
        EXPECT_EQ(GetForegroundWindow(), FormProgress()->Handle());
    }
    EXPECT_EQ(Application.ModalLevel(), 0);
}

TEST_F(ModalRun, TheDeleteQuestionActsOnTheItemItAskedAbout) {
    Start("20240305,000000,\"a\",\"　\"\r\n20240306,000000,\"b\",\"　\"\r\n20240307,000000,\"c\",\"　\"\r\n");
    form_.List.Select(1);  // "b"
    RunSteps({[&] {
                 // The list changes under the question: "b" is no longer at index 1.
                 form_.Items.LineToItem(form_.Items.InsertItem(0), "20240301,000000,\"new\",\"　\"");
                 HWND box = FindWindowW(L"TFormMessage", nullptr);
                 auto* question = reinterpret_cast<TForm*>(GetWindowLongPtrW(box, GWLP_USERDATA));
                 if (auto* message = dynamic_cast<TFormMessage*>(question))
                     PostMessageW(message->Button1->Handle(), BM_CLICK, 0, 0);  // はい
             }},
             [&] {
                 WPARAM key = VK_DELETE;
                 form_.FormKeyDown(key);
             });
    std::vector<std::string> left;
    for (int i = 0; i < form_.Items.Count(); ++i) left.push_back(form_.Items.GetText(i));
    EXPECT_EQ(left, (std::vector<std::string>{"new", "a", "c"}));
    EXPECT_EQ(Read("todo\\202403.txt"), "20240306,000000,\"b\",\"　\"\r\n");
}

namespace {

struct EscapeCase {
    const char* name;
    std::function<HWND(TFmTodoOption&)> focus;
};
class OptionsEscape : public ModalRun, public ::testing::WithParamInterface<EscapeCase> {};

}  // namespace

TEST_P(OptionsEscape, ActsAsCancel) {
    TFmTodoOption dialog(nullptr);
    bool stillOpen = false;
    RunSteps({[&] {
                  SetForegroundWindow(dialog.Handle());
                  HWND focus = GetParam().focus(dialog);
                  SetFocus(focus);
                  PostKey(focus, VK_ESCAPE);
              },
              [&] {
                  stillOpen = true;
                  dialog.Close();
              }},
             [&] { dialog.ShowModal(); });
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(dialog.ModalResult, IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(
    Focus, OptionsEscape,
    ::testing::Values(EscapeCase{"check_box", [](TFmTodoOption& d) { return d.CBshadow->Handle(); }},
                      EscapeCase{"spin_edit", [](TFmTodoOption& d) { return d.SEmin.Edit->Handle(); }},
                      EscapeCase{"ok_button", [](TFmTodoOption& d) { return d.BtOK->Handle(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ModalRun, CtrlTabTurnsTheOptionPagesRound) {
    TFmTodoOption dialog(nullptr);
    auto page = [&] { return static_cast<int>(SendMessageW(dialog.PageControl1->Handle(), TCM_GETCURSEL, 0, 0)); };
    auto press = [&](bool shift) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostKey(GetFocus(), VK_TAB);
    };
    std::vector<int> pages;
    bool focusShown = true;
    auto look = [&] {
        pages.push_back(page());
        focusShown = focusShown && GetFocus() && IsWindowVisible(GetFocus());
    };
    RunSteps({[&] {
                  SetForegroundWindow(dialog.Handle());
                  SetFocus(dialog.CBshadow->Handle());  // on the first page
                  press(false);
              },
              [&] { look(), press(false); }, [&] { look(), press(false); }, [&] { look(), press(true); },
              [&] { look(), press(true); },
              [&] {
                  look();
                  BYTE keys[256] = {};
                  GetKeyboardState(keys);
                  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
                  SetKeyboardState(keys);
                  dialog.Close();
              }},
             [&] { dialog.ShowModal(); });
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 0, 2, 1}));
    EXPECT_TRUE(focusShown);
    EXPECT_TRUE(dialog.BtDataFolderOpen->Visible());
    EXPECT_FALSE(dialog.CBshadow->Visible());
    EXPECT_EQ(dialog.ModalResult, 0);  // the keys closed nothing
}

// The focus is on a control as a dialog opens and back on its own after a question over it,
// never on the window itself, where the keys and a screen reader find nothing.
TEST_F(ModalRun, TheOptionsKeepTheFocusOnTheirControls) {
    TFmTodoOption dialog(nullptr);
    HWND atOpen = nullptr, afterQuestion = nullptr;
    RunSteps({[&] {
                  atOpen = GetFocus();
                  SetFocus(dialog.Button1->Handle());  // 配色変更
                  MessageBoxW(dialog.Handle(), L"?", L"", MB_OK);
              },
              [&] { PostMessageW(GetActiveWindow(), WM_COMMAND, IDOK, 0); },
              [&] {
                  afterQuestion = GetFocus();
                  dialog.Close();
              }},
             [&] { dialog.ShowModal(); });
    EXPECT_EQ(atOpen, dialog.CmbPicture->Handle());  // the first in the tab order
    EXPECT_EQ(afterQuestion, dialog.Button1->Handle());
}

// Tab follows the page from top to bottom: 期日を通知する lies below the print font.
TEST_F(ModalRun, TabOnTheLastOptionsPageGoesDownThePage) {
    TFmTodoOption dialog(nullptr);
    dialog.ShowPage(2);
    ShowWindow(dialog.Handle(), SW_SHOW);
    EXPECT_EQ(GetNextDlgTabItem(dialog.Handle(), dialog.SEfitScreenPx.Edit->Handle(), FALSE),
              dialog.BtPrintFont->Handle());
    EXPECT_EQ(GetNextDlgTabItem(dialog.Handle(), dialog.BtPrintFont->Handle(), FALSE), dialog.CBnotify->Handle());
}
