// Reading the category list from a 20 MB Category.txt.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "support/FileIO.h"
#include "todo/CategoryList.h"

namespace {

void ReadList(benchmark::State& state, bool distinct) {
    const std::string path = (std::filesystem::temp_directory_path() / "memorail-bench-category.txt").string();
    const char* const repeated[] = {"★\r\n", "☆\r\n", "①\r\n", "　\r\n"};
    std::string text;
    for (int i = 0; text.size() < 20'000'000; ++i)
        text += distinct ? "印" + std::to_string(i) + "\r\n" : repeated[i % 4];
    ReplaceFileSafely(path, text, false);
    for (auto _ : state) benchmark::DoNotOptimize(ReadCategoryList(path).size());
    state.counters["bytes"] = static_cast<double>(text.size());
}

// The whole file is read: four marks repeated to the end.
void BM_ReadCategories20MBRepeated(benchmark::State& state) { ReadList(state, false); }
// Every line a new mark: reading stops at the cap.
void BM_ReadCategories20MBDistinct(benchmark::State& state) { ReadList(state, true); }

}  // namespace

BENCHMARK(BM_ReadCategories20MBRepeated)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCategories20MBDistinct)->Unit(benchmark::kMillisecond);
