#include "todo/FmTODOdata.h"

#include <imm.h>

#include <cmath>
#include <exception>

#include "background/DrawFrame.h"
#include "background/kvneColors.h"
#include "framework/Accessible_win.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/kvneGlobal.h"
#include "todo/CategoryList.h"

namespace {

// Not IDOK or IDCANCEL: the dialog keys' commands must find no control.
enum : int { kMemoId = 101, kCancelId, kOkId, kPickerId, kColorId, kCategoryId, kNoDateId };

LRESULT CALLBACK MemoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    switch (message) {
        case WM_GETDLGCODE: {
            LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) code &= ~DLGC_WANTALLKEYS;  // Tab moves on
            return code;
        }
        case WM_KEYDOWN:
        case WM_CHAR:
            if (wParam == VK_ESCAPE) return 0;  // a multi-line edit would close its window
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, MemoProc, id); break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void OpenIme(HWND hwnd) {
    if (HIMC context = ImmGetContext(hwnd)) {
        ImmSetOpenStatus(context, TRUE);
        ImmReleaseContext(hwnd, context);
    }
}

bool ToSystemTime(TDateTime date, SYSTEMTIME& day) {
    if (!std::isfinite(date) || std::fabs(date) > 3.0e6) return false;
    int year, month, dayOfMonth;
    DecodeDate(date, year, month, dayOfMonth);
    if (year < 1601 || year > 9999) return false;
    day = {};
    day.wYear = static_cast<WORD>(year);
    day.wMonth = static_cast<WORD>(month);
    day.wDay = static_cast<WORD>(dayOfMonth);
    return true;
}

}  // namespace

TFmTODOdata::TFmTODOdata(HWND mainWindow) : mainWindow_(mainWindow) {
    CreateArgs args;
    args.className = L"TFmTODOdata";  // also the section of its size in application.ini
    args.style = WS_POPUP | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    args.left = 0;
    args.top = 0;
    args.clientWidth = kClientWidth;
    args.clientHeight = kClientHeight;
    args.owner = mainWindow;
    CreateHandle(args);
}

void TFmTODOdata::FormCreate() {
    SetUpFormFunc();
    CreateControls();
    RunSteps({[this] { FormFunc.LoadPosition(); }, [this] { PlaceOverMainWindow(); }, [this] { LoadCategories(); }});
}

void TFmTODOdata::SetUpFormFunc() {
    FormFunc.Attach(*this);
    FormFunc.Preserve = true;
    FormFunc.KeepSize = true;
    FormFunc.KeepLocation = false;
    FormFunc.WindowDrag = true;
    FormFunc.WindowResize = true;
    FormFunc.SetDragDrop(false);
    FormFunc.SetWindowRound(true);
    FormFunc.OnWindowReset = [this] { RepaintAll(); };
}

void TFmTODOdata::CreateControls() {
    HFONT font = DialogFont();
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const auto withFont = [font](TControlArgs a) {
        a.font = font;
        return a;
    };
    constexpr int kBottomLeft = akLeft | akBottom, kBottomRight = akRight | akBottom;
    // Made in the tab order; the labels take no focus and come last.
    TControlArgs memo = withFont({.className = WC_EDITW, .id = kMemoId,
                                  .style = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                                  .left = 8, .top = 8, .width = 393, .height = 80, .text = "",
                                  .anchors = akLeft | akTop | akRight | akBottom});
    memo.exStyle = WS_EX_CLIENTEDGE;
    Memo = &AddControl(memo);
    BtCancel = &AddControl(withFont({.className = WC_BUTTONW, .id = kCancelId, .style = BS_PUSHBUTTON | WS_TABSTOP,
                                     .left = 324, .top = 111, .width = 75, .height = 21, .text = "キャンセル",
                                     .anchors = kBottomRight}));
    BtOK = &AddControl(withFont({.className = WC_BUTTONW, .id = kOkId, .style = BS_PUSHBUTTON | WS_TABSTOP,
                                 .left = 324, .top = 135, .width = 75, .height = 20, .text = "OK",
                                 .anchors = kBottomRight}));
    DateTimePicker1 = &AddControl(withFont({.className = DATETIMEPICK_CLASSW, .id = kPickerId,
                                            .style = DTS_SHORTDATEFORMAT | WS_TABSTOP, .left = 48, .top = 94,
                                            .width = 100, .height = 20, .text = "", .anchors = kBottomLeft}));
    CBnoDate = &AddControl(withFont({.className = WC_BUTTONW, .id = kNoDateId, .style = BS_AUTOCHECKBOX | WS_TABSTOP,
                                     .left = 156, .top = 96, .width = 80, .height = 16, .text = "期日なし",
                                     .anchors = kBottomLeft}));
    ColorBox1.Create(*this, withFont({.className = nullptr, .id = kColorId, .style = WS_TABSTOP, .left = 48,
                                      .top = 115, .width = 100, .height = 22, .text = "", .anchors = kBottomLeft}));
    CBcate = &AddControl(withFont({.className = WC_COMBOBOXW, .id = kCategoryId,
                                   .style = CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP, .left = 48,
                                   .top = 138, .width = 100, .height = 20, .text = "", .anchors = kBottomLeft}));
    SetComboHeights(CBcate->Handle(), Scale(20), 8);
    Label1 = &AddControl(withFont({.className = WC_STATICW, .style = SS_LEFT | SS_NOPREFIX, .left = 9, .top = 98,
                                   .width = 36, .height = 12, .text = "期日", .anchors = kBottomLeft}));
    Label2 = &AddControl(withFont({.className = WC_STATICW, .style = SS_LEFT | SS_NOPREFIX, .left = 9, .top = 120,
                                   .width = 36, .height = 12, .text = "文字色", .anchors = kBottomLeft}));
    Label3 = &AddControl(withFont({.className = WC_STATICW, .style = SS_LEFT | SS_NOPREFIX, .left = 9, .top = 142,
                                   .width = 36, .height = 12, .text = "分類", .anchors = kBottomLeft}));

    SetAccessibleName(Memo->Handle(), "内容");  // the only control without a label
    SendMessageW(Memo->Handle(), EM_SETLIMITTEXT, 0, 0);
    SetWindowSubclass(Memo->Handle(), MemoProc, 1, 0);
    Memo->OnCommand = [this](int code) {
        if (code == EN_SETFOCUS) OpenIme(Memo->Handle());
    };
    CBnoDate->OnClick = [this] { EnableWindow(DateTimePicker1->Handle(), !NoDate()); };
    BtOK->OnClick = [this] { ButtonClick(1); };
    BtCancel->OnClick = [this] { ButtonClick(0); };
}

