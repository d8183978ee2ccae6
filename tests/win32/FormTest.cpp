// The window base: hooks in front of the form's own handling, guarded creation steps.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <vector>

#include "framework/Application.h"
#include "framework/Form.h"

namespace {

class TProbeForm : public TForm {
public:
    std::vector<UINT> seen;
    std::vector<int> steps;
    void Create() {
        CreateArgs args;
        args.className = L"TProbeForm";
        args.clientWidth = 50;
        args.clientHeight = 40;
        CreateHandle(args);
    }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= WM_APP) {
            seen.push_back(message);
            return 7;
        }
        return TForm::OnMessage(message, wParam, lParam);
    }
    void FormCreate() override {
        RunSteps({[this] { steps.push_back(1); }, [] { throw std::runtime_error("step 2 fails"); },
                  [this] { steps.push_back(3); }});
    }
};

}  // namespace

TEST(Form, HooksStopOrPassMessages) {
    TProbeForm form;
    form.Create();
    std::vector<UINT> hooked;
    form.AddHook([&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message >= WM_APP) hooked.push_back(message);
        return false;  // passes it on
    });
    const int stopper = form.AddHook([](UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_APP + 2) return false;
        result = 42;
        return true;
    });
    EXPECT_EQ(SendMessageW(form.Handle(), WM_APP + 1, 0, 0), 7);
    EXPECT_EQ(SendMessageW(form.Handle(), WM_APP + 2, 0, 0), 42);
    EXPECT_EQ(form.seen, (std::vector<UINT>{WM_APP + 1}));
    EXPECT_EQ(hooked, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
    form.RemoveHook(stopper);
    EXPECT_EQ(SendMessageW(form.Handle(), WM_APP + 2, 0, 0), 7);
}

TEST(Form, AFailingCreationStepStillRunsTheOthers) {
    Application.DiscardReports();
    TProbeForm form;
    form.Create();
    EXPECT_EQ(form.steps, (std::vector<int>{1, 3}));
    ASSERT_EQ(Application.PendingReports().size(), 1u);
    EXPECT_EQ(Application.PendingReports().front(), "step 2 fails");
    Application.DiscardReports();
}

TEST(Form, ControlsGetTheirNotificationsAndKeepTheirAnchors) {
    TProbeForm form;
    form.Create();
    TControlArgs args;
    args.className = WC_BUTTONW;
    args.id = 300;
    args.style = BS_PUSHBUTTON;
    args.left = 10;
    args.top = 10;
    args.width = 20;
    args.height = 10;
    args.anchors = akRight | akBottom;  // keeps its distance to the bottom-right corner
    TControl& button = form.AddControl(args);
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form.seen.empty());  // the parent's own handling never saw it
    RECT r;
    GetWindowRect(form.Handle(), &r);
    SetWindowPos(form.Handle(), nullptr, 0, 0, r.right - r.left + 30, r.bottom - r.top + 5, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(button.Bounds().left, 40);
    EXPECT_EQ(button.Bounds().top, 15);
    EXPECT_EQ(button.Bounds().right - button.Bounds().left, 20);
}

TEST(Form, TheApplicationKnowsTheLiveForms) {
    auto count = [] { return Application.Forms().size(); };
    const std::size_t before = count();
    {
        TProbeForm form;
        form.Create();
        EXPECT_EQ(count(), before + 1);
        EXPECT_EQ(Application.Forms().back(), form.Handle());
        Application.SendToAllForms(WM_APP + 5, 0, 0);
        EXPECT_EQ(form.seen.back(), static_cast<UINT>(WM_APP + 5));
    }
    EXPECT_EQ(count(), before);
}

namespace {

struct DestroySeen {
    bool hidden = false;         // the hide notifications Windows sends on the way
    bool closingMarked = false;  // at WM_DESTROY
};
DestroySeen gDestroySeen;

LRESULT CALLBACK DestroyProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && !wParam) gDestroySeen.hidden = true;
    if (message == WM_WINDOWPOSCHANGED && (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW))
        gDestroySeen.hidden = true;
    if (message == WM_DESTROY) gDestroySeen.closingMarked = GetPropW(hwnd, kClosingProperty) != nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

// The hide is skipped only where asked (under Wine); on Windows a window goes as it always does.
TEST(Form, DestroyingAtOnceSkipsTheHideOnlyWhereAsked) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DestroyProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TDestroyProbe";
    RegisterClassW(&wc);
    for (const bool skipHide : {false, true}) {
        gDestroySeen = {};
        HWND window = CreateWindowExW(0, L"TDestroyProbe", L"", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                                      wc.hInstance, nullptr);
        DestroyWindowAtOnce(window, skipHide);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(gDestroySeen.hidden, !skipHide) << skipHide;
        EXPECT_TRUE(gDestroySeen.closingMarked) << skipHide;
    }
}
