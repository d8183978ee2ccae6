#include "app/FmTODOmain.h"

#include <windowsx.h>

#include <algorithm>

#include "background/BGprofile.h"
#include "background/RenderHost_win.h"
#include "background/kvneColors.h"
#include "framework/Application.h"
#include "framework/Messages.h"
#include "support/Encoding_win.h"
#include "support/FileIO.h"
#include "support/FileWork.h"
#include "support/TextWork.h"
#include "support/kvneGlobal.h"

void TFmTODOmain::Create() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CreateArgs args;
    args.className = kMainWindowClass;
    args.caption = "TODO";
    args.style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    args.clientWidth = kDesignClientWidth;
    args.clientHeight = kDesignClientHeight;
    // Centred on the primary monitor, whose work area this is, at its scale.
    const int dpi = SystemDpi();
    args.left = work.left + (work.right - work.left - MulDiv(kDesignClientWidth, dpi, kDesignDpi)) / 2;
    args.top = work.top + (work.bottom - work.top - MulDiv(kDesignClientHeight, dpi, kDesignDpi)) / 2;
    args.owner = Application.Handle();
    args.icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    CreateHandle(args);
    Application.SetMainForm(Handle());
}

void TFmTODOmain::FormCreate() {
    Timer1.SetOwner(Handle());
    Timer1.OnTimer = [this] { Timer1Timer(); };
    DayTimer.SetOwner(Handle());
    DayTimer.SetInterval(60 * 1000);
    DayTimer.OnTimer = [this] { CheckDay(); };
    FileCheckTimer.SetEnabled(false);
    FileCheckTimer.SetInterval(500);
    FileCheckTimer.SetOwner(Handle());
    FileCheckTimer.OnTimer = [this] { ItemFileChanged(); };
    List.Today = Clock();  // the first paint already marks the dates; the reminder waits for WM_CHECKDAY
    BGprofile.SetRenderHost(std::make_shared<TWin32RenderHost>(Handle()));
    SetUpFormFunc();
    SetUpTaskBarIcon();
    // The place comes last but inside creation: no size message of the design height may
    // overwrite the unfolded height read with the settings.
    // Only the rendering for the final size starts: every earlier one would be thrown away.
    creating_ = true;
    RunSteps({[this] { CreateControls(); }, [this] { LoadData(); }, [this] { List.Select(-1); },
              [this] { ApplySettings(); }, [this] { LayoutList(); }, [this] { FormFunc.LoadPosition(); }});
    creating_ = false;
    RunSteps({[this] { StartRender(); }});
    PostMessageW(Handle(), WM_CHECKDAY, 0, 0);
}

