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
    BGprofile.StartRender(r.right - r.left, r.bottom - r.top, Dpi());
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
    List.Text.SetFont(ScreenFont.Get());
    TListGeometry g;
    g.clientWidth = client.right;
    g.clientHeight = client.bottom;
    g.outerHeight = OuterHeight(Handle());
    g.linkBottom = LinkLabel1.Bounds().bottom;
    g.rowHeight = List.RowHeight;
    g.dateWidth = List.DateWidth = List.DateColumnWidth() + Scale(3);
    g.markWidth = List.MarkWidth = List.Text.TextWidth("☆") + Scale(1);
    g.scrollBarWidth = SystemMetricForDpi(SM_CXVSCROLL, Dpi());
    g.dpi = Dpi();
    LayoutColumns(g);
    FoldedHeight = g.foldedHeight;
    TextColumnWidth = g.textColumnWidth;
    List.Arrange(g, LineSettings());

    MoveWindow(ScrollBar, g.scrollBarLeft, g.listTop, g.scrollBarWidth, g.listBottom - g.listTop, TRUE);
    if (g.scrollBarShown) {
        SCROLLINFO info{sizeof info, SIF_ALL, 0, List.LineCount() - 1, static_cast<UINT>(List.VisibleRows()),
                        List.FirstShownLine(), 0};
        SetScrollInfo(ScrollBar, SB_CTL, &info, TRUE);
        ShowWindow(ScrollBar, SW_SHOWNA);
    } else {
        ShowWindow(ScrollBar, SW_HIDE);
    }
    LayoutPending = true;
    InvalidateRect(Handle(), nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_REORDER, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

TLineSettings TFmTODOmain::LineSettings() const {
    TLineSettings settings;
    settings.wordWrap = WordWrap;
    settings.width = TextColumnWidth;
    settings.font = ScreenFontSpec.Name + "/" + std::to_string(ScreenFontSpec.Size) + "/" +
                    std::to_string(ScreenFontSpec.Charset);
    settings.sortAuto = MainSettings.Read(keys::SortAuto);
    settings.sortType = MainSettings.Read(keys::SortType);
    settings.sortDescending = MainSettings.Read(keys::SortOrder);
    return settings;
}

void TFmTODOmain::ScrollBarChange() {
    int position = GetScrollPos(ScrollBar, SB_CTL);
    if (position > List.LineCount() - List.VisibleRows()) {
        position = List.LineCount() - List.VisibleRows();
        SetScrollPos(ScrollBar, SB_CTL, position, TRUE);
    }
    List.SetTopLine(position);
    PaintList();
}

void TFmTODOmain::FormResize() {
    const int outer = OuterHeight(Handle());
    folded_ = outer == FoldedHeight && FoldedHeight != NormalHeight;
    if (folded_) {
        kvneGctButton1.SetCaption("u");
    } else {
        kvneGctButton1.SetCaption("t");
        NormalHeight = outer;
    }
    LayoutList();
    InvalidateRect(Handle(), nullptr, FALSE);
}
