// The main window: the to-do list in a small borderless window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <vector>

#include "app/FrameLayout.h"
#include "app/ListAccessible_win.h"
#include "app/ListView.h"
#include "background/Bitmap.h"
#include "framework/Form.h"
#include "framework/PopupMenu.h"
#include "framework/Timer.h"
#include "framework/Handles.h"
#include "settings/ProfileList.h"
#include "support/FolderWatcher_win.h"
#include "todo/DueDates.h"
#include "todo/TodoStore.h"
#include "window/LinkLabel.h"
#include "window/TaskBarIcon.h"
#include "window/kvneFormFunc.h"
#include "window/RegionUtils.h"
#include "window/kvneButton.h"

// Window class name of the main window; a second copy looks the first one up by it.
constexpr wchar_t kMainWindowClass[] = L"TFmTODOmain";
// The folder watcher's word that the item file's folder changed.
constexpr UINT WM_ITEMFILECHANGED = WM_APP + 20;
// Posted once the window is made: the first look at what is due, with its reminder.
constexpr UINT WM_CHECKDAY = WM_APP + 21;
// A screen reader's default action on an item: the editor opens once its call has returned.
constexpr UINT WM_EDITSELECTED = WM_APP + 22;
// From a second start: the window, or the dialog open over it, to the front.
constexpr UINT WM_COMEFORWARD = WM_APP + 23;

class TFmTODOmain : public TForm {
public:
    static constexpr int kDesignClientWidth = 334;
    static constexpr int kDesignClientHeight = 248;

    void Create();
    // A second start's word to the first copy to come forward; it never waits for the answer.
    static void BringForward(HWND first);
    // Loads the items, the settings and the colour scheme from the data folder.
    void LoadData();
    void WatchItemFile();
    std::string FolderBehindItemFile() const;
    // Colours, fonts and options from the settings and the colour scheme.
    void ApplySettings();

    // Layout and painting of the list.
    void LayoutList();
    TLineSettings LineSettings() const;
    void PlacePicture();
    void PaintList();
    void ScrollBarChange();
    // A background for the window's outer size from the picture library.
    void StartRender();
    void Timer1Timer();
    void FormResize();

    // The item commands, the selection and the menu.
    void PopupMenu1Popup();
    void P1VersionClick();
    // Registers every picture below the dropped names; the last one becomes the background.
    void FormFuncDropFinish(const std::vector<std::string>& names);
    // The same for the AddPicture folder, where only a picture not listed before becomes the
    // background: what stays there is met again at every start.
    void ImportAddPictureFolder();
    void OpenMenu(int screenX, int screenY);
    void AddItemDialog();
    void EditItemDialog(int index);
    // False when nothing was put on the clipboard (the failure is reported).
    bool P1todoCopyClick();
    void P1todoInsertClick() { PasteItem(ShownSelection()); }
    void PasteItem(int index);
    void P1todoCutClick();
    void ArchiveItem(int index);
    void PsAutoClick();
    void SortBy(int key);
    void FormKeyDown(WPARAM& key);
    void FoldClick();
    void UndoClick();
    void RedoClick();
    // The item file changed on disk (the folder watcher's message): other programs' changes merged.
    void ItemFileChanged();
    // "オプション設定": the options dialog with the picture timer stopped, then everything re-read.
    void P1optionClick();
    // "削除した項目...": the archive window; what it restores is saved at once.
    void P1archiveClick();
    int Selection() const { return List.Selection(); }
    // The selected item while it is in sight: folded, the window acts on none.
    int ShownSelection() const { return folded_ ? -1 : Selection(); }
    TPopupMenu PopupMenu1;

    // The items and every change of them; the window keeps only its view of them.
    TTodoStore Store;
    TTodoData& Items = Store.ItemsForLayout();  // read by the layout and the painting
    std::string TodoFolder;
    int NormalHeight = 100;
    // The rows, the place in them and the selection.
    TListView List{Store};

    TRegion PaintRegion;
    RECT PictureRect{};
    int FoldedHeight = 41;
    int TextColumnWidth = 0;
    bool LayoutPending = false;
    HWND ScrollBar = nullptr;
    TLinkLabel LinkLabel1;
    TkvneGctButton kvneGctButton1, kvneGctButton2;  // fold, close

