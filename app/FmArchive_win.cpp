#include "app/FmArchive.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Accessible_win.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "support/Encoding_win.h"
#include "support/Errors.h"
#include "support/TextWork.h"
#include "todo/DueDates.h"

namespace {

enum : int { kMonthId = 101, kSearchId, kListId, kRestoreId, kCloseId };

std::string MonthText(const std::string& month) { return month.substr(0, 4) + "/" + month.substr(4, 2); }

void AddColumn(HWND list, int index, const wchar_t* caption, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(caption);
    column.cx = width;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

}  // namespace

TFmArchive::TFmArchive(HWND owner, std::string todoFolder) : folder_(std::move(todoFolder)) {
    CreateArgs args;
    args.className = L"TFmArchive";  // also its section in application.ini
    args.caption = "削除した項目";
    args.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_CONTROLPARENT;
    args.clientWidth = TLayout::kClientWidth;
    args.clientHeight = TLayout::kClientHeight;
    args.owner = owner;
    args.classStyle = 0;
    args.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    CreateHandle(args);
}

void TFmArchive::FormCreate() {
    FormFunc.Attach(*this);
    FormFunc.Preserve = true;
    FormFunc.KeepSize = true;
    FormFunc.KeepLocation = true;
    FormFunc.EraseBackGround = true;  // the class's button face behind the controls
    CreateControls();
    RunSteps({[this] { FormFunc.LoadPosition(); },
              [this] {
                  Reload();
                  // Told once as the window opens: otherwise their items would be missing unsaid.
                  std::string why;
                  for (const std::string& message : unread_) why += (why.empty() ? "" : "\r\n") + message;
                  if (!why.empty()) throw EFileError(why);
              }});
}

void TFmArchive::CreateControls() {
    using L = TLayout;
    HFONT font = DialogFont();
    const auto withFont = [font](TControlArgs a) {
        a.font = font;
        return a;
    };
    const int w = L::kClientWidth, h = L::kClientHeight, m = L::kMargin;
    CmbMonth = &AddControl(withFont({.className = WC_COMBOBOXW, .id = kMonthId,
                                     .style = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, .left = m, .top = m,
                                     .width = L::kMonthWidth, .height = 200, .text = "", .anchors = akLeft | akTop}));
    const int labelLeft = m + L::kMonthWidth + m, searchLeft = labelLeft + L::kSearchLabelWidth;
    AddControl(withFont({.className = WC_STATICW, .style = SS_LEFT | SS_NOPREFIX, .left = labelLeft, .top = m + 4,
                         .width = L::kSearchLabelWidth, .height = 14, .text = "検索", .anchors = akLeft | akTop}));
    TControlArgs search = withFont({.className = WC_EDITW, .id = kSearchId, .style = ES_AUTOHSCROLL | WS_TABSTOP,
                                    .left = searchLeft, .top = m, .width = w - searchLeft - m,
                                    .height = L::kRowHeight, .text = "", .anchors = akLeft | akTop | akRight});
    search.exStyle = WS_EX_CLIENTEDGE;
    EdSearch = &AddControl(search);
    const int listTop = m + L::kRowHeight + m, buttonTop = h - m - L::kButtonHeight;
    TControlArgs list = withFont({.className = WC_LISTVIEWW, .id = kListId,
                                  .style = LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP, .left = m, .top = listTop,
                                  .width = w - 2 * m, .height = buttonTop - m - listTop, .text = "",
                                  .anchors = akLeft | akTop | akRight | akBottom});
    list.exStyle = WS_EX_CLIENTEDGE;
    LvItems = &AddControl(list);
    BtRestore = &AddControl(withFont({.className = WC_BUTTONW, .id = kRestoreId, .style = BS_PUSHBUTTON | WS_TABSTOP,
                                      .left = w - 2 * (m + L::kButtonWidth), .top = buttonTop,
                                      .width = L::kButtonWidth, .height = L::kButtonHeight, .text = "元に戻す",
                                      .anchors = akRight | akBottom}));
    BtClose = &AddControl(withFont({.className = WC_BUTTONW, .id = kCloseId, .style = BS_PUSHBUTTON | WS_TABSTOP,
                                    .left = w - m - L::kButtonWidth, .top = buttonTop, .width = L::kButtonWidth,
                                    .height = L::kButtonHeight, .text = "閉じる", .anchors = akRight | akBottom}));
    CancelButton = BtClose;

    SetAccessibleName(CmbMonth->Handle(), "月");
    SetAccessibleName(LvItems->Handle(), "削除した項目");
    HWND listView = LvItems->Handle();
    SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(listView, 0, L"\x671F\x65E5", Scale(L::kDateColumn));           // 期日
    AddColumn(listView, 1, L"\x5206\x985E", Scale(L::kMarkColumn));           // 分類
    AddColumn(listView, 2, L"\x30C6\x30AD\x30B9\x30C8", Scale(L::kTextColumn));  // テキスト

    CmbMonth->OnCommand = [this](int code) {
        if (code == CBN_SELCHANGE) ShowItems();
    };
    // The rows' texts are made as the list asks for them: a month of thousands of items opens
    // and narrows at once.
    LvItems->OnNotify = [this](NMHDR* header) -> LRESULT {
        if (header->code == LVN_GETDISPINFOW) FillCell(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
        if (header->code == LVN_ODFINDITEMW) return FindRow(*reinterpret_cast<NMLVFINDITEMW*>(header));
        if (header->code == LVN_ITEMCHANGED || header->code == LVN_ODSTATECHANGED) UpdateRestoreButton();
        return 0;
    };
    EdSearch->OnCommand = [this](int code) {
        if (code == EN_CHANGE) ShowItems();
    };
    BtRestore->OnClick = [this] { BtRestoreClick(); };
    BtClose->OnClick = [this] { Close(); };
}

// The list does not scale its columns itself; widths set by hand keep their share.
void TFmArchive::DpiChanged(int oldDpi, RECT&) {
    HWND list = LvItems->Handle();
    for (int column = 0; column < 3; ++column) {
        const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MulDiv(width, Dpi(), oldDpi));
    }
}

void TFmArchive::Reload() {
    const std::string chosen = ChosenMonth();
    unread_.clear();
    all_ = ReadAllArchivedItems(folder_, &unread_);
    months_.clear();
    for (const TArchivedItem& a : all_)
        if (months_.empty() || months_.back() != a.month) months_.push_back(a.month);
    HWND box = CmbMonth->Handle();
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"\x3059\x3079\x3066"));  // すべて
    int selected = 0;
    for (std::size_t i = 0; i < months_.size(); ++i) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(MonthText(months_[i])).c_str()));
        if (months_[i] == chosen) selected = static_cast<int>(i) + 1;
    }
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    ShowItems();
}

