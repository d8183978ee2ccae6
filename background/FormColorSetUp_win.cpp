#include "background/FormColorSetUp.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "background/kvneColors.h"
#include "framework/Accessible_win.h"
#include "framework/Application.h"
#include "framework/Messages.h"
#include "support/Encoding_win.h"
#include "support/Functions.h"

namespace {

constexpr wchar_t kGothic[] = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";  // ＭＳ ゴシック
constexpr int kIndent = 20;

enum : int {
    kLeRGBId = 201,
    kLeRId,
    kLeGId,
    kLeBId,
    kLeHId,
    kLeSId,
    kLeVId,
    kTrackBarId,
    kUpDownId = 220,
    kTreeId = 301,
    kSelectId,
    kDefaultId,
    kResetId,
    kApplyId,
    kOkId,
};
enum : int { kGroupRGB = 1, kGroupHSV, kGroupHex };

COLORREF ToColorRef(std::int32_t color) { return static_cast<COLORREF>(color) & 0xFFFFFF; }

constexpr RECT kPickerShape{8, 8, 83, 83};  // the picker's colour
// The selected key's colour, above the buttons.
constexpr RECT kDialogShape{TFormColorSetUp::kButtonsLeft, 8, TFormColorSetUp::kPickerLeft, 83};
constexpr RECT kField{TFrameColorSelect::kFieldLeft, TFrameColorSelect::kFieldTop,
                      TFrameColorSelect::kFieldLeft + kFieldWidth, TFrameColorSelect::kFieldTop + kFieldHeight};

void FillColor(HDC dc, const RECT& r, COLORREF color) {
    TBrushHandle brush(CreateSolidBrush(color));
    FillRect(dc, &r, brush.Get());
}

// The outline width pixels wide, inside r.
void OutlinedRect(HDC dc, const RECT& r, COLORREF outline, COLORREF fill, int width) {
    TPenHandle pen(CreatePen(PS_INSIDEFRAME, width, outline));
    TBrushHandle brush(CreateSolidBrush(fill));
    TSelectObject usePen(dc, pen.Get());
    TSelectObject useBrush(dc, brush.Get());
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

RECT ToRECT(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

// Swatch i, row by row.
RECT SwatchRectAt(int i) {
    return ToRECT(SwatchRect(i / kSwatchColumns, i % kSwatchColumns, TFrameColorSelect::kWidth,
                             TFrameColorSelect::kHeight, TFrameColorSelect::kFieldTop, kFieldHeight));
}

// Enter in a picker edit takes effect at once instead of going to the dialog.
LRESULT CALLBACK EnterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    switch (message) {
        case WM_GETDLGCODE: {
            LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                reinterpret_cast<TFrameColorSelect*>(data)->EditDone(hwnd);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r') return 0;  // no beep
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, EnterProc, id); break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

int EditValue(const TControl* edit) { return EditNumber(edit->Text()); }

}  // namespace

// ---- the picker

TFrameColorSelect::TFrameColorSelect(HWND parent, int left, int top, HFONT font)
    : font_(font), plainField_(kFieldWidth, kFieldHeight, 24) {
    std::copy(std::begin(kPresetColors), std::end(kPresetColors), swatches_);
    CreateArgs args;
    args.className = L"TFrameColorSelect";
    args.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_CONTROLPARENT;
    args.left = left;
    args.top = top;
    args.clientWidth = kWidth;
    args.clientHeight = kHeight;
    args.owner = parent;
    args.classStyle = 0;
    args.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    CreateHandle(args);
}

TControl& TFrameColorSelect::AddEdit(int id, int left, int top, int width, const std::string& caption, int group) {
    const int labelWidth = group == kGroupHSV ? 42 : 38;
    AddControl(TControlArgs{.className = WC_STATICW, .style = SS_LEFT | SS_NOPREFIX, .left = left, .top = top + 4,
                            .width = labelWidth, .height = 12, .text = caption, .font = font_});
    TControlArgs edit =
        TControlArgs{.className = WC_EDITW, .id = id,
                     .style = static_cast<DWORD>(ES_AUTOHSCROLL | WS_TABSTOP | (group == kGroupHex ? ES_UPPERCASE : 0)),
                     .left = left + labelWidth, .top = top, .width = width, .height = 20, .text = "",
                     .font = group == kGroupHex ? DialogFont(FW_NORMAL, kGothic) : font_};
    edit.exStyle = WS_EX_CLIENTEDGE;
    TControl& control = AddControl(edit);
    SetWindowSubclass(control.Handle(), EnterProc, 1, reinterpret_cast<DWORD_PTR>(this));
    control.OnCommand = [this, &control](int code) {
        if (code == EN_KILLFOCUS && SendMessageW(control.Handle(), EM_GETMODIFY, 0, 0)) EditDone(control.Handle());
    };
    if (group == kGroupHex) {
        SendMessageW(control.Handle(), EM_SETLIMITTEXT, 6, 0);
        return control;
    }
    TControlArgs spin;
    spin.className = UPDOWN_CLASSW;
    spin.id = kUpDownId + id;
    spin.style = UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                 (id == kLeHId ? UDS_WRAP : 0);
    TControl& updown = AddControl(spin);
    PlaceUpDown(updown.Handle(), control.Handle(), {left + labelWidth, top, left + labelWidth + width, top + 20}, Dpi());
    const int maximum = id == kLeHId ? 359 : group == kGroupHSV ? 100 : 255;
    SendMessageW(updown.Handle(), UDM_SETRANGE32, 0, maximum);
    updown.OnScroll = [this, &control](int code, int) {
        if (code == SB_THUMBPOSITION) EditDone(control.Handle());
    };
    // An arrow steps from the number the box shows once what was typed has taken effect: the
    // control itself would step from its last position past a number outside its range.
    updown.OnNotify = [this, &control, maximum, wrap = id == kLeHId](NMHDR* header) -> LRESULT {
        if (header->code != UDN_DELTAPOS) return 0;
        EditDone(control.Handle());
        const int next = EditValue(&control) + reinterpret_cast<NMUPDOWN*>(header)->iDelta;
        control.SetText(std::to_string(wrap ? (next + maximum + 1) % (maximum + 1) : std::clamp(next, 0, maximum)));
        EditDone(control.Handle());
        return 1;  // done here
    };
    return control;
}

void TFrameColorSelect::FormCreate() {

    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // Made in the tab order.
    LeR = &AddEdit(kLeRId, 88, 8, 44, "赤(R)", kGroupRGB);
    LeG = &AddEdit(kLeGId, 88, 30, 44, "緑(G)", kGroupRGB);
    LeB = &AddEdit(kLeBId, 88, 52, 44, "青(B)", kGroupRGB);
    LeH = &AddEdit(kLeHId, 172, 8, 44, "色相(H)", kGroupHSV);
    LeS = &AddEdit(kLeSId, 172, 30, 44, "彩度(S)", kGroupHSV);
    LeV = &AddEdit(kLeVId, 172, 52, 44, "明度(V)", kGroupHSV);
    LeRGB = &AddEdit(kLeRGBId, 88, 74, 64, "RGB値", kGroupHex);
    TControlArgs bar;
    bar.className = TRACKBAR_CLASSW;
    bar.id = kTrackBarId;
    bar.style = TBS_VERT | TBS_AUTOTICKS | WS_TABSTOP;
    bar.left = kFieldLeft + kFieldWidth + 4;
    bar.top = kFieldTop - 6;
    bar.width = 36;
    bar.height = kFieldHeight + 12;
    TrackBar1 = &AddControl(bar);
    SendMessageW(TrackBar1->Handle(), TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    SendMessageW(TrackBar1->Handle(), TBM_SETTICFREQ, 5, 0);
    SendMessageW(TrackBar1->Handle(), TBM_SETPOS, TRUE, 0);
    TrackBar1->OnScroll = [this](int, int) {
        const int v = 100 - static_cast<int>(SendMessageW(TrackBar1->Handle(), TBM_GETPOS, 0, 0));
        if (v != values_.v) SetHSV(values_.h, values_.s, v);
    };
    SetColor(0);
}

void TFrameColorSelect::SetColor(std::int32_t color) { Show(PickerFromColor(color)); }
void TFrameColorSelect::SetRGB(int r, int g, int b) { Show(PickerFromRGB(r, g, b)); }
void TFrameColorSelect::SetHSV(int h, int s, int v) { Show(PickerFromHSV(h, s, v)); }

void TFrameColorSelect::PickAt(int x, int y) {
    int h = 0, s = 0;
    FieldPick(x, y, h, s);
    SetHSV(h, s, 100 - static_cast<int>(SendMessageW(TrackBar1->Handle(), TBM_GETPOS, 0, 0)));
}

void TFrameColorSelect::Show(const TPickerValues& values) {
    values_ = values;
    const std::pair<TControl*, int> numbers[] = {{LeR, values.r}, {LeG, values.g}, {LeB, values.b},
                                                 {LeH, values.h}, {LeS, values.s}, {LeV, values.v}};
    for (const auto& [edit, number] : numbers) edit->SetText(std::to_string(number));
    LeRGB->SetText(FormatRRGGBB(values.color));
    SendMessageW(TrackBar1->Handle(), TBM_SETPOS, TRUE, 100 - values.v);
    DrawField();
    const RECT shape = Scale(kPickerShape), field = Scale(kField);
    InvalidateRect(Handle(), &shape, FALSE);
    InvalidateRect(Handle(), &field, FALSE);
}

void TFrameColorSelect::DrawField() {
    if (values_.v == plainFieldV_) return;  // not again while only the marker moves
    GdiFlush();                             // GDI is done with the pixels before they are written
    DrawHueSaturationField(plainField_, values_.v);
    plainFieldV_ = values_.v;
}

void TFrameColorSelect::SetInputsEnabled(bool enabled) {
    inputsEnabled_ = enabled;
    for (TControl* control : {TrackBar1, LeRGB, LeR, LeG, LeB, LeH, LeS, LeV}) {
        EnableWindow(control->Handle(), enabled);
        if (HWND spin = GetDlgItem(Handle(), kUpDownId + control->Id())) EnableWindow(spin, enabled);
    }
    if (!enabled) dragging_ = false;
}

void TFrameColorSelect::SetSwatchColor(int index, std::int32_t color) {
    if (index < 0 || index >= kSwatchRows * kSwatchColumns) return;
    swatches_[index] = color;
    const RECT r = Scale(SwatchRectAt(index));
    InvalidateRect(Handle(), &r, FALSE);
}

int TFrameColorSelect::SwatchAt(POINT p) const {
    for (int i = 0; i < kSwatchRows * kSwatchColumns; ++i) {
        const RECT r = Scale(SwatchRectAt(i));
        if (PtInRect(&r, p)) return i;
    }
    return -1;
}

void TFrameColorSelect::EditDone(HWND edit) {
    if (edit == LeRGB->Handle())
        SetColor(ParseRRGGBB(LeRGB->Text()));
    else if (edit == LeH->Handle() || edit == LeS->Handle() || edit == LeV->Handle())
        SetHSV(EditValue(LeH), EditValue(LeS), EditValue(LeV));
    else
        SetRGB(EditValue(LeR), EditValue(LeG), EditValue(LeB));
}

void TFrameColorSelect::MouseDown(POINT p) {
    const RECT field = Scale(kField);
    if (inputsEnabled_ && PtInRect(&field, p)) {
        PickAt(std::clamp(UnscaleForDpi(p.x, Dpi()) - kFieldLeft, 0, kFieldWidth - 1),
               std::clamp(UnscaleForDpi(p.y, Dpi()) - kFieldTop, 0, kFieldHeight - 1));
        dragging_ = true;
        SetCapture(Handle());
        return;
    }
    const int swatch = SwatchAt(p);
    if (swatch >= 0) SetColor(swatches_[swatch]);
}

// The marker at the window's scale over the stretched field: stretched with it, its rings
// would come out unevenly thick. A white ring around a black one, each a design pixel wide.
void TFrameColorSelect::PaintMarker(HDC dc) {
    const RECT field = Scale(kField);
    const TFieldPoint at = FieldMarker(values_.h, values_.s);
    const int x = Scale(kFieldLeft + at.x), y = Scale(kFieldTop + at.y), width = Scale(1);
    auto disc = [x, y](int radius) { return CreateEllipticRgn(x - radius, y - radius, x + radius, y + radius); };
    TRegionHandle clip(CreateRectRgnIndirect(&field));
    const std::pair<int, COLORREF> rings[] = {{Scale(5), RGB(255, 255, 255)}, {Scale(5) - width, RGB(0, 0, 0)}};
    for (const auto& [radius, color] : rings) {
        TRegionHandle ring(disc(radius)), hole(disc(radius - width));
        CombineRgn(ring.Get(), ring.Get(), hole.Get(), RGN_DIFF);
        CombineRgn(ring.Get(), ring.Get(), clip.Get(), RGN_AND);
        TBrushHandle brush(CreateSolidBrush(color));
        FillRgn(dc, ring.Get(), brush.Get());
    }
}

void TFrameColorSelect::Paint(HDC dc) {
    OutlinedRect(dc, Scale(kPickerShape), RGB(0, 0, 0), ToColorRef(values_.color), Scale(1));
    {
        // The field is worked out at the design's size and drawn at the window's.
        TMemoryDC source(CreateCompatibleDC(dc));
        TSelectObject bitmap(source.Get(), static_cast<HBITMAP>(plainField_.NativeHandle()));
        const RECT field = Scale(kField);
        StretchBlt(dc, field.left, field.top, field.right - field.left, field.bottom - field.top, source.Get(), 0, 0,
                   kFieldWidth, kFieldHeight, SRCCOPY);
    }
    PaintMarker(dc);
    for (int i = 0; i < kSwatchRows * kSwatchColumns; ++i)
        OutlinedRect(dc, Scale(SwatchRectAt(i)), RGB(0x80, 0x80, 0x80), ToColorRef(swatches_[i]), Scale(1));
}

LRESULT TFrameColorSelect::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            TPaintDC dc(Handle());
            Paint(dc.Get());
            return 0;
        }
        case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
        case WM_LBUTTONDOWN: MouseDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
        case WM_MOUSEMOVE:
            if (dragging_)
                PickAt(std::clamp(UnscaleForDpi(GET_X_LPARAM(lParam), Dpi()) - kFieldLeft, 0, kFieldWidth - 1),
                       std::clamp(UnscaleForDpi(GET_Y_LPARAM(lParam), Dpi()) - kFieldTop, 0, kFieldHeight - 1));
            return 0;
        case WM_LBUTTONUP:
            if (dragging_) ReleaseCapture();
            dragging_ = false;
            return 0;
        case WM_CAPTURECHANGED: dragging_ = false; return 0;
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));  // behind the text too
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return TForm::OnMessage(message, wParam, lParam);
}

