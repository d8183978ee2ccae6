// The main window's settings: colours from the scheme, fonts and options from the settings file.
#include "app/FmTODOmain.h"

#include <algorithm>
#include "app/FmTodoOption.h"
#include "background/BGprofile.h"
#include "background/kvneColors.h"
#include "framework/Application.h"
#include "support/Encoding_win.h"
#include "support/Shell.h"
#include "support/kvneGlobal.h"

namespace {

HFONT CreatePointFont(const std::string& face, int points, int charset, int dpi) {
    const int height = -PointFontPixels(points, dpi);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, static_cast<DWORD>(charset),
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                       ToWide(face).c_str());
}

int FontPixelHeight(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
}

}  // namespace

void TFmTODOmain::ApplySettings() {
    StartRender();
    WindowColor = static_cast<COLORREF>(ColorsList.GetColor(kColorWindowBackground));
    ActiveTitleColor = static_cast<COLORREF>(ColorsList.GetColor(kColorActiveTitle));
    InactiveTitleColor = static_cast<COLORREF>(ColorsList.GetColor(kColorInactiveTitle));
    OuterFrameColor = static_cast<COLORREF>(ColorsList.GetColor(kColorOuterFrame));
    InnerFrameColor = static_cast<COLORREF>(ColorsList.GetColor(kColorInnerFrame));
    List.WindowColor = WindowColor;
    List.Style.underlineColor = ColorsList.GetColor(kColorUnderline);
    List.Style.shadowColor = ColorsList.GetColor(kColorTextShadow);
    List.Style.highlightColor = ColorsList.GetColor(kColorHighlight);
    List.OverdueColor = ColorsList.GetColorOrDefault(kColorOverdue);
    List.TodayColor = ColorsList.GetColorOrDefault(kColorDueToday);
    List.DueMarks = MainSettings.Read(keys::Overdue);
    NotifyDue = MainSettings.Read(keys::Notify);

    const bool windowsXP = GlobalEnv.OSName() == "WindowsXP";
    TitleFace = windowsXP ? "Alba" : "Century Gothic";
    TitleDesignTop = windowsXP ? -8 : -4;
    MainSettings.ReadFont(keys::ScreenFont, ScreenFontSpec);
    MakeFonts();

    wchar_t separator[8] = L"/";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, 8);
    List.DateSeparator = FromWide(separator);
    List.Style.shadowOn = MainSettings.Read(keys::Shadow);
    // A hand-edited look past the list's is its nearest, as the options show it: none would
    // leave the selection unmarked.
    List.Style.highlightStyle = std::clamp(MainSettings.Read(keys::Selected), 0, kHighlightStyles - 1);
    // As the options offer it: a hand-edited distance past the screen's size would hold the
    // window to a corner wherever it is dragged.
    FitScreenPx = ClampSpinValue(MainSettings.Read(keys::FitScreenPx), TFmTodoOption::kFitScreenRange);
    WindowRound = MainSettings.Read(keys::WindowRound);
    InTaskTray = MainSettings.Read(keys::InTaskTray);
    TaskBarIcon1.SetEnabled(InTaskTray);
    WindowOnTop = MainSettings.Read(keys::WindowOnTop);
    FormFunc.FitScreenPx = FitScreenPx;
    FormFunc.SetWindowRound(WindowRound);
    FormFunc.SetWindowPosition(WindowOnTop ? wpTop : wpNormal);
    LinkCaption = MainSettings.Read(keys::Link);
    LinkLabel1.SetCaption(LinkCaption);
    LinkLabel1.AutoSize(TWindowDC(Handle()).Get());
    // Told, not taken for done: the option would say the program starts with Windows. Done at
    // start and after the options, not at every window reset, where a failure would be told
    // again with each finished rendering of the background.
    if (const int startup = MainSettings.Read(keys::Startup) ? 1 : 0; startup != startupApplied_) {
        startupApplied_ = startup;
        if (!RegisterStartup(startup != 0, GlobalEnv.ProductName()))
            Application.ReportError("スタートアップフォルダのショートカットを作成または削除できません。");
    }
    NewTextColor = static_cast<COLORREF>(MainSettings.Read(keys::NewTextColor));
    WordWrap = MainSettings.Read(keys::WordWrap);
    SortAuto = MainSettings.Read(keys::SortAuto);
    if (TMenuEntry* entry = PopupMenu1.Find("PsAuto")) entry->checked = SortAuto;
    // A hand-edited 0 or negative value would fire the timer without pause: one minute at least.
    const int minutes = std::clamp(MainSettings.Read(keys::PictureMinutes), 1, 9999);
    // Set again at every window reset: only a new interval restarts the count, and a timer a
    // dialog has stopped stays stopped.
    Timer1.SetInterval(static_cast<UINT>(minutes) * 60u * 1000u);

    InvalidateRect(Handle(), nullptr, FALSE);
}

void TFmTODOmain::MakeFonts() {
    // In points, at the window's dpi: a monitor of another scale gets its own pixels.
    TitleFont.Reset(CreatePointFont(TitleFace, 24, ANSI_CHARSET, Dpi()));
    TitleTop = ScaleForDpi(TitleDesignTop, Dpi());
    // The list's painter gets the new font before the old one is freed.
    TFontHandle screenFont(
        CreatePointFont(ScreenFontSpec.Name, ScreenFontSpec.Size, ScreenFontSpec.Charset, Dpi()));
    List.Text.SetFont(screenFont.Get());
    ScreenFont = std::move(screenFont);
    List.RowHeight = ListRowHeight(FontPixelHeight(ScreenFont.Get()), Dpi());
    List.Style.dpi = Dpi();
}

void TFmTODOmain::FormFuncWindowReset() {
    ApplySettings();
    LayoutList();
    InvalidateRect(Handle(), nullptr, FALSE);
}
