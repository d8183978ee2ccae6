// Painting of the main window, through an off-screen bitmap.
#include "app/FmTODOmain.h"

void TFmTODOmain::Paint(HDC target) {
    RECT client;
    GetClientRect(Handle(), &client);
    HDC dc = CreateCompatibleDC(target);
    TBitmapHandle bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap.Get());

    TBrushHandle brush(CreateSolidBrush(WindowColor));
    FillRect(dc, &client, brush.Get());
    HGDIOBJ oldFont = SelectObject(dc, TitleFont.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, active_ ? ActiveTitleColor : InactiveTitleColor);
    const std::wstring title = L"Memorail";
    TextOutW(dc, 4, TitleTop, title.c_str(), static_cast<int>(title.size()));
    SelectObject(dc, oldFont);

    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
}