void TFmTODOdata::PlaceOverMainWindow() {
    RECT main{}, self{};
    if (!mainWindow_ || !GetWindowRect(mainWindow_, &main)) main = {};  // none: beside the screen's corner
    GetWindowRect(Handle(), &self);
    const int width = self.right - self.left, height = self.bottom - self.top;
    POINT cursor{};
    GetCursorPos(&cursor);
    int left = main.left - Scale(16), top = main.top + Scale(16);
    if (main.left < cursor.x && cursor.x < main.right && main.top < cursor.y && cursor.y < main.bottom) {
        left = cursor.x - width / 2;
        top = cursor.y - height / 2;
    }
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    FitToWorkArea(Handle());
}

std::string CategoryFilePath() { return GlobalEnv.DataFolderPath() + "Category.txt"; }

std::vector<std::string> LoadCategoryMarks() {
    try {
        return ReadCategoryList(CategoryFilePath());
    } catch (const std::exception& e) {
        Application.ShowException(e);
        return BuiltInCategories();
    }
}

void TFmTODOdata::LoadCategories() {
    const std::vector<std::string> marks = LoadCategoryMarks();
    for (const std::string& mark : marks) AddCategory(mark);
    if (!HasNoMark(marks)) {
        AddCategory(kNoMark, 0);
        noMarkFirst_ = true;
    }
}

int TFmTODOdata::AddCategory(const std::string& mark, int at) {
    HWND box = CBcate->Handle();
    const std::wstring wide = ToWide(mark);
    const auto text = reinterpret_cast<LPARAM>(wide.c_str());
    auto index = SendMessageW(box, at < 0 ? CB_ADDSTRING : CB_INSERTSTRING, static_cast<WPARAM>(at), text);
    if (index < 0) return -1;
    if (at < 0 && noMarkFirst_ && index == 0) {  // sorted in front of the "　" put first: it stays first
        SendMessageW(box, CB_DELETESTRING, 0, 0);
        index = SendMessageW(box, CB_INSERTSTRING, 1, text);
    }
    marks_.push_back(mark);
    SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(marks_.size() - 1));
    return static_cast<int>(index);
}

