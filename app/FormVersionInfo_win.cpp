#include "app/FormVersionInfo.h"

#include "background/DrawFrame.h"
#include "background/kvneColors.h"
#include "framework/Accessible_win.h"
#include "support/Encoding_win.h"
#include "support/kvneGlobal.h"

namespace {

COLORREF SchemeColor(const char* key) { return static_cast<COLORREF>(ColorsList.GetColor(key)); }

HFONT MakeFont(int pixels, const wchar_t* face, BYTE charset) {
    return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

// The painted texts as static texts, and the close button after them, for screen readers.
class TVersionAccessible final : public TAccessible {
public:
    TVersionAccessible(TFormVersionInfo& form) : TAccessible(form.Handle()), form_(form) {}

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (ChildOf(child) != kButton) return TAccessible::get_accChild(child, out);
        return AccessibleObjectFromWindow(form_.CloseButton.Handle(), static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(out));
    }

protected:
    static constexpr int kButton = TFormVersionInfo::kTextCount + 1;
    int ChildCount() override { return kButton; }
    std::string Name(int child) override {
        if (child == CHILDID_SELF) return "バージョン情報";
        return child == kButton ? "閉じる" : TFormVersionInfo::TextAt(child - 1);
    }
    long Role(int child) override {
        return child == CHILDID_SELF ? ROLE_SYSTEM_CLIENT
               : child == kButton    ? ROLE_SYSTEM_PUSHBUTTON
                                     : ROLE_SYSTEM_STATICTEXT;
    }
    long State(int child) override { return child == CHILDID_SELF || child == kButton ? 0 : STATE_SYSTEM_READONLY; }
    bool Bounds(int child, RECT& r) override {
        if (child == CHILDID_SELF) return GetClientRect(Window(), &r) != FALSE;
        if (child != kButton) {
            r = form_.TextBounds(child - 1);
            return true;
        }
        GetWindowRect(form_.CloseButton.Handle(), &r);
        MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&r), 2);
        return true;
    }
    IAccessible* PartAt(POINT p) override {
        RECT r;
        IAccessible* button = nullptr;
        if (Bounds(kButton, r) && PtInRect(&r, p))
            AccessibleObjectFromWindow(form_.CloseButton.Handle(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                       reinterpret_cast<void**>(&button));
        return button;
    }

private:
    TFormVersionInfo& form_;
};

}  // namespace

TFormVersionInfo::TFormVersionInfo(HWND owner) : owner_(owner) {
    CreateArgs args;
    args.className = L"TFormVersionInfo";  // also its section in application.ini
    args.caption = "バージョン情報";
    args.style = WS_POPUP | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    args.clientWidth = kClientWidth;
    args.clientHeight = kClientHeight;
    args.owner = owner;
    args.classStyle = 0;
    CreateHandle(args);
}

std::string TFormVersionInfo::VersionLine() { return "バージョン " + GlobalEnv.FileVersion(); }

std::string TFormVersionInfo::TextAt(int index) {
    return index == 0 ? GlobalEnv.ProductName() : index == 1 ? VersionLine() : "(C) " + GlobalEnv.CompanyName();
}

RECT TFormVersionInfo::TextBounds(int index) const {
    const std::wstring text = ToWide(TextAt(index));
    TWindowDC dc(Handle());
    TSelectObject font(dc.Get(), index == 0 ? titleFont_.Get() : textFont_.Get());
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    const POINT at = index == 0 ? POINT{Scale(14), Scale(8)} : POINT{Scale(18), Scale(50 + 16 * (index - 1))};
    return {at.x, at.y, at.x + size.cx, at.y + size.cy};
}

