#include "app/ListAccessible_win.h"

#include "app/ListSpeech.h"
#include "framework/Application.h"

namespace {

// While a modal window runs, the main window takes no input; a reader's action would run under
// the question or editor (a second editor, or the close button taking the open one away).
bool ActionsRefused() { return Application.ModalLevel() > 0; }

class TPartAccessible : public TAccessible {
public:
    TPartAccessible(TAccessible* parent, const TAccessiblePart& part)
        : TAccessible(parent->Window()), parent_(parent), part_(part) {
        parent_->AddRef();
    }
    ~TPartAccessible() override { parent_->Release(); }
    // Gone with the list: the part's calls reach into the window.
    HWND Window() const override { return parent_->Window(); }

protected:
    std::string Name(int) override { return part_.name(); }
    long Role(int) override { return part_.role; }
    long State(int) override { return part_.role == ROLE_SYSTEM_LINK ? STATE_SYSTEM_LINKED : 0; }
    bool Bounds(int, RECT& r) override {
        r = part_.bounds();
        return true;
    }
    std::string DefaultAction(int) override { return part_.role == ROLE_SYSTEM_LINK ? "ジャンプ" : "押す"; }
    bool DoDefaultAction(int) override {
        if (!Window() || !part_.press || ActionsRefused()) return false;
        part_.press();
        return true;
    }
    IDispatch* Parent() override {
        parent_->AddRef();
        return parent_;
    }

private:
    TAccessible* parent_;
    TAccessiblePart part_;
};

}  // namespace

TListAccessible::TListAccessible(HWND window, TListView& list, const TTodoStore& store,
                                 std::vector<TAccessiblePart> parts, std::function<void(int)> activate)
    : TAccessible(window), list_(list), store_(store), parts_(std::move(parts)), activate_(std::move(activate)) {}

IAccessible* TListAccessible::Part(std::size_t index) {
    return index < parts_.size() ? new TPartAccessible(this, parts_[index]) : nullptr;
}

int TListAccessible::ChildCount() { return Window() ? store_.Count() : 0; }

std::string TListAccessible::Name(int child) {
    if (child == 0) return "項目";
    return SpokenItem(store_.Items().Item(child - 1), list_.Today);
}

bool TListAccessible::HasFocus() const { return GetFocus() == Window(); }

long TListAccessible::State(int child) {
    if (child == 0) return STATE_SYSTEM_FOCUSABLE | (HasFocus() ? STATE_SYSTEM_FOCUSED : 0);
    long state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    RECT r;
    if (!list_.ItemBounds(child - 1, r)) state |= STATE_SYSTEM_OFFSCREEN;
    if (list_.Selection() == child - 1) {
        state |= STATE_SYSTEM_SELECTED;
        if (HasFocus()) state |= STATE_SYSTEM_FOCUSED;
    }
    return state;
}

bool TListAccessible::Bounds(int child, RECT& r) {
    if (child == 0) {
        r = list_.Rect;
        return true;
    }
    return list_.ItemBounds(child - 1, r);
}

bool TListAccessible::Select(int child, long flags) {
    if (child == 0 || !(flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS | SELFLAG_ADDSELECTION)) || ActionsRefused())
        return false;
    list_.Select(child - 1);
    list_.ShowSelection();
    InvalidateRect(Window(), &list_.Rect, FALSE);
    return true;
}

bool TListAccessible::DoDefaultAction(int child) {
    if (child == 0 || !activate_ || ActionsRefused()) return false;
    list_.Select(child - 1);
    activate_(child - 1);
    return true;
}

bool TListAccessible::Covers(POINT p) {
    RECT client;
    GetClientRect(Window(), &client);
    return PtInRect(&client, p) != FALSE;
}

int TListAccessible::Focused() {
    if (!HasFocus()) return -1;
    return list_.Selection() + 1;  // the list itself while nothing is selected
}

int TListAccessible::Selected() { return list_.Selection() + 1; }

IAccessible* TListAccessible::PartAt(POINT p) {
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        const RECT r = parts_[i].bounds();
        if (PtInRect(&r, p)) return Part(i);
    }
    return nullptr;
}