std::string TFmTODOdata::MarkAt(int index) const {
    const auto data = SendMessageW(CBcate->Handle(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data >= 0 && static_cast<std::size_t>(data) < marks_.size() ? marks_[static_cast<std::size_t>(data)] : "";
}

void TFmTODOdata::SetCategory(const std::string& mark) {
    int index = -1;
    if (!mark.empty()) {
        // Byte for byte: the box's own search ignores case, and "a" is not "A".
        const int count = static_cast<int>(SendMessageW(CBcate->Handle(), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count && index < 0; ++i)
            if (MarkAt(i) == mark) index = i;
        if (index < 0) index = AddCategory(mark);
    }
    SendMessageW(CBcate->Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string TFmTODOdata::Category() const {
    const int index = static_cast<int>(SendMessageW(CBcate->Handle(), CB_GETCURSEL, 0, 0));
    return index < 0 ? std::string() : MarkAt(index);
}

bool TFmTODOdata::NoDate() const { return SendMessageW(CBnoDate->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TFmTODOdata::SetDate(TDateTime date) {
    // Without a date the picker stays on the day it shows, ready for when one is wanted.
    SendMessageW(CBnoDate->Handle(), BM_SETCHECK, HasDate(date) ? BST_UNCHECKED : BST_CHECKED, 0);
    EnableWindow(DateTimePicker1->Handle(), HasDate(date));
    if (!HasDate(date)) return;
    date_ = date;
    dateSet_ = true;
    SYSTEMTIME day{};
    // A day the picker cannot show leaves it as it was; the day itself is kept below.
    if (ToSystemTime(date, day))
        SendMessageW(DateTimePicker1->Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
    shownDay_ = PickerDay();
}

TDateTime TFmTODOdata::Date() const {
    if (NoDate()) return kNoDate;
    const SYSTEMTIME day = PickerDay();
    if (dateSet_ && day.wYear == shownDay_.wYear && day.wMonth == shownDay_.wMonth && day.wDay == shownDay_.wDay)
        return std::trunc(date_);
    TDateTime result = 0;
    TryEncodeDate(day.wYear, day.wMonth, day.wDay, result);
    return result;
}

SYSTEMTIME TFmTODOdata::PickerDay() const {
    SYSTEMTIME day{};
    SendMessageW(DateTimePicker1->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&day));
    return day;
}

void TFmTODOdata::SetText(const std::string& text) {
    text_ = text;
    Memo->SetText(text);
    shownText_ = MemoText();  // up to a NUL only
}

std::string TFmTODOdata::Text() const {
    // Unchanged text keeps its bytes: the way through Unicode may give others for the same characters.
    const std::wstring shown = MemoText();
    return shown == shownText_ ? text_ : FromWide(shown);
}

std::wstring TFmTODOdata::MemoText() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Memo->Handle())) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(Memo->Handle(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void TFmTODOdata::SetColor(std::int32_t color) {
    color_ = color;
    ColorBox1.SetColor(color);
    shownColor_ = ColorBox1.ItemIndex();
}

std::int32_t TFmTODOdata::Color() const {
    // A colour not among the 16 shows as no selection: while that stays, the colour does too.
    return ColorBox1.ItemIndex() == shownColor_ ? color_ : ColorBox1.Color();
}

void TFmTODOdata::ButtonClick(int result) {
    if (result == 1) {
        std::wstring lost;
        FromWideNoting(MemoText(), lost);
        if (!lost.empty()) {
            // Nothing typed is dropped without a word: the editor stays open to change it.
            MessageBoxW(Handle(), (ToWide("保存できない文字があります: ") + lost).c_str(), L"Memorail",
                        MB_OK | MB_ICONWARNING);
            return;
        }
    }
    // An empty text stores nothing, whichever button.
    ModalResult = result == 1 && GetWindowTextLengthW(Memo->Handle()) > 0 ? mrOk : mrCancel;
    Close();
}

void TFmTODOdata::DpiChanged(int, RECT&) {
    // A drop-down's height is its open list's: the closed fields are fitted again.
    SetComboHeights(CBcate->Handle(), Scale(20), 8);
    ColorBox1.FitToDpi();
    FormFunc.ApplyWindowRound();
}

bool TFmTODOdata::DialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || GetKeyState(VK_CONTROL) >= 0) return false;
    ButtonClick(1);
    return true;
}

void TFmTODOdata::RepaintAll() { RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN); }

void TFmTODOdata::FormPaint() {
    TPaintDC dc(Handle());
    RECT client{};
    GetClientRect(Handle(), &client);
    TBrushHandle background(CreateSolidBrush(static_cast<COLORREF>(ColorsList.GetColor(kColorWindowBackground))));
    FillRect(dc.Get(), &client, background.Get());
    const RECT inner{Scale(4), Scale(4), client.right - Scale(4), client.bottom - Scale(4)};
    DrawFrameInColor(dc.Get(), static_cast<COLORREF>(ColorsList.GetColor(kColorInnerFrame)), inner, 1, Dpi());
    DrawFrameInColor(dc.Get(), static_cast<COLORREF>(ColorsList.GetColor(kColorOuterFrame)), client,
                     FormFunc.WindowRound() ? 4 : 0, Dpi());
}

LRESULT TFmTODOdata::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: FormPaint(); return 0;
        case WM_SIZE: RepaintAll(); return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {Scale(kMinWidth), Scale(kMinHeight)};
            return 0;
        case WM_KEYUP:
            // Only keys of the window itself come here; those of its controls stay with them.
            if (wParam == VK_ESCAPE) Close();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE)
                focus_ = GetFocus();
            else
                SetFocus(focus_ && IsChild(Handle(), focus_) ? focus_ : Memo->Handle());
            return 0;
        case WM_CTLCOLORSTATIC: {
            const auto from = reinterpret_cast<HWND>(lParam);
            // The labels and the 期日なし box on the window's own colour.
            if (from != Label1->Handle() && from != Label2->Handle() && from != Label3->Handle() &&
                from != CBnoDate->Handle())
                break;
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, static_cast<COLORREF>(ColorsList.GetColor(kColorInnerFrame)));
            SetBkMode(dc, TRANSPARENT);
            const auto back = static_cast<COLORREF>(ColorsList.GetColor(kColorWindowBackground));
            if (!labelBrush_ || back != labelBrushColor_) {
                labelBrush_.Reset(CreateSolidBrush(back));
                labelBrushColor_ = back;
            }
            return reinterpret_cast<LRESULT>(labelBrush_.Get());
        }
    }
    return TForm::OnMessage(message, wParam, lParam);
}
