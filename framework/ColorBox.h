// A drop-down list of the 16 standard colours, each drawn as a square of the colour and its name.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/Form.h"

struct TStandardColor {
    std::int32_t color;  // $00BBGGRR
    const char* name;
};
inline constexpr TStandardColor kStandardColors[] = {
    {0x000000, "Black"},  {0x000080, "Maroon"},  {0x008000, "Green"}, {0x008080, "Olive"},
    {0x800000, "Navy"},   {0x800080, "Purple"},  {0x808000, "Teal"},  {0x808080, "Gray"},
    {0xC0C0C0, "Silver"}, {0x0000FF, "Red"},     {0x00FF00, "Lime"},  {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},   {0xFF00FF, "Fuchsia"}, {0xFFFF00, "Aqua"},  {0xFFFFFF, "White"},
};
// The box's colour without a selection.
inline constexpr std::int32_t kNoColor = static_cast<std::int32_t>(0xFF000000u);

// Lives no longer than its form, whose messages it sees first to draw its items.
class TColorBox {
public:
    TColorBox() = default;
    ~TColorBox();
    TColorBox(const TColorBox&) = delete;
    TColorBox& operator=(const TColorBox&) = delete;

    // A child of the form at args' place; args.id must be set and not be used by another control.
    void Create(TForm& form, TControlArgs args);
    TControl* Control() const { return control_; }
    HWND Handle() const { return control_ ? control_->Handle() : nullptr; }

    // Rows and the closed field again at the form's dpi, after it changed.
    void FitToDpi();

    // A colour not among the 16 leaves the box without a selection.
    void SetColor(std::int32_t color);
    // kNoColor without a selection.
    std::int32_t Color() const;
    int ItemIndex() const;

private:
    bool OnFormMessage(UINT message, LPARAM lParam, LRESULT& result);
    void DrawItem(const DRAWITEMSTRUCT& item) const;

    TForm* form_ = nullptr;
    TControl* control_ = nullptr;
    int hookId_ = 0;
    int id_ = 0;
    int designHeight_ = 0;
};

// Makes a drop-down list's closed field closedHeight pixels high and its open list rows entries long.
void SetComboHeights(HWND combo, int closedHeight, int rows);
