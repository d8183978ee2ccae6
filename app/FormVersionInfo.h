// The about window: the product name and the version line in the main window's look,
// closed with its button, Esc or Alt+C.
#pragma once

#include <string>

#include "framework/Form.h"
#include "framework/Handles.h"
#include "window/kvneButton.h"
#include "window/kvneFormFunc.h"

class TFormVersionInfo : public TForm {
public:
    static constexpr int kClientWidth = 260, kClientHeight = 112;

    explicit TFormVersionInfo(HWND owner);
    ~TFormVersionInfo() override { DestroyHandle(); }

    // "バージョン " and the file version of the program's version data.
    static std::string VersionLine();

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
};
