#include "window/kvneButton.h"

#include <algorithm>
#include <windowsx.h>

#include "background/GraphicMath.h"
#include "background/kvneGraphicSource.h"
#include "framework/Accessible_win.h"
#include "framework/Handles.h"
#include "support/Encoding_win.h"

namespace {

COLORREF Ref(std::int32_t c) { return static_cast<COLORREF>(c & 0xFFFFFF); }

// A DC with a bitmap selected for the length of one drawing step.
class TBitmapDC {
public:
    explicit TBitmapDC(TBitmap& bitmap)
        : dc_(CreateCompatibleDC(nullptr)), bitmap_(dc_.Get(), static_cast<HBITMAP>(bitmap.NativeHandle())) {}
    ~TBitmapDC() { GdiFlush(); }
    TBitmapDC(const TBitmapDC&) = delete;
    TBitmapDC& operator=(const TBitmapDC&) = delete;
    HDC Get() const { return dc_.Get(); }

private:
    TMemoryDC dc_;
    TSelectObject bitmap_;
};

void SetAllAlpha(TBitmap& b, std::uint8_t alpha) { SetAlpha(b, alpha); }

}  // namespace

TkvneBtnDraw::TkvneBtnDraw() {
    font_.lfHeight = -12;
    font_.lfCharSet = DEFAULT_CHARSET;
    wcscpy(font_.lfFaceName, L"MS UI Gothic");
}

void TkvneBtnDraw::SetStyle(TkvneBtnStyle v) { Change(style_, v, !transParent_, true); }

void TkvneBtnDraw::SetSquare(bool v) { Change(square_, v, !transParent_, true); }

void TkvneBtnDraw::SetRegion(bool v) { Change(regionOn_, v, false, true); }

void TkvneBtnDraw::SetFont(const LOGFONTW& font, COLORREF color) {
    font_ = font;
    fontColor_ = color;
    needsRedraw_ = true;
    if (OnChanged) OnChanged();
}

void TkvneBtnDraw::SetFace(std::string& field, const std::string& name) { Change(field, name); }

void TkvneBtnDraw::SetBounds(int left, int top, int width, int height) {
    bounds_ = {left, top, left + width, top + height};
    composed_.Allocate(width, height, 32);
    snapshot_.Allocate(width, height, 32);
    work_.Allocate(2 * width, 2 * height, 32);
    UpdateGeometry();
    snapshotValid_ = false;
    needsRedraw_ = true;
}

void TkvneBtnDraw::UpdateGeometry() {
    shape_ = ShapeBox(bounds_.Width(), bounds_.Height(), square_);
    if (!regionOn_) return;
    const TRect& s = shape_;
    if (style_ == bsBox)
        region_.AddRect(s.Left / 2, s.Top / 2, s.Right / 2, s.Bottom / 2, rmCopy);
    else
        region_.AddEllipse(s.Left / 2 - 1, s.Top / 2 - 1, s.Right / 2 + 2, s.Bottom / 2 + 2, rmCopy);
    region_.Move(bounds_.Left, bounds_.Top);
}

void TkvneBtnDraw::OnWork(std::int32_t fill, const std::function<void(HDC)>& draw) {
    FillBitmap32(work_, 0xFF000000u | ((fill & 0xFF) << 16) | (fill & 0xFF00) | ((fill >> 16) & 0xFF));
    TBitmapDC dc(work_);
    draw(dc.Get());
}

void TkvneBtnDraw::CaptureBackground(HDC canvas) {
    if (composed_.Empty()) return;
    TakeSnapshot(canvas);
    needsRedraw_ = true;
}

void TkvneBtnDraw::TakeSnapshot(HDC canvas) {
    if (transParent_) {
        TBitmapDC dc(snapshot_);
        BitBlt(dc.Get(), 0, 0, bounds_.Width(), bounds_.Height(), canvas, bounds_.Left, bounds_.Top, SRCCOPY);
    } else {
        FillBitmap32(snapshot_, 0xFF000000u | ((colorBack_ & 0xFF) << 16) | (colorBack_ & 0xFF00) |
                                    ((colorBack_ >> 16) & 0xFF));
    }
    SetAllAlpha(snapshot_, 255);
    if (!(transParent_ && color_ == colorBack_)) DrawBody();
    snapshotValid_ = true;
}

