// Writes a bitmap as a BMP file of the same pixel format; 32-bit keeps its alpha (V4 header).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "background/Bitmap.h"

void SaveBmpFile(const TBitmap& bitmap, const std::string& path);

// The same file written a few rows at a time, in any order, as a rendering finishes them: the
// writing overlaps the rendering, and no copy of the whole picture is made. A bitmap of another
// size or format starts the file again.
class TBmpRowWriter {
public:
    explicit TBmpRowWriter(std::string path) : path_(std::move(path)) {}
    ~TBmpRowWriter();
    TBmpRowWriter(const TBmpRowWriter&) = delete;
    TBmpRowWriter& operator=(const TBmpRowWriter&) = delete;

    // Row y of a width x height picture is final. Raises std::runtime_error when the file cannot be written.
    void WriteRow(int width, int height, int bitsPerPixel, int y, const std::uint8_t* pixels);
    // Writes the rows of bitmap not written yet and closes the file.
    void Finish(const TBitmap& bitmap);
    // Closes the file; raises when a row was never written.
    void Close();
    // Whether a file has been started (and is left behind unless closed).
    bool Started() const { return file_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    void Start(int width, int height, int bitsPerPixel);
    void Flush();

    std::string path_;
    std::FILE* file_ = nullptr;
    int width_ = 0, height_ = 0, bitsPerPixel_ = 0;
    std::size_t headerBytes_ = 0, rowBytes_ = 0;
    std::vector<char> written_;  // per row
    std::vector<char> chunk_;    // rows [chunkTop_, chunkBottom_), bottom row first, as in the file
    int chunkTop_ = 0, chunkBottom_ = 0;
};
