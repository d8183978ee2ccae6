// memorail-image: checks a picture file the way the program loads it.
//   memorail-image decode FILE OUT.bmp   load FILE (by its extension) and write the bitmap as a BMP
//   memorail-image jpx IN OUT            scramble or unscramble a .jpx file
//   memorail-image render PICTURE WIDTH HEIGHT OUT.bmp [options] [--time]
//                                        the background the program makes for a window that size
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "background/BGRender.h"
#include "background/ImageLoad.h"
#include "support/Functions.h"
#include "tools/BmpWriter.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <time.h>
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
    std::fputs("usage: memorail-image decode FILE OUT.bmp\n       memorail-image jpx IN OUT\n"
               "       memorail-image render PICTURE WIDTH HEIGHT OUT.bmp [--valign N] [--halign N] [--zoom N]\n"
               "           [--alpha N] [--effect N] [--rotation N] [--background $BBGGRR] [--time]\n",
               stderr);
    return 2;
}

double Milliseconds() {
#ifdef _WIN32
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
#else
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return 1000.0 * static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e6;
#endif
}

bool ParseNumber(const char* text, std::int32_t& value) { return TryStrToInt(text, value); }

int Render(int argc, char** argv) {
    if (argc < 6) return Usage();
    TRenderSnapshot snapshot;
    snapshot.PicturePath = argv[2];
    bool timed = false;
    std::int32_t alpha = 0;
    if (!ParseNumber(argv[3], snapshot.Width) || !ParseNumber(argv[4], snapshot.Height) || snapshot.Width <= 0 ||
        snapshot.Height <= 0) {
        std::fputs("render: WIDTH and HEIGHT must be numbers above 0\n", stderr);
        return 2;
    }
    for (int i = 6; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--time") {
            timed = true;
            continue;
        }
        std::int32_t value = 0;
        if (i + 1 >= argc || !ParseNumber(argv[i + 1], value)) {
            std::fprintf(stderr, "render: %s needs a number\n", option.c_str());
            return 2;
        }
        ++i;
        if (option == "--valign") snapshot.VAlign = static_cast<std::uint8_t>(value);
        else if (option == "--halign") snapshot.HAlign = static_cast<std::uint8_t>(value);
        else if (option == "--zoom") snapshot.Zoom = value;
        else if (option == "--alpha") alpha = value;
        else if (option == "--effect") snapshot.Effect = value;
        else if (option == "--rotation") snapshot.Rotation = value;
        else if (option == "--background") snapshot.BackgroundColor = value;
        else return Usage();
    }
    snapshot.OpacityReduction = OpacityReductionFromPercent(alpha);

    std::atomic<bool> stop{false};
    TRenderOptions options;
    double last = Milliseconds();
    const double start = last;
    if (timed)
        options.OnStep = [&](int step, const char* name) {
            const double now = Milliseconds();
            std::printf("step %d %-8s %8.1f ms\n", step, name, now - last);
            last = now;
        };
    // The rows go to the file as they are finished, while the picture is still being decoded.
    TBmpRowWriter writer(argv[5]);
    options.OnRow = [&](int width, int height, int y, const std::uint8_t* pixels) {
        writer.WriteRow(width, height, 32, y, pixels);
    };
    options.RowsOnly = true;
    TRenderOutput output;
    RenderBackground(snapshot, output, stop, options);
    if (timed) std::printf("total          %8.1f ms\n", Milliseconds() - start);
    if (!output.Message.empty()) std::fprintf(stderr, "%s\n", ForConsole(output.Message).c_str());
    if (!writer.Started()) {
        std::puts("0 x 0 (an empty background: only the background colour shows)");
        return 0;
    }
    writer.Close();
    std::printf("%d x %d\n", writer.Width(), writer.Height());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "render") {
        try {
            return Render(argc, argv);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", ForConsole(e.what()).c_str());
            return 1;
        }
    }
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
