// The one bitmap type of the program: 24- or 32-bit pixels (B G R [A]), top row first.
// On Windows its pixels live in a DIB section, so GDI draws on the very same memory.
#pragma once

#include <cstdint>
#include <memory>

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

TRect IntersectRects(const TRect& a, const TRect& b);

// Pixel memory from the platform: plain memory, or a DIB section on Windows.
class TPixelStorage {
public:
    virtual ~TPixelStorage() = default;
    std::uint8_t* bits = nullptr;
    void* handle = nullptr;  // HBITMAP on Windows
};
std::unique_ptr<TPixelStorage> AllocatePixelStorage(int width, int height, int bitsPerPixel, int stride);

class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height, int bitsPerPixel = 32) { Allocate(width, height, bitsPerPixel); }

    // New, zeroed pixels of the given size and format; a size of 0 leaves no pixels.
    void Allocate(int width, int height, int bitsPerPixel);
    void SetSize(int width, int height) { Allocate(width, height, bitsPerPixel_); }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    bool Is32Bit() const { return bitsPerPixel_ == 32; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    int Stride() const { return stride_; }

    std::uint8_t* ScanLine(int y) { return storage_->bits + static_cast<std::ptrdiff_t>(y) * stride_; }
    const std::uint8_t* ScanLine(int y) const { return storage_->bits + static_cast<std::ptrdiff_t>(y) * stride_; }
    void* NativeHandle() const { return storage_ ? storage_->handle : nullptr; }

private:
    int width_ = 0, height_ = 0, bitsPerPixel_ = 32, stride_ = 0;
    std::unique_ptr<TPixelStorage> storage_;
};
