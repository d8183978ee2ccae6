// Every input a fuzzer ever found a fault with, and every seed, goes through its loader again.
#include <gtest/gtest.h>

#include <filesystem>

#include "../fuzz/FuzzTargets.h"
#include "TestFolder.h"

TEST(FuzzRegressions, KnownInputsLoadWithoutFault) {
    const std::filesystem::path root = MEMORAIL_FUZZ_DIR;
    int files = 0;
    for (const char* kind : {"seeds", "regressions"})
        for (const char* target : {"png", "bmp", "jpeg", "farc", "clr", "ini", "items"}) {
            const std::filesystem::path folder = root / kind / target;
            if (!std::filesystem::exists(folder)) continue;
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                const std::string bytes = ReadBytes(entry.path().string());
                const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
                const std::string t = target;
                if (t == "png") FuzzPng(data, bytes.size());
                if (t == "bmp") FuzzBmp(data, bytes.size());
                if (t == "jpeg") FuzzJpeg(data, bytes.size());
                if (t == "farc") FuzzFarc(data, bytes.size());
                if (t == "clr") FuzzClr(data, bytes.size());
                if (t == "ini") FuzzIni(data, bytes.size());
                if (t == "items") FuzzItems(data, bytes.size());
                ++files;
            }
        }
    EXPECT_GT(files, 10);
}
