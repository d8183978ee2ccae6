// The main window as a screen reader sees it: a list of the items with their names, states
// and places, the events that follow the selection, and the painted buttons and link.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "DataFolderTest.h"
#include "app/FmTODOmain.h"
#include "app/FmArchive.h"
#include "app/FmTodoOption.h"
#include "app/FormVersionInfo.h"
#include "app/ListSpeech.h"
#include "background/FormColorSetUp.h"
#include "framework/Accessible_win.h"
#include "todo/FmTODOdata.h"
#include "framework/Handles.h"
#include "framework/Messages.h"
#include "support/Clipboard_win.h"

namespace {

VARIANT Child(long id) { return LongVariant(id); }

std::string Name(IAccessible* object, long child) {
    BSTR name = nullptr;
    if (FAILED(object->get_accName(Child(child), &name)) || !name) return "";
    const std::string text = FromWide(name);
    SysFreeString(name);
    return text;
}

long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* object, long child) {
    VARIANT v;
    VariantInit(&v);
    return SUCCEEDED((object->*get)(Child(child), &v)) && v.vt == VT_I4 ? v.lVal : -1;
}

RECT Location(IAccessible* object, long child) {
    long x = 0, y = 0, w = 0, h = 0;
    if (object->accLocation(&x, &y, &w, &h, Child(child)) != S_OK) return {};
    return {x, y, x + w, y + h};
}

std::vector<std::pair<DWORD, LONG>> gEvents;
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) gEvents.emplace_back(event, child);
}

class Accessibility : public DataFolderTest {
protected:
    void TearDown() override {
        if (list_) list_->Release();
        if (form_.Handle()) DestroyWindow(form_.Handle());
        DataFolderTest::TearDown();
    }
    void Start(int count) {
        std::string lines;
        for (int i = 0; i < count; ++i)
            lines += DateToText(45000 + i) + ",000000,\"item" + std::to_string(i) + "\",\"★\"\r\n";
        ReplaceFileSafely(Path("todo\\todo.txt"), lines);
        form_.Create();
        Application.SetMainForm(form_.Handle());
        ShowWindow(form_.Handle(), SW_SHOW);
        form_.PaintList();
        ASSERT_EQ(AccessibleObjectFromWindow(form_.Handle(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                             reinterpret_cast<void**>(&list_)),
                  S_OK);
    }
    RECT ScreenBounds(int item) {
        RECT r{};
        if (!form_.List.ItemBounds(item, r)) return {};
        MapWindowPoints(form_.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // Every child as painted: name, place, and whether it is shown and selected.
    void ExpectChildrenAsPainted() {
        long count = 0;
        ASSERT_EQ(list_->get_accChildCount(&count), S_OK);
        ASSERT_EQ(count, form_.Items.Count());
        for (int i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Name(list_, i + 1), SpokenItem(form_.Items.Item(i), NowDateTime()));
            EXPECT_EQ(Number(&IAccessible::get_accRole, list_, i + 1), ROLE_SYSTEM_LISTITEM);
            const long state = Number(&IAccessible::get_accState, list_, i + 1);
            RECT painted{};
            const bool shown = form_.List.ItemBounds(i, painted);
            EXPECT_EQ((state & STATE_SYSTEM_OFFSCREEN) == 0, shown);
            EXPECT_EQ((state & STATE_SYSTEM_SELECTED) != 0, i == form_.Selection());
            const RECT r = Location(list_, i + 1), expected = ScreenBounds(i);
            EXPECT_TRUE(EqualRect(&r, &expected));
        }
    }

    TComScope com_;  // as the program has it
    TFmTODOmain form_;
    IAccessible* list_ = nullptr;
};

}  // namespace

TEST_F(Accessibility, TheListHasTheItemsAsPaintedBeforeAndAfterScrollingAndSelecting) {
    Start(40);
    EXPECT_EQ(Number(&IAccessible::get_accRole, list_, CHILDID_SELF), ROLE_SYSTEM_LIST);
    ExpectChildrenAsPainted();
    EXPECT_EQ(Name(list_, 1).substr(Name(list_, 1).find(' ')), " ★ item0 期限切れ");
    form_.List.SetTopLine(20);
    form_.List.Select(25);
    form_.PaintList();
    ExpectChildrenAsPainted();
    VARIANT selected;
    ASSERT_EQ(list_->get_accSelection(&selected), S_OK);
    EXPECT_EQ(selected.lVal, 26);
    // A reader's selection is the window's.
    EXPECT_EQ(list_->accSelect(SELFLAG_TAKESELECTION, Child(3)), S_OK);
    EXPECT_EQ(form_.Selection(), 2);
    // Its default action opens the editor once the call has returned.
    EXPECT_EQ(list_->accDoDefaultAction(Child(2)), S_OK);
    EXPECT_EQ(form_.Selection(), 1);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, form_.Handle(), WM_EDITSELECTED, WM_EDITSELECTED, PM_REMOVE));
}

