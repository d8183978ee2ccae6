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

// Looked at before each chunk: a file of millions of empty chunks takes many seconds to go through.
void ThrowIfStopped(const std::atomic<bool>* stop) {
    if (stop && stop->load(std::memory_order_relaxed)) throw EError("PNGの読み込みを中止しました");
}

// The data of consecutive IDAT chunks, from the first one on, handed out piece by piece:
// reading stops at the first other chunk after them or at the end of the stream.
class ImageDataReader {
public:
    ImageDataReader(TStream& stream, const std::atomic<bool>* stop) : stream_(stream), stop_(stop) {}

    std::size_t Read(std::uint8_t* buffer, std::size_t capacity) {
        while (left_ == 0) {
            if (finished_) return 0;
            if (inside_) stream_.Seek(4, soCurrent);  // the CRC of the chunk just read
            ThrowIfStopped(stop_);
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
    const std::atomic<bool>* stop_;
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

struct PngHeader {
    std::uint32_t width = 0, height = 0;
    int bpp = 3;
};

// Reads up to the end of IHDR and checks it; false when the stream has no IHDR.
bool ReadPngHeader(TStream& stream, PngHeader& h, const std::atomic<bool>* stop = nullptr) {
    std::uint8_t signature[8];
    stream.Read(signature, 8);
    ChunkHead head;
    for (;;) {
        ThrowIfStopped(stop);
        if (!ReadHead(stream, head)) return false;
        if (IsType(head, "IHDR")) break;
        Skip(stream, head.length);
    }
    std::uint8_t ihdr[17] = {};
    stream.Read(ihdr, 17);
    h.width = BigEndian32(ihdr);
    h.height = BigEndian32(ihdr + 4);
    const int depth = ihdr[8], colorType = ihdr[9], compression = ihdr[10], filterMethod = ihdr[11],
              interlace = ihdr[12];
    if (depth != 8) throw EError("このPNG色深度には対応していません");
    if (compression != 0) throw EError("このPNG圧縮には対応していません");
    if (interlace != 0) throw EError("PNGインターレースには対応していません");
    if (filterMethod != 0) throw EError("PNGフィルタには対応していません");
    if (colorType != 2 && colorType != 6) throw EError("このPNGには対応していません");
    h.bpp = colorType == 2 ? 3 : 4;
    return true;
}

// The image data, one unfiltered row (PNG byte order) after the other.
class PngRowReader {
public:
    PngRowReader(TStream& stream, const PngHeader& h, const std::atomic<bool>* stop = nullptr)
        : rowBytes_(static_cast<std::size_t>(h.width) * h.bpp), bpp_(h.bpp), zeros_(rowBytes_, 0), data_(stream, stop),
          inflater_(data_) {}

    // Row y into row, against prev (the row above; nullptr for the first); answers the bytes it
    // got, 0 past the data's end.
    std::size_t Next(std::uint8_t* row, const std::uint8_t* prev, int y) {
        std::uint8_t filter = 0;
        const std::size_t got = inflater_.Read(&filter, 1) == 1 ? inflater_.Read(row, rowBytes_) : 0;
        // Damaged data, or none at all, would otherwise leave black rows that look like a
        // picture; a file that ends early shows the rows it has, as a cut JPEG does.
        if (inflater_.Damaged() || (y == 0 && got == 0)) throw EError("PNGの画像データが壊れています");
        if (got > 0) UnfilterPngRow(row, prev ? prev : zeros_.data(), got, bpp_, filter);
        return got;
    }

private:
    std::size_t rowBytes_;
    int bpp_;
    const std::vector<std::uint8_t> zeros_;
    ImageDataReader data_;
    Inflater inflater_;
};

class PngRows : public TRowSource {
public:
    PngRows(std::unique_ptr<TStream> stream, const PngHeader& h, const std::atomic<bool>* stop)
        : stream_(std::move(stream)), h_(h), reader_(*stream_, h, stop),
          current_(static_cast<std::size_t>(h.width) * h.bpp), previous_(current_.size()) {}
    int Width() const override { return static_cast<int>(h_.width); }
    int Height() const override { return static_cast<int>(h_.height); }
    void ReadRows(std::uint8_t* rows, std::size_t stride, int count) override {
        for (int i = 0; i < count; ++i, rows += stride) {
            std::fill(rows, rows + h_.width * 4, 0);
            std::size_t got = 0;
            if (!ended_) got = reader_.Next(current_.data(), y_ == 0 ? nullptr : previous_.data(), y_);
            ++y_;
            ended_ = ended_ || got < current_.size();
            // Whole pixels swapped to B, G, R; a pixel cut off keeps its bytes as they came.
            const std::size_t whole = got / h_.bpp;
            for (std::size_t x = 0; x < whole; ++x) {
                const std::uint8_t* p = &current_[x * h_.bpp];
                rows[x * 4] = p[2], rows[x * 4 + 1] = p[1], rows[x * 4 + 2] = p[0];
            }
            std::copy(current_.begin() + static_cast<std::ptrdiff_t>(whole * h_.bpp),
                      current_.begin() + static_cast<std::ptrdiff_t>(got), rows + whole * 4);
            for (std::uint32_t x = 0; x < h_.width; ++x) rows[x * 4 + 3] = 255;
            std::swap(current_, previous_);
        }
    }

private:
    std::unique_ptr<TStream> stream_;
    PngHeader h_;
    PngRowReader reader_;
    std::vector<std::uint8_t> current_, previous_;
    int y_ = 0;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<TRowSource> OpenPngRows(std::unique_ptr<TStream> stream, const std::atomic<bool>* stop) {
    PngHeader h;
    if (!ReadPngHeader(*stream, h, stop)) return nullptr;
    CheckStreamedSize(h.width, h.height);
    return std::make_unique<PngRows>(std::move(stream), h, stop);
}

void LoadPngImage(TBitmap& bitmap, TStream& stream) {
    PngHeader h;
    if (!ReadPngHeader(stream, h)) return;  // no IHDR: the bitmap stays as it was
    CheckImageSize(h.width, h.height);
    bitmap.Allocate(static_cast<int>(h.width), static_cast<int>(h.height), h.bpp * 8);
    // Each row is unfiltered as soon as it is inflated, against the row above in PNG byte
    // order; that row then gets its bytes swapped to B, G, R.
    PngRowReader reader(stream, h);
    const std::size_t rowBytes = static_cast<std::size_t>(h.width) * h.bpp;
    std::uint8_t* prev = nullptr;
    std::size_t last = 0;  // bytes of the last row that has any
    for (int y = 0; y < static_cast<int>(h.height); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        const std::size_t got = reader.Next(row, prev, y);
        if (got == 0) break;
        if (prev) SwapRowRedBlue(prev, h.width, h.bpp);
        prev = row;
        last = got;
        if (got < rowBytes) break;
    }
    SwapRowRedBlue(prev, static_cast<std::uint32_t>(last / h.bpp), h.bpp);
}
