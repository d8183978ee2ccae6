// The options dialog's window: its controls on the three pages, and the tab switching.
#include "app/FmTodoOption.h"

#include <commdlg.h>

#include "background/FormColorSetUp.h"
#include "framework/Accessible_win.h"
#include "framework/ColorBox.h"
#include "support/Encoding_win.h"
#include "support/Shell.h"
#include "support/TextWork.h"

namespace {

const char* const kPageCaptions[TFmTodoOption::kPageCount] = {"表示", "データ", "その他"};

}  // namespace

int TSpinEdit::Value() const { return SpinValueOfText(Edit->Text(), Range); }

void TSpinEdit::SetValue(int value) const {
    const int clamped = ClampSpinValue(value, Range);
    SendMessageW(UpDown->Handle(), UDM_SETPOS32, 0, clamped);
    Edit->SetText(std::to_string(clamped));
}

bool TFmTodoOption::Checked(const TControl* box) {
    return SendMessageW(box->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TFmTodoOption::SetChecked(TControl* box, bool checked) {
    SendMessageW(box->Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TFmTodoOption::ItemIndex(const TControl* list) {
    return static_cast<int>(SendMessageW(list->Handle(), CB_GETCURSEL, 0, 0));
}

void TFmTodoOption::SetItemIndex(TControl* list, int index) {
    SendMessageW(list->Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

TFmTodoOption::TFmTodoOption(HWND mainWindow) : mainWindow_(mainWindow) {
    CreateArgs args = DialogArgs(L"TFmTodoOption", "オプション設定", kClientWidth, kClientHeight, mainWindow);
    // Without WS_CLIPCHILDREN: the form's own background shows again under a page's hidden controls.
    args.style &= ~WS_CLIPCHILDREN;
    CreateHandle(args);
    CentreWindow(Handle(), nullptr, HWND_TOPMOST);
}

void TFmTodoOption::FormCreate() {
    InitCommonControlsOnce();
    CreateControls();
    LoadSettings();
    ShowPage(0);
}

TControl* TFmTodoOption::Add(int page, const wchar_t* className, DWORD style, TPlace place, const std::string& text) {
    TControl* control =
        &AddControl(TControlArgs{.className = className, .id = nextId_++, .style = style, .left = place.left,
                                 .top = place.top, .width = place.width, .height = place.height, .text = text,
                                 .font = DialogFont()});
    pages_.emplace_back(control, page);
    return control;
}

TControl* TFmTodoOption::AddLabel(int page, TPlace place, const std::string& text) {
    return Add(page, WC_STATICW, SS_LEFT | SS_NOPREFIX, place, text);
}

TControl* TFmTodoOption::AddButton(int page, TPlace place, const std::string& text) {
    return Add(page, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, place, text);
}

TControl* TFmTodoOption::AddCheck(int page, TPlace place, const std::string& text) {
    return Add(page, WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, place, text);
}

TControl* TFmTodoOption::AddList(int page, TPlace place, const std::vector<std::string>& entries) {
    TControl* list = Add(page, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, place);
    for (const std::string& entry : entries)
        SendMessageW(list->Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(entry).c_str()));
    FitListHeight(list);
    return list;
}

void TFmTodoOption::FitListHeight(TControl* list) const {
    // The closed field at the design's height (the font alone would leave it short above 96
    // dpi); the window's height is the open list's.
    SetComboHeights(list->Handle(), Scale(kListHeight), 8);
    const RECT r = list->Bounds();
    SetWindowPos(list->Handle(), nullptr, 0, 0, r.right - r.left, Scale(200), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFmTodoOption::ScaleTabs() const {
    // The control keeps its tabs' padding, least width and height in pixels of 96 dpi: above
    // it they were cramped round the larger font and left a band of the control under them.
    const HWND tabs = PageControl1->Handle();
    SendMessageW(tabs, TCM_SETPADDING, 0, MAKELPARAM(Scale(6), Scale(3)));
    SendMessageW(tabs, TCM_SETMINTABWIDTH, 0, Scale(kTabMinWidth));
    SendMessageW(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(0, Scale(kTabHeight)));
}

void TFmTodoOption::DpiChanged(int, RECT&) {
    ScaleTabs();
    for (const auto& [control, page] : pages_) {
        wchar_t name[32] = L"";
        GetClassNameW(control->Handle(), name, 32);
        if (lstrcmpiW(name, WC_COMBOBOXW) == 0) FitListHeight(control);
    }
}

TSpinEdit TFmTodoOption::AddSpin(int page, TPlace place, TSpinRange range) {
    TSpinEdit spin;
    spin.Range = range;
    spin.Edit = Add(page, WC_EDITW, ES_AUTOHSCROLL | ES_RIGHT | WS_TABSTOP | WS_BORDER, place);
    spin.UpDown = Add(page, UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                      {place.left + place.width, place.top, 16, place.height});
    SendMessageW(spin.UpDown->Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(spin.Edit->Handle()), 0);
    PlaceUpDown(spin.UpDown->Handle(), spin.Edit->Handle(),
                {place.left, place.top, place.left + place.width, place.top + place.height}, Dpi());
    SendMessageW(spin.UpDown->Handle(), UDM_SETRANGE32, static_cast<WPARAM>(range.min), range.max);
    spin.SetValue(range.min);
    // An arrow steps from the value the box stands for. Left alone, the control would step from its
    // last position while an out-of-range number is still typed in the box, as it takes only
    // numbers inside the range from there.
    spin.UpDown->OnNotify = [spin](NMHDR* header) -> LRESULT {
        if (header->code != UDN_DELTAPOS) return 0;
        spin.SetValue(spin.Value() + reinterpret_cast<NMUPDOWN*>(header)->iDelta);
        return 1;  // done here
    };
    // Leaving the box shows the value it stands for.
    TControl* edit = spin.Edit;
    spin.Edit->OnCommand = [spin, edit](int code) {
        if (code == EN_KILLFOCUS && edit->Text() != std::to_string(spin.Value())) spin.SetValue(spin.Value());
    };
    return spin;
}

void TFmTodoOption::CreateControls() {
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    // Only the tabs: the page under them is the form's background in a frame of its own, so the
    // labels' background is the page's on every theme.
    PageControl1 = Add(-1, WC_TABCONTROLW, WS_CLIPSIBLINGS | WS_TABSTOP, {4, 4, 404, kTabsHeight});
    SetAccessibleName(PageControl1->Handle(), "ページ");
    for (int i = 0; i < kPageCount; ++i) {
        const std::wstring caption = ToWide(kPageCaptions[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(caption.c_str());
        SendMessageW(PageControl1->Handle(), TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    ScaleTabs();
    PageControl1->OnNotify = [this](NMHDR* header) -> LRESULT {
        if (header->code == TCN_SELCHANGE)
            ShowPage(static_cast<int>(SendMessageW(PageControl1->Handle(), TCM_GETCURSEL, 0, 0)));
        return 0;
    };
    CreateDisplayPage();
    CreateDataPage();
    CreateOtherPage();
    BtOK = AddButton(-1, {248, 274, 75, 24}, "OK");
    BtCancel = AddButton(-1, {329, 274, 75, 24}, "キャンセル");
    BtOK->OnClick = [this] { BtOKClick(); };
    BtCancel->OnClick = [this] { BtCancelClick(); };
    CancelButton = BtCancel;
    // The frames lie under the controls they hold, the tab control under everything.
    for (TControl* frame : {GbPicture, GbFont, GbCategory, GbPrintFont, PageControl1})
        SetWindowPos(frame->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFmTodoOption::CreateDisplayPage() {
    const DWORD group = BS_GROUPBOX | WS_CLIPSIBLINGS;
    GbPicture = Add(0, WC_BUTTONW, group, {10, 30, 392, 140}, "画像");
    CmbPicture = AddList(0, {18, 46, 250, 20}, {});
    BtPictureDel = AddButton(0, {274, 45, 56, 22}, "削除");
    AddLabel(0, {18, 75, 60, 14}, "上下配置");
    CMBvalign = AddList(0, {80, 71, 100, 20}, {"合わせる", "上", "中央", "下"});
    AddLabel(0, {200, 75, 56, 14}, "左右配置");
    CMBhalign = AddList(0, {258, 71, 100, 20}, {"合わせる", "左", "中央", "右"});
    AddLabel(0, {18, 99, 60, 14}, "画像サイズ");
    SEzoom = AddSpin(0, {80, 95, 48, 20}, kZoomRange);
    AddLabel(0, {148, 99, 16, 14}, "%");
    AddLabel(0, {200, 99, 56, 14}, "透明度");
    SEalpha = AddSpin(0, {258, 95, 48, 20}, kAlphaRange);
    AddLabel(0, {326, 99, 16, 14}, "%");
    AddLabel(0, {18, 123, 60, 14}, "画像加工");
    CMBeffect = AddList(0, {80, 119, 116, 20}, {"なし", "グラデーション(上から)", "グラデーション(下から)", "楕円枠"});
    AddLabel(0, {200, 123, 56, 14}, "画像回転");
    CMBrotation = AddList(0, {258, 119, 100, 20}, {"0度", "90度", "180度", "270度"});
    CbPictureRandom = AddCheck(0, {18, 145, 100, 18}, "画像を変える");
    SEmin = AddSpin(0, {124, 144, 48, 20}, kMinutesRange);
    AddLabel(0, {192, 148, 60, 14}, "分間隔");
    SetAccessibleName(SEmin.Edit->Handle(), "画像を変える間隔(分)");  // not the check box's name beside it

    CBshadow = AddCheck(0, {12, 174, 210, 16}, "文字に影をつける");
    CBwordWrap = AddCheck(0, {12, 190, 210, 16}, "文章を折り返して全て表示する");
    CBwindowRound = AddCheck(0, {12, 206, 210, 16}, "ウィンドウの角を丸くする");
    CBoverdue = AddCheck(0, {12, 222, 210, 16}, "期日を過ぎた項目を強調する");
    AddLabel(0, {12, 245, 80, 14}, "選択項目強調");
    CMBselected = AddList(0, {92, 241, 100, 20}, {"反転", "色反転", "下線", "波線", "囲枠", "下枠"});

    GbFont = Add(0, WC_BUTTONW, group, {228, 172, 174, 60}, "フォント");
    LBScreenFontName = AddLabel(0, {236, 190, 110, 14}, "");
    LBScreenFontSize = AddLabel(0, {236, 208, 100, 14}, "");
    BtScreenFont = AddButton(0, {346, 197, 48, 22}, "変更");
    Button1 = AddButton(0, {228, 236, 84, 24}, "配色変更");
    BtDispApply = AddButton(0, {318, 236, 84, 24}, "変更適用");

    CmbPicture->OnCommand = [this](int code) {
        if (code == CBN_SELCHANGE) CmbPictureChange();
    };
    for (TControl* list : {CMBvalign, CMBhalign})
        list->OnCommand = [this](int code) {
            if (code == CBN_SELCHANGE) CMBvalignChange();
        };
    BtPictureDel->OnClick = [this] { BtPictureDelClick(); };
    BtScreenFont->OnClick = [this] {
        RunFontDialog(ScreenFont, false);
        ShowFontsAndFolder();
    };
    Button1->OnClick = [this] { EditColorScheme(*this); };
    BtDispApply->OnClick = [this] { BtDispApplyClick(); };
}

void TFmTodoOption::CreateDataPage() {
    AddLabel(1, {12, 36, 200, 14}, "データ保存フォルダ");
    LEdatafolder = Add(1, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, {12, 52, 388, 20});
    BtDataFolderOpen = AddButton(1, {200, 78, 64, 22}, "開く");
    BtDataFolderDefault = AddButton(1, {268, 78, 64, 22}, "標準");
    BtDataFolderSelect = AddButton(1, {336, 78, 64, 22}, "選択");

    GbCategory = Add(1, WC_BUTTONW, BS_GROUPBOX | WS_CLIPSIBLINGS, {10, 108, 392, 152}, "分類");
    LbxCategory =
        Add(1, WC_LISTBOXW, LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
            {18, 126, 120, 126});
    EdCategory = Add(1, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, {148, 127, 60, 20});
    SpeedButton1 = AddButton(1, {214, 126, 50, 22}, "追加");
    AddLabel(1, {148, 158, 64, 14}, "★☆◆◇");
    SpeedButton2 = AddButton(1, {214, 154, 50, 22}, "追加");
    AddLabel(1, {148, 186, 64, 14}, "①～⑨");
    SpeedButton3 = AddButton(1, {214, 182, 50, 22}, "追加");
    BtCateDel = AddButton(1, {148, 228, 116, 22}, "削除");

    SendMessageW(EdCategory->Handle(), EM_SETLIMITTEXT, 2, 0);
    EdCategory->OnCommand = [this](int code) {
        if (code != EN_CHANGE) return;
        const std::string text = EdCategory->Text(), cut = CutToWholeCharacters(text, 2);  // 2 bytes
        if (cut == text) return;
        EdCategory->SetText(cut);
        SendMessageW(EdCategory->Handle(), EM_SETSEL, 2, 2);
    };
    BtDataFolderOpen->OnClick = [this] { OpenDocument(LEdatafolder->Text()); };
    BtDataFolderDefault->OnClick = [this] { BtDataFolderDefaultClick(); };
    BtDataFolderSelect->OnClick = [this] { BtDataFolderSelectClick(); };
    SpeedButton1->OnClick = [this] { AddMarks(EdCategory->Text()); };
    SpeedButton2->OnClick = [this] { AddMarks("★☆◆◇"); };
    SpeedButton3->OnClick = [this] { AddMarks("①②③④⑤⑥⑦⑧⑨"); };
    BtCateDel->OnClick = [this] { BtCateDelClick(); };
    LbxCategory->OnCommand = [this](int code) {
        if (code == LBN_SELCHANGE) LbxCategoryClick();
    };
}

void TFmTodoOption::CreateOtherPage() {
    CBstartup = AddCheck(2, {12, 36, 220, 16}, "スタートアップに登録");
    CBintasktray = AddCheck(2, {12, 56, 220, 16}, "タスクトレイに入れる");
    CBwindowOnTop = AddCheck(2, {12, 76, 220, 16}, "常に一番前に表示する");
    AddLabel(2, {12, 104, 80, 14}, "画面端に吸着");
    SEfitScreenPx = AddSpin(2, {96, 100, 48, 20}, kFitScreenRange);
    AddLabel(2, {166, 104, 60, 14}, "ピクセル");
    LbLink = AddLabel(2, {12, 130, 100, 14}, "リンクURL");
    LeLink = Add(2, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, {12, 146, 388, 20});

    GbPrintFont = Add(2, WC_BUTTONW, BS_GROUPBOX | WS_CLIPSIBLINGS, {10, 176, 392, 64}, "印刷フォント");
    LbPrintFontName = AddLabel(2, {18, 194, 200, 14}, "");
    LbPrintFontSize = AddLabel(2, {18, 214, 100, 14}, "");
    SpPrintFontColor = Add(2, WC_STATICW, SS_NOTIFY | WS_BORDER, {240, 198, 24, 24});
    BtPrintFont = AddButton(2, {326, 199, 64, 22}, "変更");
    CBnotify = AddCheck(2, {12, 246, 220, 16}, "期日を通知する");  // below the print font, after it for Tab
    BtPrintFont->OnClick = [this] {
        RunFontDialog(PrintFont, true);
        ShowFontsAndFolder();
    };
}

void TFmTodoOption::ShowPage(int page) {
    if (page < 0 || page >= kPageCount) page = 0;
    SendMessageW(PageControl1->Handle(), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    for (const auto& [control, on] : pages_) {
        const bool hidden = control == LeLink || control == LbLink;  // the link address is not offered
        if (on >= 0) control->SetVisible(on == page && !hidden);
    }
}

bool TFmTodoOption::DialogKey(const MSG& msg) {
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages, round from the last to the first and back.
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0) return false;
    if (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd)) return false;
    const int page = static_cast<int>(SendMessageW(PageControl1->Handle(), TCM_GETCURSEL, 0, 0));
    const int step = GetKeyState(VK_SHIFT) < 0 ? kPageCount - 1 : 1;
    ShowPage((page + step) % kPageCount);
    // A control of the page just hidden keeps no focus: the tabs take it, as after a click on them.
    HWND focus = GetFocus();
    if (!focus || !IsWindowVisible(focus)) SetFocus(PageControl1->Handle());
    return true;
}

int TFmTodoOption::PageOf(const TControl* control) const {
    for (const auto& [c, page] : pages_)
        if (c == control) return page;
    return -1;
}

bool TFmTodoOption::RunFontDialog(TFontSpec& font, bool withEffects) {
    LOGFONTW face{};
    const int dpi = Dpi();  // the size in points is shown as it appears on this window's monitor
    face.lfHeight = -MulDiv(font.Size, dpi, 72);
    face.lfCharSet = static_cast<BYTE>(font.Charset);
    face.lfWeight = FW_NORMAL;
    wcsncpy(face.lfFaceName, ToWide(font.Name).c_str(), LF_FACESIZE - 1);
    CHOOSEFONTW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = Handle();
    choose.lpLogFont = &face;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS | CF_LIMITSIZE |
                   (withEffects ? CF_EFFECTS : CF_NOSIMULATIONS);
    choose.nSizeMin = kMinFontPoints;  // the settings read other sizes as the default
    choose.nSizeMax = kMaxFontPoints;
    choose.rgbColors = static_cast<COLORREF>(font.Color);
    if (!ChooseFontW(&choose)) return false;  // cancelled: the font stays
    font.Name = FromWide(face.lfFaceName);
    font.Size = choose.iPointSize > 0 ? (choose.iPointSize + 5) / 10
                                      : MulDiv(face.lfHeight < 0 ? -face.lfHeight : face.lfHeight, 72, dpi);
    font.Charset = face.lfCharSet;
    if (withEffects) font.Color = static_cast<std::int32_t>(choose.rgbColors);
    return true;
}

LRESULT TFmTodoOption::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        TPaintDC dc(Handle());
        RECT tab{};
        SendMessageW(PageControl1->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
        RECT page{Scale(4), Scale(4) + tab.bottom, Scale(408), Scale(268)};
        DrawEdge(dc.Get(), &page, EDGE_RAISED, BF_RECT);
        return 0;
    }
    if (message == WM_CTLCOLORSTATIC) {
        if (SpPrintFontColor && reinterpret_cast<HWND>(lParam) == SpPrintFontColor->Handle()) {
            colorBrush_.Reset(CreateSolidBrush(static_cast<COLORREF>(PrintFont.Color)));
            return reinterpret_cast<LRESULT>(colorBrush_.Get());
        }
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    // The close box and Alt+F4 cancel as the button does; after OK nothing is taken back.
    if (message == WM_CLOSE && ModalResult != mrOk) SelectOpenedPicture();
    return TForm::OnMessage(message, wParam, lParam);
}