std::string TFmArchive::ChosenMonth() const {
    const auto index = SendMessageW(CmbMonth->Handle(), CB_GETCURSEL, 0, 0);
    return index >= 1 && static_cast<std::size_t>(index) <= months_.size() ? months_[static_cast<std::size_t>(index - 1)]
                                                                          : std::string();
}

void TFmArchive::ShowItems() {
    const std::string month = ChosenMonth(), words = EdSearch->Text();
    shown_.clear();
    for (std::size_t i = 0; i < all_.size(); ++i) {
        const TArchivedItem& a = all_[i];
        if ((month.empty() || a.month == month) && MatchesSearch(a, words)) shown_.push_back(static_cast<int>(i));
    }
    HWND list = LvItems->Handle();
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);  // and the choice, made among other rows
    SendMessageW(list, LVM_SETITEMCOUNT, shown_.size(), 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateRestoreButton();
}

// "元に戻す" only with a row chosen: without one it did nothing.
void TFmArchive::UpdateRestoreButton() {
    EnableControl(BtRestore->Handle(), SendMessageW(LvItems->Handle(), LVM_GETSELECTEDCOUNT, 0, 0) > 0,
                  LvItems->Handle());
}

void TFmArchive::FillCell(LVITEMW& cell) {
    if (!(cell.mask & LVIF_TEXT) || !cell.pszText || cell.cchTextMax <= 0 || cell.iItem < 0 ||
        static_cast<std::size_t>(cell.iItem) >= shown_.size())
        return;
    const Tdata& item = all_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(cell.iItem)])].item;
    ++cellsFormatted_;
    const std::wstring text = ToWide(cell.iSubItem == 0   ? DueDateText(item.Date, kNoDate, "/")  // every year shown
                                     : cell.iSubItem == 1 ? item.Category
                                                          : OneLine(item.Text));
    lstrcpynW(cell.pszText, text.c_str(), cell.cchTextMax);
}

// Letters typed in the list find the next row whose text starts with them (in either case),
// from the row the list names on; the owner-data list has no texts of its own to search.
LRESULT TFmArchive::FindRow(const NMLVFINDITEMW& find) const {
    const LVFINDINFOW& info = find.lvfi;
    if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz || shown_.empty()) return -1;
    const std::string wanted = UpperCaseSjis(FromWide(info.psz));
    const int count = static_cast<int>(shown_.size());
    const int start = find.iStart >= 0 && find.iStart < count ? find.iStart : 0;
    const int rows = info.flags & LVFI_WRAP ? count : count - start;
    for (int k = 0; k < rows; ++k) {
        const int row = (start + k) % count;
        const Tdata& item = all_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(row)])].item;
        const std::string text = UpperCaseSjis(OneLine(item.Text));
        if (info.flags & LVFI_PARTIAL ? text.starts_with(wanted) : text == wanted) return row;
    }
    return -1;
}

void TFmArchive::SelectRow(int row, bool selected) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(LvItems->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void TFmArchive::BtRestoreClick() {
    std::vector<TArchivedItem> chosen;
    HWND list = LvItems->Handle();
    for (int row = -1; (row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                              LVNI_SELECTED))) >= 0;)
        if (static_cast<std::size_t>(row) < shown_.size()) chosen.push_back(all_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(row)])]);
    if (chosen.empty() || !OnRestore) return;
    // Shown as the files are now also when the save after it failed: a second try must not
    // take a line that has already gone back.
    int restored = 0;
    try {
        restored = OnRestore(chosen);
    } catch (...) {
        Reload();
        throw;
    }
    Reload();
    // Lines gone from their archives meanwhile came back as nothing, though their rows leave
    // the list as well.
    const std::size_t back = static_cast<std::size_t>(std::max(restored, 0));
    if (back < chosen.size())
        Application.ReportError(std::to_string(chosen.size() - back) +
                                "件の項目は削除した項目の中になくなっていたため、元に戻せませんでした");
}

LRESULT TFmArchive::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        RECT frame{0, 0, Scale(TLayout::kMinWidth), Scale(TLayout::kMinHeight)};
        AdjustWindowRectForDpi(frame, static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE)), Dpi());
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        return 0;
    }
    return TForm::OnMessage(message, wParam, lParam);
}
