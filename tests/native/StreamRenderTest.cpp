// Renderings that resample the picture as its rows arrive give, byte for byte, what a whole
// decode followed by the plain per-pixel formulas gives; those formulas live here only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ImageFiles.h"
#include "TestFolder.h"
#include "background/BGRender.h"
#include "background/ImageLoad.h"
#include "background/StreamResample.h"

namespace {

// B, G, R, A of pixel (x, y) of a 32-bit bitmap.
const std::uint8_t* At(const TBitmap& b, long long x, long long y) {
    return b.ScanLine(static_cast<int>(y)) + x * 4;
}

// The whole picture resampled to w x h by the box average or the bilinear formula.
TBitmap PlainResample(const TBitmap& s, int w, int h) {
    TBitmap out(w, h);
    const long long sW = s.Width(), sH = s.Height(), dW = w, dH = h;
    const long long lastRow = std::min(sH * (2 * dH - 1) / (2 * dH) + 1, sH - 1);
    auto row = [&](long long r) { return std::min(r, lastRow); };
    for (long long y = 0; y < dH; ++y)
        for (long long x = 0; x < dW; ++x) {
            std::uint8_t* d = out.ScanLine(static_cast<int>(y)) + x * 4;
            if (sW == dW && sH == dH) {
                std::memcpy(d, At(s, x, y), 3);
                continue;
            }
            const long long fy = sH * (2 * y + 1) * 256 / (2 * dH), sy = fy / 256, wy = fy % 256;
            for (int c = 0; c < 3; ++c) {
                if (sW / 2 > dW) {
                    const long long sx0 = sW * x / dW, sx1 = sW * (x + 1) / dW - 1, k = std::max(1LL, sH / dH);
                    long long sum = 0;
                    for (long long m = 0; m < k; ++m)
                        for (long long sx = sx0; sx <= sx1; ++sx) sum += At(s, sx, row(sy + m))[c];
                    d[c] = static_cast<std::uint8_t>(sum / ((sx1 - sx0 + 1) * k));
                } else {
                    const long long fx = (sW - 1) * x * 256 / dW, sx = fx / 256, wx = fx % 256;
                    const long long sx1 = std::min(sx + 1, sW - 1);
                    const long long v = (256 - wx) * (256 - wy) * At(s, sx, row(sy))[c] +
                                        (256 - wx) * wy * At(s, sx, row(sy + 1))[c] +
                                        wx * (256 - wy) * At(s, sx1, row(sy))[c] + wx * wy * At(s, sx1, row(sy + 1))[c];
                    d[c] = static_cast<std::uint8_t>(v >> 16);
                }
            }
        }
    return out;
}

// The finished background: resampled, turned, masked and blended over the colour.
TBitmap PlainRender(const TBitmap& picture, const TRenderSnapshot& s) {
    const TRenderSize size = ComputeRenderSize(picture.Width(), picture.Height(), s);
    const bool turned = s.Rotation == 1 || s.Rotation == 3;
    const int pw = turned ? size.Height : size.Width, ph = turned ? size.Width : size.Height;
    const TBitmap prepared = PlainResample(picture, pw, ph);
    TBitmap out(size.Width, size.Height);
    const long long W = size.Width, H = size.Height, w2 = W / 2, h2 = H / 2, sum = w2 + h2;
    const long long D = sum == 0 ? 0 : (w2 * w2 / sum) * (h2 * h2 / sum);
    const int opacity = 255 - s.OpacityReduction;
    const int color[3] = {(s.BackgroundColor >> 16) & 255, (s.BackgroundColor >> 8) & 255, s.BackgroundColor & 255};
    for (long long fy = 0; fy < H; ++fy)
        for (long long fx = 0; fx < W; ++fx) {
            long long x = fx, y = fy;  // where the pixel was before turning
            if (s.Rotation == 1) x = fy, y = ph - 1 - fx;
            if (s.Rotation == 2) x = pw - 1 - fx, y = ph - 1 - fy;
            if (s.Rotation == 3) x = pw - 1 - fy, y = fx;
            long long mask = 255;
            if (s.Effect == 1) mask = fy * 255 / H;
            if (s.Effect == 2) mask = 255 - fy * 255 / H;
            if (s.Effect == 3 && D != 0) {
                const long long bx = (fx - w2) * h2 / sum, by = (fy - h2) * w2 / sum, b = bx * bx + by * by;
                mask = b > D ? 0 : 255 - b * 255 / D;
            }
            const long long alpha = opacity * mask / 255;
            const std::uint8_t* p = At(prepared, x, y);
            std::uint8_t* d = out.ScanLine(static_cast<int>(fy)) + fx * 4;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<std::uint8_t>(alpha <= 0 ? color[c] : alpha < 255 ? ((255 - alpha) * color[c] + alpha * p[c]) / 255 : p[c]);
            d[3] = 255;
        }
    return out;
}

// A 24-bit bottom-up BMP of R, G, B rows.
Bytes MakeBmp24(int width, const std::vector<Bytes>& rgbRows) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
    const std::uint32_t height = static_cast<std::uint32_t>(rgbRows.size());
    Bytes b(54, 0);
    auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, 54 + stride * height, 4), put(10, 54, 4), put(14, 40, 4), put(18, static_cast<std::uint32_t>(width), 4);
    put(22, height, 4), put(26, 1, 2), put(28, 24, 2);
    for (std::uint32_t y = height; y-- > 0;) {
        Bytes line(stride, 0);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) line[x * 3 + c] = rgbRows[y][x * 3 + 2 - c];
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

