// The options dialog's settings: filling the pages, storing them, the picture list, the data
// folder and the category marks.
#include "app/FmTodoOption.h"


#include "background/BGprofile.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Messages.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/TextWork.h"
#include "support/kvneGlobal.h"
#include "todo/CategoryList.h"
#include "todo/FmTODOdata.h"

namespace {

// With long names too: a folder's short 8.3 name is the same folder.
std::string FullPath(const std::string& path) {
    const std::wstring wide = ToWide(path);
    wchar_t full[MAX_PATH * 2], longName[MAX_PATH * 2];
    const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH * 2, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 2) return path;
    const DWORD longLength = GetLongPathNameW(full, longName, MAX_PATH * 2);  // 0 for a missing one
    return PathFromWide(longLength == 0 || longLength >= MAX_PATH * 2 ? full : longName);
}

// The list's index of the value, the nearest end for one it does not hold.
void SetListValue(TControl* list, int value) {
    const int count = static_cast<int>(SendMessageW(list->Handle(), CB_GETCOUNT, 0, 0));
    TFmTodoOption::SetItemIndex(list, ClampSpinValue(value, {0, count - 1}));
}

std::string PointsText(int points) { return std::to_string(points) + " pt"; }

}  // namespace

void TFmTodoOption::LoadSettings() {
    RunSteps({[this] {
                  BGprofile.LoadPictureList();
                  OpenedPicture = BGprofile.CurrentPicture();
              },
              [this] { ShowPictureSettings(); },
              [this] {
                  SetChecked(CbPictureRandom, MainSettings.Read(keys::PictureRandom));
                  SEmin.SetValue(MainSettings.Read(keys::PictureMinutes));
                  SetChecked(CBwordWrap, MainSettings.Read(keys::WordWrap));
                  SetChecked(CBshadow, MainSettings.Read(keys::Shadow));
                  SetChecked(CBwindowRound, MainSettings.Read(keys::WindowRound));
                  SetChecked(CBoverdue, MainSettings.Read(keys::Overdue));
                  SetListValue(CMBselected, MainSettings.Read(keys::Selected));
                  MainSettings.ReadFont(keys::ScreenFont, ScreenFont);
              },
              [this] { LoadCategories(); },
              [this] {
                  SetChecked(CBstartup, MainSettings.Read(keys::Startup));
                  SetChecked(CBintasktray, MainSettings.Read(keys::InTaskTray));
                  SetChecked(CBwindowOnTop, MainSettings.Read(keys::WindowOnTop));
                  SetChecked(CBnotify, MainSettings.Read(keys::Notify));
                  SEfitScreenPx.SetValue(MainSettings.Read(keys::FitScreenPx));
                  if (!MainSettings.ReadFont(keys::PrintFont, PrintFont)) PrintFont.Size = 12;
                  LeLink->SetText(MainSettings.Read(keys::Link));
              },
              [this] { ShowFontsAndFolder(); }});
}

void TFmTodoOption::ShowFontsAndFolder() {
    LBScreenFontName->SetText(ScreenFont.Name);
    LBScreenFontSize->SetText(PointsText(ScreenFont.Size));
    LbPrintFontName->SetText(PrintFont.Name);
    LbPrintFontSize->SetText(PointsText(PrintFont.Size));
    InvalidateRect(SpPrintFontColor->Handle(), nullptr, TRUE);
    LEdatafolder->SetText(FolderText(GlobalEnv.DataFolder()));
}

void TFmTodoOption::ShowPictureSettings() {
    HWND list = CmbPicture->Handle();
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const std::vector<std::string>& pictures = BGprofile.Pictures();
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"\x6A19\x6E96"));  // 標準
    for (std::size_t i = 1; i < pictures.size(); ++i)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(ExtractFileName(pictures[i])).c_str()));
    SetItemIndex(CmbPicture, BGprofile.CurrentIndex());
    EnableControl(BtPictureDel->Handle(), BGprofile.CurrentIndex() != 0, CmbPicture->Handle());  // the default stays
    // As the window takes them: a hand-edited value shows what the background does.
    SetItemIndex(CMBvalign, PicturePlacement(BGprofile.Read(keys::PictureVAlign)));
    SetItemIndex(CMBhalign, PicturePlacement(BGprofile.Read(keys::PictureHAlign)));
    SEzoom.SetValue(BGprofile.Read(keys::PictureZoom));
    SEalpha.SetValue(BGprofile.Read(keys::PictureAlpha));
    SetItemIndex(CMBeffect, PictureChoice(BGprofile.Read(keys::PictureEffect)));
    SetItemIndex(CMBrotation, PictureChoice(BGprofile.Read(keys::PictureRotation)));
    CMBvalignChange();
}

