// Painting of the main window: the frame straight onto the window, the list row by row
// through the one-row bitmap.
#include <random>

#include "app/FmTODOmain.h"

#include "background/BGprofile.h"
#include "app/RowRenderer.h"
#include "background/DrawFrame.h"
#include "background/GraphicWork.h"
#include "support/Encoding_win.h"

namespace {

RECT InnerRect(const TkvneGctButton& button) {
    const TRect& b = button.BtnDraw.Bounds();
    return {b.Left + 2, b.Top + 2, b.Right - 3, b.Bottom - 3};
}

void SubtractRect(TRegion& region, const RECT& r) { region.AddRect(r, rmDiff); }

// Copies from the dc holding a bitmap; only where the bitmap has pixels.
void BlitBitmap(HDC target, int x, int y, const TBitmap& bitmap) {
    if (bitmap.Empty() || !bitmap.NativeHandle()) return;
    TMemoryDC dc(CreateCompatibleDC(target));
    TSelectObject source(dc.Get(), static_cast<HBITMAP>(bitmap.NativeHandle()));
    BitBlt(target, x, y, bitmap.Width(), bitmap.Height(), dc.Get(), 0, 0, SRCCOPY);
}

}  // namespace

void TFmTODOmain::PaintFrame(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    const RECT b1 = InnerRect(kvneGctButton1), b2 = InnerRect(kvneGctButton2);

    PaintRegion.AddRect(client, rmCopy);
    SubtractRect(PaintRegion, ListRect);
    SubtractRect(PaintRegion, PictureRect);
    SubtractRect(PaintRegion, b1);
    SubtractRect(PaintRegion, b2);
    SelectClipRgn(dc, PaintRegion.Handle());
    TBrushHandle brush(CreateSolidBrush(WindowColor));
    FillRect(dc, &client, brush.Get());

    PaintRegion.AddRect(PictureRect, rmCopy);
    SubtractRect(PaintRegion, ListRect);
    SubtractRect(PaintRegion, b1);
    SubtractRect(PaintRegion, b2);
    SelectClipRgn(dc, PaintRegion.Handle());
    BlitBitmap(dc, PictureRect.left, PictureRect.top, BGprofile.Background());

    PaintRegion.AddRect(client, rmCopy);
    SubtractRect(PaintRegion, b1);
    SubtractRect(PaintRegion, b2);
    SelectClipRgn(dc, PaintRegion.Handle());
    DrawFrameInColor(dc, OuterFrameColor, client, WindowRound ? 4 : 0);
    const RECT inner{4, LinkLabel1.Bounds().top, client.right - 4, client.bottom - 4};
    DrawFrameInColor(dc, InnerFrameColor, inner, WindowRound ? 2 : 0);

    {
        TSelectObject font(dc, TitleFont.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, active_ ? ActiveTitleColor : InactiveTitleColor);
        TextOutW(dc, 4, TitleTop, L"Memorail", 8);
    }
    LinkLabel1.Paint(dc);
    SelectClipRgn(dc, nullptr);

    // The buttons see through to the window: the window's background is laid under each
    // (their inner part was kept out of the painting above so as not to flicker), a new
    // snapshot is taken, and the button paints over it at once.
    for (TkvneGctButton* button : {&kvneGctButton1, &kvneGctButton2}) {
        const RECT inner = InnerRect(*button);
        PaintRegion.AddRect(inner, rmCopy);
        SelectClipRgn(dc, PaintRegion.Handle());
        FillRect(dc, &inner, brush.Get());
        BlitBitmap(dc, PictureRect.left, PictureRect.top, BGprofile.Background());
        DrawFrameInColor(dc, OuterFrameColor, client, WindowRound ? 4 : 0);
        SelectClipRgn(dc, nullptr);
        button->CaptureBackground(dc);
        button->Paint(dc);
    }
}

void TFmTODOmain::PaintList() {
    TWindowDC dc(Handle());
    PaintRegion.AddRect(ListRect, rmCopy);
    SelectClipRgn(dc.Get(), PaintRegion.Handle());
    // Folded, no row shows any item: the selection waits for the window to unfold.
    if (SelectedItem >= 0 && DisplayLineCount > 0 && VisibleRows > 0)
        SelectedItem = VisibleSelection(SelectedItem, LineItems, FirstShownLine(), VisibleRows);
    for (int row = VisibleRows; row >= 0; --row) PaintRow(dc.Get(), row);
    LayoutPending = false;
}

void TFmTODOmain::PaintRow(HDC dc, int row) {
    if (RowBitmap.Empty()) return;
    const int y = row * RowHeight + ListRect.top;
    const int line = row + FirstShownLine();
    FillBitmap32(RowBitmap, 0xFF000000u | ((WindowColor & 0xFF) << 16) | (WindowColor & 0xFF00) |
                                ((WindowColor >> 16) & 0xFF));
    // The strip of the background behind the row, as the rendering left it (whatever its
    // alpha); where the picture does not reach, the window colour stays.
    CopyPixels(RowBitmap, PictureRect.left - ListRect.left, PictureRect.top - y, BGprofile.Background());
    if (line >= 0 && line < DisplayLineCount) {
        const int item = LineItems[static_cast<std::size_t>(line)];
        TRowLine text;
        text.text = LineTexts[static_cast<std::size_t>(line)];
        text.first = line == 0 || LineItems[static_cast<std::size_t>(line - 1)] != item;
        text.selected = item == SelectedItem;
        text.date = ShortDate(Items.GetDate(item), DateSeparator());
        text.mark = Items.GetCategory(item);
        text.color = Items.GetColor(item);
        TRowStyle style;
        style.underlineColor = static_cast<std::int32_t>(UnderlineColor);
        style.highlightColor = static_cast<std::int32_t>(HighlightColor);
        style.shadowColor = static_cast<std::int32_t>(ShadowColor);
        style.shadowOn = ShadowOn;
        style.highlightStyle = HighlightStyle;
        style.dateWidth = DateWidth;
        style.markWidth = MarkWidth;
        static std::mt19937 random(std::random_device{}());
        RenderLine(RowBitmap, ShadowMask, text, style, ListText,
                   [](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); });
    }
    BlitBitmap(dc, ListRect.left, y, RowBitmap);
}

std::string TFmTODOmain::DateSeparator() const {
    wchar_t separator[8] = L"/";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, 8);
    return FromWide(separator);
}
