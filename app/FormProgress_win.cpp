#include "app/FormProgress.h"

#include <memory>

#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/kvneGlobal.h"

namespace {
std::unique_ptr<TFormProgress> gFormProgress;
}  // namespace

TFormProgress::TFormProgress() {
    CreateArgs args = DialogArgs(L"TFormProgress", "", kClientWidth, kClientHeight, Application.Handle());
    // A caption but no system menu: no close, minimise or maximise buttons; a single-line border;
    // not on top of other programs.
    args.style = WS_POPUP | WS_CAPTION | WS_BORDER | WS_CLIPCHILDREN;
    args.exStyle = 0;
    CreateHandle(args);
    CentreWindow(Handle());
}

void TFormProgress::FormCreate() {
    HFONT font = DialogFont();
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    RunGuarded([this] { SetWindowTextW(Handle(), ToWide(GlobalEnv.ProductName()).c_str()); });
    Label1 = &AddControl(TControlArgs{.className = WC_STATICW, .style = SS_LEFT | SS_NOPREFIX, .left = 8, .top = 8,
                                      .width = 384, .height = 37, .text = "", .font = font});
    ProgressBar1 = &AddControl(TControlArgs{.className = PROGRESS_CLASSW, .style = 0, .left = 8, .top = 52,
                                            .width = 384, .height = 17, .text = ""});
    SendMessageW(ProgressBar1->Handle(), PBM_SETRANGE32, 0, 100);
}

void TFormProgress::SetProgressMax(int maximum) { SendMessageW(ProgressBar1->Handle(), PBM_SETRANGE32, 0, maximum); }

void TFormProgress::SetProgress(const std::string& text, int position) {
    Label1->SetText(text);
    // A themed bar glides forward over time but jumps back: one step past, then back.
    SendMessageW(ProgressBar1->Handle(), PBM_SETPOS, static_cast<WPARAM>(position + 1), 0);
    SendMessageW(ProgressBar1->Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

LRESULT TFormProgress::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) {
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));  // behind the text too
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    if (message == WM_CLOSE) return 0;  // only its caller ends it
    return TForm::OnMessage(message, wParam, lParam);
}

TFormProgress& CreateProgressForm() {
    const bool replacing = gFormProgress != nullptr;
    gFormProgress = std::make_unique<TFormProgress>();
    // The work it shows is a modal run of its own: no tray click may start a command meanwhile.
    if (replacing) Application.LeaveModal();
    Application.EnterModal(gFormProgress->Handle());
    ShowWindow(gFormProgress->Handle(), SW_SHOWNORMAL);
    UpdateWindow(gFormProgress->Handle());
    return *gFormProgress;
}

TFormProgress* FormProgress() { return gFormProgress.get(); }

void SetProgressMax(int maximum) {
    if (gFormProgress) gFormProgress->SetProgressMax(maximum);
}

void SetProgress(const std::string& text, int position) {
    if (gFormProgress) gFormProgress->SetProgress(text, position);
}

void ReleaseProgressForm() {
    if (!gFormProgress) return;
    gFormProgress.reset();
    Application.LeaveModal();
}