void TkvneBtnDraw::DrawBody() {
    const TRect& s = shape_;
    OnWork(colorBack_, [&](HDC dc) {
        if (style_ == bsCircle) {
            TPenHandle pen(CreatePen(PS_SOLID, 1, Ref(MixColors(color_, colorBack_, 128))));
            TBrushHandle brush(CreateSolidBrush(Ref(color_)));
            TSelectObject usePen(dc, pen.Get()), useBrush(dc, brush.Get());
            Ellipse(dc, s.Left + 2, s.Top + 2, s.Right - 2, s.Bottom - 2);
        } else {
            TBrushHandle brush(CreateSolidBrush(Ref(color_)));
            RECT r{s.Left + 4, s.Top + 4, s.Right - 4, s.Bottom - 4};
            FillRect(dc, &r, brush.Get());
        }
    });
    SetAlphaByKey(work_, 255);  // the first pixel's colour (the back) becomes transparent
    HalveBitmap(work_);
    TBitmap half(bounds_.Width(), bounds_.Height());
    for (int y = 0; y < half.Height(); ++y)
        std::copy(work_.ScanLine(y), work_.ScanLine(y) + half.Width() * 4, half.ScanLine(y));
    DrawBitmapAt(0, 0, snapshot_, dtAlpha, half);
}

void TkvneBtnDraw::DrawFace() {
    if (faceFlat_.empty()) return;
    const std::string& name = state_ == stPressed && !faceDown_.empty() ? faceDown_
                              : state_ == stOver && !faceOver_.empty()  ? faceOver_
                                                                        : faceFlat_;
    auto face = GraphicSource().GetGraphic(name, 0, 0);
    if (face->Empty()) return;
    TBitmap face32(face->Width(), face->Height());
    const int n = face->BitsPerPixel() / 8;
    for (int y = 0; y < face->Height(); ++y)
        for (int x = 0; x < face->Width(); ++x) std::copy_n(face->ScanLine(y) + x * n, n, face32.ScanLine(y) + x * 4);
    if (n == 3) SetAlphaByKey(face32, 255);
    DrawBitmapAt((composed_.Width() - face32.Width()) / 2, (composed_.Height() - face32.Height()) / 2, composed_,
                 dtAlpha, face32);
}

void TkvneBtnDraw::DrawStateLayer() {
    const TStateColors c = StateColors(state_, color_, colorOver_, colorFocus_, colorDown_);
    const TRect& s = shape_;
    const int L = focusLineWidth_ * 2 + 3;
    OnWork(colorBack_, [&](HDC dc) {
        if (style_ == bsCircle) {
            TPenHandle outline(CreatePen(PS_SOLID, 2, Ref(MixColors(c.ring, colorBack_, 128))));
            TPenHandle pen(CreatePen(PS_SOLID, 1, Ref(c.ring)));
            TBrushHandle ring(CreateSolidBrush(Ref(c.ring))), inner(CreateSolidBrush(Ref(c.inner)));
            {
                TSelectObject usePen(dc, outline.Get()), useBrush(dc, ring.Get());
                Ellipse(dc, s.Left + 2, s.Top + 2, s.Right - 2, s.Bottom - 2);
            }
            TSelectObject usePen(dc, pen.Get()), useBrush(dc, inner.Get());
            Ellipse(dc, s.Left + L, s.Top + L, s.Right - L, s.Bottom - L);
        } else {
            TBrushHandle ring(CreateSolidBrush(Ref(c.ring))), inner(CreateSolidBrush(Ref(c.inner)));
            RECT outer{s.Left + 4, s.Top + 4, s.Right - 4, s.Bottom - 4};
            RECT in{s.Left + L, s.Top + L, s.Right - L - 2, s.Bottom - L - 2};
            FillRect(dc, &outer, ring.Get());
            if (in.right > in.left && in.bottom > in.top) FillRect(dc, &in, inner.Get());
        }
    });
    if (transParent_) {
        SetAlpha(work_, 0);
        SetAlphaRect(work_, 255, {3, 3, work_.Width() - 4, work_.Height() - 4});
    } else {
        SetAlpha(work_, 255);
    }
    HalveBitmap(work_);
    TBitmap half(bounds_.Width(), bounds_.Height());
    for (int y = 0; y < half.Height(); ++y)
        std::copy(work_.ScanLine(y), work_.ScanLine(y) + half.Width() * 4, half.ScanLine(y));
    TDrawParams p;
    p.Dest = &composed_;
    p.Source = &half;
    p.Place = {0, 0, half.Width(), half.Height()};
    p.Clip = p.Place;
    p.Opacity = overDrawAlpha_;
    p.DrawType = overDrawType_;
    DrawBitmap(p);
}

