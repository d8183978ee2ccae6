// What screen readers see of windows the program paints itself (MSAA, which UI Automation
// clients also read): a base for accessible objects, and names for controls without a label.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

// IID_IAccessible, defined here: taken from a static oleacc, it would be an import thunk's address.
extern const IID kIidAccessible;

// A number as MSAA passes it (VT_I4): a child (CHILDID_SELF is the object itself), a role, a state.
VARIANT LongVariant(LONG value);

// An IAccessible with every property empty and every action refused; a part overrides what
// it has. The owner detaches it when the window goes: clients holding it then get an error.
class TAccessible : public IAccessible {
public:
    explicit TAccessible(HWND window) : window_(window) {}
    virtual ~TAccessible() = default;
    void Detach() { window_ = nullptr; }
    // Null once the window has gone: every question then fails.
    virtual HWND Window() const { return window_; }

    // IUnknown and IDispatch.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override { return Empty(value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Empty(text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return Empty(text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override { return Empty(text); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

protected:
    // What a part has: children are numbered from 1; 0 is the part itself.
    virtual int ChildCount() { return 0; }
    virtual std::string Name(int child) = 0;
    virtual long Role(int child) = 0;
    virtual long State(int) { return 0; }
    // In the window's client coordinates; false when it has no place on the screen.
    virtual bool Bounds(int child, RECT& r) = 0;
    virtual std::string DefaultAction(int) { return {}; }
    virtual bool DoDefaultAction(int) { return false; }
    virtual bool Select(int, long) { return false; }
    virtual int Focused() { return -1; }   // the child with the focus, 0 itself, −1 none
    virtual int Selected() { return -1; }  // the selected child, −1 none
    // Whether a client point is the part's own (a hit test answers the part itself there).
    virtual bool Covers(POINT p) {
        RECT r;
        return Bounds(CHILDID_SELF, r) && PtInRect(&r, p);
    }
    // Another object under a client point (AddRef'd), or null.
    virtual IAccessible* PartAt(POINT) { return nullptr; }
    virtual IDispatch* Parent();

    // A valid child number of VARIANT child, or −1; −1 for every child once detached.
    int ChildOf(const VARIANT& child);
    static HRESULT Empty(BSTR* text);
    static HRESULT Text(const std::string& text, BSTR* out);

private:
    HWND window_;
    LONG refs_ = 1;
};

// Answers WM_GETOBJECT for the client area with object (which keeps its own count).
LRESULT AnswerGetObject(TAccessible* object, WPARAM wParam, LPARAM lParam, bool& answered);

// The name a screen reader reads for a control whose own text is not its name (an edit, a
// spin box, a date picker, a drawn colour box): its standard object, renamed.
void SetAccessibleName(HWND control, const std::string& name);

// Names every control of a window that has no text of its own (edits, lists, spin boxes,
// pickers, drawn boxes) after the label before it, as a reader pairs them on a form; a name
// given with SetAccessibleName stays.
void NameControlsByLabels(HWND window);
