// Saving a settings file of 20,000 keys, as each opening of the menu and the exit do.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "settings/ProfileList.h"
#include "support/FileIO.h"

namespace {

void BM_SaveSettings20000Keys(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "memorail-bench.ini").string();
    std::string text = "[OPTION]\r\nshadow=1\r\n[SORT]\r\nauto=1\r\n";
    for (int s = 0; s < 20; ++s) {
        text += "[手書き" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 1000; ++k) text += "key" + std::to_string(k) + "=値" + std::to_string(k) + "\r\n";
    }
    ReplaceFileSafely(path, text, false);
    TprofileList settings;
    settings.SetFileName(path);
    settings.Load();
    int round = 0;
    for (auto _ : state) {
        settings.WriteInteger("SORT", "type", ++round % 4);  // a change, so that the file is written
        settings.Save();
    }
    state.counters["keys"] = settings.Count();
}

}  // namespace

BENCHMARK(BM_SaveSettings20000Keys)->Unit(benchmark::kMillisecond);
