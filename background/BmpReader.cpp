// Windows bitmaps: 1/4/8-bit palettes (also RLE), 16/24/32-bit with or without bit-field masks,
// bottom-up and top-down. Palette and 16-bit pictures become 24-bit; 32-bit keeps its alpha.
#include <algorithm>
#include <cstring>
#include <memory>

#include "background/ImageLoad.h"
#include "support/Errors.h"

namespace {

const char* const kUnsupportedBmp = "このBMPには対応していません";

std::uint32_t LittleEndian(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// One channel from a bit-field mask, scaled to 0..255.
struct MaskChannel {
    int shift = 0, bits = 0;
    explicit MaskChannel(std::uint32_t mask) {
        if (!mask) return;
        while (!(mask & 1)) mask >>= 1, ++shift;
        while (mask & 1) mask >>= 1, ++bits;
    }
    int Get(std::uint32_t v) const {
        if (bits == 0) return 0;
        const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
        return static_cast<int>(((v >> shift) & max) * 255 / max);
    }
};

struct BmpHeader {
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = 0, colorsUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // R, G, B, A
    bool hasMasks = false;
    bool paletted = false;
    std::uint32_t infoSize = 0, dataOffset = 0;
};

void PutPalette(std::uint8_t* out, const std::vector<std::uint8_t>& palette, int index) {
    const std::size_t at = static_cast<std::size_t>(index) * 4;
    if (at + 3 <= palette.size()) std::memcpy(out, palette.data() + at, 3);
}

// Run-length data's bytes, read a piece at a time; -1 past their end, or past `most` bytes
// (a hostile file's runs along one line could otherwise go on for gigabytes).
class RleBytes {
public:
    RleBytes(TStream& stream, std::size_t most) : stream_(stream), left_(most) {}
    int Next() {
        if (at_ == end_) {
            at_ = 0;
            end_ = left_ == 0 ? 0 : stream_.Read(buffer_, std::min(sizeof buffer_, left_));
            left_ -= end_;
            if (end_ == 0) return -1;
        }
        return buffer_[at_++];
    }

private:
    TStream& stream_;
    std::size_t left_, at_ = 0, end_ = 0;
    std::uint8_t buffer_[64 * 1024];
};

// Run-length data (RLE8, or RLE4 with four) from the stream: put(x, line, index) for each pixel
// it sets, line counted from the file's first, the bottom one; skipped pixels get no call.
template <class Put>
void DecodeRle(TStream& stream, int w, int h, bool four, Put put) {
    RleBytes data(stream, static_cast<std::size_t>(kMaxImagePixels) * 2);
    int x = 0, y = 0;
    // x stops at the line's end: the runs of a long file would otherwise carry it past INT_MAX.
    const auto pixel = [&](int index) {
        if (x < w) put(x++, y, index);
    };
    while (y < h) {
        const int count = data.Next(), value = data.Next();
        if (value < 0) break;
        if (count > 0) {
            for (int k = 0; k < count && x < w; ++k) pixel(four ? (k % 2 == 0 ? value >> 4 : value & 15) : value);
        } else if (value == 0) {
            x = 0, ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            const int right = data.Next(), down = data.Next();
            if (down < 0) break;
            x = std::min(x + right, w), y += down;
        } else {  // absolute run of `value` pixels, padded to a whole word
            const int bytes = four ? (value + 1) / 2 : value;
            int k = 0;
            for (int b = 0; b < ((bytes + 1) & ~1); ++b) {
                const int byte = data.Next();
                if (byte < 0) return;
                for (int half = 0; half < (four ? 2 : 1) && k < value; ++half, ++k)
                    pixel(four ? (half == 0 ? byte >> 4 : byte & 15) : byte);
            }
        }
    }
}

// Rows of run-length data, whose runs may jump about the picture: decoded first into one
// palette index a pixel and a mark of the pixels set (skipped ones stay black), a quarter of
// the memory of the picture itself.
class BmpRleRows : public TRowSource {
public:
    BmpRleRows(TStream& stream, const BmpHeader& h, std::vector<std::uint8_t> palette)
        : width_(static_cast<int>(h.width)), height_(static_cast<int>(h.height)), palette_(std::move(palette)), indices_(static_cast<std::size_t>(width_) * height_),
          set_(indices_.size(), false) {
        DecodeRle(stream, width_, height_, h.compression == 2, [&](int x, int line, int index) {
            const std::size_t at = static_cast<std::size_t>(line) * width_ + x;
            indices_[at] = static_cast<std::uint8_t>(index);
            set_[at] = true;
        });
    }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void ReadRows(std::uint8_t* rows, std::size_t stride, int count) override {
        for (int i = 0; i < count && y_ < height_; ++i, ++y_, rows += stride) {
            const std::size_t line = static_cast<std::size_t>(height_ - 1 - y_) * width_;  // bottom-up
            std::fill(rows, rows + static_cast<std::size_t>(width_) * 4, 0);
            for (int x = 0; x < width_; ++x) {
                if (set_[line + x]) PutPalette(rows + x * 4, palette_, indices_[line + x]);
                rows[x * 4 + 3] = 255;
            }
        }
    }

private:
    int width_, height_;
    std::vector<std::uint8_t> palette_;
    std::vector<std::uint8_t> indices_;
    std::vector<bool> set_;
    int y_ = 0;
};

// Reads the headers and the palette and leaves the stream at the pixel data.
void ReadBmpHeader(TStream& stream, BmpHeader& h, std::vector<std::uint8_t>& palette,
                   void (*checkSize)(std::int64_t, std::int64_t)) {
    std::uint8_t file[14], info[124] = {};
    if (!stream.ReadExact(file, 14) || file[0] != 'B' || file[1] != 'M') throw EError(kUnsupportedBmp);
    h.dataOffset = LittleEndian(file + 10, 4);
    if (!stream.ReadExact(info, 4)) throw EError(kUnsupportedBmp);
    h.infoSize = LittleEndian(info, 4);
    if (h.infoSize == 12) {
        if (!stream.ReadExact(info + 4, 8)) throw EError(kUnsupportedBmp);
        h.width = LittleEndian(info + 4, 2);
        h.height = static_cast<std::int16_t>(LittleEndian(info + 6, 2));
        h.bitCount = static_cast<int>(LittleEndian(info + 10, 2));
    } else if (h.infoSize >= 40 && h.infoSize <= 124) {
        if (!stream.ReadExact(info + 4, h.infoSize - 4)) throw EError(kUnsupportedBmp);
        h.width = static_cast<std::int32_t>(LittleEndian(info + 4, 4));
        h.height = static_cast<std::int32_t>(LittleEndian(info + 8, 4));
        h.bitCount = static_cast<int>(LittleEndian(info + 14, 2));
        h.compression = LittleEndian(info + 16, 4);
        h.colorsUsed = LittleEndian(info + 32, 4);
        if (h.infoSize >= 52) {
            for (int k = 0; k < 3; ++k) h.masks[k] = LittleEndian(info + 40 + 4 * k, 4);
            h.hasMasks = h.compression == 3 || h.compression == 6;
        }
        if (h.infoSize >= 56) h.masks[3] = LittleEndian(info + 52, 4);
    } else {
        throw EError(kUnsupportedBmp);
    }
    h.topDown = h.height < 0;
    if (h.topDown) h.height = -h.height;
    const bool rle = h.compression == 1 || h.compression == 2;
    const bool bitfields = h.compression == 3 || h.compression == 6;
    h.paletted = h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8;
    if (!(h.compression == 0 || (h.compression == 1 && h.bitCount == 8) || (h.compression == 2 && h.bitCount == 4) ||
          (bitfields && (h.bitCount == 16 || h.bitCount == 32))) ||
        !(h.paletted || h.bitCount == 16 || h.bitCount == 24 || h.bitCount == 32) || (rle && h.topDown))
        throw EError(kUnsupportedBmp);
    checkSize(h.width, h.height);

    // Masks in a 40-byte header follow it; 16-bit without masks is 5-5-5.
    if (bitfields && h.infoSize == 40) {
        std::uint8_t raw[12];
        if (!stream.ReadExact(raw, 12)) throw EError(kUnsupportedBmp);
        for (int k = 0; k < 3; ++k) h.masks[k] = LittleEndian(raw + 4 * k, 4);
        h.hasMasks = true;
    }
    if (!h.hasMasks && h.bitCount == 16) h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;

    if (h.paletted) {
        std::uint32_t entries = h.colorsUsed ? std::min<std::uint32_t>(h.colorsUsed, 256) : (1u << h.bitCount);
        const int entrySize = h.infoSize == 12 ? 3 : 4;
        std::vector<std::uint8_t> raw(entries * entrySize);
        raw.resize(stream.Read(raw.data(), raw.size()));
        palette.assign(256 * 4, 0);
        for (std::size_t k = 0; k * entrySize + 3 <= raw.size(); ++k) std::memcpy(&palette[k * 4], &raw[k * entrySize], 3);
    }
    if (h.dataOffset) stream.Seek(h.dataOffset, soBeginning);
}

// One stored row into pixels `bytes` apart (3 or 4); the alpha byte only with keepAlpha.
class BmpRowConverter {
public:
    BmpRowConverter(const BmpHeader& h, const std::vector<std::uint8_t>& palette)
        : h_(h), palette_(palette), red_(h.masks[0]), green_(h.masks[1]), blue_(h.masks[2]), alpha_(h.masks[3]) {}
    std::size_t Stride() const { return (static_cast<std::size_t>(h_.width) * h_.bitCount + 31) / 32 * 4; }
    void Convert(const std::uint8_t* line, std::uint8_t* out, int bytes, bool keepAlpha) const {
        for (int x = 0; x < static_cast<int>(h_.width); ++x) {
            std::uint8_t* px = out + x * bytes;
            if (h_.paletted) {
                const int bit = x * h_.bitCount;
                const int index = (line[bit / 8] >> (8 - h_.bitCount - bit % 8)) & ((1 << h_.bitCount) - 1);
                PutPalette(px, palette_, index);
            } else if (h_.bitCount == 24) {
                std::memcpy(px, &line[x * 3], 3);
            } else if (h_.bitCount == 32 && !h_.hasMasks) {
                std::memcpy(px, &line[x * 4], keepAlpha ? 4 : 3);
            } else {
                const std::uint32_t v = LittleEndian(&line[x * (h_.bitCount / 8)], h_.bitCount / 8);
                px[0] = static_cast<std::uint8_t>(blue_.Get(v));
                px[1] = static_cast<std::uint8_t>(green_.Get(v));
                px[2] = static_cast<std::uint8_t>(red_.Get(v));
                if (keepAlpha) px[3] = static_cast<std::uint8_t>(alpha_.bits ? alpha_.Get(v) : 255);
            }
        }
    }

private:
    const BmpHeader& h_;
    const std::vector<std::uint8_t>& palette_;
    const MaskChannel red_, green_, blue_, alpha_;
};

// Rows top first, each read where it lies in the file: bottom-up files are read backwards.
class BmpRows : public TRowSource {
public:
    BmpRows(std::unique_ptr<TStream> stream, const BmpHeader& h, std::vector<std::uint8_t> palette)
        : stream_(std::move(stream)), h_(h), palette_(std::move(palette)), converter_(h_, palette_),
          line_(converter_.Stride()) {
        dataStart_ = stream_->Position();
        const std::int64_t size = stream_->Size();
        // As the whole-picture reader: the first row cut short is read with zeros, later ones stay black.
        shortRow_ = size <= dataStart_ ? 0 : (size - dataStart_) / static_cast<std::int64_t>(line_.size());
    }
    int Width() const override { return static_cast<int>(h_.width); }
    int Height() const override { return static_cast<int>(h_.height); }
    void ReadRows(std::uint8_t* rows, std::size_t stride, int count) override {
        for (int i = 0; i < count; ++i, ++y_, rows += stride) {
            const std::int64_t fileRow = h_.topDown ? y_ : h_.height - 1 - y_;
            std::fill(rows, rows + h_.width * 4, 0);
            if (fileRow <= shortRow_) {
                stream_->Seek(dataStart_ + fileRow * static_cast<std::int64_t>(line_.size()), soBeginning);
                const std::size_t got = stream_->Read(line_.data(), line_.size());
                std::fill(line_.begin() + static_cast<std::ptrdiff_t>(got), line_.end(), 0);
                converter_.Convert(line_.data(), rows, 4, false);
            }
            for (std::int64_t x = 0; x < h_.width; ++x) rows[x * 4 + 3] = 255;
        }
    }

private:
    std::unique_ptr<TStream> stream_;
    BmpHeader h_;
    std::vector<std::uint8_t> palette_;
    BmpRowConverter converter_;
    std::vector<std::uint8_t> line_;
    std::int64_t dataStart_ = 0, shortRow_ = 0;
    std::int64_t y_ = 0;
};

}  // namespace

std::unique_ptr<TRowSource> OpenBmpRows(std::unique_ptr<TStream> stream) {
    BmpHeader h;
    std::vector<std::uint8_t> palette;
    ReadBmpHeader(*stream, h, palette, CheckStreamedSize);
    if (h.compression == 1 || h.compression == 2) {
        CheckImageSize(h.width, h.height);  // decoded whole, if a quarter the size
        return std::make_unique<BmpRleRows>(*stream, h, std::move(palette));
    }
    return std::make_unique<BmpRows>(std::move(stream), h, std::move(palette));
}

void LoadBmpImage(TBitmap& bitmap, TStream& stream) {
    BmpHeader h;
    std::vector<std::uint8_t> palette;
    ReadBmpHeader(stream, h, palette, CheckImageSize);
    const int w = static_cast<int>(h.width), hgt = static_cast<int>(h.height);
    const bool keepAlpha = h.bitCount == 32;
    bitmap.Allocate(w, hgt, keepAlpha ? 32 : 24);
    if (h.compression == 1 || h.compression == 2) {  // the rows were cleared, as skipped pixels stay
        DecodeRle(stream, w, hgt, h.compression == 2, [&](int x, int line, int index) {
            PutPalette(bitmap.ScanLine(hgt - 1 - line) + x * 3, palette, index);  // always bottom-up
        });
        return;
    }
    const BmpRowConverter converter(h, palette);
    std::vector<std::uint8_t> line(converter.Stride());
    for (int row = 0; row < hgt; ++row) {
        const std::size_t got = stream.Read(line.data(), line.size());
        if (got < line.size()) std::fill(line.begin() + static_cast<std::ptrdiff_t>(got), line.end(), 0);
        converter.Convert(line.data(), bitmap.ScanLine(h.topDown ? row : hgt - 1 - row), keepAlpha ? 4 : 3, keepAlpha);
        if (got < line.size()) break;  // a short file: the rows not read stay black
    }
}
