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
