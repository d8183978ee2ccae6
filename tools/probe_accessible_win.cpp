#include "probe_accessible_win.h"

#include <oleacc.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

void Print(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

VARIANT Child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring RoleName(long role) {
    switch (role) {
        case ROLE_SYSTEM_LIST: return L"list";
        case ROLE_SYSTEM_LISTITEM: return L"list item";
        case ROLE_SYSTEM_PUSHBUTTON: return L"push button";
        case ROLE_SYSTEM_LINK: return L"link";
        case ROLE_SYSTEM_TEXT: return L"text";
        case ROLE_SYSTEM_STATICTEXT: return L"static text";
        case ROLE_SYSTEM_CHECKBUTTON: return L"check box";
        case ROLE_SYSTEM_COMBOBOX: return L"combo box";
        case ROLE_SYSTEM_SPINBUTTON: return L"spin button";
        case ROLE_SYSTEM_PAGETABLIST: return L"tab list";
        case ROLE_SYSTEM_CLIENT: return L"client";
        case ROLE_SYSTEM_PROGRESSBAR: return L"progress bar";
        case ROLE_SYSTEM_SCROLLBAR: return L"scroll bar";
        case ROLE_SYSTEM_GROUPING: return L"grouping";
        case ROLE_SYSTEM_RADIOBUTTON: return L"radio button";
        case ROLE_SYSTEM_OUTLINE: return L"tree";
        default: return L"role " + std::to_wstring(role);
    }
}

std::wstring Describe(IAccessible* object, long child) {
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    object->get_accRole(Child(child), &role);
    object->get_accState(Child(child), &state);
    BSTR name = nullptr;
    object->get_accName(Child(child), &name);
    std::wstring line = RoleName(role.vt == VT_I4 ? role.lVal : -1) + L" \"" + (name ? name : L"") + L"\"";
    SysFreeString(name);
    const long s = state.vt == VT_I4 ? state.lVal : 0;
    if (s & STATE_SYSTEM_SELECTED) line += L" selected";
    if (s & STATE_SYSTEM_FOCUSED) line += L" focused";
    if (s & STATE_SYSTEM_OFFSCREEN) line += L" offscreen";
    return line + L"\n";
}

IAccessible* ClientObject(HWND hwnd) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                               reinterpret_cast<void**>(&object));
    return object;
}

BOOL CALLBACK PrintChildWindow(HWND hwnd, LPARAM) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    wchar_t className[64] = L"";
    GetClassNameW(hwnd, className, 64);
    if (IAccessible* object = ClientObject(hwnd)) {
        Print(L"window " + std::wstring(className) + L": " + Describe(object, CHILDID_SELF));
        object->Release();
    }
    return TRUE;
}

}  // namespace

int PrintAccessibleTree(HWND window) {
    CoInitialize(nullptr);
    IAccessible* client = ClientObject(window);
    if (!client) return 1;
    Print(Describe(client, CHILDID_SELF));
    long count = 0;
    client->get_accChildCount(&count);
    for (long c = 1; c <= count; ++c) Print(L"  " + Describe(client, c));

    // The caption strip, pointed at every two pixels as a reader's mouse would.
    RECT r;
    GetClientRect(window, &r);
    std::set<std::wstring> seen;
    for (int y = 0; y < 32; y += 2)
        for (int x = 0; x < r.right; x += 2) {
            POINT p{x, y};
            ClientToScreen(window, &p);
            VARIANT child;
            VariantInit(&child);
            if (client->accHitTest(p.x, p.y, &child) != S_OK || child.vt != VT_DISPATCH) continue;
            IAccessible* part = nullptr;
            child.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&part));
            child.pdispVal->Release();
            if (!part) continue;
            const std::wstring line = Describe(part, CHILDID_SELF);
            if (seen.insert(line).second) Print(L"at a point: " + line);
            part->Release();
        }
    client->Release();
    EnumChildWindows(window, PrintChildWindow, 0);
    return 0;
}
