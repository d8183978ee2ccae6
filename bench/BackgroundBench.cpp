// The window background made from a 4000 x 3000 photograph, beside libjpeg-turbo decoding the
// same file alone, measured in the same run: "x_decode" is the render's median time over the
// decode's. Also a re-render after a resize against the first render ("x_first"), the first
// render's peak memory, the bilinear resampling alone, and memorail-image's BMP rows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <time.h>
#include <vector>

#include "../tests/native/ImageFiles.h"
#include "background/BGRender.h"
#include "background/RowPipe.h"
#include "background/StreamResample.h"
#include "tools/BmpWriter.h"

namespace {

constexpr int kPhotoWidth = 4000, kPhotoHeight = 3000;

double Seconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

// Smooth shapes with a little grain, as photographs have; written once per run.
const std::string& PhotoFile() {
    static const std::string path = [] {
        std::mt19937 random(7);
        Bytes rgb(static_cast<std::size_t>(kPhotoWidth) * kPhotoHeight * 3);
        for (int y = 0; y < kPhotoHeight; ++y)
            for (int x = 0; x < kPhotoWidth; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[(static_cast<std::size_t>(y) * kPhotoWidth + x) * 3 + c] = static_cast<std::uint8_t>(
                        (x / 16 + y / 12 * (c + 1)) % 200 + (x * y / 4096) % 32 + random() % 16);
        const Bytes jpeg = EncodeJpegRgb(rgb, kPhotoWidth, kPhotoHeight);
        const std::string file = (std::filesystem::temp_directory_path() / "memorail-bench-photo.jpg").string();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
        return file;
    }();
    return path;
}

// libjpeg-turbo alone: the file read and decoded into one buffer of 24-bit rows.
void DecodeAlone(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    benchmark::DoNotOptimize(DecodeWithLibjpeg(file).data());
}

double DecodeAloneSeconds() {
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        const double start = Seconds();
        DecodeAlone(PhotoFile());
        times.push_back(Seconds() - start);
    }
    return Median(times);
}

TRenderSnapshot FitBoth(int width, int height) {
    TRenderSnapshot s;
    s.PicturePath = PhotoFile();
    s.Width = width;
    s.Height = height;
    s.VAlign = s.HAlign = 0;
    return s;
}

long ProcStatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return 0;
}

// The growth of the resident set at its peak during one call, in MB.
template <typename F>
double PeakGrowthMb(F call) {
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from the current size
    const long before = ProcStatusKb("VmRSS:");
    call();
    return static_cast<double>(ProcStatusKb("VmHWM:") - before) / 1024.0;
}

void BM_DecodeAlone(benchmark::State& state) {
    for (auto _ : state) DecodeAlone(PhotoFile());
}

// The first rendering of the picture: nothing kept from before.
void BM_RenderFirst(benchmark::State& state) {
    const TRenderSnapshot snapshot = FitBoth(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const double decode = DecodeAloneSeconds();
    std::atomic<bool> stop{false};
    std::vector<double> times;
    double peak = 0;
    for (auto _ : state) {
        TPictureCache cache;
        TRenderOptions options;
        options.Cache = &cache;
        TRenderOutput output;
        const double start = Seconds();
        if (times.empty())
            peak = PeakGrowthMb([&] { RenderBackground(snapshot, output, stop, options); });
        else
            RenderBackground(snapshot, output, stop, options);
        times.push_back(Seconds() - start);
        benchmark::DoNotOptimize(output.Bitmap.ScanLine(0));
    }
    state.counters["x_decode"] = Median(times) / decode;
    state.counters["peak_MB"] = peak;
}

// After a resize or a settings change: the file's bytes are kept; one rendering, never slower
// than the first.
void BM_RenderAgain(benchmark::State& state) {
    TRenderSnapshot snapshot = FitBoth(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::atomic<bool> stop{false};
    TPictureCache cache;
    TRenderOptions options;
    options.Cache = &cache;
    TRenderOutput output;
    std::vector<double> first, again;
    for (int i = 0; i < 3; ++i) {
        TPictureCache fresh;
        TRenderOptions cold;
        cold.Cache = &fresh;
        const double start = Seconds();
        RenderBackground(snapshot, output, stop, cold);
        first.push_back(Seconds() - start);
    }
    RenderBackground(snapshot, output, stop, options);
    for (auto _ : state) {
        snapshot.Width += 1;  // a resize
        const double start = Seconds();
        RenderBackground(snapshot, output, stop, options);
        again.push_back(Seconds() - start);
        benchmark::DoNotOptimize(output.Bitmap.ScanLine(0));
    }
    state.counters["x_first"] = Median(again) / Median(first);
}

// The bilinear path alone: a 1920 x 1440 picture enlarged to 3840 x 2880 from memory.
void BM_BilinearRows(benchmark::State& state) {
    TBitmap source(1920, 1440);
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width() * 4; ++x) source.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 3);
    const TResampleJob job{1920, 1440, 3840, 2880, {0, 0, 3840, 2880}};
    for (auto _ : state) {
        TBitmapFeed feed(source);
        std::uint32_t sum = 0;
        ResampleRows(job, feed, [&](int, const std::uint8_t* row) { sum += row[0]; });
        benchmark::DoNotOptimize(sum);
    }
}

// memorail-image's output: 1920 x 1080 rows handed to the BMP writer one at a time, top first.
void BM_BmpRows(benchmark::State& state) {
    std::vector<std::uint8_t> row(1920 * 4, 0x80);
    const std::string path = (std::filesystem::temp_directory_path() / "memorail-bench-rows.bmp").string();
    for (auto _ : state) {
        TBmpRowWriter writer(path);
        for (int y = 0; y < 1080; ++y) writer.WriteRow(1920, 1080, 32, y, row.data());
        writer.Close();
    }
    std::remove(path.c_str());
}

}  // namespace

BENCHMARK(BM_DecodeAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFirst)->Args({334, 248})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderAgain)->Args({334, 248})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BilinearRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpRows)->Unit(benchmark::kMillisecond);
