// Undoing the per-row filters of PNG's filter method 0.
#pragma once

#include <cstddef>
#include <cstdint>

// Undoes filter type `filter` on the first `length` bytes of row in place, bytewise mod 256,
// against prev (the row above, already unfiltered; zeros for the first row). bpp is the bytes
// per pixel (1 to 8); length need not be whole pixels (a row cut short). Unknown filter types
// leave the row as it is.
void UnfilterPngRow(std::uint8_t* row, const std::uint8_t* prev, std::size_t length, int bpp, std::uint8_t filter);
