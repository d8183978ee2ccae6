// The progress window: its frame, label and bar.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/FormProgress.h"
#include "support/Encoding_win.h"
#include "support/kvneGlobal.h"

namespace {

struct ProgressCase {
    int maximum;
    std::string text;
    int position;
};

class Progress : public ::testing::TestWithParam<ProgressCase> {
protected:
    void TearDown() override { ReleaseProgressForm(); }
};

}  // namespace

TEST_P(Progress, LabelAndBarShownAtOnce) {
    TFormProgress& form = CreateProgressForm();
    SetProgressMax(GetParam().maximum);
    SetProgress(GetParam().text, GetParam().position);
    EXPECT_EQ(form.Label1->Text(), GetParam().text);
    PBRANGE range{};
    SendMessageW(form.ProgressBar1->Handle(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, GetParam().maximum);
    EXPECT_EQ(SendMessageW(form.ProgressBar1->Handle(), PBM_GETPOS, 0, 0), GetParam().position);
    EXPECT_FALSE(GetUpdateRect(form.Label1->Handle(), nullptr, FALSE));  // painted, not waiting
    EXPECT_FALSE(GetUpdateRect(form.ProgressBar1->Handle(), nullptr, FALSE));

    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 80);
    EXPECT_FALSE(GetWindowLongPtrW(form.Handle(), GWL_STYLE) & (WS_SYSMENU | WS_THICKFRAME));
    wchar_t caption[100] = {};
    GetWindowTextW(form.Handle(), caption, 100);
    EXPECT_EQ(FromWide(caption), GlobalEnv.ProductName());
    EXPECT_EQ(FormProgress(), &form);
    ReleaseProgressForm();
    EXPECT_EQ(FormProgress(), nullptr);
    SetProgress("x", 1);  // without the window: nothing
}

INSTANTIATE_TEST_SUITE_P(Batches, Progress,
                         ::testing::Values(ProgressCase{0, "画像ファイルを登録しています。\r\nC:\\photos\\sun.jpg", 0},
                                           ProgressCase{9, "画像ファイルを登録しています。\r\nC:\\a\\b.png", 4},
                                           ProgressCase{9, "", 9}));
