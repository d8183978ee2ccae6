// Picture files built by the tests themselves: PNG chunk by chunk, BMP by hand, JPEG with libjpeg.
#pragma once

#include <zlib.h>

#include <cstdio>

#include <jpeglib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "background/Bitmap.h"

using Bytes = std::vector<std::uint8_t>;

inline void PutBigEndian(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

inline void AppendChunk(Bytes& out, const char* type, const Bytes& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

struct PngSpec {
    std::uint32_t width = 4, height = 3;
    int depth = 8, colorType = 2, compression = 0, filterMethod = 0, interlace = 0;
    std::size_t idatChunk = 0;  // 0: one IDAT
    bool iend = true;
    bool textBeforeIdat = true;
};

// The image data before compression: each row filtered, behind its filter byte.
// pixels: rows of R, G, B[, A] bytes; filters: the filter type per row.
inline Bytes FilterRows(const std::vector<Bytes>& pixels, const std::vector<int>& filters, int bpp) {
    Bytes raw;
    Bytes prev(pixels.empty() ? 0 : pixels[0].size(), 0);
    for (std::size_t y = 0; y < pixels.size(); ++y) {
        const Bytes& row = pixels[y];
        const int f = filters[y % filters.size()];
        raw.push_back(static_cast<std::uint8_t>(f));
        for (std::size_t x = 0; x < row.size(); ++x) {
            const int a = x >= static_cast<std::size_t>(bpp) ? row[x - bpp] : 0, b = prev[x],
                      c = x >= static_cast<std::size_t>(bpp) ? prev[x - bpp] : 0;
            int predictor = 0;
            if (f == 1) predictor = a;
            if (f == 2) predictor = b;
            if (f == 3) predictor = (a + b) / 2;
            if (f == 4) {
                const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
                predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            }
            raw.push_back(static_cast<std::uint8_t>(row[x] - predictor));
        }
        prev = row;
    }
    return raw;
}

inline Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes z(size);
    compress(z.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    z.resize(size);
    return z;
}

// The PNG file around the zlib data z: the header chunk, then z in IDAT chunks of idatChunk bytes.
inline Bytes WrapPng(const PngSpec& spec, const Bytes& z) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    PutBigEndian(ihdr, spec.width);
    PutBigEndian(ihdr, spec.height);
    for (int v : {spec.depth, spec.colorType, spec.compression, spec.filterMethod, spec.interlace})
        ihdr.push_back(static_cast<std::uint8_t>(v));
    AppendChunk(out, "IHDR", ihdr);
    if (spec.textBeforeIdat) AppendChunk(out, "tEXt", Bytes{'C', 0, 'x'});
    const std::size_t step = spec.idatChunk ? spec.idatChunk : z.size() + 1;
    for (std::size_t at = 0; at < z.size(); at += step)
        AppendChunk(out, "IDAT", Bytes(z.begin() + at, z.begin() + std::min(z.size(), at + step)));
    if (spec.iend) AppendChunk(out, "IEND", {});
    return out;
}

inline Bytes MakePng(const PngSpec& spec, const std::vector<Bytes>& pixels, const std::vector<int>& filters) {
    return WrapPng(spec, Deflate(FilterRows(pixels, filters, spec.colorType == 6 ? 4 : 3)));
}

inline std::vector<Bytes> RandomRows(std::uint32_t width, std::uint32_t height, int bpp, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Bytes> rows(height, Bytes(width * bpp));
    for (auto& row : rows)
        for (auto& b : row) b = static_cast<std::uint8_t>(random());
    return rows;
}

// The decoded bitmap's pixel (B, G, R[, A]) against the PNG rows' (R, G, B[, A]).
inline bool SamePixels(const TBitmap& bitmap, const std::vector<Bytes>& rows, int bpp) {
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size() / bpp; ++x) {
            const std::uint8_t* p = bitmap.ScanLine(static_cast<int>(y)) + x * bpp;
            const std::uint8_t* q = rows[y].data() + x * bpp;
            if (p[0] != q[2] || p[1] != q[1] || p[2] != q[0] || (bpp == 4 && p[3] != q[3])) return false;
        }
    return true;
}

// A JPEG written by libjpeg from R, G, B rows; scans: nullptr for baseline, else a progressive script.
// ySampH, ySampV: Y's sampling factors, the chroma's being 1 (2, 2 is libjpeg's default, 4:2:0).
inline Bytes EncodeJpegRgb(const Bytes& rgb, int width, int height, const jpeg_scan_info* scans = nullptr,
                           int scanCount = 0, int ySampH = 2, int ySampV = 2) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    cinfo.comp_info[0].h_samp_factor = ySampH;
    cinfo.comp_info[0].v_samp_factor = ySampV;
    if (scans) {
        cinfo.scan_info = scans;
        cinfo.num_scans = scanCount;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<std::uint8_t*>(rgb.data()) + static_cast<std::size_t>(cinfo.next_scanline) * width * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes file(out, out + size);
    free(out);
    return file;
}

// libjpeg-turbo's own decode loop into one buffer of 24-bit B, G, R rows: the reference the
// program's decoding is compared with and measured against.
inline Bytes DecodeWithLibjpeg(const Bytes& file) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), file.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * 3;
    Bytes out(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.data() + static_cast<std::size_t>(cinfo.output_scanline) * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}
