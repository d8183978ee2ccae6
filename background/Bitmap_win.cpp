#include <windows.h>

#include <new>

#include "background/Bitmap.h"

namespace {

// A top-down DIB section: row 0 at the top, like every image operation expects.
class TDibStorage : public TPixelStorage {
public:
    TDibStorage(int width, int height, int bitsPerPixel) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (!dib) throw std::bad_alloc();
        handle = dib;
        bits = static_cast<std::uint8_t*>(pixels);
    }
    ~TDibStorage() override { DeleteObject(static_cast<HBITMAP>(handle)); }
    TDibStorage(const TDibStorage&) = delete;
    TDibStorage& operator=(const TDibStorage&) = delete;
};

}  // namespace

std::unique_ptr<TPixelStorage> AllocatePixelStorage(int width, int height, int bitsPerPixel, int) {
    return std::make_unique<TDibStorage>(width, height, bitsPerPixel);
}
