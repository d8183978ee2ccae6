// The question box: button placement, the modal run and its answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "todo/FormMessage.h"

namespace {

struct LayoutCase {
    std::vector<std::string> captions;
    std::vector<int> lefts;
};

class MessageButtons : public ::testing::TestWithParam<LayoutCase> {};

// Runs step once the modal loop has started (a thread timer fires inside it).
std::function<void()> gStep;
void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (gStep) gStep();
}

void PressKey(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

TEST_P(MessageButtons, PlacedAsAGroup) {
    TFormMessage form(nullptr);
    form.SetButtons("x", GetParam().captions);
    TControl* buttons[] = {form.Button1, form.Button2, form.Button3};
    for (std::size_t i = 0; i < 3; ++i) {
        const bool shown = i < GetParam().lefts.size();
        EXPECT_EQ(buttons[i]->Visible(), shown) << i;
        if (!shown) continue;
        EXPECT_EQ(buttons[i]->Bounds().left, GetParam().lefts[i]) << i;
        EXPECT_EQ(buttons[i]->Bounds().top, 60);
        EXPECT_EQ(buttons[i]->Text(), GetParam().captions[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, MessageButtons,
                         ::testing::Values(LayoutCase{{"OK"}, {127}}, LayoutCase{{"はい", "いいえ"}, {85, 168}},
                                           LayoutCase{{"1", "2", "3"}, {48, 127, 206}}));

namespace {

struct AnswerCase {
    const char* name;
    std::function<void(TFormMessage&)> act;
    int answer;
};

class MessageAnswers : public ::testing::TestWithParam<AnswerCase> {};

}  // namespace

TEST_P(MessageAnswers, ModalRunAndOwner) {
    HWND owner =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    TFormMessage form(owner);
    form.SetButtons("この項目を削除しますか？", {"はい", "いいえ"});
    bool ownerDisabled = false;
    HWND focused = nullptr;
    gStep = [&] {
        ownerDisabled = !IsWindowEnabled(owner);
        SetForegroundWindow(form.Handle());
        focused = GetFocus();
        GetParam().act(form);
    };
    SetTimer(nullptr, 0, 100, RunStep);
    EXPECT_EQ(form.ShowModal(), GetParam().answer);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_EQ(focused, form.Button1->Handle());
    EXPECT_TRUE(IsWindowEnabled(owner));  // enabled again afterwards
    gStep = nullptr;
    DestroyWindowAtOnce(owner);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MessageAnswers,
    ::testing::Values(
        AnswerCase{"close_box", [](TFormMessage& f) { PostMessageW(f.Handle(), WM_CLOSE, 0, 0); }, 0},
        AnswerCase{"enter_presses_button1", [](TFormMessage& f) { PressKey(f.Button1->Handle(), VK_RETURN); }, 1},
        AnswerCase{"second_button", [](TFormMessage& f) { PostMessageW(f.Button2->Handle(), BM_CLICK, 0, 0); }, 2},
        AnswerCase{"escape_does_nothing",
                   [](TFormMessage& f) {
                       PressKey(f.Button1->Handle(), VK_ESCAPE);
                       PostMessageW(f.Button2->Handle(), BM_CLICK, 0, 0);  // still open: this answers
                   },
                   2}),
    [](const auto& info) { return std::string(info.param.name); });

// The question's text lies on the window's colour, its letters' cells too, not on white boxes.
TEST(MessageText, IsDrawnOnTheWindowsColour) {
    TFormMessage form(nullptr);
    form.SetButtons("この項目を削除しますか？", {"はい", "いいえ"});
    HDC dc = CreateCompatibleDC(nullptr);
    SetBkColor(dc, RGB(255, 255, 255));
    SendMessageW(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(form.Label1->Handle()));
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
    DeleteDC(dc);
}
