#include <gtest/gtest.h>

#include <cstring>

#include "ImageFiles.h"
#include "TestFolder.h"
#include "background/ImageLoad.h"
#include "support/Errors.h"
#include "tools/BmpWriter.h"

namespace {

void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A BMP with a 40-byte header (or 108 with masks), a palette and the given pixel rows as stored.
Bytes MakeBmp(int width, int height, int bitCount, std::uint32_t compression, const Bytes& palette,
              const Bytes& data, const std::vector<std::uint32_t>& masks = {}) {
    const std::uint32_t infoSize = masks.size() == 4 ? 108 : 40;
    const std::uint32_t extra = masks.size() == 3 ? 12 : 0;
    const std::uint32_t offset = 14 + infoSize + extra + static_cast<std::uint32_t>(palette.size());
    Bytes b = {'B', 'M'};
    Put32(b, offset + static_cast<std::uint32_t>(data.size()));
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, infoSize);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bitCount));
    Put32(b, compression);
    Put32(b, static_cast<std::uint32_t>(data.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, static_cast<std::uint32_t>(palette.size() / 4));
    Put32(b, 0);
    if (infoSize == 108) {
        for (std::uint32_t m : masks) Put32(b, m);
        b.resize(14 + 108, 0);
    }
    for (std::uint32_t m : (masks.size() == 3 ? masks : std::vector<std::uint32_t>{})) Put32(b, m);
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

TBitmap Load(const Bytes& file) {
    TMemoryStream stream(file);
    TBitmap bitmap;
    LoadImageStream(bitmap, "x.bmp", stream);
    return bitmap;
}

std::array<int, 4> Px(const TBitmap& b, int x, int y) {
    const int n = b.BitsPerPixel() / 8;
    const std::uint8_t* p = b.ScanLine(y) + x * n;
    return {p[0], p[1], p[2], n == 4 ? p[3] : -1};
}

const Bytes kPalette = {0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0};  // black, white, red, green

}  // namespace

TEST(Bmp, TwentyFourBitBottomUpAndTopDown) {
    // 2 x 2, rows padded to 8 bytes; stored bottom row first.
    Bytes data = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    TBitmap up = Load(MakeBmp(2, 2, 24, 0, {}, data));
    EXPECT_EQ(up.BitsPerPixel(), 24);
    EXPECT_EQ(Px(up, 0, 1), (std::array<int, 4>{1, 2, 3, -1}));
    EXPECT_EQ(Px(up, 1, 0), (std::array<int, 4>{10, 11, 12, -1}));
    TBitmap down = Load(MakeBmp(2, -2, 24, 0, {}, data));
    EXPECT_EQ(Px(down, 0, 0), (std::array<int, 4>{1, 2, 3, -1}));
}

TEST(Bmp, PaletteDepths) {
    TBitmap eight = Load(MakeBmp(3, 1, 8, 0, kPalette, {2, 3, 1, 0}));
    EXPECT_EQ(Px(eight, 0, 0), (std::array<int, 4>{0, 0, 255, -1}));
    EXPECT_EQ(Px(eight, 1, 0), (std::array<int, 4>{0, 255, 0, -1}));
    TBitmap four = Load(MakeBmp(3, 1, 4, 0, kPalette, {0x21, 0x30, 0, 0}));
    EXPECT_EQ(Px(four, 0, 0), (std::array<int, 4>{0, 0, 255, -1}));
    EXPECT_EQ(Px(four, 1, 0), (std::array<int, 4>{255, 255, 255, -1}));
    EXPECT_EQ(Px(four, 2, 0), (std::array<int, 4>{0, 255, 0, -1}));
    TBitmap one = Load(MakeBmp(10, 1, 1, 0, Bytes(kPalette.begin(), kPalette.begin() + 8), {0x80, 0x40, 0, 0}));
    EXPECT_EQ(Px(one, 0, 0)[0], 255);
    EXPECT_EQ(Px(one, 1, 0)[0], 0);
    EXPECT_EQ(Px(one, 9, 0)[0], 255);
}