void TFmTODOmain::SetFrameFonts() {
    const int pixels = MainFrameLayout(kDesignClientWidth, Dpi()).markFontHeight;
    LOGFONTW uiFont{};
    uiFont.lfHeight = -pixels;
    uiFont.lfCharSet = ANSI_CHARSET;
    wcscpy(uiFont.lfFaceName, L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF");  // ＭＳ Ｐゴシック
    LinkLabel1.SetFont(uiFont);
    LOGFONTW marlett{};
    marlett.lfHeight = -pixels;
    marlett.lfCharSet = SYMBOL_CHARSET;
    wcscpy(marlett.lfFaceName, L"Marlett");
    for (TkvneGctButton* button : {&kvneGctButton1, &kvneGctButton2}) button->BtnDraw.SetFont(marlett, RGB(0, 0, 0));
}

void TFmTODOmain::CreateControls() {
    for (TkvneGctButton* button : {&kvneGctButton1, &kvneGctButton2}) {
        button->SetOwner(Handle());
        TkvneBtnDraw& d = button->BtnDraw;
        d.SetTransParent(true);
        d.SetColorBack(0xFFFFFF);
        d.SetColorDown(0);
        d.SetColorOver(0x60A0FF);
        d.SetColorFocus(0xFFA080);
        d.SetOverDrawType(dtAlpha);
        d.SetOverDrawAlpha(128);
    }
    SetFrameFonts();
    AnchorControls(Scale(kDesignClientWidth));
    kvneGctButton1.SetCaption("t");
    kvneGctButton2.SetCaption("r");
    kvneGctButton1.OnClick = [this] { FoldClick(); };
    kvneGctButton2.OnClick = [this] { PostMessageW(Handle(), WM_CLOSE, 0, 0); };
    // Its place comes with the first layout.
    ScrollBar = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | SBS_VERT, 0, 0, 0, 0, Handle(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SetWindowSubclass(ScrollBar, ScrollBarProc, 1, reinterpret_cast<DWORD_PTR>(this));
    List.OnScrolled = [this](int line) {
        if (GetScrollPos(ScrollBar, SB_CTL) != line) SetScrollPos(ScrollBar, SB_CTL, line, TRUE);
    };
    CreateMenu();
}

void TFmTODOmain::AnchorControls(int clientWidth) {
    // The link label and both buttons keep their distance to the right edge; the link has the
    // design width until it fits its caption.
    const int sized = LinkLabel1.Bounds().right - LinkLabel1.Bounds().left;
    const TFrameLayout f = MainFrameLayout(clientWidth, Dpi(), sized, TitleDesignTop);
    LinkLabel1.SetBounds(f.link.Left, f.link.Top, f.link.Width(), f.link.Height());
    TitleLeft = f.titleLeft;
    TitleTop = f.titleTop;
    InnerFrameInset = f.innerFrameInset;
    const TRect& fold = f.foldButton;
    const TRect& close = f.closeButton;
    if (kvneGctButton1.BtnDraw.Bounds().Left != fold.Left || kvneGctButton1.BtnDraw.Bounds().Width() != fold.Width()) {
        kvneGctButton1.SetBounds(fold.Left, fold.Top, fold.Width(), fold.Height());
        kvneGctButton2.SetBounds(close.Left, close.Top, close.Width(), close.Height());
    }
}

void TFmTODOmain::DpiChanged(int oldDpi, RECT& suggested) {
    // Heights the window keeps for folding follow the scale; the rest is laid out anew.
    NormalHeight = MulDiv(NormalHeight, Dpi(), oldDpi);
    SetFrameFonts();
    MakeFonts();
    LinkLabel1.AutoSize(TWindowDC(Handle()).Get());
    LayoutList();  // the folded height at the new scale
    if (folded_) suggested.bottom = suggested.top + FoldedHeight;
    StartRender();  // the background for the new number of pixels
}

void TFmTODOmain::LoadData() {
    const std::string dataPath = GlobalEnv.DataFolderPath();
    TodoFolder = dataPath + "todo\\";
    // A stored folder where a file sits, or on a drive that is gone: the list would show no
    // item and nothing would say why until the first save failed.
    if (!ForceFolder(TodoFolder))
        Application.ReportError("フォルダ\"" + StripTrailingBackslashes(TodoFolder) +
                                "\"を作成できません。\r\n項目は保存されません。");
    ForceFolder(dataPath + "picture\\");

    Store.SetFolder(TodoFolder);
    Store.ConfirmLargeChange = [this] { return AskTakeFileList(); };
    try {
        Store.Load(dataPath + "todo.txt");  // the item file's older place, read but never written
    } catch (const std::exception& e) {
        // Reported, and the rest still loads; the file is never written over before it reads,
        // and is tried again at every change and save.
        Application.ShowException(e);
    }
    TellLossyRead();
    WatchItemFile();

    MainSettings.UseDefaultFileName(dataPath, GlobalEnv.ExeFileName());
    try {
        MainSettings.Load();
    } catch (const std::exception& e) {
        Application.ShowException(e);  // the defaults meanwhile; the file is never written over
    }
    // Kept at 96 dpi, as the sizes in application.ini are.
    NormalHeight = Scale(MainSettings.Read(keys::NormalHeight));

    // The picture, its settings and its colour scheme; the caller renders it.
    BGprofile.SetDataFolderPath(dataPath);
    try {
        BGprofile.LoadPictureList();
    } catch (const std::exception& e) {
        Application.ShowException(e);  // the default picture is shown meanwhile
    }
    if (!(MainSettings.Read(keys::PictureRandom) && BGprofile.SelectRandomPicture()))
        BGprofile.SelectPicture(MainSettings.Read(keys::PictureFileName));
    ImportAddPictureFolder();
}

void TFmTODOmain::Timer1Timer() {
    Timer1.SetEnabled(false);
    // The new picture's settings and colours take effect when its rendering ends.
    if (MainSettings.Read(keys::PictureRandom) && BGprofile.SelectRandomPicture()) StartRender();
    Timer1.SetEnabled(true);
}

void TFmTODOmain::FormShow() { TaskBarIcon1.UpdateTaskbarButton(); }

void TFmTODOmain::FormPaint() {
    try {
        {
            TPaintDC dc(Handle());
            PaintFrame(dc.Get());
        }
        PaintList();
        paintFailed_ = false;
    } catch (const std::exception& e) {
        // The report's box makes the window paint again: one report until painting succeeds.
        if (!paintFailed_) Application.ShowException(e);
        paintFailed_ = true;
    }
}

std::string TFmTODOmain::FolderBehindItemFile() const {
    const std::string behind = FileBehind(Store.FilePath());
    const std::size_t separator = LastSeparator(behind);
    return separator == std::string::npos ? std::string() : behind.substr(0, separator);
}

void TFmTODOmain::WatchItemFile() {
    ItemWatchers.clear();
    const std::string folder = TodoFolder.substr(0, TodoFolder.size() - 1);
    ItemWatchers.push_back(std::make_unique<TFolderWatcher>(ToWide(folder), Handle(), WM_ITEMFILECHANGED));
    // An item file that is a link into a synced folder changes there.
    WatchedBehind = FolderBehindItemFile();
    if (WatchedBehind.empty() || SameTextSjis(WatchedBehind, folder)) return;
    ItemWatchers.push_back(std::make_unique<TFolderWatcher>(ToWide(WatchedBehind), Handle(), WM_ITEMFILECHANGED));
}

void TFmTODOmain::FormDestroy() {
    // A question of the exit save runs a message loop: no timer may act on the ending window.
    for (TTimer* timer : {&Timer1, &DayTimer, &FileCheckTimer}) timer->SetEnabled(false);
    TaskBarIcon1.Remove();
    DetachAccessibility();
    // A rendering still running is left behind: it owns all it touches.
    BGprofile.Shutdown();
    // Each step is reported on its own and never keeps the next one, or the end, from coming.
    ItemWatchers.clear();
    RunSteps({[this] { SaveItemsAtExit(); },
              [this] {
                  MainSettings.Write(keys::NormalHeight, UnscaleForDpi(NormalHeight, Dpi()));
                  MainSettings.Save();
              }});
}

LRESULT TFmTODOmain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETOBJECT: {
        bool answered = false;
        const LRESULT result = AnswerAccessibility(wParam, lParam, answered);
        if (answered) return result;
        break;
    }
    case WM_EDITSELECTED:
        // For the item the reader acted on; gone meanwhile, nothing opens rather than a new item.
        // A second action posted before the first ran finds its editor open: no second one.
        if (Selection() < 0 || Application.ModalLevel() > 0) return 0;
        EditItemDialog(Selection());
        UpdateWindow(Handle());
        return 0;
    case WM_ITEMFILECHANGED:
        for (const auto& watcher : ItemWatchers) watcher->Handled();
        // The item file was made a link, or one to another place, while the program ran.
        if (!SameTextSjis(FolderBehindItemFile(), WatchedBehind)) WatchItemFile();
        ItemFileChanged();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) FormShow();
        break;
    case WM_ACTIVATEAPP:
        active_ = wParam != FALSE;  // the title's colour follows the application's activation
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        break;
    case WM_SIZE:
        // Minimised, the window has the icon's height, which is neither folded nor its own.
        if (ScrollBar && wParam != SIZE_MINIMIZED) FormResize();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = Scale(58);
        info->ptMinTrackSize.y = FoldedHeight;
        return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: OnMouse(message, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_CONTEXTMENU: return 0;  // the menu opens on the press and on its key
    case WM_KEYDOWN: FormKeyDown(wParam); return 0;
    case WM_SYSKEYDOWN:
        // Shift+F10, the menu key of keyboards without one (F10 is a system key).
        if (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
            WPARAM key = VK_APPS;
            FormKeyDown(key);
            return 0;
        }
        break;
    case WM_MOUSEWHEEL: {
        // An item a notch: a touchpad sends parts of one, which add up; a fast wheel, several.
        if (folded_) return 0;  // the list is out of sight
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        if ((delta < 0) != (wheelRest_ < 0)) wheelRest_ = 0;  // turned the other way
        wheelRest_ += delta;
        for (; wheelRest_ <= -WHEEL_DELTA; wheelRest_ += WHEEL_DELTA) List.SelectNext();
        for (; wheelRest_ >= WHEEL_DELTA; wheelRest_ -= WHEEL_DELTA) List.SelectPrevious();
        PaintList();
        return 0;
    }
    case WM_MOUSELEAVE:
        trackingMouse_ = false;
        kvneGctButton1.MouseLeave();
        kvneGctButton2.MouseLeave();
        if (LinkLabel1.MouseMove(-1, -1)) InvalidateRect(Handle(), &LinkLabel1.Bounds(), FALSE);
        return 0;
    case WM_SETCURSOR: {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(Handle(), &p);
        if (LOWORD(lParam) == HTCLIENT && LinkLabel1.Contains(p.x, p.y)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_VSCROLL: {
        SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(ScrollBar, SB_CTL, &info);
        int position = info.nPos;
        switch (LOWORD(wParam)) {
        case SB_LINEUP: --position; break;
        case SB_LINEDOWN: ++position; break;
        case SB_PAGEUP: position -= List.VisibleRows(); break;
        case SB_PAGEDOWN: position += List.VisibleRows(); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: position = info.nTrackPos; break;
        case SB_TOP: position = 0; break;
        case SB_BOTTOM: position = info.nMax; break;
        default: return 0;
        }
        SetScrollPos(ScrollBar, SB_CTL, std::max(0, position), TRUE);
        ScrollBarChange();
        return 0;
    }
    case WM_TIMER:
        if (!Timer1.Handle(wParam) && !DayTimer.Handle(wParam)) FileCheckTimer.Handle(wParam);
        return 0;
    case WM_CHECKDAY: CheckDay(); return 0;
    case WM_COMEFORWARD: ComeForward(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: FormPaint(); return 0;
    }
    return TForm::OnMessage(message, wParam, lParam);
}
