// Move-only owner of a GDI object (font, brush, pen, bitmap, region).
#pragma once

#include <windows.h>

template <typename Handle>
class TGdiObject {
public:
    TGdiObject() = default;
    explicit TGdiObject(Handle h) : handle_(h) {}
    ~TGdiObject() { Reset(); }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    TGdiObject(TGdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    TGdiObject& operator=(TGdiObject&& other) noexcept {
        if (this != &other) {
            Reset(other.handle_);
            other.handle_ = nullptr;
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    void Reset(Handle h = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = nullptr;
};

using TFontHandle = TGdiObject<HFONT>;
using TBrushHandle = TGdiObject<HBRUSH>;
using TBitmapHandle = TGdiObject<HBITMAP>;