TEST(Bmp, RunLengthEncoded) {
    // RLE8: three of index 2, an absolute run of 1,3,1 (padded), end of line, end of bitmap.
    Bytes rle8 = {3, 2, 0, 3, 1, 3, 1, 0, 0, 0, 0, 1};
    TBitmap b8 = Load(MakeBmp(6, 2, 8, 1, kPalette, rle8));
    EXPECT_EQ(Px(b8, 0, 1), (std::array<int, 4>{0, 0, 255, -1}));  // bottom-up: first line is the bottom
    EXPECT_EQ(Px(b8, 4, 1), (std::array<int, 4>{0, 255, 0, -1}));
    EXPECT_EQ(Px(b8, 0, 0), (std::array<int, 4>{0, 0, 0, -1}));
    // RLE4: four pixels alternating 2 and 3, delta by (1, 0), then index 1.
    Bytes rle4 = {4, 0x23, 0, 2, 1, 0, 1, 0x11, 0, 1};
    TBitmap b4 = Load(MakeBmp(6, 1, 4, 2, kPalette, rle4));
    EXPECT_EQ(Px(b4, 1, 0), (std::array<int, 4>{0, 255, 0, -1}));
    EXPECT_EQ(Px(b4, 4, 0), (std::array<int, 4>{0, 0, 0, -1}));
    EXPECT_EQ(Px(b4, 5, 0), (std::array<int, 4>{255, 255, 255, -1}));
    // A run or delta past the edges is dropped, not written outside.
    Load(MakeBmp(2, 2, 8, 1, kPalette, {255, 1, 0, 2, 200, 200, 50, 1, 0, 255, 1, 2, 3}));
    // Runs along one line for 17 MB: their total passes the largest int.
    Bytes endless(17000000, 255);
    for (std::size_t i = 1; i < endless.size(); i += 2) endless[i] = 1;
    TBitmap far = Load(MakeBmp(4, 1, 8, 1, kPalette, endless));
    EXPECT_EQ(Px(far, 3, 0), (std::array<int, 4>{255, 255, 255, -1}));
}

// Run-length pictures reach the rendering as rows too, each as the whole decode gives it.
TEST(Bmp, RunLengthRowsAreTheWholeDecodesRows) {
    const Bytes rle8 = {3, 2, 0, 3, 1, 3, 1, 0, 0, 0, 0, 2, 2, 1, 2, 3, 0, 0, 0, 1};
    const Bytes rle4 = {4, 0x23, 0, 2, 1, 0, 1, 0x11, 0, 0, 0, 5, 0x12, 0x30, 0, 1};
    Bytes grey = kPalette;  // index 0 is no black, which skipped pixels are
    std::fill(grey.begin(), grey.begin() + 3, 9);
    for (const Bytes& file : {MakeBmp(6, 3, 8, 1, grey, rle8), MakeBmp(6, 2, 4, 2, grey, rle4),
                              MakeBmp(6, 2, 4, 2, grey, {3, 0x12})}) {
        const TBitmap whole = Load(file);
        const std::unique_ptr<TRowSource> rows = OpenBmpRows(std::make_unique<TMemoryStream>(file));
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows->Width(), whole.Width());
        ASSERT_EQ(rows->Height(), whole.Height());
        Bytes row(static_cast<std::size_t>(whole.Width()) * 4);
        for (int y = 0; y < whole.Height(); ++y) {
            rows->ReadRows(row.data(), row.size(), 1);
            for (int x = 0; x < whole.Width(); ++x) {
                const std::array<int, 4> px = Px(whole, x, y);
                EXPECT_EQ((std::array<int, 4>{row[x * 4], row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3]}),
                          (std::array<int, 4>{px[0], px[1], px[2], 255}))
                    << x << "," << y;
            }
        }
    }
    // Larger than whole decodes take: refused before anything is decoded.
    EXPECT_THROW(OpenBmpRows(std::make_unique<TMemoryStream>(MakeBmp(16384, 8193, 8, 1, kPalette, {0, 1}))), EError);
}