// ---- the dialog

TFormColorSetUp::TFormColorSetUp(HWND owner) {
    CreateHandle(DialogArgs(L"TFormColorSetUp", "配色設定", kNarrowWidth, kClientHeight, owner));
    CentreWindow(Handle());
}

TFormColorSetUp::~TFormColorSetUp() {
    DestroyHandle();
    if (imageList_) ImageList_Destroy(imageList_);
}

void TFormColorSetUp::MakeLeafIcon() {
    // Window colour with two offset squares of the active border's colour, set as the tree's
    // images with an indent of its size.
    const int side = Scale(kIndent), square = Scale(kIndent - 5), step = Scale(1);
    TBitmap icon(side, side, 24);
    {
        TMemoryDC dc(CreateCompatibleDC(nullptr));
        TSelectObject select(dc.Get(), static_cast<HBITMAP>(icon.NativeHandle()));
        FillColor(dc.Get(), {0, 0, side, side}, GetSysColor(COLOR_WINDOW));
        FillColor(dc.Get(), {step, 0, square, square}, GetSysColor(COLOR_ACTIVEBORDER));
        FillColor(dc.Get(), {0, step, square, square}, GetSysColor(COLOR_ACTIVEBORDER));
    }
    HIMAGELIST old = imageList_;
    imageList_ = ImageList_Create(side, side, ILC_COLOR24, 1, 1);
    ImageList_Add(imageList_, static_cast<HBITMAP>(icon.NativeHandle()), nullptr);
    SendMessageW(TreeView1->Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(imageList_));
    SendMessageW(TreeView1->Handle(), TVM_SETINDENT, static_cast<WPARAM>(side), 0);
    if (old) ImageList_Destroy(old);
}

