// Pictures handed out a few rows at a time, top row first, so that a rendering never holds
// the whole picture: B, G, R, 255 pixels, as the rendering draws them.
#pragma once

#include <cstddef>
#include <cstdint>

// How rows are made from the units a source hands out unfinished, so that the thread reading
// them takes on the last steps of the decoding (a JPEG's chroma upsampling and colour conversion).
class TRowMaker {
public:
    virtual ~TRowMaker() = default;
    int units = 0;      // as the decoder writes them, past the picture's end to fill its last group
    int realUnits = 0;  // those of the picture
    int group = 1;      // units are read this many at a time
    int rowsPerUnit = 1;
    std::size_t unitBytes = 0;
    // Row y (B, G, R, 255) from its unit y / rowsPerUnit and the units above and below it (at the
    // picture's edges, that unit again). Called on one thread only.
    virtual void MakeRow(int y, const std::uint8_t* above, const std::uint8_t* unit, const std::uint8_t* below,
                         std::uint8_t* out) = 0;
};

class TRowSource {
public:
    virtual ~TRowSource() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The next count rows; row i goes to rows + i x stride. Raises EError on damaged data.
    virtual void ReadRows(std::uint8_t* rows, std::size_t stride, int count) = 0;
    // Not null: ReadRows gives this maker's units instead of rows, a multiple of its group at a time.
    virtual TRowMaker* Maker() { return nullptr; }
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