    // What ApplySettings takes from the colour scheme and the settings.
    COLORREF WindowColor = RGB(255, 255, 255);
    COLORREF ActiveTitleColor = 0, InactiveTitleColor = 0;
    COLORREF InnerFrameColor = 0, OuterFrameColor = 0, NewTextColor = 0;
    TFontHandle TitleFont, ScreenFont;
    TFontSpec ScreenFontSpec;
    int TitleLeft = 4, TitleTop = -4;  // pixels at the window's dpi
    int TitleDesignTop = -4;           // at 96 dpi; lower with the older title face
    std::string TitleFace = "Century Gothic";
    int InnerFrameInset = 4;
    bool WordWrap = false;
    TkvneFormFunc FormFunc;
    TTaskBarIcon TaskBarIcon1;
    // Options whose components take them as they arrive: window behaviour, tray icon, link label.
    int FitScreenPx = 32;
    bool WindowRound = true;
    bool InTaskTray = false;
    bool WindowOnTop = false;
    std::string LinkCaption;
    bool SortAuto = true;
    TTimer Timer1{nullptr, 1};  // the random picture change

    // Due dates: the marks follow the day, a reminder comes at start and with every new day.
    std::function<TDateTime()> Clock = NowDateTime;
    TDayWatch DayWatch;
    TTimer DayTimer{nullptr, 2};  // looks for a new day once a minute
    bool NotifyDue = true;
    // At start and on every timer: on a new day the list measures from it, is laid out and
    // painted again, and the reminder shows.
    void CheckDay();
    void RemindDue();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FormCreate() override;
    void DpiChanged(int oldDpi, RECT& suggested) override;
    void FormDestroy() override;

private:
    void RegisterDropNames(const std::vector<std::string>& names, bool onlyNewBecomesCurrent);
    void FormShow();
    void FormPaint();
    void FormFuncWindowReset();
    void FormFuncCanDragMove(int mouseX, int mouseY, bool& dragMove);
    void SetUpFormFunc();
    void SetUpTaskBarIcon();
    void TaskBarIcon1MouseDown(TTrayButton button, int x, int y);
    void ComeForward();
    void CreateControls();
    void AnchorControls(int clientWidth);
    // The title, the list's font and rows, the link's and the buttons' fonts at the window's dpi.
    void MakeFonts();
    void SetFrameFonts();
    void PaintFrame(HDC dc);
    void CreateMenu();
    void SaveItems();
    // Tells once that the item file read last held characters Shift-JIS lacks, now "?".
    void TellLossyRead();
    // The sort chosen, as an undo or redo left it, into the settings.
    void FollowSortChoice();
    // Loads the new data folder's items, with those the old one could not save.
    void ChangeDataFolder();
    // At the end: the items to their file, else beside it, and the user told where.
    void SaveItemsAtExit();
    // Replaces the current list by the file's, after a large outside removal, or keeps it.
    bool AskTakeFileList();
    // The item file's folder, and the folder its link leads to when that is another.
    std::vector<std::unique_ptr<TFolderWatcher>> ItemWatchers;
    std::string WatchedBehind;  // the folder of the file the item file links to
    // A change of the item file met while a modal window ran: looked at again once it has closed.
    TTimer FileCheckTimer{nullptr, 3};
    void DeleteWithConfirmation();
    static LRESULT CALLBACK ScrollBarProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void OnMouse(UINT message, int x, int y);
    void FormMouseDown(int x, int y, bool rightButton);

    // Screen readers: the list's object, made at the first question, and the events they follow.
    LRESULT AnswerAccessibility(WPARAM wParam, LPARAM lParam, bool& answered);
    void NotifySelection();
    void DetachAccessibility();
    TListAccessible* accessible_ = nullptr;
    bool accessibilityClosed_ = false;
    int notifiedSelection_ = -1;
    TItemId notifiedId_ = 0;
    bool folded_ = false;

    bool active_ = false;
    bool creating_ = false;  // renderings wait for the window's final size
    bool paintFailed_ = false;
    bool trackingMouse_ = false;
    int wheelRest_ = 0;  // the part of a wheel notch not acted on yet
    int startupApplied_ = -1;  // the Startup option last taken up, -1 for none
};