// The tree scales neither its images nor its indent itself.
void TFormColorSetUp::DpiChanged(int, RECT&) { MakeLeafIcon(); }

void TFormColorSetUp::FormCreate() {
    HFONT font = DialogFont();
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const auto withFont = [font](TControlArgs a) {
        a.font = font;
        return a;
    };
    TControlArgs tree =
        withFont({.className = WC_TREEVIEWW, .id = kTreeId,
                  .style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP,
                  .left = kTreeLeft, .top = 8, .width = kTreeWidth, .height = kClientHeight - 16, .text = ""});
    tree.exStyle = WS_EX_CLIENTEDGE;
    TreeView1 = &AddControl(tree);
    MakeLeafIcon();
    TreeView1->OnNotify = [this](NMHDR* header) { return TreeNotify(header); };

    const auto button = [&](int id, int top, const char* text) {
        return &AddControl(withFont({.className = WC_BUTTONW, .id = id, .style = BS_PUSHBUTTON | WS_TABSTOP,
                                     .left = kButtonsLeft, .top = top, .width = 76, .height = 25, .text = text}));
    };
    ButtonSelect = button(kSelectId, 91, "色選択>>");
    BtDefault = button(kDefaultId, 121, "初期値");
    BtReset = button(kResetId, 151, "元に戻す");
    BtApply = button(kApplyId, 181, "反映させる");
    BtOK = button(kOkId, kClientHeight - 33, "OK");
    ButtonSelect->OnClick = [this] { ButtonSelectClick(); };
    BtDefault->OnClick = [this] { BtDefaultClick(); };
    BtReset->OnClick = [this] { BtResetClick(); };
    BtApply->OnClick = [this] { BtApplyClick(); };
    BtOK->OnClick = [this] { BtOKClick(); };

    FrameColorSelect1 = std::make_unique<TFrameColorSelect>(Handle(), kPickerLeft, 0, font);
    FrameColorSelect1->SetColor(0);
    // Shown with 色選択>>: beyond the narrow window its edits would still take the focus from Tab.
    ShowWindow(FrameColorSelect1->Handle(), SW_HIDE);
    SetAccessibleName(TreeView1->Handle(), "配色の項目");
    SetAccessibleName(FrameColorSelect1->Handle(), "色の選択");
}

