#include "app/FormProgress.h"

#include <memory>

#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/kvneGlobal.h"

namespace {
std::unique_ptr<TFormProgress> gFormProgress;
}  // namespace

TFormProgress::TFormProgress() {
    CreateArgs args;
    args.className = L"TFormProgress";
    // A caption but no system menu: no close, minimise or maximise buttons; a single-line border.
    args.style = WS_POPUP | WS_CAPTION | WS_BORDER | WS_CLIPCHILDREN;
    args.clientWidth = kClientWidth;
    args.clientHeight = kClientHeight;
    args.owner = Application.Handle();
    args.classStyle = 0;
    args.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    CreateHandle(args);
    CentreWindow(Handle());
}

void TFormProgress::FormCreate() {
    font_.Reset(CreateDialogFont());
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    RunGuarded([this] { SetWindowTextW(Handle(), ToWide(GlobalEnv.ProductName()).c_str()); });
    TControlArgs label;
    label.className = WC_STATICW;
    label.style = SS_LEFT | SS_NOPREFIX;
    label.left = 8;
    label.top = 8;
    label.width = 384;
    label.height = 37;
    label.font = font_.Get();
    Label1 = &AddControl(label);
    TControlArgs bar;
    bar.className = PROGRESS_CLASSW;
    bar.left = 8;
    bar.top = 52;
    bar.width = 384;
    bar.height = 17;
    ProgressBar1 = &AddControl(bar);
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
    gFormProgress = std::make_unique<TFormProgress>();
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

void ReleaseProgressForm() { gFormProgress.reset(); }
