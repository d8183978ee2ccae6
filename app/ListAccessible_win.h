// The main window's client area as screen readers see it: a list whose children are the items,
// and beside it the fold and close buttons and the link, found by their place.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/ListView.h"
#include "framework/Accessible_win.h"

// A part the window paints itself: a button or the link.
struct TAccessiblePart {
    std::function<std::string()> name;
    long role = ROLE_SYSTEM_PUSHBUTTON;
    std::function<RECT()> bounds;
    std::function<void()> press;
};

class TListAccessible : public TAccessible {
public:
    // activate opens an item (its default action); it must not run a modal loop inside the call.
    TListAccessible(HWND window, TListView& list, const TTodoStore& store, std::vector<TAccessiblePart> parts,
                    std::function<void(int)> activate);
    // The object of one part, as a hit test answers it (AddRef'd).
    IAccessible* Part(std::size_t index);

protected:
    int ChildCount() override;
    std::string Name(int child) override;
    long Role(int child) override { return child == 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM; }
    long State(int child) override;
    bool Bounds(int child, RECT& r) override;
    std::string DefaultAction(int child) override { return child > 0 ? "編集" : ""; }
    bool Select(int child, long flags) override;
    bool DoDefaultAction(int child) override;
    bool Covers(POINT p) override;
    int Focused() override;
    int Selected() override;
    IAccessible* PartAt(POINT p) override;

private:
    bool HasFocus() const;

    TListView& list_;
    const TTodoStore& store_;
    std::vector<TAccessiblePart> parts_;
    std::function<void(int)> activate_;
};