void TFormColorSetUp::AddNodes(HTREEITEM parent, TDirStringList& node, const std::string& path) {
    for (int i = 0; i < node.Count(); ++i) {
        TDirStringList& child = node.Child(i);
        const std::string childPath = path.empty() ? node.Names(i) : path + "\\" + node.Names(i);
        const bool leaf = child.Count() == 0;
        std::int32_t color = 0;
        if (leaf && !ColorValue(child.Value(), color)) color = 0;
        const std::wstring text = ToWide(node.Names(i));
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
        // Bold through the tree itself, which then measures the name in bold: a bold font of
        // our own at drawing would be clipped to the plain name's width.
        insert.item.state = leaf ? 0 : TVIS_BOLD;
        insert.item.stateMask = TVIS_BOLD;
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        insert.item.iImage = insert.item.iSelectedImage = leaf ? 0 : I_IMAGENONE;
        insert.item.lParam = color;
        auto item = reinterpret_cast<HTREEITEM>(
            SendMessageW(TreeView1->Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!item) continue;
        if (leaf)
            paths_[item] = childPath;
        else
            AddNodes(item, child, childPath);
    }
}

void TFormColorSetUp::FillTree() {
    HWND tree = TreeView1->Handle();
    SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    paths_.clear();
    AddNodes(TVI_ROOT, ColorsList, "");
    // Expanded from the last root up, so that the first stays in view.
    std::vector<HTREEITEM> branches;
    std::vector<HTREEITEM> pending{TreeView_GetRoot(tree)};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        for (; item; item = TreeView_GetNextSibling(tree, item))
            if (HTREEITEM child = TreeView_GetChild(tree, item)) {
                branches.push_back(item);
                pending.push_back(child);
            }
    }
    for (HTREEITEM branch : branches) TreeView_Expand(tree, branch, TVE_EXPAND);
    HTREEITEM first = TreeView_GetRoot(tree);
    TreeView_SelectItem(tree, first);
    TreeView_EnsureVisible(tree, first);
    TreeView1Change(first);  // also when the first was selected already
    InvalidateRect(tree, nullptr, TRUE);
}

