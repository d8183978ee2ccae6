// Pictures handed out a few rows at a time, top row first, so that a rendering never holds
// the whole picture: B, G, R, 255 pixels, as the rendering draws them.
#pragma once

#include <cstddef>
#include <cstdint>

class TRowSource {
public:
    virtual ~TRowSource() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The next count rows; row i goes to rows + i x stride. Raises EError on damaged data.
    virtual void ReadRows(std::uint8_t* rows, std::size_t stride, int count) = 0;
};

// The rows a resampling reads, in order; what lies below a released row is gone for good.
class TRowFeed {
public:
    virtual ~TRowFeed() = default;
    // Row y (not below the last release), waiting for it; nullptr once the rendering is stopped.
    virtual const std::uint8_t* Row(int y) = 0;
    // Rows above `below` are no longer needed; a lower value than before changes nothing.
    virtual void Release(int below) = 0;
};