TEST(Bmp, BitFieldsAndSixteenBit) {
    Bytes data565 = {0x00, 0xF8, 0xE0, 0x07};  // red, green
    TBitmap b565 = Load(MakeBmp(2, 1, 16, 3, {}, data565, {0xF800, 0x07E0, 0x001F}));
    EXPECT_EQ(Px(b565, 0, 0), (std::array<int, 4>{0, 0, 255, -1}));
    EXPECT_EQ(Px(b565, 1, 0), (std::array<int, 4>{0, 255, 0, -1}));
    TBitmap b555 = Load(MakeBmp(1, 1, 16, 0, {}, {0x1F, 0x00, 0, 0}));
    EXPECT_EQ(Px(b555, 0, 0), (std::array<int, 4>{255, 0, 0, -1}));
    // 32-bit with an alpha mask in a V4 header stays 32-bit with its alpha.
    Bytes argb = {0x30, 0x20, 0x10, 0x80};
    TBitmap b32 = Load(MakeBmp(1, 1, 32, 3, {}, argb, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}));
    EXPECT_EQ(b32.BitsPerPixel(), 32);
    EXPECT_EQ(Px(b32, 0, 0), (std::array<int, 4>{0x30, 0x20, 0x10, 0x80}));
    TBitmap plain32 = Load(MakeBmp(1, 1, 32, 0, {}, argb));
    EXPECT_EQ(Px(plain32, 0, 0), (std::array<int, 4>{0x30, 0x20, 0x10, 0x80}));
}

TEST(Bmp, BrokenAndHostileFiles) {
    EXPECT_THROW(Load({'B', 'X'}), EError);
    EXPECT_THROW(Load({}), EError);
    EXPECT_THROW(Load(MakeBmp(0, 5, 24, 0, {}, {})), EError);
    EXPECT_THROW(Load(MakeBmp(100000, 100000, 24, 0, {}, {})), EError);
    EXPECT_THROW(Load(MakeBmp(-2147483647 - 1, 5, 24, 0, {}, {})), EError);
    EXPECT_THROW(Load(MakeBmp(4, 4, 7, 0, {}, {})), EError);
    TBitmap cut = Load(MakeBmp(4, 4, 24, 0, {}, Bytes(20, 9)));  // data ends after one row
    EXPECT_EQ(Px(cut, 0, 3)[0], 9);
    EXPECT_EQ(Px(cut, 0, 0)[0], 0);
    TBitmap noPalette = Load(MakeBmp(2, 1, 8, 0, {}, {200, 3, 0, 0}));  // indexes past the palette read black
    EXPECT_EQ(Px(noPalette, 0, 0)[0], 0);
}

// memorail-image's writer: rows given in any order, in pieces, after rows of a bitmap of
// another size, over an older file, make the file the bitmap reads back from exactly.
TEST(Bmp, RowWriterInAnyOrder) {
    TestFolder folder;
    for (int bits : {24, 32}) {
        TBitmap picture(7, 5, bits);
        for (int y = 0; y < 5; ++y)
            for (int i = 0; i < 7 * bits / 8; ++i) picture.ScanLine(y)[i] = static_cast<std::uint8_t>(y * 40 + i);
        const std::string whole = folder / "whole.bmp", pieces = folder / "pieces.bmp";
        SaveBmpFile(picture, whole);
        WriteBytes(pieces, std::string(5000, 'z'));  // an older, larger file is written over
        TBmpRowWriter writer(pieces);
        const TBitmap other(3, 3, bits);
        writer.WriteRow(3, 3, bits, 0, other.ScanLine(0));
        for (int y : {3, 4, 0, 1}) writer.WriteRow(7, 5, bits, y, picture.ScanLine(y));
        EXPECT_THROW(writer.Close(), std::runtime_error);  // row 2 is missing
        for (int y : {3, 4, 0, 1}) writer.WriteRow(7, 5, bits, y, picture.ScanLine(y));
        writer.Finish(picture);
        EXPECT_EQ(ReadBytes(pieces), ReadBytes(whole)) << bits;
        TBitmap back;
        LoadImageFile(back, pieces);
        ASSERT_EQ(back.Height(), 5);
        for (int y = 0; y < 5; ++y)
            EXPECT_EQ(std::memcmp(back.ScanLine(y), picture.ScanLine(y), 7 * bits / 8), 0) << bits << " row " << y;
    }
}
