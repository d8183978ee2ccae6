#include "framework/Accessible_win.h"

#include <commctrl.h>

#include <climits>
#include <vector>

#include "support/Encoding_win.h"

const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

VARIANT LongVariant(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

HRESULT TAccessible::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidAccessible)) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG TAccessible::Release() {
    const ULONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

HRESULT TAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TAccessible::Empty(BSTR* text) {
    if (!text) return E_POINTER;
    *text = nullptr;
    return S_FALSE;
}

HRESULT TAccessible::Text(const std::string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocString(ToWide(text).c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

int TAccessible::ChildOf(const VARIANT& child) {
    if (!Window() || child.vt != VT_I4) return -1;
    return child.lVal >= 0 && child.lVal <= ChildCount() ? child.lVal : -1;
}

IDispatch* TAccessible::Parent() {
    IDispatch* parent = nullptr;
    if (Window()) AccessibleObjectFromWindow(Window(), static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                            reinterpret_cast<void**>(&parent));
    return parent;
}

HRESULT TAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    if (!Window()) return RPC_E_DISCONNECTED;
    *parent = Parent();
    return *parent ? S_OK : S_FALSE;
}

HRESULT TAccessible::get_accChildCount(long* count) {
    if (!count) return E_POINTER;
    if (!Window()) return RPC_E_DISCONNECTED;
    *count = ChildCount();
    return S_OK;
}

HRESULT TAccessible::get_accChild(VARIANT child, IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ChildOf(child) > 0 ? S_FALSE : E_INVALIDARG;  // the children are simple elements
}

HRESULT TAccessible::get_accName(VARIANT child, BSTR* name) {
    const int c = ChildOf(child);
    if (c < 0) return name ? (*name = nullptr, E_INVALIDARG) : E_POINTER;
    return Text(Name(c), name);
}

HRESULT TAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    const int c = ChildOf(child);
    if (c < 0) return E_INVALIDARG;
    *role = LongVariant(Role(c));
    return S_OK;
}

HRESULT TAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    const int c = ChildOf(child);
    if (c < 0) return E_INVALIDARG;
    *state = LongVariant(State(c));
    return S_OK;
}

HRESULT TAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
}

HRESULT TAccessible::get_accFocus(VARIANT* focus) {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    if (!Window()) return RPC_E_DISCONNECTED;
    const int c = Focused();
    if (c < 0) return S_FALSE;
    *focus = LongVariant(c);
    return S_OK;
}

HRESULT TAccessible::get_accSelection(VARIANT* selection) {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    if (!Window()) return RPC_E_DISCONNECTED;
    const int c = Selected();
    if (c <= 0) return S_FALSE;
    *selection = LongVariant(c);
    return S_OK;
}

HRESULT TAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    const int c = ChildOf(child);
    if (c < 0) return action ? (*action = nullptr, E_INVALIDARG) : E_POINTER;
    return Text(DefaultAction(c), action);
}

HRESULT TAccessible::accSelect(long flags, VARIANT child) {
    const int c = ChildOf(child);
    if (c < 0) return E_INVALIDARG;
    return Select(c, flags) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

HRESULT TAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    const int c = ChildOf(child);
    if (c < 0) return E_INVALIDARG;
    RECT r;
    if (!Bounds(c, r)) return S_FALSE;
    POINT p{r.left, r.top};
    ClientToScreen(Window(), &p);
    *left = p.x;
    *top = p.y;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

HRESULT TAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    VariantInit(end);
    const int c = ChildOf(start);
    if (c < 0) return E_INVALIDARG;
    const int count = ChildCount();
    int next = 0;
    switch (direction) {
        case NAVDIR_FIRSTCHILD: next = c == 0 && count > 0 ? 1 : 0; break;
        case NAVDIR_LASTCHILD: next = c == 0 ? count : 0; break;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN: next = c > 0 && c < count ? c + 1 : 0; break;
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP: next = c > 1 ? c - 1 : 0; break;
        default: return E_INVALIDARG;
    }
    if (next == 0) return S_FALSE;
    *end = LongVariant(next);
    return S_OK;
}

