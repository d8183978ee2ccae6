// The main window: the to-do list in a small borderless window.
#pragma once

#include <string>

#include "framework/Form.h"
#include "todo/TodoData.h"

// Window class name of the main window; a second copy looks the first one up by it.
constexpr wchar_t kMainWindowClass[] = L"TFmTODOmain";

class TFmTODOmain : public TForm {
public:
    static constexpr int kDesignClientWidth = 334;
    static constexpr int kDesignClientHeight = 248;

    void Create();
    // Loads the items (and everything else the window shows) from the data folder.
    void LoadData();

    TTodoData Items;
    std::string TodoFolder;
    int NormalHeight = 100;
    int SelectedItem = -1;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void ApplySettings();
    void Paint(HDC dc);

    COLORREF windowColor_ = RGB(255, 255, 255);
    COLORREF activeTitleColor_ = RGB(255, 0, 0);
    COLORREF inactiveTitleColor_ = RGB(192, 192, 192);
    HFONT titleFont_ = nullptr;
    int titleTop_ = -4;
    bool active_ = false;
    bool itemFileUnreadable_ = false;
};
