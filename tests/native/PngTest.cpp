#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>

#include "ImageFiles.h"
#include "background/ImageLoad.h"
#include "support/Errors.h"

namespace {

TBitmap Decode(const Bytes& file, const char* name = "x.png") {
    TMemoryStream stream(file);
    TBitmap bitmap;
    LoadImageStream(bitmap, name, stream);
    return bitmap;
}

std::string ErrorOf(const Bytes& file) {
    try {
        Decode(file);
    } catch (const EError& e) {
        return e.what();
    }
    return "no error";
}

// A picture with gradients and noise, as photos have, written by libpng with its own filter choice.
Bytes WriteWithLibpng(int width, int height, bool alpha, std::vector<Bytes>& rows) {
    std::mt19937 random(5);
    const int bpp = alpha ? 4 : 3;
    rows.assign(height, Bytes(width * bpp));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < bpp; ++c)
                rows[y][x * bpp + c] = static_cast<std::uint8_t>((x * (c + 1) + y * (3 - c)) / 3 + random() % 9);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    Bytes flat;
    for (auto& r : rows) flat.insert(flat.end(), r.begin(), r.end());
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, flat.data(), 0, nullptr);
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, flat.data(), 0, nullptr));
    out.resize(size);
    return out;
}

}  // namespace

class PngFilters : public ::testing::TestWithParam<int> {};

