// Layout of the main window: the list area, the display lines, the scroll bar and folding.
#include "app/FmTODOmain.h"

#include <algorithm>
#include <string>

#include "background/BGprofile.h"

namespace {

int OuterHeight(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}

}  // namespace

void TFmTODOmain::PlacePicture() {
    RECT client;
    GetClientRect(Handle(), &client);
    const TBitmap& background = BGprofile.Background();
    int h = BGprofile.Read(keys::PictureHAlign), v = BGprofile.Read(keys::PictureVAlign);
    if (h == 0 && v == 0) h = v = 2;
    auto place = [](int align, int room, int size) {
        return align == 2 ? (room - size) / 2 : align == 3 ? room - size : 0;
    };
    // The rendered part sits where it lies in the whole background, placed as a whole.
    const TRect part = BGprofile.BackgroundPart();
    const int left = place(h, client.right, BGprofile.BackgroundFullWidth()) + part.Left;
    const int top = place(v, client.bottom, BGprofile.BackgroundFullHeight()) + part.Top;
    PictureRect = {left, top, left + background.Width(), top + background.Height()};
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TFmTODOmain::StartRender() {
    if (creating_) return;  // the place read at the end of creation may change the size
    RECT r;
    GetWindowRect(Handle(), &r);
    BGprofile.StartRender(r.right - r.left, r.bottom - r.top);
}

void TFmTODOmain::LayoutList() {
    // A picture fitted to the window follows its size.
    RECT outer;
    GetWindowRect(Handle(), &outer);
    // A background cut to the window's size is rendered again when the size changes.
    const TRect part = BGprofile.BackgroundPart();
    const bool cut = part.Width() < BGprofile.BackgroundFullWidth() || part.Height() < BGprofile.BackgroundFullHeight();
    const bool widthChanged = BGprofile.RequestedWidth() != outer.right - outer.left;
    const bool heightChanged = BGprofile.RequestedHeight() != outer.bottom - outer.top;
    if ((BGprofile.Read(keys::PictureHAlign) == 0 && widthChanged) ||
        (BGprofile.Read(keys::PictureVAlign) == 0 && heightChanged) || (cut && (widthChanged || heightChanged)))
        StartRender();
    PlacePicture();
    RECT client;
    GetClientRect(Handle(), &client);
    AnchorControls(client.right);
    ListText.SetFont(ScreenFont.Get());
    TListGeometry g;
    g.clientWidth = client.right;
    g.clientHeight = client.bottom;
    g.outerHeight = OuterHeight(Handle());
    g.linkBottom = LinkLabel1.Bounds().bottom;
    g.rowHeight = RowHeight;
    g.dateWidth = DateWidth = ListText.TextWidth("00/00") + 3;
    g.markWidth = MarkWidth = ListText.TextWidth("☆") + 1;
    g.scrollBarWidth = GetSystemMetrics(SM_CXVSCROLL);
    LayoutColumns(g);
    FoldedHeight = g.foldedHeight;
    ListWidth = g.listWidth;
    TextColumnWidth = g.textColumnWidth;

    // The place in the list outlives the layout: the item shown at the top, and which of its
    // lines, are found again after sorting; a removed one leaves the line number as it was.
    int top = std::max(0, FirstShownLine());
    const Tdata* topRecord = nullptr;
    int topOffset = 0;
    if (top < DisplayLineCount) {
        const int item = LineItems[static_cast<std::size_t>(top)];
        topRecord = Lines.RecordAt(item);
        topOffset = top - Lines.FirstLineOf(item);
    }

    BuildLines();

    if (const int item = topRecord ? Items.IndexOfRecord(topRecord) : -1; item >= 0)
        top = Lines.FirstLineOf(item) +
              std::min(topOffset, std::max(0, Lines.EndLineOf(item) - Lines.FirstLineOf(item) - 1));
    g.displayLineCount = DisplayLineCount;
    LayoutRows(g);
    VisibleRows = g.visibleRows;
    TopLine = std::max(0, BoundTopLine(top, DisplayLineCount, VisibleRows));
    // A selection the new size would hide is scrolled into view rather than dropped.
    const int selected = Selection();
    if (selected >= 0 && VisibleRows > 0 && VisibleSelection(selected, LineItems, FirstShownLine(), VisibleRows) < 0)
        TopLine = std::max(0, BoundTopLine(ScrollToShow(TopLine, Lines.FirstLineOf(selected),
                                                        Lines.EndLineOf(selected) - 1, VisibleRows),
                                           DisplayLineCount, VisibleRows));
    MoveWindow(ScrollBar, g.scrollBarLeft, g.listTop, g.scrollBarWidth, g.listBottom - g.listTop, TRUE);
    if (g.scrollBarShown) {
        SCROLLINFO info{sizeof info, SIF_ALL, 0, DisplayLineCount - 1, static_cast<UINT>(VisibleRows), TopLine, 0};
        SetScrollInfo(ScrollBar, SB_CTL, &info, TRUE);
        ShowWindow(ScrollBar, SW_SHOWNA);
    } else {
        ShowWindow(ScrollBar, SW_HIDE);
    }
    ListRect = {g.listLeft, g.listTop, g.listRight, g.listBottom};
    const int rowWidth = std::max(0, g.listRight - g.listLeft);
    RowBitmap.Allocate(rowWidth, RowHeight, 32);
    ShadowMask.Allocate(rowWidth, RowHeight, 32);
    LayoutPending = true;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TFmTODOmain::BuildLines() {
    const Tdata* selected = SelectedItem >= 0 && SelectedItem < Items.Count() ? Items.Record(SelectedItem) : nullptr;
    TLineSettings settings;
    settings.wordWrap = WordWrap;
    settings.width = TextColumnWidth;
    settings.font = ScreenFontSpec.Name + "/" + std::to_string(ScreenFontSpec.Size) + "/" +
                    std::to_string(ScreenFontSpec.Charset);
    settings.sortAuto = MainSettings.Read(keys::SortAuto);
    settings.sortType = MainSettings.Read(keys::SortType);
    settings.sortDescending = MainSettings.Read(keys::SortOrder);
    if (Lines.Build(Items, ListText, settings) && selected) SelectedItem = Items.IndexOfRecord(selected);
    DisplayLineCount = static_cast<int>(LineTexts.size());
}

void TFmTODOmain::SetTopLine(int line) {
    TopLine = BoundTopLine(line, DisplayLineCount, VisibleRows);
    if (VisibleRows < DisplayLineCount && GetScrollPos(ScrollBar, SB_CTL) != TopLine)
        SetScrollPos(ScrollBar, SB_CTL, TopLine, TRUE);
}

void TFmTODOmain::ShowSelection() {
    const int selected = Selection();
    if (selected < 0 || VisibleRows <= 0) return;
    SetTopLine(ScrollToShow(FirstShownLine(), Lines.FirstLineOf(selected), Lines.EndLineOf(selected) - 1, VisibleRows));
}

void TFmTODOmain::ScrollBarChange() {
    int position = GetScrollPos(ScrollBar, SB_CTL);
    if (position > DisplayLineCount - VisibleRows) {
        position = DisplayLineCount - VisibleRows;
        SetScrollPos(ScrollBar, SB_CTL, position, TRUE);
    }
    SetTopLine(position);
    PaintList();
}

void TFmTODOmain::FormResize() {
    const int outer = OuterHeight(Handle());
    if (outer == FoldedHeight && FoldedHeight != NormalHeight) {
        kvneGctButton1.SetCaption("u");
    } else {
        kvneGctButton1.SetCaption("t");
        NormalHeight = outer;
    }
    LayoutList();
    InvalidateRect(Handle(), nullptr, FALSE);
}