HRESULT TAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (!child) return E_POINTER;
    VariantInit(child);
    if (!Window()) return RPC_E_DISCONNECTED;
    POINT p{x, y};
    ScreenToClient(Window(), &p);
    if (IAccessible* part = PartAt(p)) {
        child->vt = VT_DISPATCH;
        child->pdispVal = part;
        return S_OK;
    }
    for (int c = ChildCount(); c >= 1; --c) {
        RECT r;
        if (Bounds(c, r) && PtInRect(&r, p)) {
            *child = LongVariant(c);
            return S_OK;
        }
    }
    if (!Covers(p)) return S_FALSE;
    *child = LongVariant(CHILDID_SELF);
    return S_OK;
}

HRESULT TAccessible::accDoDefaultAction(VARIANT child) {
    const int c = ChildOf(child);
    if (c < 0) return E_INVALIDARG;
    return DoDefaultAction(c) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

LRESULT AnswerGetObject(TAccessible* object, WPARAM wParam, LPARAM lParam, bool& answered) {
    answered = static_cast<LONG>(lParam) == OBJID_CLIENT && object;
    return answered ? LresultFromObject(kIidAccessible, wParam, object) : 0;
}

namespace {

// A control's standard object with another name; everything else is the standard object's.
class TRenamed final : public IAccessible {
public:
    TRenamed(IAccessible* inner, std::wstring name) : inner_(inner), name_(std::move(name)) {}
    ~TRenamed() { inner_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return inner_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return inner_->GetTypeInfo(i, l, t); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
        return inner_->GetIDsOfNames(r, n, c, l, d);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e,
                                     UINT* a) override {
        return inner_->Invoke(d, r, l, f, p, v, e, a);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return inner_->get_accParent(p); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override { return inner_->get_accChildCount(n); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override { return inner_->get_accChild(c, p); }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* name) override {
        if (c.vt != VT_I4 || c.lVal != CHILDID_SELF) return inner_->get_accName(c, name);
        if (!name) return E_POINTER;
        *name = SysAllocString(name_.c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* v) override { return inner_->get_accValue(c, v); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* d) override { return inner_->get_accDescription(c, d); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override { return inner_->get_accRole(c, r); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override { return inner_->get_accState(c, s); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override { return inner_->get_accHelp(c, h); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
        return inner_->get_accHelpTopic(f, c, t);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override {
        return inner_->get_accKeyboardShortcut(c, k);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* f) override { return inner_->get_accFocus(f); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* s) override { return inner_->get_accSelection(s); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* a) override {
        return inner_->get_accDefaultAction(c, a);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override { return inner_->accSelect(f, c); }
    HRESULT STDMETHODCALLTYPE accLocation(long* l, long* t, long* w, long* h, VARIANT c) override {
        return inner_->accLocation(l, t, w, h, c);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* e) override { return inner_->accNavigate(d, s, e); }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* c) override { return inner_->accHitTest(x, y, c); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return inner_->accDoDefaultAction(c); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override { return inner_->put_accName(c, n); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override { return inner_->put_accValue(c, v); }

private:
    IAccessible* inner_;
    std::wstring name_;
    LONG refs_ = 1;
};

constexpr wchar_t kNameProperty[] = L"MemorailAccessibleName";

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t className[64] = L"";
    GetClassNameW(hwnd, className, 64);
    return lstrcmpiW(className, name) == 0;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A label's text as a name: no access key marks, no colon at the end.
std::wstring LabelName(std::wstring text) {
    std::wstring name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        name += text[i];
    }
    while (!name.empty() && (name.back() == L':' || name.back() == L'\xFF1A' || name.back() == L' ')) name.pop_back();
    return name;
}

// Controls whose window text is not what a reader should say.
bool NeedsLabel(HWND hwnd) {
    for (const wchar_t* name : {L"Edit", L"ComboBox", L"ListBox", L"SysDateTimePick32", L"msctls_updown32",
                                L"msctls_trackbar32", L"msctls_progress32", L"SysTreeView32"})
        if (IsClass(hwnd, name)) return true;
    return false;
}

RECT Place(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

// The label a reader pairs with a control: the nearest on its left on the same row, else the
// nearest above it.
std::wstring LabelOf(HWND control, const std::vector<HWND>& labels) {
    const RECT c = Place(control);
    HWND best = nullptr;
    long bestDistance = LONG_MAX;
    for (HWND label : labels) {
        const RECT l = Place(label);
        const bool sameRow = l.top < c.bottom && l.bottom > c.top && l.right <= c.left + 2;
        if (sameRow && c.left - l.right < bestDistance) {
            best = label;
            bestDistance = c.left - l.right;
        }
    }
    if (best) return LabelName(WindowText(best));
    for (HWND label : labels) {
        const RECT l = Place(label);
        const bool above = l.left < c.right && l.right > c.left && l.bottom <= c.top + 2;
        if (above && c.top - l.bottom < bestDistance) {
            best = label;
            bestDistance = c.top - l.bottom;
        }
    }
    return best ? LabelName(WindowText(best)) : std::wstring();
}

// Shown with its window: a dialog's control is named before the dialog shows.
bool Shown(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

bool IsLabel(HWND hwnd) {
    if (!Shown(hwnd) || LabelName(WindowText(hwnd)).empty()) return false;
    if (IsClass(hwnd, L"Static")) return true;
    const LONG_PTR type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return IsClass(hwnd, L"Button") && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
}

bool Encloses(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Among the labels shown now (a tab page's hidden labels lie where another page's are); a
// control in a group box is labelled from inside it, else named after the box: a label above
// the box is another control's.
std::wstring LabelNow(HWND control) {
    std::vector<HWND> labels;
    HWND group = nullptr;
    const RECT c = Place(control);
    for (HWND sibling = GetWindow(GetParent(control), GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling == control || !Shown(sibling)) continue;
        if (IsLabel(sibling)) labels.push_back(sibling);
        if (IsClass(sibling, L"Button") && (GetWindowLongPtrW(sibling, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX &&
            Encloses(Place(sibling), c))
            group = sibling;
    }
    if (group) std::erase_if(labels, [g = Place(group)](HWND label) { return !Encloses(g, Place(label)); });
    const std::wstring label = LabelOf(control, labels);
    return label.empty() && group ? LabelName(WindowText(group)) : label;
}

LRESULT CALLBACK RenamedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    auto* name = static_cast<std::wstring*>(GetPropW(hwnd, kNameProperty));
    if (name && message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        const std::wstring spoken = name->empty() ? LabelNow(hwnd) : *name;
        IAccessible* standard = nullptr;
        if (!spoken.empty() && SUCCEEDED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, kIidAccessible,
                                                reinterpret_cast<void**>(&standard))) &&
            standard) {
            auto* renamed = new TRenamed(standard, spoken);
            const LRESULT result = LresultFromObject(kIidAccessible, wParam, renamed);
            renamed->Release();
            return result;
        }
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, RenamedProc, id);
        RemovePropW(hwnd, kNameProperty);
        delete name;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void Rename(HWND control, const std::wstring& name) {
    if (auto* known = static_cast<std::wstring*>(GetPropW(control, kNameProperty))) {
        *known = name;  // a second name replaces the first; empty: the label at the time of asking
        return;
    }
    auto* owned = new std::wstring(name);
    if (!SetPropW(control, kNameProperty, owned) || !SetWindowSubclass(control, RenamedProc, 1, 0)) {
        RemovePropW(control, kNameProperty);
        delete owned;
    }
}

}  // namespace

void SetAccessibleName(HWND control, const std::string& name) {
    if (control) Rename(control, ToWide(name));
}

void NameControlsByLabels(HWND window) {
    if (!window) return;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (NeedsLabel(child) && !GetPropW(child, kNameProperty)) Rename(child, L"");  // named when asked
        if (GetWindow(child, GW_CHILD)) NameControlsByLabels(child);
    }
}