TEST_F(Accessibility, FocusAndSelectionEventsFollowTheDownKey) {
    Start(3);
    SetFocus(form_.Handle());
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, OnEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    gEvents.clear();
    SendMessageW(form_.Handle(), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(form_.Handle(), WM_KEYDOWN, VK_DOWN, 0);
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    UnhookWinEvent(hook);
    const std::vector<std::pair<DWORD, LONG>> expected{{EVENT_OBJECT_FOCUS, 1},
                                                       {EVENT_OBJECT_SELECTION, 1},
                                                       {EVENT_OBJECT_FOCUS, 2},
                                                       {EVENT_OBJECT_SELECTION, 2}};
    EXPECT_EQ(gEvents, expected);
    EXPECT_NE(Number(&IAccessible::get_accState, list_, 2) & STATE_SYSTEM_FOCUSED, 0);
}

// The events follow the item, not its place: a pasted item selected where the last one was is
// announced too.
TEST_F(Accessibility, ANewItemSelectedAtTheSamePlaceIsAnnounced) {
    Start(3);
    SetFocus(form_.Handle());
    SendMessageW(form_.Handle(), WM_KEYDOWN, VK_HOME, 0);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SELECTION, EVENT_OBJECT_SELECTION, nullptr, OnEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    gEvents.clear();
    ASSERT_TRUE(SetClipboardText(form_.Handle(), "20000101,000000,\"first\",\"★\""));
    form_.P1todoInsertClick();  // before item0, and first by its date
    ASSERT_EQ(form_.Selection(), 0);
    form_.PaintList();
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    UnhookWinEvent(hook);
    EXPECT_EQ(gEvents, (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_SELECTION, 1}}));
}

