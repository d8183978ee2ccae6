// The options dialog "オプション設定": display, data and other settings on three tab pages.
// It stores into the main settings, the current picture's settings and Category.txt; the
// main window applies them after it closes, or at "変更適用" while it is open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/OptionRules.h"
#include "background/BGprofile.h"
#include "framework/Form.h"
#include "framework/Handles.h"
#include "settings/ProfileList.h"
#include "support/SelectFolder.h"

// An edit with an up-down control that keeps its value inside the range.
struct TSpinEdit {
    TControl* Edit = nullptr;
    TControl* UpDown = nullptr;
    TSpinRange Range{0, 0};
    int Value() const;
    void SetValue(int value) const;
};

class TFmTodoOption : public TForm {
public:
    static constexpr int kClientWidth = 412, kClientHeight = 304;
    static constexpr int kPageCount = 3;
    static constexpr int kTabsHeight = 24;
    static constexpr int kTabHeight = 18, kTabMinWidth = 54;  // each tab at 96 dpi
    static constexpr int kListHeight = 20;  // every drop-down list's closed field
    static constexpr TSpinRange kZoomRange{kMinPictureZoom, kMaxPictureZoom}, kAlphaRange{0, 100},
        kMinutesRange{1, 9999}, kFitScreenRange{0, 64};

    // Owned by the main window, which "変更適用" asks to apply the display page.
    explicit TFmTodoOption(HWND mainWindow);
    ~TFmTodoOption() override { DestroyHandle(); }

    void ShowPage(int page);
    int PageOf(const TControl* control) const;  // -1 for the controls of every page
    void ShowFontsAndFolder();
    void ShowPictureSettings();
    void SaveSettings(int page);

    void BtOKClick();
    void BtCancelClick();
    void BtDispApplyClick();
    void CmbPictureChange();
    void CMBvalignChange();
    void BtPictureDelClick();
    void BtDataFolderDefaultClick();
    void BtDataFolderSelectClick();
    void AddMarks(const std::string& marks);
    void BtCateDelClick();
    void LbxCategoryClick();
    std::vector<std::string> Categories() const;

    static bool Checked(const TControl* box);
    static void SetChecked(TControl* box, bool checked);
    static int ItemIndex(const TControl* list);  // of a drop-down list; -1 for none
    static void SetItemIndex(TControl* list, int index);

    TControl *PageControl1 = nullptr, *BtOK = nullptr, *BtCancel = nullptr;
    // 表示
    TControl *GbPicture = nullptr, *CmbPicture = nullptr, *BtPictureDel = nullptr, *CMBvalign = nullptr,
             *CMBhalign = nullptr, *CMBeffect = nullptr, *CMBrotation = nullptr, *CbPictureRandom = nullptr,
             *CBshadow = nullptr, *CBwordWrap = nullptr, *CBwindowRound = nullptr, *CBoverdue = nullptr, *CMBselected = nullptr,
             *GbFont = nullptr, *LBScreenFontName = nullptr, *LBScreenFontSize = nullptr, *BtScreenFont = nullptr,
             *Button1 = nullptr, *BtDispApply = nullptr;
    TSpinEdit SEzoom, SEalpha, SEmin;
    // データ
    TControl *LEdatafolder = nullptr, *BtDataFolderOpen = nullptr, *BtDataFolderDefault = nullptr,
             *BtDataFolderSelect = nullptr, *GbCategory = nullptr, *LbxCategory = nullptr, *EdCategory = nullptr,
             *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr, *BtCateDel = nullptr;
    // その他
    TControl *CBstartup = nullptr, *CBintasktray = nullptr, *CBwindowOnTop = nullptr, *CBnotify = nullptr, *LbLink = nullptr,
             *LeLink = nullptr, *GbPrintFont = nullptr, *LbPrintFontName = nullptr, *LbPrintFontSize = nullptr,
             *SpPrintFontColor = nullptr, *BtPrintFont = nullptr;
    TSpinEdit SEfitScreenPx;

    TFontSpec ScreenFont;  // FontDialog2: no colour, no effects, no simulated fonts
    TFontSpec PrintFont;   // FontDialog1: colour and effects
    TSelectFolder SelectFolder;
    std::string OpenedPicture;  // current when the dialog opened; cancel selects it again

protected:
    void FormCreate() override;
    void DpiChanged(int oldDpi, RECT& suggested) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool DialogKey(const MSG& msg) override;

private:
    struct TPlace {
        int left, top, width, height;
    };
    void CreateControls();
    void ScaleTabs() const;
    void CreateDisplayPage();
    void CreateDataPage();
    void CreateOtherPage();
    TControl* Add(int page, const wchar_t* className, DWORD style, TPlace place, const std::string& text = "");
    TControl* AddLabel(int page, TPlace place, const std::string& text);
    TControl* AddButton(int page, TPlace place, const std::string& text);
    TControl* AddCheck(int page, TPlace place, const std::string& text);
    TControl* AddList(int page, TPlace place, const std::vector<std::string>& entries);
    void FitListHeight(TControl* list) const;
    TSpinEdit AddSpin(int page, TPlace place, TSpinRange range);
    void LoadSettings();
    void LoadCategories();
    void AddCategory(const std::string& mark);
    bool RunFontDialog(TFontSpec& font, bool withEffects);
    void CheckFolder();
    void SelectOpenedPicture();

    HWND mainWindow_ = nullptr;
    TBrushHandle colorBrush_;
    std::vector<std::pair<TControl*, int>> pages_;  // each control with its page
    std::vector<std::string> marks_;                // each category entry's own bytes, by its item data
    std::vector<std::string> loadedMarks_;          // the list as it was read, in its order
    int nextId_ = 101;
};