void TFormVersionInfo::FormCreate() {
    FormFunc.Attach(*this);
    FormFunc.Preserve = true;
    FormFunc.KeepLocation = true;
    FormFunc.WindowDrag = true;
    FormFunc.SetWindowRound(true);
    FormFunc.OnWindowReset = [this] { InvalidateRect(Handle(), nullptr, TRUE); };
    // The title as the main window writes it; the rest in the dialogs' font.
    CloseButton.Create(Handle(), kClientWidth - 92, kClientHeight - 34, 80, 22, "  閉じる");
    MakeFonts();
    TkvneBtnDraw& look = CloseButton.BtnDraw;
    look.SetColorBack(static_cast<std::int32_t>(SchemeColor(kColorWindowBackground)));
    look.SetColorOver(0x60A0FF);
    look.SetColorFocus(0xFFA080);
    look.SetOverDrawType(dtAlpha);
    look.SetOverDrawAlpha(128);
    CloseButton.OnClick = [this] { Close(); };
    // Alt+C reaches the button, which has the focus.
    CloseButton.AddHook([this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (!IsCloseKey(message, wParam)) return false;
        Close();
        result = 0;
        return true;
    });

    // Centred over the main window, unless a place was kept from an earlier opening: without
    // one, LoadPosition alone would centre it on the screen.
    FormFunc.LoadPosition();
    if (!FormFunc.LocationStored()) CentreWindow(Handle(), owner_);
    EnsureOnScreen(Handle());
}

void TFormVersionInfo::MakeFonts() {
    titleFont_.Reset(MakeFont(Scale(32), L"Century Gothic", ANSI_CHARSET));
    textFont_.Reset(MakeFont(Scale(12), L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF", SHIFTJIS_CHARSET));  // ＭＳ Ｐゴシック
    LOGFONTW font{};
    GetObjectW(textFont_.Get(), sizeof font, &font);
    CloseButton.BtnDraw.SetFont(font, RGB(0, 0, 0));
}

void TFormVersionInfo::DpiChanged(int, RECT&) {
    MakeFonts();
    FormFunc.ApplyWindowRound();
}

bool TFormVersionInfo::IsCloseKey(UINT message, WPARAM key) const {
    return (message == WM_SYSCHAR && (key == 'c' || key == 'C')) || (message == WM_SYSKEYDOWN && key == 'C');
}

LRESULT TFormVersionInfo::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: FormPaint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETOBJECT: {
            if (static_cast<LONG>(lParam) != OBJID_CLIENT) break;
            if (!accessible_) accessible_ = new TVersionAccessible(*this);
            bool answered = false;
            const LRESULT result = AnswerGetObject(accessible_, wParam, lParam, answered);
            if (answered) return result;
            break;
        }
        case WM_DESTROY:
            if (accessible_) {
                accessible_->Detach();  // a reader may hold it longer than the window lives
                accessible_->Release();
                accessible_ = nullptr;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) SetFocus(CloseButton.Handle());
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) Close();  // Esc
            return 0;
        case WM_SYSCHAR:
        case WM_SYSKEYDOWN:
            if (IsCloseKey(message, wParam)) {
                Close();
                return 0;
            }
            break;
    }
    return TForm::OnMessage(message, wParam, lParam);
}

void TFormVersionInfo::FormPaint() {
    TPaintDC dc(Handle());
    RECT client;
    GetClientRect(Handle(), &client);
    TBrushHandle brush(CreateSolidBrush(SchemeColor(kColorWindowBackground)));
    FillRect(dc.Get(), &client, brush.Get());
    DrawFrameInColor(dc.Get(), SchemeColor(kColorOuterFrame), client, 4, Dpi());
    const RECT inner{Scale(4), Scale(4), client.right - Scale(4), client.bottom - Scale(4)};
    DrawFrameInColor(dc.Get(), SchemeColor(kColorInnerFrame), inner, 1, Dpi());

    SetBkMode(dc.Get(), TRANSPARENT);
    {
        TSelectObject font(dc.Get(), titleFont_.Get());
        SetTextColor(dc.Get(), SchemeColor(kColorActiveTitle));
        const std::wstring product = ToWide(TextAt(0));
        TextOutW(dc.Get(), Scale(14), Scale(8), product.c_str(), static_cast<int>(product.size()));
    }
    TSelectObject font(dc.Get(), textFont_.Get());
    SetTextColor(dc.Get(), SchemeColor(kColorInnerFrame));
    for (int i = 1; i < kTextCount; ++i) {
        const std::wstring line = ToWide(TextAt(i));
        TextOutW(dc.Get(), Scale(18), Scale(50 + 16 * (i - 1)), line.c_str(), static_cast<int>(line.size()));
    }
}