TEST_F(Accessibility, TheButtonsAndTheLinkHaveRolesAndNames) {
    Start(1);
    const auto partAt = [this](const RECT& r, long& role) {
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(form_.Handle(), &p);
        VARIANT child;
        VariantInit(&child);
        EXPECT_EQ(list_->accHitTest(p.x, p.y, &child), S_OK);
        if (child.vt != VT_DISPATCH) return std::string("not an object");
        IAccessible* part = nullptr;
        child.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&part));
        child.pdispVal->Release();
        const std::string name = Name(part, CHILDID_SELF);
        role = Number(&IAccessible::get_accRole, part, CHILDID_SELF);
        part->Release();
        return name;
    };
    const auto bounds = [](const TkvneGctButton& b) {
        return RECT{b.BtnDraw.Bounds().Left, b.BtnDraw.Bounds().Top, b.BtnDraw.Bounds().Right,
                    b.BtnDraw.Bounds().Bottom};
    };
    long role = 0;
    EXPECT_EQ(partAt(bounds(form_.kvneGctButton1), role), "折りたたむ");
    EXPECT_EQ(role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(partAt(bounds(form_.kvneGctButton2), role), "閉じる");
    EXPECT_EQ(role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(partAt(form_.LinkLabel1.Bounds(), role), form_.LinkLabel1.Caption());
    EXPECT_EQ(role, ROLE_SYSTEM_LINK);
    form_.FoldClick();
    EXPECT_EQ(partAt(bounds(form_.kvneGctButton1), role), "広げる");
    // The title is the window's own place.
    POINT title{12, 8};
    ClientToScreen(form_.Handle(), &title);
    VARIANT child;
    VariantInit(&child);
    EXPECT_EQ(list_->accHitTest(title.x, title.y, &child), S_OK);
    EXPECT_TRUE(child.vt == VT_I4 && child.lVal == CHILDID_SELF);
}

// A reader may hold the object after the window is gone: it answers, without the window.
TEST_F(Accessibility, AnObjectOutlivingTheWindowAnswersWithoutIt) {
    Start(2);
    POINT close{(form_.kvneGctButton2.BtnDraw.Bounds().Left + form_.kvneGctButton2.BtnDraw.Bounds().Right) / 2,
                form_.kvneGctButton2.BtnDraw.Bounds().Top + 4};
    ClientToScreen(form_.Handle(), &close);
    VARIANT part;
    VariantInit(&part);
    ASSERT_EQ(list_->accHitTest(close.x, close.y, &part), S_OK);
    ASSERT_EQ(part.vt, VT_DISPATCH);
    IAccessible* button = nullptr;
    part.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&button));
    part.pdispVal->Release();
    ASSERT_TRUE(button);
    DestroyWindow(form_.Handle());
    long count = -1;
    EXPECT_EQ(list_->get_accChildCount(&count), RPC_E_DISCONNECTED);
    EXPECT_EQ(Name(list_, 1), "");
    EXPECT_EQ(Name(button, CHILDID_SELF), "");  // the button went with its window
    EXPECT_EQ(button->accDoDefaultAction(Child(CHILDID_SELF)), E_INVALIDARG);
    button->Release();
}

namespace {

std::function<void()> gStep;
void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (gStep) gStep();
}

}  // namespace

