#include "app/DibText.h"

#include <cstring>

#include "support/Encoding_win.h"

TDibText::TDibText() : dc_(CreateCompatibleDC(nullptr)) {}

void TDibText::SetFont(HFONT font) {
    font_ = font;
    LOGFONTW logFont{};
    if (font) GetObjectW(font, sizeof logFont, &logFont);
    if (std::memcmp(&logFont, &logFont_, sizeof logFont) != 0) widths_.clear();
    logFont_ = logFont;
}

TTextFit TDibText::Fit(std::string_view text, int width) const {
    if (widths_.empty()) widths_.assign(0x10000, -1);
    TTextFit fit;
    while (fit.bytes < text.size()) {
        const std::size_t len = CharLength(text, fit.bytes);
        const auto lead = static_cast<unsigned char>(text[fit.bytes]);
        const std::size_t key = len == 2 ? lead << 8 | static_cast<unsigned char>(text[fit.bytes + 1]) : lead;
        int& w = widths_[key];
        if (w < 0) w = Measure(std::string(text.substr(fit.bytes, len)));
        if (fit.width + w > width) break;
        fit.width += w;
        fit.bytes += len;
    }
    return fit;
}

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
