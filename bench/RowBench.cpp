// One display row of 1,000 × 20 pixels composed: rule, shadow, text (a stand-in) and a selection style.
#include <benchmark/benchmark.h>

#include "../tests/native/StandInText.h"
#include "background/GraphicWork.h"

namespace {

void BM_ComposeRow(benchmark::State& state) {
    TBitmap row(1000, 20), mask(1000, 20);
    StandInText text;
    TRowStyle style;
    style.dateWidth = 33;
    style.markWidth = 13;
    style.highlightStyle = static_cast<int>(state.range(0));
    TRowLine line;
    line.text = "歯医者の予約 10:30 保険証を忘れずに持っていくこと、それから帰りに牛乳を買う";
    line.date = "03/05";
    line.mark = "★";
    line.selected = state.range(0) >= 0;
    int seed = 0;
    for (auto _ : state) {
        FillBitmap32(row, 0xFFFFFFFF);
        RenderLine(row, mask, line, style, text, [&](int n) { return seed++ % n; });
        benchmark::DoNotOptimize(row.ScanLine(0));
    }
}

}  // namespace

BENCHMARK(BM_ComposeRow)->Arg(-1)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);