// While a question is open the window takes no input, and no reader's action either: an
// editor opened under the question, or the close button taking both away, would lose work.
TEST_F(Accessibility, NoActionWhileAQuestionIsOpen) {
    Start(2);
    const RECT b = {form_.kvneGctButton2.BtnDraw.Bounds().Left, form_.kvneGctButton2.BtnDraw.Bounds().Top,
                    form_.kvneGctButton2.BtnDraw.Bounds().Right, form_.kvneGctButton2.BtnDraw.Bounds().Bottom};
    POINT p{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    ClientToScreen(form_.Handle(), &p);
    VARIANT part;
    VariantInit(&part);
    ASSERT_EQ(list_->accHitTest(p.x, p.y, &part), S_OK);
    ASSERT_EQ(part.vt, VT_DISPATCH);
    IAccessible* close = nullptr;
    part.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&close));
    part.pdispVal->Release();
    ASSERT_TRUE(close);

    form_.List.Select(1);
    HRESULT opened = S_OK, pressed = S_OK, selected = S_OK;
    bool posted = true;
    gStep = [&] {
        opened = list_->accDoDefaultAction(Child(1));
        selected = list_->accSelect(SELFLAG_TAKESELECTION, Child(1));
        pressed = close->accDoDefaultAction(Child(CHILDID_SELF));
        // Taken out before the question's loop would run them.
        MSG msg;
        posted = PeekMessageW(&msg, form_.Handle(), WM_EDITSELECTED, WM_EDITSELECTED, PM_REMOVE) ||
                 PeekMessageW(&msg, form_.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE);
        if (HWND box = FindWindowW(L"TFormMessage", nullptr)) PostMessageW(box, WM_CLOSE, 0, 0);
    };
    SetTimer(nullptr, 0, 300, RunStep);
    SendMessageW(form_.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    gStep = nullptr;
    close->Release();
    EXPECT_EQ(opened, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(selected, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(pressed, DISP_E_MEMBERNOTFOUND);
    EXPECT_FALSE(posted);
    EXPECT_EQ(form_.Selection(), 1);
    EXPECT_EQ(form_.Items.Count(), 2);
    // Afterwards the reader acts again.
    EXPECT_EQ(list_->accSelect(SELFLAG_TAKESELECTION, Child(1)), S_OK);
}

// The default action is for its item: merged away before it runs, no editor opens, where the
// new item's editor would take what the user means for the item.
TEST_F(Accessibility, TheDefaultActionOnAnItemGoneMeanwhileOpensNothing) {
    Start(3);
    ASSERT_EQ(list_->accDoDefaultAction(Child(3)), S_OK);
    std::string lines;
    for (int i = 0; i < 2; ++i)
        lines += DateToText(45000 + i) + ",000000,\"item" + std::to_string(i) + "\",\"★\"\r\n";
    ReplaceFileSafely(Path("todo\\todo.txt"), lines);
    SendMessageW(form_.Handle(), WM_ITEMFILECHANGED, 0, 0);
    ASSERT_EQ(form_.Items.Count(), 2);
    bool opened = false;
    gStep = [&opened] {
        if (HWND editor = FindWindowW(L"TFmTODOdata", nullptr)) {
            opened = true;
            PostMessageW(editor, WM_CLOSE, 0, 0);
        }
    };
    SetTimer(nullptr, 0, 300, RunStep);
    MSG msg;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 800; Sleep(5))
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    gStep = nullptr;
    EXPECT_FALSE(opened);
    EXPECT_EQ(form_.Items.Count(), 2);
}

namespace {

// Counts the editors open now and closes each, the innermost first.
int gEditorsSeen = 0;
void CALLBACK CloseEditors(HWND, UINT, UINT_PTR, DWORD) {
    std::vector<HWND> editors;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM out) -> BOOL {
            wchar_t name[32] = L"";
            GetClassNameW(hwnd, name, 32);
            if (lstrcmpW(name, L"TFmTODOdata") == 0 && IsWindowVisible(hwnd))
                reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&editors));
    gEditorsSeen = std::max(gEditorsSeen, static_cast<int>(editors.size()));
    for (HWND editor : editors) PostMessageW(editor, WM_CLOSE, 0, 0);
}

}  // namespace

// A reader acting twice before the first action has run opens one editor, not a second one
// over the first, whose OK would then overwrite what the second stored.
TEST_F(Accessibility, TwoDefaultActionsInARowOpenOneEditor) {
    Start(3);
    ASSERT_EQ(list_->accDoDefaultAction(Child(1)), S_OK);
    ASSERT_EQ(list_->accDoDefaultAction(Child(1)), S_OK);
    gEditorsSeen = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, CloseEditors);
    MSG msg;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 1500; Sleep(5))
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    KillTimer(nullptr, timer);
    EXPECT_EQ(gEditorsSeen, 1);
}

namespace {

BOOL CALLBACK AddUnnamed(HWND hwnd, LPARAM out) {
    wchar_t className[64] = L"";
    GetClassNameW(hwnd, className, 64);
    // A label is its text; a hidden page's controls are named when their page shows.
    // A list view's header is read through its column names.
    if (lstrcmpiW(className, L"Static") == 0 || lstrcmpiW(className, L"SysHeader32") == 0 ||
        !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE))
        return TRUE;
    IAccessible* object = nullptr;
    std::string name;
    if (SUCCEEDED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                             reinterpret_cast<void**>(&object)))) {
        name = Name(object, CHILDID_SELF);
        object->Release();
    }
    if (name.empty())
        reinterpret_cast<std::vector<std::string>*>(out)->push_back(FromWide(className) + " " +
                                                                   std::to_string(GetDlgCtrlID(hwnd)));
    return TRUE;
}

std::string ControlName(HWND control) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                          reinterpret_cast<void**>(&object))))
        return "";
    const std::string name = Name(object, CHILDID_SELF);
    object->Release();
    return name;
}

