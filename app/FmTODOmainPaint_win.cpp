// Painting of the main window: the frame straight onto the window, the list row by row
// through the one-row bitmap.
#include "app/FmTODOmain.h"

#include "background/BGprofile.h"
#include "background/DrawFrame.h"

namespace {

RECT InnerRect(const TkvneGctButton& button, int dpi) {
    const TRect& b = button.BtnDraw.Bounds();
    const int two = MulDiv(2, dpi, 96), three = MulDiv(3, dpi, 96);
    return {b.Left + two, b.Top + two, b.Right - three, b.Bottom - three};
}

void SubtractRect(TRegion& region, const RECT& r) { region.AddRect(r, rmDiff); }

}  // namespace

void TFmTODOmain::PaintFrame(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    const RECT b1 = InnerRect(kvneGctButton1, Dpi()), b2 = InnerRect(kvneGctButton2, Dpi());

    PaintRegion.AddRect(client, rmCopy);
    SubtractRect(PaintRegion, List.Rect);
    SubtractRect(PaintRegion, PictureRect);
    SubtractRect(PaintRegion, b1);
    SubtractRect(PaintRegion, b2);
    SelectClipRgn(dc, PaintRegion.Handle());
    TBrushHandle brush(CreateSolidBrush(WindowColor));
    FillRect(dc, &client, brush.Get());

    PaintRegion.AddRect(PictureRect, rmCopy);
    SubtractRect(PaintRegion, List.Rect);
    SubtractRect(PaintRegion, b1);
    SubtractRect(PaintRegion, b2);
    SelectClipRgn(dc, PaintRegion.Handle());
    BlitBitmap(dc, PictureRect.left, PictureRect.top, BGprofile.Background());

    PaintRegion.AddRect(client, rmCopy);
    SubtractRect(PaintRegion, b1);
    SubtractRect(PaintRegion, b2);
    SelectClipRgn(dc, PaintRegion.Handle());
    DrawFrameInColor(dc, OuterFrameColor, client, WindowRound ? 4 : 0, Dpi());
    const RECT inner{InnerFrameInset, LinkLabel1.Bounds().top, client.right - InnerFrameInset,
                     client.bottom - InnerFrameInset};
    DrawFrameInColor(dc, InnerFrameColor, inner, WindowRound ? 2 : 0, Dpi());

    {
        TSelectObject font(dc, TitleFont.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, active_ ? ActiveTitleColor : InactiveTitleColor);
        TextOutW(dc, TitleLeft, TitleTop, L"Memorail", 8);
    }
    LinkLabel1.Paint(dc);
    SelectClipRgn(dc, nullptr);

    // The buttons see through to the window: the window's background is laid under each
    // (their inner part was kept out of the painting above so as not to flicker), a new
    // snapshot is taken, and the button paints over it at once.
    for (TkvneGctButton* button : {&kvneGctButton1, &kvneGctButton2}) {
        const RECT inner = InnerRect(*button, Dpi());
        PaintRegion.AddRect(inner, rmCopy);
        SelectClipRgn(dc, PaintRegion.Handle());
        FillRect(dc, &inner, brush.Get());
        BlitBitmap(dc, PictureRect.left, PictureRect.top, BGprofile.Background());
        DrawFrameInColor(dc, OuterFrameColor, client, WindowRound ? 4 : 0, Dpi());
        SelectClipRgn(dc, nullptr);
        button->CaptureBackground(dc);
        button->Paint(dc);
    }
}

void TFmTODOmain::PaintList() {
    TWindowDC dc(Handle());
    PaintRegion.AddRect(List.Rect, rmCopy);
    SelectClipRgn(dc.Get(), PaintRegion.Handle());
    List.Paint(dc.Get(), BGprofile.Background(), {PictureRect.left, PictureRect.top});
    LayoutPending = false;
    NotifySelection();
}
