// GDI text straight into the bitmap's DIB section, in the settings' default font.
#include <windows.h>

#include "background/BGRender.h"
#include "support/Encoding_win.h"

namespace {

class TGdiTextDrawer : public TTextDrawer {
public:
    void DrawWrapped(TBitmap& bitmap, const TRect& rect, const std::string& text, std::int32_t color,
                     int lineHeight) override {
        if (text.empty() || !bitmap.NativeHandle()) return;
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) return;
        HFONT font = CreateFontW(-lineHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                 ToWide("ＭＳ Ｐゴシック").c_str());
        HGDIOBJ oldBitmap = SelectObject(dc, static_cast<HBITMAP>(bitmap.NativeHandle()));
        HGDIOBJ oldFont = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, static_cast<COLORREF>(color & 0xFFFFFF));
        RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
        std::wstring wide = ToWide(text);
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
        GdiFlush();
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        if (font) DeleteObject(font);
        DeleteDC(dc);
    }
};

}  // namespace

std::unique_ptr<TTextDrawer> CreateTextDrawer() { return std::make_unique<TGdiTextDrawer>(); }
