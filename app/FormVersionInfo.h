// The about window: the product name and the version line in the main window's look,
// closed with its button, Esc or Alt+C.
#pragma once

#include <string>

#include "framework/Form.h"
#include "framework/Handles.h"
#include "window/kvneButton.h"
#include "window/kvneFormFunc.h"

class TAccessible;

class TFormVersionInfo : public TForm {
public:
    static constexpr int kClientWidth = 260, kClientHeight = 112;

    explicit TFormVersionInfo(HWND owner);
    ~TFormVersionInfo() override { DestroyHandle(); }

    // "バージョン " and the file version of the program's version data.
    static std::string VersionLine();
    // The texts the window paints, the product name first, and where each lies in the client area.
    static constexpr int kTextCount = 3;
    static std::string TextAt(int index);
    RECT TextBounds(int index) const;

    TkvneWinButton CloseButton;
    TkvneFormFunc FormFunc;

protected:
    void FormCreate() override;
    void DpiChanged(int oldDpi, RECT& suggested) override;
    void MakeFonts();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormPaint();
    bool IsCloseKey(UINT message, WPARAM key) const;

    HWND owner_;
    TFontHandle titleFont_, textFont_;
    TAccessible* accessible_ = nullptr;  // what a screen reader reads of the painted texts
};
