// The list's lines for 10,000 items and for one pasted 65,000-character item: what a change
// of height or a window reset costs (nothing to build again), the first build and a change
// of width. Text is measured by the stand-in, so these are the layout's own costs; the e2e
// report gives the program's under Wine.
#include <benchmark/benchmark.h>

#include "../tests/native/StandInText.h"
#include "app/ListLines.h"

namespace {

TTodoData ManyItems(int count, bool longTexts) {
    TTodoData items;
    for (int i = 0; i < count; ++i) {
        const int j = items.NewItem();
        items.SetDate(j, 45000 + i % 400);
        const std::string text = longTexts ? "歯医者の予約 10:30 保険証を忘れずに持っていくこと、それから帰りに牛乳を買う "
                                           : "牛乳を買う ";
        items.SetText(j, text + std::to_string(i));
    }
    return items;
}

TLineSettings Settings(bool wrap, int width) {
    TLineSettings settings;
    settings.wordWrap = wrap;
    settings.width = width;
    settings.font = "ＭＳ Ｐゴシック/9/128";
    return settings;
}

// Height changes, finished renderings and menu openings build with unchanged settings.
void BM_UnchangedLayout(benchmark::State& state) {
    TTodoData items = ManyItems(10000, state.range(0) != 0);
    StandInText canvas;
    TListLines lines;
    lines.Build(items, canvas, Settings(state.range(0) != 0, 250));
    for (auto _ : state) benchmark::DoNotOptimize(lines.Build(items, canvas, Settings(state.range(0) != 0, 250)));
}

void BM_FirstBuild(benchmark::State& state) {
    StandInText canvas;
    for (auto _ : state) {
        state.PauseTiming();
        TTodoData items = ManyItems(10000, state.range(0) != 0);
        TListLines lines;
        state.ResumeTiming();
        lines.Build(items, canvas, Settings(state.range(0) != 0, 250));
        benchmark::DoNotOptimize(lines.Texts().data());
    }
}

void BM_WidthChange(benchmark::State& state) {
    TTodoData items = ManyItems(10000, state.range(0) != 0);
    StandInText canvas;
    TListLines lines;
    int width = 250;
    for (auto _ : state) {
        width = width == 250 ? 251 : 250;
        lines.Build(items, canvas, Settings(state.range(0) != 0, width));
    }
}

void BM_LongItemWidthChange(benchmark::State& state) {
    TTodoData items;
    items.SetText(items.NewItem(), std::string(65000, 'x'));
    StandInText canvas;
    TListLines lines;
    int width = 250;
    for (auto _ : state) {
        width = width == 250 ? 251 : 250;
        lines.Build(items, canvas, Settings(true, width));
    }
}

}  // namespace

// Argument: 1 with word wrap and texts of two or three lines, 0 with one line per item.
BENCHMARK(BM_UnchangedLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WidthChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongItemWidthChange)->Unit(benchmark::kMillisecond);