TEST_P(PngFilters, EachFilterOnTheFirstAndLaterRows) {
    for (int colorType : {2, 6}) {
        const int bpp = colorType == 6 ? 4 : 3;
        PngSpec spec;
        spec.width = 7;
        spec.height = 5;
        spec.colorType = colorType;
        auto rows = RandomRows(spec.width, spec.height, bpp, 11 + GetParam());
        TBitmap bitmap = Decode(MakePng(spec, rows, {GetParam()}));
        ASSERT_EQ(bitmap.BitsPerPixel(), bpp * 8);
        ASSERT_EQ(bitmap.Width(), 7);
        EXPECT_TRUE(SamePixels(bitmap, rows, bpp)) << "filter " << GetParam() << " colour type " << colorType;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFilters, PngFilters, ::testing::Values(0, 1, 2, 3, 4));

TEST(Png, MixedFiltersSplitIdatAndNoIend) {
    PngSpec spec;
    spec.width = 9;
    spec.height = 6;
    auto rows = RandomRows(9, 6, 3, 3);
    const Bytes whole = MakePng(spec, rows, {4, 3, 2, 1, 0});
    spec.idatChunk = 1;
    spec.iend = false;
    TBitmap split = Decode(MakePng(spec, rows, {4, 3, 2, 1, 0}));
    EXPECT_TRUE(SamePixels(split, rows, 3));
    EXPECT_TRUE(SamePixels(Decode(whole, "UPPER.PNG"), rows, 3));
}

TEST(Png, RgbaKeepsStraightAlpha) {
    PngSpec spec;
    spec.colorType = 6;
    std::vector<Bytes> rows(3, Bytes{10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255, 1, 2, 3, 4});
    TBitmap b = Decode(MakePng(spec, rows, {0}));
    EXPECT_EQ(b.ScanLine(2)[4 * 1 + 3], 128);
    EXPECT_EQ(b.ScanLine(0)[0], 30);  // B first
    EXPECT_EQ(b.ScanLine(0)[3], 0);
}

TEST(Png, UnsupportedVariantsRaiseTheirMessages) {
    auto rows = RandomRows(4, 3, 3, 1);
    auto with = [&](auto change) {
        PngSpec spec;
        change(spec);
        return ErrorOf(MakePng(spec, rows, {0}));
    };
    EXPECT_EQ(with([](PngSpec& s) { s.depth = 16; }), "このPNG色深度には対応していません");
    EXPECT_EQ(with([](PngSpec& s) { s.colorType = 3; }), "このPNGには対応していません");
    EXPECT_EQ(with([](PngSpec& s) { s.interlace = 1; }), "PNGインターレースには対応していません");
    EXPECT_EQ(with([](PngSpec& s) { s.filterMethod = 1; }), "PNGフィルタには対応していません");
    EXPECT_EQ(with([](PngSpec& s) { s.compression = 1; }), "このPNG圧縮には対応していません");
    EXPECT_EQ(with([](PngSpec& s) { s.depth = 16, s.interlace = 1; }), "このPNG色深度には対応していません");
}

TEST(Png, HostileSizesAreRefusedBeforeAllocating) {
    auto rows = RandomRows(1, 1, 3, 1);
    for (auto [w, h] : {std::pair<std::uint32_t, std::uint32_t>{0, 5}, {5, 0}, {16385, 1}, {0xFFFFFFFF, 0xFFFFFFFF},
                        {16384, 16384}}) {
        PngSpec spec;
        spec.width = w;
        spec.height = h;
        EXPECT_EQ(ErrorOf(MakePng(spec, rows, {0})), kImageTooLargeMessage) << w << "x" << h;
    }
}

TEST(Png, BrokenFilesGiveAnErrorOrNothing) {
    EXPECT_TRUE(Decode(Bytes{0x89, 'P', 'N', 'G'}).Empty());  // no IHDR: untouched
    EXPECT_TRUE(Decode(Bytes{}).Empty());
    PngSpec spec;
    spec.width = 8;
    spec.height = 8;
    auto rows = RandomRows(8, 8, 3, 9);
    Bytes file = MakePng(spec, rows, {1});
    for (std::size_t cut = 8; cut < file.size(); cut += 3) {
        Bytes truncated(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
        try {
            Decode(truncated);
        } catch (const EError&) {
        }
    }
    // An unknown filter byte leaves its row as read.
    Bytes raw = {9, 1, 2, 3};
    uLongf size = compressBound(4);
    Bytes z(size);
    compress(z.data(), &size, raw.data(), 4);
    z.resize(size);
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    PutBigEndian(ihdr, 1);
    PutBigEndian(ihdr, 1);
    for (int v : {8, 2, 0, 0, 0}) ihdr.push_back(static_cast<std::uint8_t>(v));
    AppendChunk(png, "IHDR", ihdr);
    AppendChunk(png, "IDAT", z);
    TBitmap one = Decode(png);
    EXPECT_EQ(one.ScanLine(0)[0], 3);
    EXPECT_EQ(one.ScanLine(0)[2], 1);
}

TEST(Png, AStopEndsTheSearchThroughTheChunks) {
    // Empty chunks in their thousands, before the header or before the image data.
    Bytes fillers;
    for (int i = 0; i < 5000; ++i) AppendChunk(fillers, "tEXt", {});
    PngSpec spec;
    const Bytes file = MakePng(spec, RandomRows(spec.width, spec.height, 3, 2), {0});
    for (std::size_t at : {std::size_t{8}, std::size_t{8 + 25}}) {
        Bytes padded = file;
        padded.insert(padded.begin() + static_cast<std::ptrdiff_t>(at), fillers.begin(), fillers.end());
        std::atomic<bool> stop{true};
        Bytes row(spec.width * 4);
        EXPECT_THROW(OpenPngRows(std::make_unique<TMemoryStream>(padded), &stop)->ReadRows(row.data(), row.size(), 1),
                     EError)
            << at;
    }
}

// A file that ends early, wherever it ends inside the image data, shows the rows it has and
// leaves the others as they were; a zlib error after some rows is still a broken picture.
TEST(Png, AFileThatEndsEarlyShowsTheRowsItHas) {
    PngSpec spec;
    spec.width = 40;
    spec.height = 30;
    const auto rows = RandomRows(spec.width, spec.height, 3, 21);
    const Bytes raw = FilterRows(rows, {0, 1, 2, 3, 4}, 3), z = Deflate(raw);
    // Whole rows shown from the top; all rows below the one cut are untouched (zero).
    auto rowsShown = [&](const TBitmap& bitmap) {
        int whole = 0;
        for (; whole < 30; ++whole) {
            const std::uint8_t* p = bitmap.ScanLine(whole);
            const Bytes& q = rows[static_cast<std::size_t>(whole)];
            for (int x = 0; x < 40; ++x)
                if (p[3 * x] != q[3 * x + 2] || p[3 * x + 1] != q[3 * x + 1] || p[3 * x + 2] != q[3 * x]) return whole;
        }
        return whole;
    };
    for (std::size_t chunk : {std::size_t{0}, std::size_t{100}}) {
        spec.idatChunk = chunk;
        const Bytes file = WrapPng(spec, z);
        for (double part : {0.3, 0.6, 0.9}) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() * part));
            TBitmap bitmap;
            ASSERT_NO_THROW(bitmap = Decode(cut)) << part;
            ASSERT_EQ(bitmap.Height(), 30);
            const int shown = rowsShown(bitmap);
            EXPECT_GT(shown, 30 * part - 6) << part;
            EXPECT_LT(shown, 30) << part;
            for (int y = shown + 1; y < 30; ++y)
                EXPECT_EQ(std::count(bitmap.ScanLine(y), bitmap.ScanLine(y) + 120, 0), 120) << part << " row " << y;
        }
    }
    spec.idatChunk = 0;
    // The zlib data itself cut short inside a whole file is the same case.
    const Bytes half(z.begin(), z.begin() + static_cast<std::ptrdiff_t>(z.size() / 2));
    EXPECT_EQ(ErrorOf(WrapPng(spec, half)), "no error");
    // The first half's rows, then a block of the reserved type 3.
    z_stream deflater{};
    deflateInit(&deflater, Z_DEFAULT_COMPRESSION);
    Bytes broken(compressBound(static_cast<uLong>(raw.size())) + 16);
    deflater.next_in = const_cast<Bytef*>(raw.data());
    deflater.avail_in = static_cast<uInt>(raw.size() / 2);
    deflater.next_out = broken.data();
    deflater.avail_out = static_cast<uInt>(broken.size());
    deflate(&deflater, Z_SYNC_FLUSH);
    broken.resize(deflater.total_out);
    deflateEnd(&deflater);
    broken.push_back(0x07);
    broken.push_back(0x00);
    EXPECT_EQ(ErrorOf(WrapPng(spec, broken)), "PNGの画像データが壊れています");
}

