#include "tools/BmpWriter.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

void Put(std::vector<char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

}  // namespace

void SaveBmpFile(const TBitmap& bitmap, const std::string& path) {
    const bool alpha = bitmap.Is32Bit();
    const std::uint32_t infoSize = alpha ? 108 : 40;
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(bitmap.Width()) * (alpha ? 4 : 3) + 3) / 4 * 4;
    const std::uint32_t dataSize = rowBytes * static_cast<std::uint32_t>(bitmap.Height());
    std::vector<char> out;
    out.push_back('B');
    out.push_back('M');
    Put(out, 14 + infoSize + dataSize, 4);
    Put(out, 0, 4);
    Put(out, 14 + infoSize, 4);
    Put(out, infoSize, 4);
    Put(out, static_cast<std::uint32_t>(bitmap.Width()), 4);
    Put(out, static_cast<std::uint32_t>(bitmap.Height()), 4);  // bottom-up
    Put(out, 1, 2);
    Put(out, alpha ? 32 : 24, 2);
    Put(out, alpha ? 3 : 0, 4);  // bit fields for 32-bit, so the alpha mask is stated
    Put(out, dataSize, 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    if (alpha) {
        for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put(out, mask, 4);
        Put(out, 0x73524742, 4);  // LCS_sRGB
        out.resize(14 + 108, 0);
    }
    // The rows straight from the bitmap, bottom row first, gathered into writes of about a
    // megabyte: no copy of the whole picture.
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    const int rowsPerWrite = std::max(1, static_cast<int>((1u << 20) / std::max<std::uint32_t>(rowBytes, 1)));
    std::vector<char> chunk;
    for (int y = bitmap.Height() - 1; y >= 0 && file;) {
        chunk.clear();
        for (int n = 0; n < rowsPerWrite && y >= 0; ++n, --y) {
            const char* row = reinterpret_cast<const char*>(bitmap.ScanLine(y));
            chunk.insert(chunk.end(), row, row + rowBytes);
        }
        file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    if (!file) throw std::runtime_error(path + ": cannot write");
}
