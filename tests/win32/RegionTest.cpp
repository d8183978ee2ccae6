#include <gtest/gtest.h>
#include <windows.h>

#include "window/RegionUtils.h"

namespace {

int PixelsIn(HRGN region, int size = 40) {
    int n = 0;
    for (int y = -size; y < size; ++y)
        for (int x = -size; x < size; ++x) n += PtInRegion(region, x, y) ? 1 : 0;
    return n;
}

}  // namespace

TEST(Region, CombineModes) {
    TRegion region;
    EXPECT_EQ(PixelsIn(region.Handle()), 0);
    region.AddRect(0, 0, 10, 10, rmAnd);  // empty and stays empty, no error
    EXPECT_EQ(PixelsIn(region.Handle()), 0);
    region.AddRect(0, 0, 10, 10, rmCopy);
    region.AddRect(5, 5, 10, 10, rmDiff);
    EXPECT_EQ(PixelsIn(region.Handle()), 75);
    region.AddRect(5, 5, 10, 10, rmOr);
    EXPECT_EQ(PixelsIn(region.Handle()), 100);
    region.AddRect(5, 0, 15, 10, rmXor);
    EXPECT_EQ(PixelsIn(region.Handle()), 100);
    EXPECT_TRUE(PtInRegion(region.Handle(), 12, 3));
    EXPECT_FALSE(PtInRegion(region.Handle(), 6, 3));
    region.AddEllipse(0, 0, 20, 20, rmCopy);
    EXPECT_TRUE(PtInRegion(region.Handle(), 10, 10));
    EXPECT_FALSE(PtInRegion(region.Handle(), 0, 0));
}

TEST(Region, MoveAndCopyHandle) {
    HRGN copy;
    {
        TRegion region;
        region.Move(3, 4);  // an empty shape moves without error
        region.AddRect(0, 0, 2, 2, rmCopy);
        region.Move(3, 4);
        EXPECT_TRUE(PtInRegion(region.Handle(), 3, 4));
        EXPECT_FALSE(PtInRegion(region.Handle(), 0, 0));
        copy = region.CopyHandle();
    }
    EXPECT_EQ(PixelsIn(copy), 4);  // outlives the object
    EXPECT_TRUE(PtInRegion(copy, 4, 5));
    DeleteObject(copy);
}
