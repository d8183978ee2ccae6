#include "tools/BmpWriter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Rows gathered into one write: about 256 KB.
constexpr std::size_t kChunkBytes = 256 * 1024;

void Put(std::vector<char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

std::size_t RowBytes(int width, int bitsPerPixel) {
    return (static_cast<std::size_t>(width) * (bitsPerPixel / 8) + 3) / 4 * 4;
}

std::vector<char> Header(int width, int height, int bitsPerPixel) {
    const bool alpha = bitsPerPixel == 32;
    const std::uint32_t infoSize = alpha ? 108 : 40;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(RowBytes(width, bitsPerPixel)) * static_cast<std::uint32_t>(height);
    std::vector<char> out;
    out.push_back('B');
    out.push_back('M');
    Put(out, 14 + infoSize + dataSize, 4);
    Put(out, 0, 4);
    Put(out, 14 + infoSize, 4);
    Put(out, infoSize, 4);
    Put(out, static_cast<std::uint32_t>(width), 4);
    Put(out, static_cast<std::uint32_t>(height), 4);  // bottom-up
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
    return out;
}

bool SeekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool CutTo(std::FILE* file, std::uint64_t size) {
#ifdef _WIN32
    return _chsize_s(_fileno(file), static_cast<long long>(size)) == 0;
#else
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
#endif
}

}  // namespace

void SaveBmpFile(const TBitmap& bitmap, const std::string& path) {
    TBmpRowWriter writer(path);
    writer.Finish(bitmap);
}

TBmpRowWriter::~TBmpRowWriter() {
    if (file_) std::fclose(file_);
}

void TBmpRowWriter::Start(int width, int height, int bitsPerPixel) {
    if (file_) std::fclose(file_);
    // An old file is written over in place and cut to the new size: emptying it first drops
    // its cached pages one by one (7 ms for 8 MB just written), more than writing them costs.
    file_ = std::fopen(path_.c_str(), "r+b");
    if (!file_) file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) throw std::runtime_error(path_ + ": cannot write");
    width_ = width, height_ = height, bitsPerPixel_ = bitsPerPixel;
    const std::vector<char> header = Header(width, height, bitsPerPixel);
    headerBytes_ = header.size();
    rowBytes_ = RowBytes(width, bitsPerPixel);
    if (!CutTo(file_, headerBytes_ + static_cast<std::uint64_t>(rowBytes_) * static_cast<std::uint64_t>(height_)))
        throw std::runtime_error(path_ + ": cannot write");
    written_.assign(static_cast<std::size_t>(height_), 0);
    chunk_.resize(std::max<std::size_t>(1, kChunkBytes / std::max<std::size_t>(rowBytes_, 1)) * rowBytes_);
    chunkTop_ = chunkBottom_ = 0;
    if (std::fwrite(header.data(), 1, header.size(), file_) != header.size())
        throw std::runtime_error(path_ + ": cannot write");
}

void TBmpRowWriter::Flush() {
    if (chunkTop_ == chunkBottom_) return;
    // The chunk is filled from its end, so that its rows are already in the file's order.
    const std::size_t bytes = static_cast<std::size_t>(chunkBottom_ - chunkTop_) * rowBytes_;
    const std::uint64_t offset = headerBytes_ + static_cast<std::uint64_t>(height_ - chunkBottom_) * rowBytes_;
    if (!SeekTo(file_, offset) || std::fwrite(chunk_.data() + chunk_.size() - bytes, 1, bytes, file_) != bytes)
        throw std::runtime_error(path_ + ": cannot write");
    chunkTop_ = chunkBottom_ = 0;
}

void TBmpRowWriter::WriteRow(int width, int height, int bitsPerPixel, int y, const std::uint8_t* pixels) {
    if (!file_ || width != width_ || height != height_ || bitsPerPixel != bitsPerPixel_) Start(width, height, bitsPerPixel);
    if (y < 0 || y >= height_ || rowBytes_ == 0) return;
    const std::size_t capacity = chunk_.size() / rowBytes_;
    if (y != chunkBottom_ || static_cast<std::size_t>(chunkBottom_ - chunkTop_) == capacity) {
        Flush();
        chunkTop_ = chunkBottom_ = y;
    }
    const std::size_t slot = capacity - 1 - static_cast<std::size_t>(y - chunkTop_);
    std::memcpy(chunk_.data() + slot * rowBytes_, pixels, rowBytes_);
    ++chunkBottom_;
    written_[static_cast<std::size_t>(y)] = 1;
}

void TBmpRowWriter::Finish(const TBitmap& bitmap) {
    const int w = bitmap.Width(), h = bitmap.Height(), bits = bitmap.BitsPerPixel();
    if (!file_ || w != width_ || h != height_ || bits != bitsPerPixel_) Start(w, h, bits);
    for (int y = 0; y < height_; ++y)
        if (!written_[static_cast<std::size_t>(y)]) WriteRow(w, h, bits, y, bitmap.ScanLine(y));
    Close();
}

void TBmpRowWriter::Close() {
    if (!file_) return;
    Flush();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) throw std::runtime_error(path_ + ": cannot write");
    if (std::find(written_.begin(), written_.end(), 0) != written_.end())
        throw std::runtime_error(path_ + ": rows are missing");
}
