// The colour set-up dialog over the current picture's colour scheme.
#pragma once

#include "framework/Form.h"

// Saves the scheme, lets the user edit it modally; OK keeps and saves the edits, any other close reloads the scheme from its file.
void EditColorScheme(TForm& owner);

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "background/Bitmap.h"
#include "background/ColorPicker.h"
#include "background/DirStringList.h"
#include "framework/Handles.h"

// The colour picker: RGB, HSV and RRGGBB edits, the hue/saturation field with its brightness
// bar and the preset swatches, on a borderless child panel of its dialog.
class TFrameColorSelect : public TForm {
public:
    static constexpr int kWidth = 259, kHeight = 374, kFieldLeft = 8, kFieldTop = 96;

    TFrameColorSelect(HWND parent, int left, int top, HFONT font);
    ~TFrameColorSelect() override { DestroyHandle(); }

    void SetColor(std::int32_t color);
    void SetRGB(int r, int g, int b);
    void SetHSV(int h, int s, int v);
    // (x, y) in the field.
    void PickAt(int x, int y);
    void SetInputsEnabled(bool enabled);
    bool InputsEnabled() const { return inputsEnabled_; }
    std::int32_t Color() const { return values_.color; }
    const TPickerValues& Values() const { return values_; }

    std::int32_t SwatchColor(int index) const { return swatches_[index]; }
    void SetSwatchColor(int index, std::int32_t color);
    // The swatch at a point of the panel's client area, or -1.
    int SwatchAt(POINT p) const;

    // Enter in an edit, or leaving it changed: its group (RGB, HSV or RRGGBB) takes effect.
    void EditDone(HWND edit);

    TControl* LeRGB = nullptr;
    TControl *LeR = nullptr, *LeG = nullptr, *LeB = nullptr;
    TControl *LeH = nullptr, *LeS = nullptr, *LeV = nullptr;
    TControl* TrackBar1 = nullptr;

protected:
    void FormCreate() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Show(const TPickerValues& values);
    void DrawField();
    void Paint(HDC dc);
    void PaintMarker(HDC dc);
    void MouseDown(POINT p);
    TControl& AddEdit(int id, int left, int top, int width, const std::string& caption, int group);

    HFONT font_;
    TBitmap plainField_;  // the field without the marker, which depends on the brightness only
    int plainFieldV_ = -1;
    TPickerValues values_;
    bool inputsEnabled_ = true, dragging_ = false;
    std::int32_t swatches_[kSwatchRows * kSwatchColumns];
};

// "配色設定": the scheme's keys as a tree with a colour square per leaf, and the picker.
class TFormColorSetUp : public TForm {
public:
    // The tree is wide enough for its longest name, インアクティブタイトル, at any scale.
    static constexpr int kClientHeight = 374, kTreeLeft = 8, kTreeWidth = 213, kButtonsLeft = 226, kPickerLeft = 302;
    static constexpr int kNarrowWidth = 310, kWideWidth = 562;  // the picker hidden and shown

    explicit TFormColorSetUp(HWND owner);
    ~TFormColorSetUp() override;

    // The global scheme into the tree and back; only leaves are stored.
    void FillTree();
    void StoreTree();

    void ButtonSelectClick();
    void ColorChanged();
    void BtDefaultClick();
    void BtResetClick();
    void BtApplyClick();
    void BtOKClick();
    // A dragged colour dropped on a node (leaves take it) or on a swatch.
    void DropOnNode(HTREEITEM item, std::int32_t color);

    std::int32_t ShapeColor() const { return shapeColor_; }
    // A leaf holds its stored value (a system colour stays one); it shows the colour drawn.
    std::int32_t NodeColor(HTREEITEM item) const;
    std::int32_t ShownColor(HTREEITEM item) const;
    bool IsLeaf(HTREEITEM item) const;
    // The node at a scheme path ("ウィンドウ\背景"), or null.
    HTREEITEM FindNode(const std::string& path) const;

    // ShowModal answers mrOk for OK; Applied tells that "反映させる" showed the edits meanwhile.
    bool Applied = false;

    TControl* TreeView1 = nullptr;
    TControl* ButtonSelect = nullptr;
    TControl *BtDefault = nullptr, *BtReset = nullptr, *BtApply = nullptr, *BtOK = nullptr;
    std::unique_ptr<TFrameColorSelect> FrameColorSelect1;

protected:
    void FormCreate() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi, RECT& suggested) override;

private:
    LRESULT TreeNotify(NMHDR* header);
    LRESULT CustomDraw(NMTVCUSTOMDRAW& draw) const;
    void TreeView1Change(HTREEITEM item);
    void SetNodeColor(HTREEITEM item, std::int32_t color);
    void AddNodes(HTREEITEM parent, TDirStringList& node, const std::string& path);
    void BeginDrag(const NMTREEVIEWW& info);
    void EndDrag(bool drop);
    void SetClientWidth(int width);
    void MakeLeafIcon();

    HIMAGELIST imageList_ = nullptr;
    std::map<HTREEITEM, std::string> paths_;  // of the leaves
    std::int32_t shapeColor_ = 0xFFFFFF;
    bool dragging_ = false;
    std::int32_t dragColor_ = 0;
};

// EditColorScheme's steps over a dialog the caller made; true when it was closed with OK.
// After other closes that had applied edits, every form resets again to the reloaded scheme.
bool EditColorScheme(TFormColorSetUp& form);
