// A popup menu described by its entries and built afresh at each popup, so what the entries
// say at that moment (visible, enabled, checked) is what the user sees.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Handles.h"

struct TMenuEntry {
    std::string name;
    std::string caption;  // Shift-JIS; "-" makes a separator
    bool enabled = true;
    bool checked = false;
    bool visible = true;
    std::function<void()> onClick;
    std::vector<TMenuEntry> items;  // a submenu when not empty
};

class TPopupMenu {
public:
    std::vector<TMenuEntry> items;

    // The entry of that name, in the submenus too; nullptr when there is none.
    TMenuEntry* Find(std::string_view name);

    // The menu as the entries say now; command ids count the entries from 1 in the order
    // CommandEntry takes them.
    TMenuHandle Build() const;
    const TMenuEntry* CommandEntry(UINT id) const;

    // Shows the menu at a screen point over the main form and runs the chosen entry's handler.
    void Popup(int x, int y);
};
