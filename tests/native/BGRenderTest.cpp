#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "ImageFiles.h"
#include "TestFolder.h"
#include "background/BGRender.h"
#include "background/GraphicWork.h"
#include "background/ImageLoad.h"

namespace {

struct SizeCase {
    const char* name;
    int pictureW, pictureH, windowW, windowH, valign, halign, zoom, rotation;
    int expectW, expectH;
    bool tooLarge;
};

class RenderSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(RenderSizes, FollowThePlacementRules) {
    const SizeCase& c = GetParam();
    TRenderSnapshot s;
    s.Width = c.windowW;
    s.Height = c.windowH;
    s.VAlign = static_cast<std::uint8_t>(c.valign);
    s.HAlign = static_cast<std::uint8_t>(c.halign);
    s.Zoom = c.zoom;
    s.Rotation = c.rotation;
    const TRenderSize size = ComputeRenderSize(c.pictureW, c.pictureH, s);
    EXPECT_EQ(size.Width, c.expectW);
    EXPECT_EQ(size.Height, c.expectH);
    EXPECT_EQ(size.TooLarge, c.tooLarge);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RenderSizes,
    ::testing::Values(SizeCase{"zoom50_centred", 800, 600, 1000, 700, 2, 2, 50, 0, 400, 300, false},
                      SizeCase{"fit_fit_wide_picture", 1000, 500, 400, 300, 0, 0, 100, 0, 600, 300, false},
                      SizeCase{"fit_fit_tall_picture", 500, 1000, 400, 300, 0, 0, 100, 0, 400, 800, false},
                      SizeCase{"fit_height_left", 200, 100, 400, 300, 0, 1, 100, 0, 600, 300, false},
                      SizeCase{"fit_width_top", 200, 100, 400, 300, 1, 0, 100, 0, 400, 200, false},
                      SizeCase{"rotated_90", 300, 200, 400, 300, 1, 1, 100, 1, 200, 300, false},
                      SizeCase{"rotated_180_keeps_shape", 300, 200, 400, 300, 1, 1, 100, 2, 300, 200, false},
                      SizeCase{"empty_picture", 0, 0, 400, 300, 0, 0, 100, 0, 0, 0, false},
                      SizeCase{"negative_zoom", 300, 200, 400, 300, 2, 2, -5, 0, 0, 0, false},
                      SizeCase{"zoom500_wide", 16384, 5, 400, 300, 2, 2, 500, 0, 0, 0, true},
                      SizeCase{"fitted_tall_narrow", 10, 10000, 1000, 1000, 0, 0, 100, 0, 0, 0, true},
                      SizeCase{"past_pixel_count", 16000, 16000, 400, 300, 1, 1, 100, 0, 0, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

std::uint32_t Pixel(const TBitmap& b, int x, int y) {
    std::uint32_t v;
    std::memcpy(&v, b.ScanLine(y) + x * 4, 4);
    return v;
}

TEST(BlendOverColor, MixesByOpacityTimesAlpha) {
    struct Case {
        std::uint8_t b, g, r, a;
        int opacity;
        std::uint32_t expect;
    };
    // Colour $00804020: B 128, G 64, R 32 (pixel word 0xFF204080).
    const Case cases[] = {
        {200, 100, 50, 255, 255, 0xFF3264C8},  // fully opaque: the picture
        {200, 100, 50, 0, 255, 0xFF204080},    // transparent: the colour
        {200, 100, 50, 255, 0, 0xFF204080},    // opacity 0: the colour
        // alpha 128: B (127 x 128 + 128 x 200) / 255 = 164, G 82, R 41
        {200, 100, 50, 128, 255, 0xFF2952A4},
        // opacity 102 x alpha 200 / 255 = 80: B (175 x 128 + 80 x 200) / 255 = 150, G 75, R 37
        {200, 100, 50, 200, 102, 0xFF254B96},
    };
    for (const Case& c : cases) {
        TBitmap b(1, 1);
        std::uint8_t* p = b.ScanLine(0);
        p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = c.a;
        BlendOverColor(b, 0x804020, c.opacity);
        EXPECT_EQ(Pixel(b, 0, 0), c.expect) << "alpha " << int(c.a) << " opacity " << c.opacity;
    }
}

class RenderFiles : public ::testing::Test {
protected:
    // A 400 x 300 JPEG of three gradients.
    std::string Photo(const std::string& name, int width = 400, int height = 300) {
        Bytes rgb(static_cast<std::size_t>(width) * height * 3);
        for (std::size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = static_cast<std::uint8_t>((i % (width * 3)) / 5 + (i / (width * 3)) * (i % 3 + 1));
        const Bytes jpeg = EncodeJpegRgb(rgb, width, height);
        const std::string path = folder / name;
        WriteBytes(path, std::string(jpeg.begin(), jpeg.end()));
        return path;
    }
    TRenderOutput Render(const TRenderSnapshot& s, TPictureCache* cache = nullptr) {
        TRenderOutput out;
        std::atomic<bool> stop{false};
        TRenderOptions options;
        options.Cache = cache;
        RenderBackground(s, out, stop, options);
        return out;
    }
    TestFolder folder;
};

TEST_F(RenderFiles, FullTransparencyLeavesOnlyTheBackgroundColour) {
    TRenderSnapshot s;
    s.PicturePath = Photo("a.jpg");
    s.Width = 300, s.Height = 200, s.VAlign = s.HAlign = 0;
    s.OpacityReduction = 255;
    s.BackgroundColor = 0x123456;  // R 0x56, G 0x34, B 0x12
    const TRenderOutput out = Render(s);
    ASSERT_EQ(out.Bitmap.Width(), 300);
    for (int y = 0; y < out.Bitmap.Height(); ++y)
        for (int x = 0; x < out.Bitmap.Width(); ++x) ASSERT_EQ(Pixel(out.Bitmap, x, y), 0xFF563412u);
}

// Decoding straight into 32-bit pixels and blending in place give the pixels of the plain
// order: 24-bit load, widen, alpha 255, draw, rotate, mask, fill a result and draw onto it.
TEST_F(RenderFiles, ShortcutsGiveThePlainPipelinesPixels) {
    const std::string path = Photo("p.jpg");
    struct Case {
        int w, h, valign, halign, zoom, rotation, effect, alpha;
    };
    const Case cases[] = {{90, 60, 0, 0, 100, 0, 0, 0},
                          {1000, 700, 0, 0, 100, 0, 0, 0},
                          {300, 300, 1, 2, 50, 1, 3, 40},
                          {300, 300, 3, 3, 170, 3, 1, 10},
                          {120, 200, 0, 3, 100, 2, 2, 75}};
    for (const Case& c : cases) {
        TRenderSnapshot s;
        s.PicturePath = path;
        s.Width = c.w, s.Height = c.h, s.VAlign = c.valign, s.HAlign = c.halign;
        s.Zoom = c.zoom, s.Rotation = c.rotation, s.Effect = c.effect;
        s.OpacityReduction = c.alpha * 255 / 100;
        s.BackgroundColor = 0x3050A0;
        const TRenderOutput fast = Render(s);

        TBitmap picture24, picture;
        LoadImageFile(picture24, path);
        picture.Allocate(picture24.Width(), picture24.Height(), 32);
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                std::memcpy(picture.ScanLine(y) + x * 4, picture24.ScanLine(y) + x * 3, 3);
        SetAlpha(picture, 255);
        const TRenderSize size = ComputeRenderSize(picture.Width(), picture.Height(), s);
        const bool turned = c.rotation % 2 == 1;
        TBitmap prepared(turned ? size.Height : size.Width, turned ? size.Width : size.Height);
        DrawBitmap({&prepared,
                    &picture,
                    {0, 0, prepared.Width(), prepared.Height()},
                    {0, 0, prepared.Width(), prepared.Height()},
                    255,
                    dtCopy});
        RotateBitmap(prepared, c.rotation);
        if (c.effect == 1 || c.effect == 2) GradientAlpha(prepared, c.effect == 1);
        if (c.effect == 3) EllipseAlpha(prepared);
        if (c.effect == 0) SetAlpha(prepared, 255);
        TBitmap result(size.Width, size.Height);
        FillBitmap32(result, 0xFFA05030);
        DrawBitmap({&result,
                    &prepared,
                    {0, 0, size.Width, size.Height},
                    {0, 0, size.Width, size.Height},
                    255 - s.OpacityReduction,
                    dtAlpha});

        // Only the part the window can show is made; it is that part of the whole.
        ASSERT_EQ(fast.FullWidth, result.Width());
        ASSERT_EQ(fast.FullHeight, result.Height());
        for (int y = 0; y < fast.Bitmap.Height(); ++y)
            ASSERT_EQ(std::memcmp(fast.Bitmap.ScanLine(y), result.ScanLine(y + fast.Top) + fast.Left * 4,
                                  static_cast<std::size_t>(fast.Bitmap.Width()) * 4),
                      0)
                << c.w << "x" << c.h << " row " << y;
    }
}

TEST_F(RenderFiles, OddPicturesGiveTheirFallbacks) {
    WriteBytes(folder / "x.gif", "GIF89a");
    WriteBytes(folder / "bad.png",
               std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x04\0\0\0\x04\x10\x02\0\0\0\0\0\0\0", 33));
    TRenderSnapshot s;
    s.Width = 400, s.Height = 300, s.VAlign = s.HAlign = 1;

    s.PicturePath = folder / "x.gif";  // loads as 0 x 0: nothing to show, nothing divided by
    TRenderOutput out = Render(s);
    EXPECT_TRUE(out.Bitmap.Empty());
    EXPECT_EQ(out.Message, "");

    s.PicturePath = folder / "bad.png";  // a 16-bit PNG: the placeholder with the loader's message
    out = Render(s);
    EXPECT_EQ(out.Message, "このPNG色深度には対応していません");
    ASSERT_EQ(out.Bitmap.Width(), 100);
    EXPECT_EQ(Pixel(out.Bitmap, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(out.Bitmap, 99, 40), 0xFFFF0000u);  // frame
    EXPECT_EQ(Pixel(out.Bitmap, 60, 60), 0xFFFF0000u);  // cross
    EXPECT_EQ(Pixel(out.Bitmap, 70, 50), 0xFFFFFFFFu);

    s.PicturePath = folder / "gone.jpg";  // the built-in picture with the notice
    out = Render(s);
    EXPECT_EQ(out.Message, std::string(kMissingPictureMessage) + "\r\n" + s.PicturePath);
    EXPECT_EQ(out.Bitmap.Width(), 320);
    EXPECT_EQ(out.Bitmap.Height(), 225);

    s.PicturePath = folder / "default";  // the default entry: no notice
    EXPECT_EQ(Render(s).Message, "");
    WriteBytes(folder / "default", "some file of that name");  // it names no file all the same
    out = Render(s);
    EXPECT_EQ(out.Message, "");
    EXPECT_EQ(out.Bitmap.Width(), 320);
}

// At twice the scale a notice takes the place it takes at 96 dpi, drawn there at twice the size
// rather than enlarged: its text stays sharp.
TEST_F(RenderFiles, NoticesAreDrawnAtTheWindowsScale) {
    WriteBytes(folder / "bad.png",
               std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x04\0\0\0\x04\x10\x02\0\0\0\0\0\0\0", 33));
    TRenderSnapshot s;
    s.Width = 800, s.Height = 600, s.VAlign = s.HAlign = 1;
    s.Dpi = 192, s.Zoom = 200;  // 100 % at 192 dpi
    s.PicturePath = folder / "bad.png";
    TRenderOutput out = Render(s);
    ASSERT_EQ(out.Bitmap.Width(), 200);
    EXPECT_EQ(Pixel(out.Bitmap, 1, 80), 0xFFFF0000u);  // the frame, two pixels thick
    EXPECT_EQ(Pixel(out.Bitmap, 2, 80), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(out.Bitmap, 120, 121), 0xFFFF0000u);  // the cross
    s.PicturePath = folder / "gone.jpg";
    out = Render(s);
    EXPECT_EQ(out.FullWidth, 640);
    EXPECT_EQ(out.FullHeight, 450);
    s.Zoom = 100;  // 50 % at 192 dpi: the notice's own pixels shown at half their size
    EXPECT_EQ(Render(s).FullWidth, 320);
}

TEST_F(RenderFiles, TooLargeAResultIsThePlaceholder) {
    TRenderSnapshot s;
    s.PicturePath = Photo("wide.jpg", 16384, 8);
    s.Width = 400, s.Height = 300, s.VAlign = s.HAlign = 2;
    s.Zoom = 500;
    const TRenderOutput out = Render(s);
    EXPECT_EQ(out.Message, kImageTooLargeMessage);
    EXPECT_EQ(out.FullWidth, 500);  // the 100 x 100 placeholder at 500 %
}

// A zoom no picture may take (from a settings file written by hand) makes even the placeholder
// too large: it is then shown at its own size, once, rather than made again and again.
TEST_F(RenderFiles, APlaceholderTooLargeForTheZoomIsShownAtItsOwnSize) {
    struct CountingDrawer : TTextDrawer {
        int draws = 0;
        void DrawWrapped(TBitmap&, const TRect&, const std::string&, std::int32_t, int) override {
            if (++draws > 3) throw std::runtime_error("placeholder made again and again");
        }
    } text;
    WriteBytes(folder / "bad.png",  // 16-bit: the loader's placeholder first
               std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x04\0\0\0\x04\x10\x02\0\0\0\0\0\0\0", 33));
    for (const std::string& path : {Photo("a.jpg", 40, 30), folder / "bad.png"}) {
        TRenderSnapshot s;
        s.PicturePath = path;
        s.Width = 400, s.Height = 300, s.VAlign = s.HAlign = 2;
        s.Zoom = 1000000;
        TRenderOutput out;
        std::atomic<bool> stop{false};
        TRenderOptions options;
        options.Text = &text;
        text.draws = 0;
        ASSERT_NO_THROW(RenderBackground(s, out, stop, options)) << path;
        EXPECT_EQ(out.Message, kImageTooLargeMessage);
        EXPECT_EQ(out.Bitmap.Width(), 100);
        EXPECT_EQ(out.Bitmap.Height(), 100);
    }
}

TEST_F(RenderFiles, StopsBetweenSteps) {
    TRenderSnapshot s;
    s.PicturePath = Photo("a.jpg");
    s.Width = 300, s.Height = 200, s.VAlign = s.HAlign = 0;
    std::atomic<bool> stop{false};
    std::vector<int> steps;
    TRenderOptions options;
    options.OnStep = [&](int step, const char*) {
        steps.push_back(step);
        stop = true;
    };
    TRenderOutput out;
    RenderBackground(s, out, stop, options);
    EXPECT_TRUE(out.Stopped);
    EXPECT_TRUE(out.Bitmap.Empty());
    EXPECT_EQ(steps, std::vector<int>{rsLoad});
}

// The rows handed out while rendering are those of the finished bitmap, each of them, whatever
// the turn, also when they go only there; a streamed file's bytes are kept for the next rendering.
TEST_F(RenderFiles, HandedOutRowsAreTheFinishedOnesAndTheFileIsKept) {
    TRenderSnapshot s;
    s.PicturePath = Photo("a.jpg", 401, 299);
    s.Width = 250, s.Height = 170, s.VAlign = 2, s.HAlign = 3, s.Zoom = 90, s.Effect = 3, s.OpacityReduction = 40;
    std::vector<std::string> expected;
    for (int rotation = 0; rotation < 4; ++rotation) {
        s.Rotation = rotation;
        for (bool rowsOnly : {false, true}) {
            TPictureCache cache;
            std::vector<std::string> rows;
            TRenderOptions options;
            options.Cache = &cache;
            options.RowsOnly = rowsOnly;
            options.OnRow = [&](int width, int height, int y, const std::uint8_t* pixels) {
                rows.resize(static_cast<std::size_t>(height));
                rows[static_cast<std::size_t>(y)].assign(reinterpret_cast<const char*>(pixels), static_cast<std::size_t>(width) * 4);
            };
            std::atomic<bool> stop{false};
            TRenderOutput out;
            RenderBackground(s, out, stop, options);
            if (!rowsOnly) {
                ASSERT_EQ(rows.size(), static_cast<std::size_t>(out.Bitmap.Height())) << rotation;
                for (int y = 0; y < out.Bitmap.Height(); ++y)
                    ASSERT_EQ(rows[static_cast<std::size_t>(y)],
                              std::string(reinterpret_cast<const char*>(out.Bitmap.ScanLine(y)), static_cast<std::size_t>(out.Bitmap.Width()) * 4))
                        << rotation << " row " << y;
                expected = rows;
            } else {
                EXPECT_TRUE(out.Bitmap.Empty());
                EXPECT_EQ(rows, expected) << rotation;
            }
            TFileStamp stamp;
            ASSERT_TRUE(GetFileStamp(s.PicturePath, stamp));
            const auto kept = cache.Find(s.PicturePath, stamp);
            ASSERT_TRUE(kept);
            EXPECT_EQ(std::string(kept->begin(), kept->end()), ReadBytes(s.PicturePath));
        }
    }
}

TEST_F(RenderFiles, KeptPictureIsDroppedWhenTheFileChanges) {
    TPictureCache cache;
    TRenderSnapshot s;
    s.PicturePath = Photo("a.jpg");
    s.Width = 300, s.Height = 200, s.VAlign = s.HAlign = 1;
    EXPECT_EQ(Render(s, &cache).FullWidth, 400);
    EXPECT_EQ(Render(s, &cache).FullWidth, 400);
    Photo("a.jpg", 200, 100);
    EXPECT_EQ(Render(s, &cache).FullWidth, 200);
}

}  // namespace
