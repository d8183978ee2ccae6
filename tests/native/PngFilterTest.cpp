// The row unfiltering against a plain byte-by-byte reading of the filter rules, for every
// filter, pixel size and an odd mix of row lengths (the pixel loops and their tails).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "background/PngFilter.h"

namespace {

using Row = std::vector<std::uint8_t>;

void ReferenceUnfilter(Row& row, const Row& prev, std::size_t length, int bpp, int filter) {
    for (std::size_t x = 0; x < length; ++x) {
        const bool first = x < static_cast<std::size_t>(bpp);
        const int a = first ? 0 : row[x - bpp], b = prev[x], c = first ? 0 : prev[x - bpp];
        int p = 0;
        if (filter == 1) p = a;
        if (filter == 2) p = b;
        if (filter == 3) p = (a + b) / 2;
        if (filter == 4) {
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            p = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
        }
        row[x] = static_cast<std::uint8_t>(row[x] + p);
    }
}

}  // namespace

TEST(PngFilter, EveryFilterAndPixelSizeMatchesTheByteRule) {
    std::mt19937 random(20);
    for (int bpp : {1, 2, 3, 4, 6, 8}) {
        for (int width : {1, 2, 3, 5, 16, 17, 33}) {
            const std::size_t full = static_cast<std::size_t>(width) * bpp;
            // Whole rows, and rows cut short inside a pixel, as a file that ends early gives.
            for (std::size_t length : {full, full > 1 ? full - 1 : full}) {
                for (int filter = 0; filter <= 5; ++filter) {
                    // Extreme values find wrap-around and Paeth's ties; random ones the rest.
                    for (int kind = 0; kind < 3; ++kind) {
                        Row prev(full), row(full);
                        for (std::size_t i = 0; i < full; ++i) {
                            prev[i] = kind == 0 ? static_cast<std::uint8_t>(random()) : kind == 1 ? 255 : (i % 3) * 127;
                            row[i] = kind == 0 ? static_cast<std::uint8_t>(random()) : kind == 1 ? 255 : (i % 2) * 255;
                        }
                        Row expected = row;
                        ReferenceUnfilter(expected, prev, length, bpp, filter);
                        UnfilterPngRow(row.data(), prev.data(), length, bpp, static_cast<std::uint8_t>(filter));
                        ASSERT_EQ(row, expected) << "bpp " << bpp << " width " << width << " length " << length
                                                 << " filter " << filter << " kind " << kind;
                    }
                }
            }
        }
    }
}
