// png-libpng FILE: decodes an 8-bit RGB or RGBA PNG with libpng into B, G, R (A) rows, as
// the program's own decoder does, and nothing else, then prints the processor time it took;
// the reference for bench/file-ratios.
// png-libpng --make rgb|rgba WIDTH HEIGHT FILE: writes a photo-like test picture, libpng
// choosing each row's filter.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "ProcessTime.h"

namespace {

int MakePicture(bool alpha, int width, int height, const char* path) {
    const int channels = alpha ? 4 : 3;
    // Smooth gradients with a little noise, as photographs have.
    std::mt19937 random(1);
    std::vector<png_byte> pixels(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[(static_cast<std::size_t>(y) * width + x) * channels + c] =
                    static_cast<png_byte>((x / 8 + y / 6 * (c + 1)) % 256 / 2 + random() % 24);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path, 0, pixels.data(), 0, nullptr) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "--make") == 0)
        return MakePicture(std::strcmp(argv[2], "rgba") == 0, std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
    if (argc != 2) {
        std::fputs("usage: png-libpng FILE\n       png-libpng --make rgb|rgba WIDTH HEIGHT FILE\n", stderr);
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (!file) return 1;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) return 1;
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_bgr(png);
    const png_uint_32 height = png_get_image_height(png, info);
    std::vector<png_byte> pixels(png_get_rowbytes(png, info) * height);
    for (png_uint_32 y = 0; y < height; ++y)
        png_read_row(png, pixels.data() + y * png_get_rowbytes(png, info), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    PrintProcessMilliseconds();
    return pixels.empty() ? 1 : 0;
}
