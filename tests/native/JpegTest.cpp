#include <gtest/gtest.h>

#include <cstdio>

#include <jpeglib.h>

#include "ImageFiles.h"
#include "background/ImageLoad.h"
#include "background/RowPipe.h"
#include "support/Errors.h"

namespace {

// Gradients in three directions, written by libjpeg.
Bytes EncodeJpeg(int width, int height, const jpeg_scan_info* scans = nullptr, int scanCount = 0) {
    Bytes rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] = static_cast<std::uint8_t>(x * (c + 2) + y * (4 - c));
    return EncodeJpegRgb(rgb, width, height, scans, scanCount);
}

TBitmap Load(const Bytes& bytes, const std::string& name) {
    TMemoryStream stream(bytes);
    TBitmap bitmap;
    LoadImageStream(bitmap, name, stream);
    return bitmap;
}

bool SameBitmaps(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitsPerPixel() != b.BitsPerPixel()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), static_cast<std::size_t>(a.Width()) * a.BitsPerPixel() / 8))
            return false;
    return true;
}

}  // namespace

TEST(Jpeg, DecodesToTwentyFourBitLikeLibjpeg) {
    Bytes file = EncodeJpeg(50, 30);
    TBitmap ours = Load(file, "photo.JPG");
    ASSERT_EQ(ours.Width(), 50);
    ASSERT_EQ(ours.Height(), 30);
    ASSERT_EQ(ours.BitsPerPixel(), 24);
    // libjpeg's own output, row by row.
    const Bytes reference = DecodeWithLibjpeg(file);
    bool same = true;
    for (int y = 0; y < 30; ++y) same = same && std::memcmp(ours.ScanLine(y), &reference[y * 50 * 3], 50 * 3) == 0;
    EXPECT_TRUE(same);
    EXPECT_TRUE(SameBitmaps(ours, Load(file, "photo.jpeg")));
}

// The rows a pipe makes from a JPEG's planes (chroma upsampled and converted on the reading
// thread) are libjpeg's own, byte for byte; samplings it cannot make come as whole rows.
TEST(Jpeg, RowsMadeFromThePlanesAreLibjpegs) {
    const jpeg_scan_info progressive[] = {{3, {0, 1, 2}, 0, 0, 0, 1}, {1, {0}, 1, 63, 0, 0}, {1, {1}, 1, 63, 0, 0},
                                          {1, {2}, 1, 63, 0, 0}, {3, {0, 1, 2}, 0, 0, 1, 0}};
    const std::pair<int, int> sizes[] = {{5, 1}, {6, 3}, {7, 17}, {33, 21}, {64, 64}, {129, 47}, {20, 300}, {4, 9}, {1, 1}};
    const std::pair<int, int> samplings[] = {{2, 2}, {2, 1}, {1, 1}, {1, 2}};
    int made = 0;
    for (auto [w, h] : sizes)
        for (auto [sh, sv] : samplings)
            for (bool isProgressive : {false, true}) {
                SCOPED_TRACE(testing::Message() << w << "x" << h << " sampled " << sh << "x" << sv << (isProgressive ? " progressive" : ""));
                Bytes rgb;
                for (const Bytes& row : RandomRows(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 3, w * 31 + h))
                    rgb.insert(rgb.end(), row.begin(), row.end());
                const auto file = std::make_shared<const Bytes>(
                    EncodeJpegRgb(rgb, w, h, isProgressive ? progressive : nullptr, isProgressive ? 5 : 0, sh, sv));
                TBitmap whole;
                TMemoryStream stream(*file);
                ASSERT_TRUE(LoadJpegImage32(whole, stream, nullptr));
                auto rows = OpenJpegRows(file, nullptr, true);
                EXPECT_EQ(rows->Maker() != nullptr, sv <= sh && (sh == 1 || w >= 5));
                made += rows->Maker() != nullptr;
                std::atomic<bool> stop{false};
                TRowPipe pipe(*rows, stop);
                for (int y = 0; y < h; ++y) {
                    pipe.Release(y);
                    const std::uint8_t* row = pipe.Row(y);
                    ASSERT_NE(row, nullptr);
                    ASSERT_EQ(std::memcmp(row, whole.ScanLine(y), static_cast<std::size_t>(w) * 4), 0) << "row " << y;
                }
                EXPECT_TRUE(pipe.Finish());
            }
    EXPECT_EQ(made, 46);
}