void TFormColorSetUp::StoreTree() {
    for (const auto& [item, path] : paths_)
        if (IsLeaf(item)) ColorsList.SetColor(path, NodeColor(item));
}

HTREEITEM TFormColorSetUp::FindNode(const std::string& path) const {
    for (const auto& [item, itemPath] : paths_)
        if (itemPath == path) return item;
    return nullptr;
}

bool TFormColorSetUp::IsLeaf(HTREEITEM item) const { return item && !TreeView_GetChild(TreeView1->Handle(), item); }

std::int32_t TFormColorSetUp::NodeColor(HTREEITEM item) const {
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (!item || !TreeView_GetItem(TreeView1->Handle(), &data)) return 0;
    return static_cast<std::int32_t>(data.lParam);
}

void TFormColorSetUp::SetNodeColor(HTREEITEM item, std::int32_t color) {
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    data.lParam = color;
    TreeView_SetItem(TreeView1->Handle(), &data);
    InvalidateRect(TreeView1->Handle(), nullptr, FALSE);
}

std::int32_t TFormColorSetUp::ShownColor(HTREEITEM item) const {
    const auto path = paths_.find(item);
    return path == paths_.end() ? NodeColor(item) : ResolveColor(path->second, NodeColor(item));
}

void TFormColorSetUp::TreeView1Change(HTREEITEM item) {
    const bool leaf = item && IsLeaf(item);
    shapeColor_ = leaf ? ShownColor(item) : 0xFFFFFF;
    EnableWindow(ButtonSelect->Handle(), leaf);
    FrameColorSelect1->SetInputsEnabled(leaf);
    FrameColorSelect1->SetColor(shapeColor_);
    const RECT shape = Scale(kDialogShape);
    InvalidateRect(Handle(), &shape, FALSE);
}

