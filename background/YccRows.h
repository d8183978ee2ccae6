// Rows of a JPEG made from its planes (Y, Cb, Cr as the decoder leaves them) with libjpeg's own
// arithmetic: the triangle filter that doubles the chroma's width and height, then the fixed-point
// conversion to B, G, R. A unit holds rowsPerUnit rows of Y and one row each of Cb and Cr.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "background/RowSource.h"

struct TYccLayout {
    int width = 0, height = 0;
    int h = 1, v = 1;        // Y's sampling over the chroma's: 1 or 2 across, 1 or 2 down
    std::size_t yBytes = 0;  // a Y row as the decoder writes it (whole blocks)
    std::size_t cBytes = 0;  // a Cb or Cr row
};

class TYccRows : public TRowMaker {
public:
    explicit TYccRows(const TYccLayout& layout);
    void MakeRow(int y, const std::uint8_t* above, const std::uint8_t* unit, const std::uint8_t* below,
                 std::uint8_t* out) override;

private:
    const TYccLayout layout_;
    const int chromaWidth_;
    std::vector<std::uint16_t> sums_;
    std::vector<std::uint8_t> cb_, cr_;
};

// Whether libjpeg upsamples the chroma of such a picture as TYccRows does (its fancy upsampling,
// which needs more than two chroma columns).
bool YccRowsFit(int width, int h, int v);
