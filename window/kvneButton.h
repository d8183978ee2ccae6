// Flat buttons: the drawing settings shared by a windowless and a windowed button.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "background/Bitmap.h"
#include "background/GraphicWork.h"
#include "framework/Form.h"
#include "window/ButtonLook.h"
#include "window/RegionUtils.h"

enum TBtnAlignment { taLeftJustify, taRightJustify, taCenter };

class TkvneBtnDraw {
public:
    TkvneBtnDraw();

    // Every setter stores a changed value, marks a redraw and raises OnChanged.
    void SetStyle(TkvneBtnStyle v);
    void SetFlat(bool v) { Change(flat_, v); }
    void SetRegion(bool v);
    void SetSquare(bool v);
    void SetTextAntialiasing(bool v) { Change(textAntialiasing_, v); }
    void SetTransParent(bool v) { Change(transParent_, v, true); }
    void SetAlignment(TBtnAlignment v) { Change(alignment_, v); }
    void SetColor(std::int32_t v) { Change(color_, v, true); }
    void SetColorBack(std::int32_t v) { Change(colorBack_, v, true); }
    void SetColorDown(std::int32_t v) { Change(colorDown_, v); }
    void SetColorOver(std::int32_t v) { Change(colorOver_, v); }
    void SetColorFocus(std::int32_t v) { Change(colorFocus_, v); }
    void SetFocusLineWidth(int v) { Change(focusLineWidth_, v); }
    void SetOverDrawType(TDrawType v) { Change(overDrawType_, v); }
    void SetOverDrawAlpha(int v) { Change(overDrawAlpha_, v); }
    void SetFaceFlat(const std::string& name) { SetFace(faceFlat_, name); }
    void SetFaceDown(const std::string& name) { SetFace(faceDown_, name); }
    void SetFaceOver(const std::string& name) { SetFace(faceOver_, name); }
    void SetCaption(const std::string& caption) { Change(caption_, caption); }
    void SetFont(const LOGFONTW& font, COLORREF color);
    void SetState(TkvneBtnState state) { Change(state_, state); }
    std::function<void()> OnChanged;

    TkvneBtnStyle Style() const { return style_; }
    bool TransParent() const { return transParent_; }
    std::int32_t ColorDown() const { return colorDown_; }
    TkvneBtnState State() const { return state_; }
    bool SnapshotValid() const { return snapshotValid_; }
    const TRect& Bounds() const { return bounds_; }
    const TBitmap& Composed() const { return composed_; }
    const TRegion& ShapeRegion() const { return region_; }
    bool HasRegion() const { return regionOn_; }

    // Button position on the canvas it paints on, and its size.
    void SetBounds(int left, int top, int width, int height);
    // A new background snapshot from the canvas under the button.
    void CaptureBackground(HDC canvas);
    void Paint(HDC canvas);

private:
    template <typename T>
    void Change(T& field, const T& value, bool invalidatesSnapshot = false, bool reshapes = false) {
        if (field == value) return;
        field = value;
        if (reshapes) UpdateGeometry();
        if (invalidatesSnapshot) snapshotValid_ = false;
        needsRedraw_ = true;
        if (OnChanged) OnChanged();
    }
    void SetFace(std::string& field, const std::string& name);
    void UpdateGeometry();
    void TakeSnapshot(HDC canvas);
    void DrawBody();
    void DrawFace();
    void DrawStateLayer();
    void DrawCaption();
    void DrawBevel();
    // Runs draw on the work bitmap's DC, filled with fill first.
    void OnWork(std::int32_t fill, const std::function<void(HDC)>& draw);
    void PaintThroughWork(std::int32_t color);

    TkvneBtnStyle style_ = bsBox;
    bool flat_ = false, regionOn_ = false, square_ = false, textAntialiasing_ = true, transParent_ = false;
    TBtnAlignment alignment_ = taCenter;
    std::int32_t color_ = 0xFFFFFF, colorBack_ = 0, colorDown_ = 0, colorOver_ = 0x60A0FF, colorFocus_ = 0xFFA080;
    int focusLineWidth_ = 4;
    TDrawType overDrawType_ = dtMulti;
    int overDrawAlpha_ = 255;
    std::string faceFlat_, faceDown_, faceOver_, caption_;
    LOGFONTW font_{};
    COLORREF fontColor_ = 0;
    TkvneBtnState state_ = stNormal;
    TRect bounds_, shape_;
    TBitmap composed_, snapshot_, work_;
    TRegion region_;
    bool snapshotValid_ = false, needsRedraw_ = true;
};

// A button without a window of its own, painting on its owner's canvas; the owner passes
// it the mouse.
class TkvneGctButton {
public:
    TkvneGctButton();
    TkvneBtnDraw BtnDraw;
    std::function<void()> OnClick;

    void SetBounds(int left, int top, int width, int height) { BtnDraw.SetBounds(left, top, width, height); }
    void SetCaption(const std::string& caption) { BtnDraw.SetCaption(caption); }
    void SetEnabled(bool enabled);
    void SetOwner(HWND owner) { owner_ = owner; }
    bool Contains(int x, int y) const;
    void CaptureBackground(HDC canvas) { BtnDraw.CaptureBackground(canvas); }
    // With Region, the owner's canvas is clipped to the button's shape while it paints.
    void Paint(HDC canvas);

    // Mouse events in owner client coordinates; answer whether the button took them.
    bool MouseMove(int x, int y);
    bool MouseDown(int x, int y);
    bool MouseUp(int x, int y);
    void MouseLeave();

private:
    void UpdateState();
    void Repaint();

    HWND owner_ = nullptr;
    bool enabled_ = true, over_ = false, pressed_ = false;
};

class TAccessible;

// A button with a window of its own that takes the focus and answers Space and Enter; a screen
// reader finds a push button named by its caption.
class TkvneWinButton : public TForm {
public:
    ~TkvneWinButton() override;
    TkvneBtnDraw BtnDraw;
    std::function<void()> OnClick;

    void Create(HWND parent, int left, int top, int width, int height, const std::string& caption);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi, RECT& suggested) override;

private:
    void UpdateState();
    void SettingsChanged();
    void DetachAccessible();
    bool over_ = false, mousePressed_ = false, keyPressed_ = false;
    TAccessible* accessible_ = nullptr;  // made when a reader first asks
};
