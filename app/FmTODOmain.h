// The main window: the to-do list in a small borderless window.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Form.h"
#include "framework/GdiObject.h"
#include "settings/ProfileList.h"
#include "todo/TodoData.h"

// Window class name of the main window; a second copy looks the first one up by it.
constexpr wchar_t kMainWindowClass[] = L"TFmTODOmain";

class TFmTODOmain : public TForm {
public:
    static constexpr int kDesignClientWidth = 334;
    static constexpr int kDesignClientHeight = 248;

    void Create();
    // Loads the items, the settings and the colour scheme from the data folder.
    void LoadData();
    // Colours, fonts and options from the settings and the colour scheme.
    void ApplySettings();

    TTodoData Items;
    std::string TodoFolder;
    int NormalHeight = 100;
    int SelectedItem = -1;

    // What ApplySettings takes from the colour scheme and the settings.
    COLORREF WindowColor = RGB(255, 255, 255);
    COLORREF ActiveTitleColor = 0, InactiveTitleColor = 0, UnderlineColor = 0, ShadowColor = 0;
    COLORREF InnerFrameColor = 0, OuterFrameColor = 0, NewTextColor = 0, HighlightColor = 0;
    TFontHandle TitleFont, ScreenFont;
    TFontSpec ScreenFontSpec;
    int TitleTop = -4;
    int RowHeight = 16;
    bool ShadowOn = true;
    int HighlightStyle = 0;
    bool WordWrap = false;
    // Options whose components take them as they arrive: window behaviour, tray icon, link label.
    int FitScreenPx = 32;
    bool WindowRound = true;
    bool InTaskTray = false;
    bool WindowOnTop = false;
    std::string LinkCaption;
    bool SortAuto = true;
    UINT Timer1Interval = 0;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void FormFuncWindowReset();
    void Paint(HDC dc);

    bool active_ = false;
    bool itemFileUnreadable_ = false;
};

// The maker's web page, the link's default.
extern const char* const kDefaultLink;
