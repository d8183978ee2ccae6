#include <gtest/gtest.h>

#include "support/kvneGlobal.h"

TEST(SystemNameOf, NamesEverySystemOfTheTable) {
    struct Case {
        int major, minor;
        char letter;
        bool nt;
        const char* name;
    };
    const Case cases[] = {
        {3, 51, 0, true, "WindowsNT3.51"}, {4, 0, 0, true, "WindowsNT4"},      {4, 0, 'B', false, "Windows95OSR2"},
        {4, 0, 'C', false, "Windows95OSR2.5"}, {4, 0, 0, false, "Windows95"},   {4, 10, 'A', false, "Windows98SE"},
        {4, 10, 0, false, "Windows98"},      {4, 90, 0, false, "WindowsMe"},    {4, 3, 0, false, "unknown0"},
        {5, 0, 0, true, "Windows2000"},      {5, 1, 'S', true, "WindowsXP"},    {5, 2, 0, true, "unknown"},
        {6, 1, 0, true, "unknown1"},         {10, 0, 0, true, "unknown1"},
    };
    for (const Case& c : cases) EXPECT_EQ(SystemNameOf(c.major, c.minor, c.letter, c.nt), c.name);
}