void TFmTodoOption::CMBvalignChange() {
    EnableWindow(SEzoom.Edit->Handle(), ItemIndex(CMBvalign) > 0 && ItemIndex(CMBhalign) > 0);
    EnableWindow(SEzoom.UpDown->Handle(), IsWindowEnabled(SEzoom.Edit->Handle()));
}

void TFmTodoOption::CmbPictureChange() {
    if (ItemIndex(CmbPicture) < 0) SetItemIndex(CmbPicture, 0);
    const int index = ItemIndex(CmbPicture);
    const std::vector<std::string>& pictures = BGprofile.Pictures();
    if (index < static_cast<int>(pictures.size())) BGprofile.SelectPicture(pictures[static_cast<std::size_t>(index)]);
    ShowPictureSettings();
}

void TFmTodoOption::BtPictureDelClick() {
    const int index = ItemIndex(CmbPicture);
    if (index <= 0) return;
    BGprofile.DeletePicture(index);  // its files too, unless another listed picture needs them
    // The entry now chosen becomes current, so nothing of the deleted one is written again.
    const std::vector<std::string>& pictures = BGprofile.Pictures();
    const int chosen = PictureSelectionAfterDelete(index, static_cast<int>(pictures.size()));
    BGprofile.SelectPicture(pictures[static_cast<std::size_t>(chosen)]);
    ShowPictureSettings();
}

void TFmTodoOption::SaveSettings(int page) {
    if (page == 0) {
        const std::vector<std::string>& pictures = BGprofile.Pictures();
        const int index = ClampSpinValue(ItemIndex(CmbPicture), {0, static_cast<int>(pictures.size()) - 1});
        const std::string chosen = pictures[static_cast<std::size_t>(index)];
        MainSettings.Write(keys::PictureFileName, chosen);
        MainSettings.Write(keys::PictureRandom, Checked(CbPictureRandom));
        MainSettings.Write(keys::PictureMinutes, SEmin.Value());
        BGprofile.Write(keys::PictureVAlign, ItemIndex(CMBvalign));
        BGprofile.Write(keys::PictureHAlign, ItemIndex(CMBhalign));
        BGprofile.Write(keys::PictureZoom, SEzoom.Value());
        BGprofile.Write(keys::PictureAlpha, SEalpha.Value());
        BGprofile.Write(keys::PictureEffect, ItemIndex(CMBeffect));
        BGprofile.Write(keys::PictureRotation, ItemIndex(CMBrotation));
        MainSettings.Write(keys::WordWrap, Checked(CBwordWrap));
        MainSettings.Write(keys::Shadow, Checked(CBshadow));
        MainSettings.Write(keys::WindowRound, Checked(CBwindowRound));
        MainSettings.Write(keys::Overdue, Checked(CBoverdue));
        MainSettings.Write(keys::Selected, ItemIndex(CMBselected));
        MainSettings.WriteFont(keys::ScreenFont, ScreenFont);
        BGprofile.Save();
        BGprofile.SelectPicture(chosen);
    } else if (page == 1) {
        RunSteps({[this] {
                      // Untouched, the file stays as it is (blank lines, twins and all).
                      const std::vector<std::string> marks = Categories();
                      if (marks == loadedMarks_) return;
                      std::string text;
                      ReadWholeFile(CategoryFilePath(), text);
                      RefuseUtf16(CategoryFilePath(), text);
                      ReplaceFileSafely(CategoryFilePath(), CategoryFileText(marks, text));
                  },
                  [this] { CheckFolder(); }});
    } else if (page == 2) {
        MainSettings.Write(keys::WindowOnTop, Checked(CBwindowOnTop));
        MainSettings.Write(keys::Notify, Checked(CBnotify));
        MainSettings.Write(keys::InTaskTray, Checked(CBintasktray));
        MainSettings.Write(keys::FitScreenPx, SEfitScreenPx.Value());
        MainSettings.Write(keys::Startup, Checked(CBstartup));
        MainSettings.Write(keys::Link, LeLink->Text());
        MainSettings.WriteFont(keys::PrintFont, PrintFont);
    }
}

