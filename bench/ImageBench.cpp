// Decoding and transforming pictures, in megapixels per second, beside libpng and
// libjpeg-turbo decoding the same files in the same run.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <random>
#include <vector>

#include "../tests/native/ImageFiles.h"
#include "background/GraphicMath.h"
#include "background/GraphicWork.h"
#include "background/ImageLoad.h"

namespace {

// Smooth gradients with a little noise, as photographs have.
Bytes PhotoPixels(int width, int height, int channels) {
    std::mt19937 random(1);
    Bytes pixels(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[(static_cast<std::size_t>(y) * width + x) * channels + c] =
                    static_cast<std::uint8_t>((x / 8 + y / 6 * (c + 1)) % 256 / 2 + random() % 24);
    return pixels;
}

const Bytes& PngFile(bool alpha) {
    static Bytes files[2];
    Bytes& file = files[alpha];
    if (file.empty()) {
        Bytes pixels = PhotoPixels(2000, 1500, alpha ? 4 : 3);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = 2000;
        image.height = 1500;
        image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
        png_alloc_size_t size = 0;
        png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
        file.resize(size);
        png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0, nullptr);
        file.resize(size);
    }
    return file;
}

const Bytes& JpegFile() {
    static const Bytes file = EncodeJpegRgb(PhotoPixels(2000, 1500, 3), 2000, 1500);
    return file;
}

void SetMegapixels(benchmark::State& state, double pixelsPerIteration) {
    state.counters["Mpx/s"] = benchmark::Counter(pixelsPerIteration / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PngDecode(benchmark::State& state) {
    TMemoryStream stream(PngFile(state.range(0)));
    for (auto _ : state) {
        stream.Seek(0, soBeginning);
        TBitmap bitmap;
        LoadPngImage(bitmap, stream);
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
    SetMegapixels(state, 2000.0 * 1500);
}

void BM_PngDecodeLibpng(benchmark::State& state) {
    const Bytes& file = PngFile(state.range(0));
    for (auto _ : state) {
        Bytes out(2000 * 1500 * 4);  // a new picture each time, as a loader makes one
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, file.data(), file.size());
        image.format = state.range(0) ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
        png_image_finish_read(&image, nullptr, out.data(), 0, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    SetMegapixels(state, 2000.0 * 1500);
}

void BM_JpegDecode(benchmark::State& state) {
    TMemoryStream stream(JpegFile());
    for (auto _ : state) {
        stream.Seek(0, soBeginning);
        TBitmap bitmap;
        LoadJpegImage(bitmap, stream);
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
    SetMegapixels(state, 2000.0 * 1500);
}

// libjpeg-turbo's own decode loop into one buffer, the reference for the above.
void BM_JpegDecodeLibjpeg(benchmark::State& state) {
    const Bytes& file = JpegFile();
    for (auto _ : state) benchmark::DoNotOptimize(DecodeWithLibjpeg(file).data());
    SetMegapixels(state, 2000.0 * 1500);
}

TBitmap Picture(int width, int height) {
    TBitmap b(width, height);
    Bytes pixels = PhotoPixels(width, height, 4);
    for (int y = 0; y < height; ++y)
        std::copy(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width * 4,
                  pixels.begin() + static_cast<std::ptrdiff_t>(y + 1) * width * 4, b.ScanLine(y));
    SetAlpha(b, 255);
    return b;
}

void Resample(benchmark::State& state, int sw, int sh, int dw, int dh) {
    const TBitmap source = Picture(sw, sh);
    TBitmap dest(dw, dh);
    TDrawParams p;
    p.Dest = &dest;
    p.Source = &source;
    p.Place = {0, 0, dw, dh};
    p.Clip = p.Place;
    for (auto _ : state) DrawBitmap(p);
    SetMegapixels(state, static_cast<double>(dw) * dh);
}

void BM_DrawBitmapBoxShrink(benchmark::State& state) { Resample(state, 4000, 3000, 400, 300); }
void BM_DrawBitmapBilinear(benchmark::State& state) { Resample(state, 1024, 768, 1600, 1200); }

void BM_RotateBitmap90(benchmark::State& state) {
    TBitmap b = Picture(2000, 1500);
    for (auto _ : state) RotateBitmap(b, 1);
    SetMegapixels(state, 2000.0 * 1500);
}

void BM_EllipseAlpha(benchmark::State& state) {
    TBitmap b = Picture(2000, 1500);
    for (auto _ : state) EllipseAlpha(b);
    SetMegapixels(state, 2000.0 * 1500);
}

// The item rule: a line of width 1 across a 1000-pixel row.
void BM_SoftLineTo(benchmark::State& state) {
    TBitmap row = Picture(1000, 20);
    TSoftPen pen;
    pen.Bitmap = &row;
    pen.Width = state.range(0);
    for (auto _ : state) {
        pen.X = 0;
        pen.Y = 10;
        SoftLineTo(pen, 999, 10);
    }
    SetMegapixels(state, 1000.0 * (2 * (state.range(0) / 2 + 1) + 1));
}

}  // namespace

BENCHMARK(BM_PngDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecodeLibpng)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecodeLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawBitmapBoxShrink)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawBitmapBilinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateBitmap90)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EllipseAlpha)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoftLineTo)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