struct StreamCase {
    const char* name;
    int pictureW, pictureH;
    int windowW, windowH, valign, halign, zoom, rotation, effect, alpha;
};

class StreamedRender : public ::testing::TestWithParam<StreamCase> {
protected:
    TestFolder folder;
};

TEST_P(StreamedRender, MatchesTheWholeDecodeAndThePlainFormulas) {
    const StreamCase& c = GetParam();
    const std::vector<Bytes> rgb = RandomRows(static_cast<std::uint32_t>(c.pictureW), static_cast<std::uint32_t>(c.pictureH), 3, 7);
    Bytes flat;
    for (const Bytes& r : rgb) flat.insert(flat.end(), r.begin(), r.end());
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"p.jpg", EncodeJpegRgb(flat, c.pictureW, c.pictureH)},
        {"p.png", MakePng(PngSpec{static_cast<std::uint32_t>(c.pictureW), static_cast<std::uint32_t>(c.pictureH)}, rgb, {0, 1, 2, 3, 4})},
        {"p.bmp", MakeBmp24(c.pictureW, rgb)}};
    for (const auto& [name, bytes] : files) {
        const std::string path = folder / name;
        WriteBytes(path, std::string(bytes.begin(), bytes.end()));
        TRenderSnapshot s;
        s.PicturePath = path;
        s.Width = c.windowW, s.Height = c.windowH, s.VAlign = static_cast<std::uint8_t>(c.valign);
        s.HAlign = static_cast<std::uint8_t>(c.halign), s.Zoom = c.zoom, s.Rotation = c.rotation, s.Effect = c.effect;
        s.OpacityReduction = OpacityReductionFromPercent(c.alpha);
        s.BackgroundColor = 0x3050A0;
        TRenderOutput out;
        std::atomic<bool> stop{false};
        RenderBackground(s, out, stop);
        ASSERT_EQ(out.Message, "") << name;

        TBitmap whole, picture;
        LoadImageFile(whole, path);
        picture.Allocate(whole.Width(), whole.Height(), 32);
        const int n = whole.BitsPerPixel() / 8;
        for (int y = 0; y < whole.Height(); ++y)
            for (int x = 0; x < whole.Width(); ++x) std::memcpy(picture.ScanLine(y) + x * 4, whole.ScanLine(y) + x * n, 3);
        const TBitmap expect = PlainRender(picture, s);
        ASSERT_EQ(out.FullWidth, expect.Width()) << name;
        ASSERT_EQ(out.FullHeight, expect.Height()) << name;
        const TRect part = VisiblePart(s, expect.Width(), expect.Height());
        ASSERT_EQ(out.Left, part.Left);
        ASSERT_EQ(out.Top, part.Top);
        ASSERT_EQ(out.Bitmap.Width(), part.Width());
        ASSERT_EQ(out.Bitmap.Height(), part.Height());
        for (int y = 0; y < part.Height(); ++y)
            ASSERT_EQ(std::memcmp(out.Bitmap.ScanLine(y), expect.ScanLine(y + part.Top) + part.Left * 4,
                                  static_cast<std::size_t>(part.Width()) * 4),
                      0)
                << name << " row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StreamedRender,
    ::testing::Values(
        // window W, H, valign, halign, zoom, rotation, effect, transparency %
        StreamCase{"bilinear_at_half", 400, 300, 200, 100, 1, 0, 100, 0, 0, 0},
        StreamCase{"shrink_below_half", 400, 300, 199, 100, 1, 0, 100, 0, 0, 0},
        StreamCase{"enlarged", 37, 23, 300, 200, 0, 0, 100, 0, 0, 0},
        StreamCase{"unscaled", 37, 23, 300, 200, 1, 1, 100, 0, 2, 30},
        StreamCase{"one_pixel_wide", 1, 50, 300, 200, 2, 2, 300, 0, 1, 0},
        StreamCase{"one_row", 60, 1, 300, 200, 3, 3, 250, 0, 3, 0},
        StreamCase{"odd_shrink_short_rows", 301, 37, 41, 200, 1, 0, 100, 0, 0, 0},
        StreamCase{"many_rows_a_sample", 600, 600, 300, 2, 0, 1, 100, 0, 0, 0},
        StreamCase{"fit_both_tall_window", 123, 77, 50, 400, 0, 0, 100, 0, 0, 0},
        StreamCase{"turned_90_ellipse", 200, 130, 90, 90, 2, 0, 100, 1, 3, 40},
        StreamCase{"turned_180_fade_down", 200, 130, 90, 90, 0, 3, 100, 2, 2, 10},
        StreamCase{"turned_270_fade_up", 200, 130, 90, 90, 1, 0, 100, 3, 1, 75},
        StreamCase{"zoomed_odd", 91, 53, 300, 300, 3, 2, 170, 1, 0, 100},
        StreamCase{"ellipse_too_small", 9, 9, 1, 1, 0, 0, 100, 0, 3, 0},
        StreamCase{"cut_centred_turned", 150, 110, 100, 70, 2, 2, 200, 1, 3, 20},
        StreamCase{"cut_bottom_right_turned", 150, 110, 100, 70, 3, 3, 200, 3, 1, 0},
        StreamCase{"cut_fit_both_wide", 300, 100, 120, 90, 0, 0, 100, 2, 2, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A file cut short shows, row by row, what the whole decode shows: the rows it has, a cut row
// padded as the decoder pads it, the rest black.
TEST(StreamedRender, FilesCutShortMatchTheWholeDecode) {
    TestFolder folder;
    const std::vector<Bytes> rgb = RandomRows(33, 21, 3, 5), rgba = RandomRows(33, 21, 4, 6);
    const Bytes png = MakePng(PngSpec{33, 21}, rgb, {1, 3, 4}), bmp = MakeBmp24(33, rgb);
    PngSpec alphaSpec{33, 21};
    alphaSpec.colorType = 6;
    const Bytes pngAlpha = MakePng(alphaSpec, rgba, {2, 4});
    Bytes flat;
    for (const Bytes& row : rgb) flat.insert(flat.end(), row.begin(), row.end());
    const Bytes jpeg = EncodeJpegRgb(flat, 33, 21);  // read from the file as it is decoded
    for (const auto& [name, bytes] : {std::pair{"c.png", png}, std::pair{"a.png", pngAlpha}, std::pair{"c.bmp", bmp},
                                      std::pair{"c.jpg", jpeg}}) {
        for (std::size_t keep : {bytes.size() * 2 / 3, bytes.size() / 2 + 7, bytes.size() - 30}) {
            const std::string path = folder / name;
            WriteBytes(path, std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep)));
            TRenderSnapshot s;
            s.PicturePath = path;
            s.Width = 70, s.Height = 50, s.VAlign = s.HAlign = 0;
            TRenderOutput out;
            std::atomic<bool> stop{false};
            RenderBackground(s, out, stop);
            TBitmap whole, picture;
            std::string error;
            try {
                LoadImageFile(whole, path);
            } catch (const std::exception& e) {
                error = e.what();
            }
            ASSERT_EQ(out.Message, error) << name << " " << keep;
            if (!error.empty()) continue;
            picture.Allocate(whole.Width(), whole.Height(), 32);
            const int n = whole.BitsPerPixel() / 8;
            for (int y = 0; y < whole.Height(); ++y)
                for (int x = 0; x < whole.Width(); ++x) std::memcpy(picture.ScanLine(y) + x * 4, whole.ScanLine(y) + x * n, 3);
            const TBitmap expect = PlainRender(picture, s);
            const TRect part = VisiblePart(s, expect.Width(), expect.Height());
            for (int y = 0; y < part.Height(); ++y)
                ASSERT_EQ(std::memcmp(out.Bitmap.ScanLine(y), expect.ScanLine(y + part.Top) + part.Left * 4,
                                      static_cast<std::size_t>(part.Width()) * 4),
                          0)
                    << name << " " << keep << " row " << y;
        }
    }
}

// Whatever the client area within the window's outer size, the window shows no pixel of the
// background outside the part rendered, and the part is no larger than that size.
TEST(VisiblePart, HoldsWhatAnyClientAreaShows) {
    for (int align : {0, 1, 2, 3}) {
        for (auto [size, room] : {std::pair{1000, 333}, std::pair{1001, 334}, std::pair{50, 333}, std::pair{334, 334}}) {
            TRenderSnapshot s;
            s.Width = room, s.Height = 10, s.HAlign = static_cast<std::uint8_t>(align), s.VAlign = 1;
            const TRect part = VisiblePart(s, size, 10);
            EXPECT_LE(part.Width(), room);
            const int h = align == 0 ? 0 : align;  // as the window places it
            for (int client = 1; client <= room; ++client) {
                const int at = h == 2 ? (client - size) / 2 : h == 3 ? client - size : 0;
                const int from = std::max(0, -at), to = std::min(size, client - at);
                if (from < to) {
                    EXPECT_TRUE(from >= part.Left && to <= part.Right) << align << " " << size << " " << client;
                }
            }
        }
    }
}

// A row feed of a bitmap that counts the rows it hands out.
class CountingFeed : public TRowFeed {
public:
    explicit CountingFeed(const TBitmap& b) : bitmap_(b) {}
    const std::uint8_t* Row(int y) override {
        EXPECT_GE(y, released_);
        highest_ = std::max(highest_, y);
        return bitmap_.ScanLine(y);
    }
    void Release(int below) override { released_ = std::max(released_, below); }
    int highest_ = -1;

private:
    const TBitmap& bitmap_;
    int released_ = 0;
};

// Rows past the last prepared one reuse that row, not the picture's last: the resampler never
// asks for rows beyond it, and a part gives the pixels of the whole there.
TEST(StreamResample, PartsAndTheLastPreparedRow) {
    TBitmap source(500, 97);
    for (int y = 0; y < 97; ++y)
        for (int x = 0; x < 500 * 4; ++x) source.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 13);
    for (auto [w, h] : {std::pair{120, 10}, std::pair{300, 40}, std::pair{700, 200}}) {
        TResampleJob job{500, 97, w, h, {0, 0, w, h}};
        std::vector<std::uint8_t> whole;
        CountingFeed feed(source);
        ResampleRows(job, feed, [&](int, const std::uint8_t* p) { whole.insert(whole.end(), p, p + w * 4); });
        EXPECT_EQ(feed.highest_, LastPreparedRow(97, h)) << w << "x" << h;
        job.Part = {w / 3, h / 2, w - 1, h};
        CountingFeed partFeed(source);
        ResampleRows(job, partFeed, [&](int y, const std::uint8_t* p) {
            EXPECT_EQ(std::memcmp(p, &whole[(static_cast<std::size_t>(y) * w + w / 3) * 4], static_cast<std::size_t>(job.Part.Width()) * 4), 0)
                << w << "x" << h << " row " << y;
        });
    }
}

}  // namespace

namespace {

// A large JPEG written a row at a time, so that the test never holds its pixels either.
std::string WriteLargeJpeg(const std::string& path, int width, int height) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 50, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) row[x * 3 + c] = static_cast<std::uint8_t>((x >> (4 + c)) + (y >> 5));
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
    return path;
}

// Past the old 64 Mi-pixel cap: a phone camera's 108-megapixel photo is shown.
TEST(StreamedRender, ALargePhotoRenders) {
    TestFolder folder;
    TRenderSnapshot s;
    s.PicturePath = WriteLargeJpeg(folder / "large.jpg", 12000, 9000);
    s.Width = 400, s.Height = 300, s.VAlign = s.HAlign = 0;
    TRenderOutput out;
    std::atomic<bool> stop{false};
    RenderBackground(s, out, stop);
    EXPECT_EQ(out.Message, "");
    EXPECT_EQ(out.Bitmap.Width(), 400);
    EXPECT_EQ(out.Bitmap.Height(), 300);
}

}  // namespace