void TkvneBtnDraw::PaintThroughWork(std::int32_t color) {
    HalveBitmap(work_);
    TintByMask(composed_, work_, color);
}

void TkvneBtnDraw::DrawCaption() {
    if (caption_.empty()) return;
    const std::int32_t T = state_ == stDisabled ? GreyOf(static_cast<std::int32_t>(fontColor_)) : fontColor_;
    const std::wstring text = ToWide(caption_);
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    flags |= alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    if (textAntialiasing_) {
        LOGFONTW twice = font_;
        twice.lfHeight *= 2;
        TFontHandle font(CreateFontIndirectW(&twice));
        OnWork(0, [&](HDC dc) {
            TSelectObject useFont(dc, font.Get());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, state_ == stDisabled ? Ref(GreyOf(0xFFFFFF)) : RGB(255, 255, 255));
            RECT r{0, 0, work_.Width(), work_.Height()};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
        });
        PaintThroughWork(T);
    } else {
        TBitmapDC dc(composed_);
        TFontHandle font(CreateFontIndirectW(&font_));
        TSelectObject useFont(dc.Get(), font.Get());
        SetBkMode(dc.Get(), TRANSPARENT);
        SetTextColor(dc.Get(), Ref(T));
        RECT r{0, 0, composed_.Width(), composed_.Height()};
        DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r, flags);
    }
}

