#include "framework/DibText.h"

#include "support/Encoding_win.h"

TDibText::TDibText() : dc_(CreateCompatibleDC(nullptr)) {}

TDibText::~TDibText() { DeleteDC(dc_); }

int TDibText::Measure(const std::string& text) const {
    if (text.empty()) return 0;
    const std::wstring wide = ToWide(text);
    HGDIOBJ old = SelectObject(dc_, font_);
    SIZE size{};
    GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc_, old);
    return size.cx;
}

void TDibText::DrawText(TBitmap& target, int x, int y, const std::string& text, std::int32_t color) {
    if (text.empty() || !target.NativeHandle()) return;
    const std::wstring wide = ToWide(text);
    HGDIOBJ oldBitmap = SelectObject(dc_, static_cast<HBITMAP>(target.NativeHandle()));
    HGDIOBJ oldFont = SelectObject(dc_, font_);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, static_cast<COLORREF>(color & 0xFFFFFF));
    TextOutW(dc_, x, y, wide.c_str(), static_cast<int>(wide.size()));
    GdiFlush();
    SelectObject(dc_, oldFont);
    SelectObject(dc_, oldBitmap);
}
