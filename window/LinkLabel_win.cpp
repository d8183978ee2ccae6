#include "window/LinkLabel.h"

#include "framework/Handles.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/Shell.h"

void TLinkLabel::SetLinkURL(const std::string& url) {
    linkURL_ = url;
    const std::size_t sep = LastSeparator(url);
    if (FileExists(url))
        caption_ = sep == std::string::npos ? url : url.substr(sep + 1);
    else if (FolderExists(url) && sep != std::string::npos)
        caption_ = url.substr(0, sep);
}

void TLinkLabel::Paint(HDC canvas) const {
    TFontHandle handle(CreateFontIndirectW(&font_));
    TSelectObject font(canvas, handle.Get());
    SetBkMode(canvas, TRANSPARENT);
    SetTextColor(canvas, color_);
    RECT r = bounds_;
    const std::wstring text = ToWide(caption_);
    DrawTextW(canvas, text.c_str(), static_cast<int>(text.size()), &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TLinkLabel::AutoSize(HDC dc) {
    TFontHandle handle(CreateFontIndirectW(&font_));
    TSelectObject font(dc, handle.Get());
    const std::wstring text = ToWide(caption_);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    bounds_.left = bounds_.right - size.cx;
}

bool TLinkLabel::Contains(int x, int y) const {
    POINT p{x, y};
    return PtInRect(&bounds_, p) != FALSE;
}

bool TLinkLabel::MouseMove(int x, int y) {
    const bool hot = Contains(x, y);
    if (hot == hot_) return false;
    hot_ = hot;
    // Entering sets the style to underlined, leaving to plain: bold or italic do not come back.
    font_.lfUnderline = hot;
    font_.lfWeight = FW_NORMAL;
    font_.lfItalic = FALSE;
    return true;
}

bool TLinkLabel::MouseUp(int x, int y) {
    const bool click = pressed_ && Contains(x, y);
    pressed_ = false;
    return click;
}

void TLinkLabel::Click() const {
    const std::string target = Target();
    if (FileExists(target) || FolderExists(target))
        OpenDocument(target);
    else
        OpenLink(target);
}
