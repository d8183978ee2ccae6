// What the due dates add to every layout and every new day with 10,000 items: the date texts
// the column is measured from, and the reminder's count.
#include <benchmark/benchmark.h>

#include "todo/DueDates.h"

namespace {

TTodoData DatedItems() {
    TTodoData items;
    for (int i = 0; i < 10000; ++i) {
        const int j = items.NewItem();
        items.SetDate(j, i % 10 == 0 ? kNoDate : 45000 + i % 800);  // two years and some without a date
        items.SetText(j, "牛乳を買う " + std::to_string(i));
    }
    return items;
}

void BM_DateTexts(benchmark::State& state) {
    const TTodoData items = DatedItems();
    for (auto _ : state)
        for (int i = 0; i < items.Count(); ++i) benchmark::DoNotOptimize(DueDateText(items.GetDate(i), 45400, "/"));
}
BENCHMARK(BM_DateTexts);

void BM_SummariseDue(benchmark::State& state) {
    const TTodoData items = DatedItems();
    for (auto _ : state) benchmark::DoNotOptimize(SummariseDue(items, 45400.5));
}
BENCHMARK(BM_SummariseDue);

}  // namespace
