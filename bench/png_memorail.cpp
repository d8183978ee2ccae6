// png-memorail FILE: decodes a PNG with the program's decoder, as png-libpng does with libpng.
#include <cstdio>

#include "ProcessTime.h"
#include "background/ImageLoad.h"
#include "support/Errors.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: png-memorail FILE\n", stderr);
        return 2;
    }
    TBitmap bitmap;
    try {
        LoadImageFile(bitmap, argv[1]);
    } catch (const EError& e) {
        std::fprintf(stderr, "png-memorail: %s\n", e.what());
        return 1;
    }
    PrintProcessMilliseconds();
    return bitmap.Width() > 0 ? 0 : 1;
}
