#include "todo/FormMessage.h"

#include "framework/Application.h"
#include "support/Encoding_win.h"

namespace {
// Not IDOK or IDCANCEL: Esc (IDCANCEL) must find no button.
constexpr int kFirstButtonId = 101;
}  // namespace

std::vector<int> MessageButtonLefts(int count, int W, int B) {
    if (count <= 1) return {(W - B) / 2};
    if (count == 2) return {W / 2 - B - 4, W / 2 + 4};
    const int middle = (W - B) / 2;
    return {middle - B - 4, middle, middle + B + 4};
}

TFormMessage::TFormMessage(HWND owner) {
    CreateHandle(DialogArgs(L"TFormMessage", "", kClientWidth, kClientHeight, owner));
}

void TFormMessage::FormCreate() {
    HFONT font = DialogFont();
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    TControlArgs label;
    label.className = WC_STATICW;
    label.style = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
    label.left = 12;
    label.top = 12;
    label.width = 305;
    label.height = 41;
    label.font = font;
    Label1 = &AddControl(label);
    TControl** buttons[] = {&Button1, &Button2, &Button3};
    for (int i = 0; i < 3; ++i) {
        TControlArgs button;
        button.className = WC_BUTTONW;
        button.id = kFirstButtonId + i;
        button.style = BS_PUSHBUTTON | WS_TABSTOP;
        button.top = 60;
        button.width = kButtonWidth;
        button.height = 25;
        button.font = font;
        *buttons[i] = &AddControl(button);
        (*buttons[i])->OnClick = [this, i] { ButtonClick(i + 1); };
    }
}

LRESULT TFormMessage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE) {
        if (LOWORD(wParam) == WA_INACTIVE)
            focus_ = GetFocus();
        else
            SetFocus(focus_ && IsChild(Handle(), focus_) ? focus_ : Button1->Handle());  // Button1 first
        return 0;
    }
    if (message == WM_CTLCOLORSTATIC) {
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));  // behind the text too
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return TForm::OnMessage(message, wParam, lParam);
}

void TFormMessage::ButtonClick(int number) {
    ModalResult = number;
    Close();
}

void TFormMessage::SetButtons(const std::string& message, const std::vector<std::string>& captions) {
    Label1->SetText(message);
    const std::vector<int> lefts = MessageButtonLefts(static_cast<int>(captions.size()), kClientWidth, kButtonWidth);
    TControl* buttons[] = {Button1, Button2, Button3};
    for (std::size_t i = 0; i < 3; ++i) {
        const bool shown = i < captions.size() && i < lefts.size();
        buttons[i]->SetVisible(shown);
        if (!shown) continue;
        buttons[i]->SetText(captions[i]);
        const int left = Scale(lefts[i]);
        buttons[i]->SetBounds(left, Scale(60), Scale(lefts[i] + kButtonWidth) - left, Scale(25));
    }
}

int AskMessage(const std::string& caption, const std::string& message, const std::vector<std::string>& buttons) {
    HWND owner = Application.MainForm();
    TFormMessage form(owner ? owner : Application.Handle());
    form.SetButtons(message, buttons);
    SetWindowTextW(form.Handle(), ToWide(caption).c_str());
    CentreWindow(form.Handle(), owner, HWND_TOPMOST);  // over the main window, or the screen without one
    return form.ShowModal();
}
