// Move-only owners of the Win32 handles the program holds, one per handle kind. Each gives
// its handle back exactly once, also when a failure unwinds the code that holds it, so a
// paint that fails leaks nothing and leaves the window validated.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace handles {
template <typename Handle>
void FreeGdiObject(Handle h) {
    DeleteObject(h);
}
inline void FreeMemoryDC(HDC h) { DeleteDC(h); }
inline void FreeIcon(HICON h) { DestroyIcon(h); }
inline void FreeMenu(HMENU h) { DestroyMenu(h); }
}  // namespace handles

template <typename Handle, void (*Free)(Handle)>
class TOwnedHandle {
public:
    TOwnedHandle() = default;
    explicit TOwnedHandle(Handle h) : handle_(h) {}
    ~TOwnedHandle() { Reset(); }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;
    TOwnedHandle(TOwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Hands the handle to a new owner (Windows, for a window region).
    Handle Release() { return std::exchange(handle_, nullptr); }
    void Reset(Handle h = nullptr) {
        if (handle_) Free(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = nullptr;
};

template <typename Handle>
using TGdiObject = TOwnedHandle<Handle, handles::FreeGdiObject<Handle>>;
using TFontHandle = TGdiObject<HFONT>;
using TBrushHandle = TGdiObject<HBRUSH>;
using TPenHandle = TGdiObject<HPEN>;
using TBitmapHandle = TGdiObject<HBITMAP>;
using TRegionHandle = TGdiObject<HRGN>;
using TMemoryDC = TOwnedHandle<HDC, handles::FreeMemoryDC>;
using TIconHandle = TOwnedHandle<HICON, handles::FreeIcon>;
using TMenuHandle = TOwnedHandle<HMENU, handles::FreeMenu>;

// BeginPaint … EndPaint.
class TPaintDC {
public:
    explicit TPaintDC(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    ~TPaintDC() { EndPaint(hwnd_, &paint_); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC Get() const { return dc_; }
    const PAINTSTRUCT& Paint() const { return paint_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// GetDC … ReleaseDC; a null window gives the screen's DC.
class TWindowDC {
public:
    explicit TWindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~TWindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// An object selected into a DC until the end of the scope, then the old one again.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~TSelectObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The DC's clip region as it was at the start of the scope, put back at its end.
class TSavedClip {
public:
    explicit TSavedClip(HDC dc) : dc_(dc), saved_(CreateRectRgn(0, 0, 0, 0)) {
        hadClip_ = GetClipRgn(dc, saved_.Get()) == 1;
    }
    ~TSavedClip() { SelectClipRgn(dc_, hadClip_ ? saved_.Get() : nullptr); }
    TSavedClip(const TSavedClip&) = delete;
    TSavedClip& operator=(const TSavedClip&) = delete;

private:
    HDC dc_;
    TRegionHandle saved_;
    bool hadClip_ = false;
};

// COM on the calling thread for the length of the scope.
class TComScope {
public:
    TComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~TComScope() {
        if (ok_) CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

private:
    bool ok_;
};

// One reference to a COM object.
template <typename T>
class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr() {
        if (p_) p_->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the calls that hand out a new reference.
    void** Out() {
        if (p_) p_->Release();
        p_ = nullptr;
        return reinterpret_cast<void**>(&p_);
    }

private:
    T* p_ = nullptr;
};
