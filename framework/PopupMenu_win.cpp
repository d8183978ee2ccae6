#include "framework/PopupMenu.h"

#include "framework/Application.h"
#include "support/Encoding_win.h"

namespace {
// Each entry before its submenu's entries; the first one visit answers true for.
template <typename Entries, typename Visit>
auto Walk(Entries& entries, Visit& visit) -> decltype(entries.data()) {
    for (auto& entry : entries) {
        if (visit(entry)) return &entry;
        if (auto* found = Walk(entry.items, visit)) return found;
    }
    return nullptr;
}

// Ids follow Walk's order whether an entry is shown or not, so Build and CommandEntry agree.
// A hidden entry leaves no empty section: a separator next to another one, or at either end,
// is left out.
void Append(HMENU menu, const std::vector<TMenuEntry>& entries, UINT& nextId) {
    bool separatorPending = false, anyShown = false;
    for (const TMenuEntry& entry : entries) {
        const UINT id = nextId++;
        UINT childIds = id + 1;
        HMENU submenu = nullptr;
        if (!entry.items.empty()) {
            submenu = CreatePopupMenu();
            Append(submenu, entry.items, childIds);
        }
        nextId = childIds;
        if (!entry.visible) {
            if (submenu) DestroyMenu(submenu);
            continue;
        }
        if (entry.caption == "-") {
            separatorPending = anyShown;
            continue;
        }
        if (separatorPending) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        separatorPending = false;
        anyShown = true;
        UINT flags = MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED) | (entry.checked ? MF_CHECKED : MF_UNCHECKED);
        UINT_PTR item = id;
        if (submenu) {
            flags |= MF_POPUP;
            item = reinterpret_cast<UINT_PTR>(submenu);
        }
        AppendMenuW(menu, flags, item, ToWide(entry.caption).c_str());
    }
}
}  // namespace

TMenuEntry* TPopupMenu::Find(std::string_view name) {
    auto byName = [name](const TMenuEntry& entry) { return entry.name == name; };
    return Walk(items, byName);
}

TMenuHandle TPopupMenu::Build() const {
    TMenuHandle menu(CreatePopupMenu());
    UINT nextId = 1;
    Append(menu.Get(), items, nextId);
    return menu;
}

const TMenuEntry* TPopupMenu::CommandEntry(UINT id) const {
    UINT count = 0;
    auto nth = [&count, id](const TMenuEntry&) { return ++count == id; };
    return Walk(items, nth);
}

void TPopupMenu::Popup(int x, int y) {
    HWND owner = Application.MainForm() ? Application.MainForm() : Application.Handle();
    TMenuHandle menu = Build();
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    const UINT id = TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
    if (const TMenuEntry* entry = id ? CommandEntry(id) : nullptr; entry && entry->onClick) entry->onClick();
}
