#include "framework/DibText.h"

#include "support/Encoding_win.h"

TDibText::TDibText() : dc_(CreateCompatibleDC(nullptr)) {}

int TDibText::Measure(const std::string& text) const {
    if (text.empty()) return 0;
    const std::wstring wide = ToWide(text);
    TSelectObject font(dc_.Get(), font_);
    SIZE size{};
    GetTextExtentPoint32W(dc_.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

void TDibText::DrawText(TBitmap& target, int x, int y, const std::string& text, std::int32_t color) {
    if (text.empty() || !target.NativeHandle()) return;
    const std::wstring wide = ToWide(text);
    TSelectObject bitmap(dc_.Get(), static_cast<HBITMAP>(target.NativeHandle()));
    TSelectObject font(dc_.Get(), font_);
    SetBkMode(dc_.Get(), TRANSPARENT);
    SetTextColor(dc_.Get(), static_cast<COLORREF>(color & 0xFFFFFF));
    TextOutW(dc_.Get(), x, y, wide.c_str(), static_cast<int>(wide.size()));
    GdiFlush();
}