void TFormColorSetUp::ButtonSelectClick() {
    if (!TreeView_GetSelection(TreeView1->Handle())) return;
    if (ButtonSelect->Text() != "色変更") {
        ButtonSelect->SetText("色変更");
        SetClientWidth(Scale(kWideWidth));
        ShowWindow(FrameColorSelect1->Handle(), SW_SHOW);
    } else {
        ColorChanged();
    }
}

void TFormColorSetUp::ColorChanged() {
    HTREEITEM item = TreeView_GetSelection(TreeView1->Handle());
    // The colour it shows already is no new pick: a system colour stays one.
    if (!IsLeaf(item) || FrameColorSelect1->Color() == ShownColor(item)) return;
    shapeColor_ = FrameColorSelect1->Color();
    SetNodeColor(item, shapeColor_);
    const RECT shape = Scale(kDialogShape);
    InvalidateRect(Handle(), &shape, FALSE);
}

void TFormColorSetUp::BtDefaultClick() {
    ColorsList.LoadDefaults();
    FillTree();
}

void TFormColorSetUp::BtResetClick() {
    ColorsList.Load();
    FillTree();
}

void TFormColorSetUp::BtApplyClick() {
    StoreTree();
    Applied = true;
    Application.SendToAllForms(WM_WINDOWRESET, 0, 0);
}

void TFormColorSetUp::BtOKClick() {
    ModalResult = mrOk;
    Close();
}

void TFormColorSetUp::DropOnNode(HTREEITEM item, std::int32_t color) {
    if (IsLeaf(item)) SetNodeColor(item, color);
    if (item && item == TreeView_GetSelection(TreeView1->Handle())) TreeView1Change(item);
}

void TFormColorSetUp::SetClientWidth(int width) {
    RECT window{}, client{};
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    const int frame = (window.right - window.left) - client.right;
    // Grown to the right: moved back left where that would take the picker off its screen.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    int left = window.left;
    if (GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor))
        left = std::max(std::min(left, static_cast<int>(monitor.rcWork.right) - width - frame),
                        static_cast<int>(monitor.rcWork.left));
    SetWindowPos(Handle(), nullptr, left, window.top, width + frame, window.bottom - window.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TFormColorSetUp::TreeNotify(NMHDR* header) {
    switch (header->code) {
        case NM_CUSTOMDRAW: return CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(header));
        case TVN_SELCHANGEDW: TreeView1Change(reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem); return 0;
        case TVN_BEGINDRAGW: BeginDrag(*reinterpret_cast<NMTREEVIEWW*>(header)); return 0;
        case NM_DBLCLK: ButtonSelectClick(); return 0;
    }
    return 0;
}