std::vector<std::string> Unnamed(HWND dialog) {
    std::vector<std::string> unnamed;
    EnumChildWindows(dialog, AddUnnamed, reinterpret_cast<LPARAM>(&unnamed));
    return unnamed;
}

}  // namespace

// The editor, the options on every page and the colour set-up: each control has a name a
// reader can say, the spin boxes, the date picker and the colour boxes included.
TEST_F(Accessibility, EveryControlOfTheDialogsHasAName) {
    TFmTODOdata editor(nullptr);
    EXPECT_EQ(Unnamed(editor.Handle()), std::vector<std::string>{});
    EXPECT_EQ(ControlName(editor.DateTimePicker1->Handle()), "期日");
    EXPECT_EQ(ControlName(editor.ColorBox1.Handle()), "文字色");
    TFmTodoOption options(nullptr);
    for (int page = 0; page < TFmTodoOption::kPageCount; ++page) {
        options.ShowPage(page);
        EXPECT_EQ(Unnamed(options.Handle()), std::vector<std::string>{}) << page;
    }
    options.ShowPage(0);  // a spin box is its label's, not a hidden page's label at the same place
    EXPECT_EQ(ControlName(options.SEalpha.UpDown->Handle()), "透明度");
    EXPECT_EQ(ControlName(options.CmbPicture->Handle()), "画像");
    EXPECT_EQ(ControlName(options.SEmin.Edit->Handle()), "画像を変える間隔(分)");
    options.ShowPage(1);  // in the 分類 box, not the data folder's label above it
    EXPECT_EQ(ControlName(options.LbxCategory->Handle()), "分類");
    EXPECT_EQ(ControlName(options.EdCategory->Handle()), "分類");
    TFormColorSetUp colors(nullptr);
    EXPECT_EQ(Unnamed(colors.Handle()), std::vector<std::string>{});
    TFmArchive archive(nullptr, Path("todo\\"));
    EXPECT_EQ(Unnamed(archive.Handle()), std::vector<std::string>{});
}

// The version window's own button is a push button by its caption, pressed by its default action.
TEST_F(Accessibility, TheVersionWindowsButtonIsAPushButton) {
    TFormVersionInfo about(nullptr);
    bool clicked = false;
    about.CloseButton.OnClick = [&] { clicked = true; };
    IAccessible* object = nullptr;
    ASSERT_HRESULT_SUCCEEDED(AccessibleObjectFromWindow(about.CloseButton.Handle(), static_cast<DWORD>(OBJID_CLIENT),
                                                        kIidAccessible, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(Name(object, CHILDID_SELF), "閉じる");
    EXPECT_EQ(Number(&IAccessible::get_accRole, object, CHILDID_SELF), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_HRESULT_SUCCEEDED(object->accDoDefaultAction(Child(CHILDID_SELF)));
    object->Release();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_TRUE(clicked);
}

// What the version window paints is read too: the product, the version line and the copyright.
TEST_F(Accessibility, TheVersionWindowsTextsAreRead) {
    TFormVersionInfo about(nullptr);
    IAccessible* object = nullptr;
    ASSERT_HRESULT_SUCCEEDED(AccessibleObjectFromWindow(about.Handle(), static_cast<DWORD>(OBJID_CLIENT),
                                                        kIidAccessible, reinterpret_cast<void**>(&object)));
    long count = 0;
    object->get_accChildCount(&count);
    ASSERT_EQ(count, TFormVersionInfo::kTextCount + 1);  // and the button
    for (int i = 0; i < TFormVersionInfo::kTextCount; ++i) {
        EXPECT_EQ(Name(object, i + 1), TFormVersionInfo::TextAt(i));
        EXPECT_EQ(Number(&IAccessible::get_accRole, object, i + 1), ROLE_SYSTEM_STATICTEXT);
    }
    EXPECT_NE(TFormVersionInfo::TextAt(1).find("バージョン"), std::string::npos);
    EXPECT_EQ(Number(&IAccessible::get_accRole, object, count), ROLE_SYSTEM_PUSHBUTTON);
    object->Release();
}