TEST(Jpeg, ScrambledJpxGivesTheSamePicture) {
    Bytes file = EncodeJpeg(20, 10);
    Bytes scrambled = file;
    UnscrambleJpx(scrambled);
    EXPECT_NE(scrambled, file);
    EXPECT_TRUE(SameBitmaps(Load(file, "a.jpg"), Load(scrambled, "a.jpx")));
    Bytes back = scrambled;
    UnscrambleJpx(back);
    EXPECT_EQ(back, file);
    EXPECT_TRUE(Load(Bytes(10000001, 0), "big.jpx").Empty());
}

TEST(Jpeg, DamagedFilesRaiseLibjpegsMessage) {
    Bytes file = EncodeJpeg(40, 40);
    try {
        Load(Bytes{1, 2, 3, 4, 5}, "x.jpg");
        FAIL();
    } catch (const EError& e) {
        EXPECT_NE(std::string(e.what()).find("JPEG"), std::string::npos) << e.what();
    }
    EXPECT_THROW(Load(Bytes{}, "x.jpg"), EError);
    // Cut anywhere: an error or a partial picture, never a crash.
    for (std::size_t cut = 0; cut < file.size(); cut += 37) {
        try {
            Load(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut)), "x.jpg");
        } catch (const EError&) {
        }
    }
    Bytes flipped = file;
    for (std::size_t i = 200; i < flipped.size(); i += 50) flipped[i] ^= 0x5A;
    try {
        Load(flipped, "x.jpg");
    } catch (const EError&) {
    }
}

TEST(Jpeg, ProgressiveFileWithTooManyScansIsRefused) {
    // DC first, then every AC coefficient of every component alone, refined bit by bit.
    std::vector<jpeg_scan_info> scans;
    scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
    for (int component = 0; component < 3; ++component)
        for (int k = 1; k < 64; ++k) {
            scans.push_back({1, {component, 0, 0, 0}, k, k, 0, 2});
            scans.push_back({1, {component, 0, 0, 0}, k, k, 2, 1});
            scans.push_back({1, {component, 0, 0, 0}, k, k, 1, 0});
        }
    Bytes file = EncodeJpeg(16, 16, scans.data(), static_cast<int>(scans.size()));
    try {
        Load(file, "x.jpg");
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "このJPEGはスキャン数が多すぎます");
    }
    EXPECT_FALSE(Load(EncodeJpeg(16, 16), "x.jpg").Empty());
}

TEST(Jpeg, AStopEndsTheReadingOfAProgressiveFilesScans) {
    // The stream sets the flag at its first read, as a termination request during the scans would.
    struct StopAtRead : TMemoryStream {
        StopAtRead(const std::vector<std::uint8_t>& bytes, std::atomic<bool>& stop, std::size_t& read)
            : TMemoryStream(bytes), stop(stop), read(read) {}
        std::size_t Read(void* buffer, std::size_t count) override {
            stop = true;
            const std::size_t got = TMemoryStream::Read(buffer, count);
            read += got;
            return got;
        }
        std::atomic<bool>& stop;
        std::size_t& read;
    };
    const auto noise = RandomRows(512, 512, 3, 5);
    Bytes rgb;
    for (const Bytes& row : noise) rgb.insert(rgb.end(), row.begin(), row.end());
    const jpeg_scan_info scans[] = {
        {3, {0, 1, 2, 0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}, {1, {1}, 1, 63, 0, 0}, {1, {2}, 1, 63, 0, 0}};
    const Bytes file = EncodeJpegRgb(rgb, 512, 512, scans, 4);
    ASSERT_GT(file.size(), 128u * 1024);
    std::atomic<bool> stop{false};
    std::size_t read = 0;
    EXPECT_THROW(OpenJpegStreamRows(std::make_unique<StopAtRead>(file, stop, read), nullptr, &stop), EError);
    EXPECT_LT(read, file.size() / 2);
}

TEST(ImageLoad, DispatchesOnTheExtensionOnly) {
    Bytes file = EncodeJpeg(8, 8);
    EXPECT_TRUE(Load(file, "picture.gif").Empty());
    EXPECT_TRUE(Load(file, "noextension").Empty());
    EXPECT_FALSE(Load(file, "C:\\pics\\a.b\\Photo.JpEg").Empty());
    EXPECT_TRUE(Load(file, "wrong.png").Empty());  // no IHDR in JPEG bytes: nothing, no error
    EXPECT_THROW(Load(file, "wrong.bmp"), EError);
}