void TFmTodoOption::CheckFolder() {
    // Stored in full: the Startup shortcut starts the program in another working folder.
    const std::string typed = LEdatafolder->Text();
    const std::string full = typed.empty() ? typed : FullPath(typed), folder = StripTrailingBackslashes(full);
    // A file named todo takes the items' folder's place: nothing could be saved, even at the end.
    const char* refusal = !FolderExists(full)                ? "が存在しません。"
                          : !CanWriteInFolder(full)          ? "に書き込めません。"
                          : FileExists(folder + "\\todo") ? "には、項目のフォルダ todo と同じ名前のファイルがあります。"
                                                             : nullptr;
    if (refusal) {
        const std::string text =
            "データ保存フォルダに指定された\"" + folder + "\"" + refusal + "\r\n変更は保存されません。";
        MessageBoxW(Handle(), ToWide(text).c_str(), ToWide(Application.Title()).c_str(), MB_OK);
        return;
    }
    // One folder may be typed in many ways: only another folder changes anything.
    if (!SameFolderText(folder, FullPath(GlobalEnv.DataFolderPath()))) GlobalEnv.SetDataFolder(folder);
}

void TFmTodoOption::BtOKClick() {
    RunSteps({[this] { SaveSettings(0); }, [this] { SaveSettings(1); }, [this] { SaveSettings(2); },
              [] { MainSettings.Save(); }});
    ModalResult = mrOk;
    Close();
}

void TFmTodoOption::SelectOpenedPicture() {
    RunSteps({[this] { BGprofile.SelectPicture(OpenedPicture); }});
}

void TFmTodoOption::BtCancelClick() {
    SelectOpenedPicture();
    ModalResult = mrCancel;
    Close();
}

void TFmTodoOption::BtDispApplyClick() {
    SaveSettings(0);
    if (mainWindow_) SendMessageW(mainWindow_, WM_WINDOWRESET, 0, 0);
}

void TFmTodoOption::BtDataFolderDefaultClick() {
    const std::string folder = GlobalEnv.DefaultDataFolder();
    LEdatafolder->SetText(folder);
    ForceFolder(folder);
}

void TFmTodoOption::BtDataFolderSelectClick() {
    SelectFolder.Title = "データ保存フォルダを選択してください。";
    SelectFolder.Options = sfoUseNewStyle | sfoUseInitialFolder;
    SelectFolder.InitialFolder = LEdatafolder->Text();
    if (SelectFolder.Execute()) LEdatafolder->SetText(FolderText(StripTrailingBackslashes(SelectFolder.Folder)));
}

void TFmTodoOption::LoadCategories() {
    std::vector<std::string> marks = LoadCategoryMarks();
    if (!HasNoMark(marks)) marks.push_back(kNoMark);
    for (const std::string& mark : marks) AddCategory(mark);
    loadedMarks_ = Categories();
    LbxCategoryClick();
}

void TFmTodoOption::AddCategory(const std::string& mark) {
    HWND list = LbxCategory->Handle();
    const auto index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(mark).c_str()));
    if (index < 0) return;
    marks_.push_back(mark);
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(marks_.size() - 1));
}

std::vector<std::string> TFmTodoOption::Categories() const {
    std::vector<std::string> marks;
    const int count = static_cast<int>(SendMessageW(LbxCategory->Handle(), LB_GETCOUNT, 0, 0));
    // Each entry's own bytes: the way through Unicode may give others for the same characters.
    for (int i = 0; i < count; ++i) {
        const auto data = SendMessageW(LbxCategory->Handle(), LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        if (data >= 0 && static_cast<std::size_t>(data) < marks_.size())
            marks.push_back(marks_[static_cast<std::size_t>(data)]);
    }
    return marks;
}

void TFmTodoOption::AddMarks(const std::string& marks) {
    for (const std::string& mark : MarksToAdd(Categories(), marks)) AddCategory(mark);
}

void TFmTodoOption::BtCateDelClick() {
    HWND list = LbxCategory->Handle();
    const int selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (selected >= 0) {
        SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
        const int next =
            CategorySelectionAfterDelete(selected, static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
    }
    LbxCategoryClick();
}

void TFmTodoOption::LbxCategoryClick() {
    EnableControl(BtCateDel->Handle(), SendMessageW(LbxCategory->Handle(), LB_GETCURSEL, 0, 0) >= 0,
                  LbxCategory->Handle());
}