void TkvneBtnDraw::DrawBevel() {
    const TRect& s = shape_;
    // Quarter arcs in greys at growing insets. GDI runs an arc counter-clockwise from its
    // first point to its second, so the shadow goes from the bottom to the right and the
    // highlight from the top to the left.
    auto arcs = [&](HDC dc, std::initializer_list<std::pair<int, int>> shades, POINT from, POINT to) {
        for (auto [inset, grey] : shades) {
            TPenHandle shade(CreatePen(PS_SOLID, 2, Ref(grey)));
            TSelectObject usePen(dc, shade.Get());
            Arc(dc, s.Left + inset, s.Top + inset, s.Right - inset, s.Bottom - inset, from.x, from.y, to.x, to.y);
        }
    };
    const int cx = (s.Left + s.Right) / 2, cy = (s.Top + s.Bottom) / 2;
    auto line = [](HDC dc, COLORREF color, int width, int x1, int y1, int x2, int y2) {
        TPenHandle pen(CreatePen(PS_SOLID, width, color));
        TSelectObject usePen(dc, pen.Get());
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
    };
    // Outline and shadow, painted in black through their greys.
    OnWork(0, [&](HDC dc) {
        TSelectObject noFill(dc, GetStockObject(NULL_BRUSH));
        if (style_ == bsCircle) {
            // The shadow first: drawn over the outline, its light greys would thin it.
            if (!flat_) arcs(dc, {{0, 0x202020}, {3, 0x404040}, {6, 0x808080}}, {cx, s.Bottom}, {s.Right, cy});
            TPenHandle pen(CreatePen(PS_SOLID, 3, RGB(255, 255, 255)));
            TSelectObject usePen(dc, pen.Get());
            Ellipse(dc, s.Left + 3, s.Top + 3, s.Right - 3, s.Bottom - 3);
        } else {
            TPenHandle pen(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
            TSelectObject usePen(dc, pen.Get());
            RoundRect(dc, s.Left + 2, s.Top + 2, s.Right - 3, s.Bottom - 3, 2, 2);
            if (!flat_) {
                line(dc, RGB(128, 128, 128), 2, s.Left + 5, s.Bottom - 5, s.Right - 5, s.Bottom - 5);
                line(dc, RGB(128, 128, 128), 2, s.Right - 5, s.Top + 5, s.Right - 5, s.Bottom - 5);
            }
        }
    });
    PaintThroughWork(0);
    if (flat_) return;
    OnWork(0, [&](HDC dc) {
        if (style_ == bsCircle) {
            arcs(dc, {{0, 0x404040}, {2, 0x606060}, {4, 0x707070}, {6, 0x808080}}, {cx, s.Top}, {s.Left, cy});
        } else {
            line(dc, RGB(128, 128, 128), 2, s.Left + 5, s.Top + 5, s.Right - 5, s.Top + 5);
            line(dc, RGB(128, 128, 128), 2, s.Left + 5, s.Top + 5, s.Left + 5, s.Bottom - 5);
        }
    });
    PaintThroughWork(0xFFFFFF);
}

void TkvneBtnDraw::Paint(HDC canvas) {
    if (composed_.Empty()) return;
    if (needsRedraw_) {
        if (!snapshotValid_) TakeSnapshot(canvas);
        for (int y = 0; y < composed_.Height(); ++y)
            std::copy(snapshot_.ScanLine(y), snapshot_.ScanLine(y) + composed_.Width() * 4, composed_.ScanLine(y));
        DrawFace();
        DrawStateLayer();
        DrawCaption();
        DrawBevel();
        needsRedraw_ = false;
    }
    TBitmapDC dc(composed_);
    BitBlt(canvas, bounds_.Left, bounds_.Top, bounds_.Width(), bounds_.Height(), dc.Get(), 0, 0, SRCCOPY);
}

void TkvneGctButton::Paint(HDC canvas) {
    if (!BtnDraw.HasRegion()) {
        BtnDraw.Paint(canvas);
        return;
    }
    TSavedClip clip(canvas);
    ExtSelectClipRgn(canvas, BtnDraw.ShapeRegion().Handle(), RGN_AND);
    BtnDraw.Paint(canvas);
}

TkvneGctButton::TkvneGctButton() {
    BtnDraw.OnChanged = [this] { Repaint(); };
}

void TkvneGctButton::Repaint() {
    if (!owner_) return;
    const TRect& b = BtnDraw.Bounds();
    RECT r{b.Left, b.Top, b.Right, b.Bottom};
    InvalidateRect(owner_, &r, FALSE);
}

void TkvneGctButton::SetEnabled(bool enabled) {
    enabled_ = enabled;
    UpdateState();
}

bool TkvneGctButton::Contains(int x, int y) const {
    const TRect& b = BtnDraw.Bounds();
    return x >= b.Left && x < b.Right && y >= b.Top && y < b.Bottom;
}

void TkvneGctButton::UpdateState() {
    BtnDraw.SetState(!enabled_ ? stDisabled : pressed_ ? stPressed : over_ ? stOver : stNormal);
}

bool TkvneGctButton::MouseMove(int x, int y) {
    const bool inside = Contains(x, y);
    if (inside != over_ && enabled_) {
        over_ = inside;
        if (!inside) pressed_ = false;
        UpdateState();
    }
    return inside;
}

bool TkvneGctButton::MouseDown(int x, int y) {
    if (!Contains(x, y)) return false;
    if (enabled_) {
        pressed_ = true;
        UpdateState();
    }
    return true;
}

bool TkvneGctButton::MouseUp(int x, int y) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    UpdateState();
    if (!Contains(x, y)) return false;
    if (wasPressed && enabled_ && OnClick) OnClick();
    return true;
}

void TkvneGctButton::MouseLeave() {
    if (!enabled_) return;
    over_ = pressed_ = false;
    UpdateState();
}

namespace {

// The button as a screen reader sees it: a push button named by its caption.
class TWinButtonAccessible final : public TAccessible {
public:
    using TAccessible::TAccessible;

protected:
    std::string Name(int) override {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Window())) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(Window(), text.data(), static_cast<int>(text.size()))));
        const std::size_t first = text.find_first_not_of(L" \x3000"), last = text.find_last_not_of(L" \x3000");
        return first == std::wstring::npos ? std::string() : FromWide(text.substr(first, last - first + 1));
    }
    long Role(int) override { return ROLE_SYSTEM_PUSHBUTTON; }
    long State(int) override {
        if (!IsWindowEnabled(Window())) return STATE_SYSTEM_UNAVAILABLE;
        return STATE_SYSTEM_FOCUSABLE | (GetFocus() == Window() ? STATE_SYSTEM_FOCUSED : 0);
    }
    bool Bounds(int, RECT& r) override { return GetClientRect(Window(), &r) != FALSE; }
    int Focused() override { return GetFocus() == Window() ? CHILDID_SELF : -1; }
    std::string DefaultAction(int) override { return "押す"; }
    bool DoDefaultAction(int) override {
        // Posted: the click may open a window, which must not run inside the reader's call.
        return IsWindowEnabled(Window()) && PostMessageW(Window(), BM_CLICK, 0, 0);
    }
};

}  // namespace

