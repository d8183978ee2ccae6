// memorail-image: checks a picture file the way the program loads it.
//   memorail-image decode FILE OUT.bmp   load FILE (by its extension) and write the bitmap as a BMP
//   memorail-image jpx IN OUT            scramble or unscramble a .jpx file
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "background/ImageLoad.h"
#include "tools/BmpWriter.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

// Messages are Shift-JIS; a Linux terminal wants UTF-8.
std::string ForConsole(const std::string& text) {
#ifdef _WIN32
    return text;
#else
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string in = text, out(text.size() * 3 + 4, '\0');
    char *src = in.data(), *dst = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    iconv(cd, &src, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
#endif
}

int Usage() {
    std::fputs("usage: memorail-image decode FILE OUT.bmp\n       memorail-image jpx IN OUT\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Usage();
    const std::string command = argv[1];
    try {
        if (command == "decode") {
            TBitmap bitmap;
            LoadImageFile(bitmap, argv[2]);
            if (bitmap.Empty()) {
                std::fprintf(stderr, "%s: nothing loaded (not a .bmp, .png, .jpg, .jpeg or .jpx file, or too big a .jpx)\n",
                             argv[2]);
                return 1;
            }
            SaveBmpFile(bitmap, argv[3]);
            std::printf("%d x %d, %d-bit\n", bitmap.Width(), bitmap.Height(), bitmap.BitsPerPixel());
            return 0;
        }
        if (command == "jpx") {
            std::ifstream in(argv[2], std::ios::binary);
            if (!in) throw std::runtime_error(std::string(argv[2]) + ": cannot open");
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            UnscrambleJpx(bytes);
            std::ofstream out(argv[3], std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!out) throw std::runtime_error(std::string(argv[3]) + ": cannot write");
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", ForConsole(e.what()).c_str());
        return 1;
    }
    return Usage();
}
