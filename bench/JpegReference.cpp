// jpeg-reference: libjpeg-turbo alone, as the yardstick of bench/render-ratios.
//   jpeg-reference decode FILE       decodes FILE at full size (B, G, R, X; the rendering's settings)
//   jpeg-reference make FILE W H     writes a photo-like JPEG of that size
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

int Decode(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return 1;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(cinfo.output_width) * 4 * 16);
    unsigned checksum = 0;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[16];
        for (int i = 0; i < 16; ++i) rows[i] = strip.data() + static_cast<std::size_t>(i) * cinfo.output_width * 4;
        const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, 16);
        checksum += strip[got ? 0 : 1];
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    std::printf("%u x %u (%u)\n", cinfo.output_width, cinfo.output_height, checksum & 255);
    return 0;
}

int Make(const char* path, int width, int height) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file || width <= 0 || height <= 0) return 1;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    unsigned noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = static_cast<int>((noise >> 16) & 31);
            row[x * 3] = static_cast<std::uint8_t>((x * 255 / width + n) & 255);
            row[x * 3 + 1] = static_cast<std::uint8_t>((y * 255 / height + n) & 255);
            row[x * 3 + 2] = static_cast<std::uint8_t>(((x ^ y) >> 3) & 255);
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "decode") == 0) return Decode(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "make") == 0) return Make(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fputs("usage: jpeg-reference decode FILE | make FILE WIDTH HEIGHT\n", stderr);
    return 2;
}