TkvneWinButton::~TkvneWinButton() { DetachAccessible(); }

void TkvneWinButton::DetachAccessible() {
    if (!accessible_) return;
    accessible_->Detach();  // a reader may hold it longer than the window lives
    accessible_->Release();
    accessible_ = nullptr;
}

void TkvneWinButton::Create(HWND parent, int left, int top, int width, int height, const std::string& caption) {
    CreateArgs args;
    args.className = L"TkvneWinButton";
    args.caption = caption;
    args.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    args.classStyle = 0;  // two quick clicks are two clicks
    args.left = left;
    args.top = top;
    args.clientWidth = width;
    args.clientHeight = height;
    args.owner = parent;
    CreateHandle(args);
    BtnDraw.OnChanged = [this] { SettingsChanged(); };
    BtnDraw.SetCaption(caption);
    BtnDraw.SetBounds(0, 0, Scale(width), Scale(height));
    SettingsChanged();
}

void TkvneWinButton::DpiChanged(int, RECT&) {
    RECT client{};
    GetClientRect(Handle(), &client);
    BtnDraw.SetBounds(0, 0, client.right, client.bottom);
}

void TkvneWinButton::SettingsChanged() {
    if (!Handle()) return;
    // The window takes the button's shape; Windows owns the copy it is given.
    if (BtnDraw.HasRegion()) SetWindowRgn(Handle(), BtnDraw.ShapeRegion().CopyHandle(), TRUE);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TkvneWinButton::UpdateState() {
    const bool focused = GetFocus() == Handle();
    BtnDraw.SetState(!IsWindowEnabled(Handle())           ? stDisabled
                     : (mousePressed_ || keyPressed_)      ? stPressed
                     : over_                               ? stOver
                     : focused                             ? stFocused
                                                           : stNormal);
}

LRESULT TkvneWinButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        BtnDraw.Paint(reinterpret_cast<HDC>(wParam));
        return 1;
    }
    case WM_PAINT: {
        TPaintDC dc(Handle());
        BtnDraw.Paint(dc.Get());
        return 0;
    }
    case WM_GETDLGCODE: return 0;
    case WM_GETOBJECT: {
        if (static_cast<LONG>(lParam) != OBJID_CLIENT) break;
        if (!accessible_) accessible_ = new TWinButtonAccessible(Handle());
        bool answered = false;
        const LRESULT result = AnswerGetObject(accessible_, wParam, lParam, answered);
        if (answered) return result;
        break;
    }
    case WM_DESTROY: DetachAccessible(); break;
    case BM_CLICK:
        if (IsWindowEnabled(Handle()) && OnClick) OnClick();
        return 0;
    case WM_SIZE:
        BtnDraw.SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
        if (BtnDraw.TransParent() && IsWindowVisible(Handle()) && GetParent(Handle())) {
            // A see-through button lets its parent repaint beneath it before the next snapshot.
            ShowWindow(Handle(), SW_HIDE);
            UpdateWindow(GetParent(Handle()));
            ShowWindow(Handle(), SW_SHOWNA);
        }
        SettingsChanged();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: UpdateState(); break;
    case WM_MOUSEMOVE:
        if (!over_) {
            over_ = true;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&track);
            UpdateState();
        }
        return 0;
    case WM_MOUSELEAVE:
        over_ = mousePressed_ = false;
        UpdateState();
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(Handle());
        mousePressed_ = true;
        UpdateState();
        return 0;
    case WM_LBUTTONUP: {
        const bool click = mousePressed_;
        mousePressed_ = false;
        UpdateState();
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT r;
        GetClientRect(Handle(), &r);
        if (click && PtInRect(&r, p) && OnClick) OnClick();
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE || wParam == VK_RETURN) {
            keyPressed_ = true;
            UpdateState();
            return 0;
        }
        break;
    case WM_KEYUP:
        if ((wParam == VK_SPACE || wParam == VK_RETURN) && keyPressed_) {
            keyPressed_ = false;
            UpdateState();
            if (OnClick) OnClick();
            return 0;
        }
        break;
    }
    return TForm::OnMessage(message, wParam, lParam);
}
