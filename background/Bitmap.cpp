#include "background/Bitmap.h"

#include <algorithm>
#include <stdexcept>

TRect IntersectRects(const TRect& a, const TRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

void TBitmap::Allocate(int width, int height, int bitsPerPixel) {
    if (width < 0 || height < 0 || (bitsPerPixel != 24 && bitsPerPixel != 32))
        throw std::invalid_argument("bad bitmap size or format");
    // Rows are padded to four bytes, as GDI wants them.
    const long long stride = (static_cast<long long>(width) * (bitsPerPixel / 8) + 3) / 4 * 4;
    if (stride * height > (1LL << 31)) throw std::length_error("bitmap too large");
    storage_.reset();
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    stride_ = static_cast<int>(stride);
    if (width > 0 && height > 0) storage_ = AllocatePixelStorage(width, height, bitsPerPixel, stride_);
}
