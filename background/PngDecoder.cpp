// The PNG decoder: 8-bit RGB and RGBA, not interlaced, inflated straight into the rows.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "background/ImageLoad.h"
#include "background/PngFilter.h"
#include "support/Errors.h"

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

struct ChunkHead {
    std::uint32_t length;
    char type[4];
};

bool ReadHead(TStream& stream, ChunkHead& head) {
    std::uint8_t raw[8];
    if (!stream.ReadExact(raw, 8)) return false;
    head.length = BigEndian32(raw);
    std::memcpy(head.type, raw + 4, 4);
    return true;
}

bool IsType(const ChunkHead& head, const char* type) { return std::memcmp(head.type, type, 4) == 0; }

void Skip(TStream& stream, std::uint32_t length) { stream.Seek(std::int64_t{length} + 4, soCurrent); }

// The data of consecutive IDAT chunks, from the first one on, handed out piece by piece:
// reading stops at the first other chunk after them or at the end of the stream.
class ImageDataReader {
public:
    explicit ImageDataReader(TStream& stream) : stream_(stream) {}

    std::size_t Read(std::uint8_t* buffer, std::size_t capacity) {
        while (left_ == 0) {
            if (finished_) return 0;
            if (inside_) stream_.Seek(4, soCurrent);  // the CRC of the chunk just read
            ChunkHead head;
            if (!ReadHead(stream_, head)) return Finish();
            if (!IsType(head, "IDAT")) {
                if (inside_) return Finish();
                Skip(stream_, head.length);
                continue;
            }
            inside_ = true;
            left_ = head.length;
        }
        const std::size_t got = stream_.Read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(left_, capacity)));
        if (got == 0) return Finish();
        left_ -= got;
        return got;
    }

private:
    std::size_t Finish() {
        finished_ = true;
        left_ = 0;
        return 0;
    }

    TStream& stream_;
    std::uint64_t left_ = 0;
    bool inside_ = false;
    bool finished_ = false;
};

class Inflater {
public:
    explicit Inflater(ImageDataReader& source) : source_(source), input_(1 << 16) {
        ok_ = inflateInit(&stream_) == Z_OK;
    }
    ~Inflater() {
        if (ok_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Fills as much of out as the data gives and answers how much that was. Less than asked
    // means the data ran out (a file that ends early) or Damaged().
    std::size_t Read(std::uint8_t* out, std::size_t count) {
        if (!ok_ || (ended_ && count > 0)) damaged_ = true;  // more rows than the data holds
        if (damaged_ || finished_) return 0;
        stream_.next_out = out;
        stream_.avail_out = static_cast<uInt>(count);
        while (stream_.avail_out > 0) {
            if (stream_.avail_in == 0) {
                stream_.next_in = input_.data();
                stream_.avail_in = static_cast<uInt>(source_.Read(input_.data(), input_.size()));
                if (stream_.avail_in == 0) {
                    finished_ = true;
                    break;
                }
            }
            const int result = inflate(&stream_, Z_NO_FLUSH);
            if (result != Z_OK) {
                // The stream's own end before the last row means the data does not match the
                // header; only input running out is a file cut short.
                ended_ = result == Z_STREAM_END;
                damaged_ = ended_ ? stream_.avail_out > 0 : result != Z_BUF_ERROR;
                finished_ = !ended_;
                break;
            }
        }
        return count - stream_.avail_out;
    }
    bool Damaged() const { return damaged_; }

private:
    ImageDataReader& source_;
    std::vector<std::uint8_t> input_;
    z_stream stream_{};
    bool ok_ = false;
    bool finished_ = false;  // the input ran out
    bool ended_ = false;     // the stream's own end
    bool damaged_ = false;
};

void SwapRowRedBlue(std::uint8_t* row, std::uint32_t width, int bpp) {
    for (std::uint32_t x = 0; x < width; ++x, row += bpp) std::swap(row[0], row[2]);
}

}  // namespace

void LoadPngImage(TBitmap& bitmap, TStream& stream) {
    std::uint8_t signature[8];
    stream.Read(signature, 8);
    ChunkHead head;
    for (;;) {
        if (!ReadHead(stream, head)) return;  // no IHDR: the bitmap stays as it was
        if (IsType(head, "IHDR")) break;
        Skip(stream, head.length);
    }
    std::uint8_t ihdr[17] = {};
    stream.Read(ihdr, 17);
    const std::uint32_t width = BigEndian32(ihdr), height = BigEndian32(ihdr + 4);
    const int depth = ihdr[8], colorType = ihdr[9], compression = ihdr[10], filterMethod = ihdr[11],
              interlace = ihdr[12];
    if (depth != 8) throw EError("このPNG色深度には対応していません");
    if (compression != 0) throw EError("このPNG圧縮には対応していません");
    if (interlace != 0) throw EError("PNGインターレースには対応していません");
    if (filterMethod != 0) throw EError("PNGフィルタには対応していません");
    if (colorType != 2 && colorType != 6) throw EError("このPNGには対応していません");
    const int bpp = colorType == 2 ? 3 : 4;
    CheckImageSize(width, height);
    bitmap.Allocate(static_cast<int>(width), static_cast<int>(height), bpp * 8);

    ImageDataReader data(stream);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bpp;
    // Each row is unfiltered as soon as it is inflated, against the row above in PNG byte
    // order; that row then gets its bytes swapped to B, G, R.
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    Inflater inflater(data);
    std::uint8_t* prev = nullptr;
    std::size_t last = 0;  // bytes of the last row that has any
    for (int y = 0; y < static_cast<int>(height); ++y) {
        std::uint8_t filter = 0;
        std::uint8_t* row = bitmap.ScanLine(y);
        const std::size_t got = inflater.Read(&filter, 1) == 1 ? inflater.Read(row, rowBytes) : 0;
        // Damaged data, or none at all, would otherwise leave black rows that look like a
        // picture; a file that ends early shows the rows it has, as a cut JPEG does.
        if (inflater.Damaged() || (y == 0 && got == 0)) throw EError("PNGの画像データが壊れています");
        if (got == 0) break;
        UnfilterPngRow(row, prev ? prev : zeros.data(), got, bpp, filter);
        if (prev) SwapRowRedBlue(prev, width, bpp);
        prev = row;
        last = got;
        if (got < rowBytes) break;
    }
    SwapRowRedBlue(prev, static_cast<std::uint32_t>(last / bpp), bpp);
}
