// Writes a bitmap as a BMP file of the same pixel format; 32-bit keeps its alpha (V4 header).
#pragma once

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

    // Rows [top, bottom) of bitmap are final. Raises std::runtime_error when the file cannot be written.
    void WriteRows(const TBitmap& bitmap, int top, int bottom);
    // Writes the rows of bitmap not written yet and closes the file.
    void Finish(const TBitmap& bitmap);
    // Whether a file has been started (and is left behind unless finished).
    bool Started() const { return file_ != nullptr; }
    // Closes and removes a started file.
    void Discard();

private:
    void Start(const TBitmap& bitmap);
    void Flush();

    std::string path_;
    std::FILE* file_ = nullptr;
    int width_ = 0, height_ = 0, bitsPerPixel_ = 0;
    std::size_t headerBytes_ = 0, rowBytes_ = 0;
    std::vector<char> written_;  // per row
    std::vector<char> chunk_;    // rows [chunkTop_, chunkBottom_), bottom row first, as in the file
    int chunkTop_ = 0, chunkBottom_ = 0;
};
