// A label that behaves like a hyperlink: hand cursor, underlined under the mouse, and a
// click opens the file, folder or address it names. It has no window of its own: the owner
// paints it and passes it the mouse.
#pragma once

#include <windows.h>

#include <string>

class TLinkLabel {
public:
    void SetBounds(int left, int top, int width, int height) { bounds_ = {left, top, left + width, top + height}; }
    const RECT& Bounds() const { return bounds_; }
    void SetCaption(const std::string& caption) { caption_ = caption; }
    // Sizes the label to its caption, keeping its right edge (it is right-aligned).
    void AutoSize(HDC dc);
    const std::string& Caption() const { return caption_; }
    // A file shows its name, a folder the path before its last backslash.
    void SetLinkURL(const std::string& url);
    const std::string& LinkURL() const { return linkURL_; }
    void SetFont(const LOGFONTW& font) { font_ = font; }
    const LOGFONTW& Font() const { return font_; }
    void SetColor(COLORREF color) { color_ = color; }
    bool Hot() const { return hot_; }

    void Paint(HDC canvas) const;
    bool Contains(int x, int y) const;
    // Answers whether the hover state changed (the owner then repaints the label). Once the
    // mouse has been over it the label stays in the plain style: underlined while hot.
    bool MouseMove(int x, int y);
    // A click is a press and a release both on the label; MouseUp answers whether the
    // release completes one (a double click's second press is no press: it opens once).
    void MouseDown(int x, int y) { pressed_ = Contains(x, y); }
    bool MouseUp(int x, int y);
    // The file or folder is opened as a document; anything else as a web or mail address.
    void Click() const;
    // The file or address a click opens and how.
    std::string Target() const { return linkURL_.empty() ? caption_ : linkURL_; }

private:
    RECT bounds_{};
    std::string caption_, linkURL_;
    LOGFONTW font_{};
    COLORREF color_ = RGB(128, 128, 128);
    bool hot_ = false, pressed_ = false;
};