TEST(Png, DamagedImageDataIsABrokenPicture) {
    const PngSpec spec;  // 4 x 3 RGB: rows of 13 bytes
    const Bytes raw = FilterRows(RandomRows(spec.width, spec.height, 3, 4), {0}, 3), z = Deflate(raw);
    auto damaged = [&](std::size_t at, std::uint8_t bits) {
        Bytes d = z;
        d[at] ^= bits;
        return d;
    };
    const struct {
        const char* what;
        Bytes z;
    } cases[] = {
        {"header check", damaged(1, 0x01)},
        {"block type 3", damaged(2, static_cast<std::uint8_t>(~z[2] & 0x06))},
        {"a row missing", Deflate(Bytes(raw.begin(), raw.begin() + 2 * 13))},
        {"no image data", Bytes{}},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf(WrapPng(spec, c.z)), "PNGの画像データが壊れています") << c.what;
}

TEST(Png, SameAsLibpngOnRealFiles) {
    for (bool alpha : {false, true}) {
        std::vector<Bytes> rows;
        Bytes file = WriteWithLibpng(123, 77, alpha, rows);
        TBitmap ours = Decode(file);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()));
        image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
        Bytes reference(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, reference.data(), 0, nullptr));
        const int bpp = alpha ? 4 : 3;
        std::vector<Bytes> referenceRows;
        for (int y = 0; y < 77; ++y)
            referenceRows.emplace_back(reference.begin() + y * 123 * bpp, reference.begin() + (y + 1) * 123 * bpp);
        EXPECT_EQ(referenceRows, rows);
        EXPECT_TRUE(SamePixels(ours, referenceRows, bpp));
    }
}