LRESULT TFormColorSetUp::CustomDraw(NMTVCUSTOMDRAW& draw) const {
    NMCUSTOMDRAW& cd = draw.nmcd;
    auto item = reinterpret_cast<HTREEITEM>(cd.dwItemSpec);
    switch (cd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            if (!IsLeaf(item)) {
                draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
                draw.clrTextBk = GetSysColor(COLOR_WINDOW);
                return CDRF_NEWFONT;
            }
            const bool selected = (cd.uItemState & CDIS_SELECTED) != 0;
            draw.clrText = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
            draw.clrTextBk = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
            SelectObject(cd.hdc, DialogFont());
            return CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT;
        }
        case CDDS_ITEMPOSTPAINT: {
            RECT text{};
            if (!TreeView_GetItemRect(TreeView1->Handle(), item, &text, TRUE)) return CDRF_DODEFAULT;
            const RECT square = ToRECT(LeafSquare(text.left, text.top, text.bottom));
            // The row's colour from just left of the square to the right edge, not only behind the text.
            const bool selected = (cd.uItemState & CDIS_SELECTED) != 0;
            const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
            FillColor(cd.hdc, {square.left - 4, text.top, text.left, text.bottom}, back);
            FillColor(cd.hdc, {text.right, text.top, cd.rc.right, text.bottom}, back);
            FillColor(cd.hdc, square, ToColorRef(ShownColor(item)));
            TPenHandle pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_ACTIVEBORDER)));
            TSelectObject usePen(cd.hdc, pen.Get());
            MoveToEx(cd.hdc, square.left - 1, square.bottom, nullptr);
            LineTo(cd.hdc, square.left - 1, square.top - 1);
            LineTo(cd.hdc, square.right, square.top - 1);
            return CDRF_DODEFAULT;
        }
    }
    return CDRF_DODEFAULT;
}

void TFormColorSetUp::BeginDrag(const NMTREEVIEWW& info) {
    HTREEITEM item = info.itemNew.hItem;
    RECT text{};
    if (!IsLeaf(item) || !TreeView_GetItemRect(TreeView1->Handle(), item, &text, TRUE)) return;
    const RECT square = ToRECT(LeafSquare(text.left, text.top, text.bottom));
    if (!PtInRect(&square, info.ptDrag)) return;
    dragColor_ = ShownColor(item);
    dragging_ = true;
    SetCapture(Handle());
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
}

void TFormColorSetUp::EndDrag(bool drop) {
    if (!dragging_) return;
    dragging_ = false;
    HWND tree = TreeView1->Handle();
    TreeView_SelectDropTarget(tree, nullptr);
    if (GetCapture() == Handle()) ReleaseCapture();
    if (!drop) return;
    POINT screen{};
    GetCursorPos(&screen);
    POINT inTree = screen;
    ScreenToClient(tree, &inTree);
    RECT treeArea{};
    GetClientRect(tree, &treeArea);
    if (PtInRect(&treeArea, inTree)) {
        TVHITTESTINFO hit{};
        hit.pt = inTree;
        DropOnNode(TreeView_HitTest(tree, &hit), dragColor_);
        return;
    }
    POINT inDialog = screen, inFrame = screen;
    ScreenToClient(Handle(), &inDialog);
    ScreenToClient(FrameColorSelect1->Handle(), &inFrame);
    RECT client{};
    GetClientRect(Handle(), &client);
    const int swatch = FrameColorSelect1->SwatchAt(inFrame);
    if (PtInRect(&client, inDialog) && swatch >= 0) FrameColorSelect1->SetSwatchColor(swatch, dragColor_);
}

LRESULT TFormColorSetUp::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            TPaintDC dc(Handle());
            OutlinedRect(dc.Get(), Scale(kDialogShape), RGB(0, 0, 0), ToColorRef(shapeColor_), Scale(1));
            return 0;
        }
        case WM_MOUSEMOVE:
            if (dragging_) {
                POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                MapWindowPoints(Handle(), TreeView1->Handle(), &p, 1);
                TVHITTESTINFO hit{};
                hit.pt = p;
                TreeView_SelectDropTarget(TreeView1->Handle(), TreeView_HitTest(TreeView1->Handle(), &hit));
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
            }
            return 0;
        case WM_LBUTTONUP: EndDrag(true); return 0;
        case WM_CAPTURECHANGED: EndDrag(false); return 0;
        case WM_COMMAND:
            // Esc, which the dialog keys send without a control: as the close box, a cancel.
            if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
                PostMessageW(Handle(), WM_CLOSE, 0, 0);
                return 0;
            }
            break;
    }
    return TForm::OnMessage(message, wParam, lParam);
}

bool EditColorScheme(TFormColorSetUp& form) {
    ColorsList.Save();
    form.FillTree();
    if (form.ShowModal() == TForm::mrOk) {
        form.StoreTree();
        ColorsList.Save();
        return true;
    }
    ColorsList.Load();  // every edit goes, also those applied
    if (form.Applied) Application.SendToAllForms(WM_WINDOWRESET, 0, 0);
    return false;
}

void EditColorScheme(TForm& owner) {
    TFormColorSetUp form(owner.Handle());
    EditColorScheme(form);
}
