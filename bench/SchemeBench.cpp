// Loading hostile colour schemes of about 2 MB: one very wide, one very deep.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "background/kvneColors.h"
#include "support/FileIO.h"

namespace {

std::string WideScheme() {
    std::string text = kBuiltInColorScheme;
    for (int branch = 0; text.size() < 2'000'000; ++branch) {
        const std::string name = "枝" + std::to_string(branch);
        text += "<" + name + ">\r\n";
        for (int i = 0; i < 20000; ++i) {
            const std::string key = "キー" + std::to_string(i);
            text += "\t<" + key + ">$C0C0C0</" + key + ">\r\n";
        }
        text += "</" + name + ">\r\n";
    }
    return text;
}

std::string DeepScheme() {
    std::string open, close;
    for (int i = 0; open.size() + close.size() < 2'000'000; ++i) {
        const std::string name = "n" + std::to_string(i);
        open += "<" + name + ">";
        close.insert(0, "</" + name + ">");
    }
    return open + "$FFFFFF" + close + kBuiltInColorScheme;
}

void LoadScheme(benchmark::State& state, const std::string& text) {
    const std::string path = (std::filesystem::temp_directory_path() / "memorail-bench.clr").string();
    ReplaceFileSafely(path, text, false);
    TColorsList colors;
    for (auto _ : state) {
        colors.LoadFrom(path);
        benchmark::DoNotOptimize(colors.GetColor(kColorHighlight));
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}

void BM_LoadWideScheme(benchmark::State& state) { LoadScheme(state, WideScheme()); }
void BM_LoadDeepScheme(benchmark::State& state) { LoadScheme(state, DeepScheme()); }

}  // namespace

BENCHMARK(BM_LoadWideScheme)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDeepScheme)->Unit(benchmark::kMillisecond);
