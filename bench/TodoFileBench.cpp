// Item file load and save at 100,000 items (about 5 MB with Japanese text).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "support/FileIO.h"
#include "todo/TodoData.h"

namespace {

const int kItems = 100000;

TTodoData MakeList() {
    TTodoData data;
    const std::string texts[] = {"牛乳を買う", "歯医者の予約 10:30\r\n保険証を忘れずに", "Call Bob about \"the report\"",
                                 "請求書を送る C:\\書類\\請求書.xls", "会議資料の準備をする、部長に確認"};
    for (int i = 0; i < kItems; ++i) {
        int k = data.NewItem();
        data.SetDate(k, DateFromText("20240101") + i % 700);
        data.SetColor(k, i * 2654435761u & 0xFFFFFF);
        data.SetText(k, texts[i % 5] + " 番号" + std::to_string(i));
        data.SetCategory(k, i % 3 ? "★" : "");
    }
    return data;
}

std::string BenchPath() { return (std::filesystem::temp_directory_path() / "memorail-bench-todo.txt").string(); }

void BM_LoadFromFile(benchmark::State& state) {
    const std::string path = BenchPath();
    MakeList().SaveToFile(path, false);
    TTodoData data;
    for (auto _ : state) {
        data.LoadFromFile(path);
        benchmark::DoNotOptimize(data.Count());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

// Formatting and writing, without the flush to disk.
void BM_SaveToFile(benchmark::State& state) {
    const TTodoData data = MakeList();
    const std::string path = BenchPath();
    for (auto _ : state) data.SaveToFile(path, false);
    state.SetItemsProcessed(state.iterations() * kItems);
}

// The same with the flush that makes the safe save durable.
void BM_SaveToFileFlushed(benchmark::State& state) {
    const TTodoData data = MakeList();
    const std::string path = BenchPath();
    for (auto _ : state) data.SaveToFile(path, true);
    state.SetItemsProcessed(state.iterations() * kItems);
}

// The flush alone: writing the same text with and without it differs by this much.
void BM_FlushOnly(benchmark::State& state) {
    const std::string text = MakeList().SaveToText();
    const std::string path = BenchPath();
    for (auto _ : state) {
        state.PauseTiming();
        ReplaceFileSafely(path, text, false);
        state.ResumeTiming();
        ReplaceFileSafely(path, text, true);
    }
}

}  // namespace

BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveToFileFlushed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlushOnly)->Unit(benchmark::kMillisecond);

namespace {

// Sorting 100,000 items by each key (texts compared byte by byte, as natively).
void BM_SortItems(benchmark::State& state) {
    const TTodoData source = MakeList();
    const std::string text = source.SaveToText();
    for (auto _ : state) {
        state.PauseTiming();
        TTodoData data;
        data.LoadFromText(text);
        state.ResumeTiming();
        data.SortItems(static_cast<int>(state.range(0)), true);
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}

}  // namespace

BENCHMARK(BM_SortItems)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
