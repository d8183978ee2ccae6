#include <gtest/gtest.h>

#include "ImageFiles.h"
#include "TestFolder.h"
#include "background/kvneGraphicSource.h"

TEST(GraphicSource, PlainBitmapNames) {
    TBitmap b;
    MakePlainBitmap(b, "\\16,8,$0000FF,32");
    ASSERT_EQ(b.Width(), 16);
    ASSERT_EQ(b.Height(), 8);
    ASSERT_EQ(b.BitsPerPixel(), 32);
    EXPECT_EQ(b.ScanLine(7)[15 * 4 + 2], 255);
    EXPECT_EQ(b.ScanLine(7)[15 * 4 + 0], 0);
    EXPECT_EQ(b.ScanLine(7)[15 * 4 + 3], 255);
    MakePlainBitmap(b, "\\3,x");
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 0);
    EXPECT_EQ(b.BitsPerPixel(), 24);
}

TEST(GraphicSource, ModesShareOrCopy) {
    TGraphicSource source;
    auto a = source.GetGraphic("\\2,2,255", 0, 0);
    auto b = source.GetGraphic("\\2,2,255", 0, 0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->UsageCount, 2);
    EXPECT_EQ(source.GetGraphic("\\2,2,255", 1, 0)->Kind, 1);
    EXPECT_EQ(source.GetGraphic("\\2,2,255", 2, 0), a);  // a cached name is shared in mode 2 too
    auto fresh1 = source.GetGraphic("\\3,3,255", 2, 0), fresh2 = source.GetGraphic("\\3,3,255", 2, 0);
    EXPECT_NE(fresh1, fresh2);
    EXPECT_EQ(source.Count(), 1);
    source.GetGraphic("\\2,2,255", 3, 0);
    EXPECT_EQ(source.Count(), 2);
}

TEST(GraphicSource, ArchiveFolderAndMissingNames) {
    TestFolder folder;
    PngSpec spec;
    auto rows = RandomRows(4, 3, 3, 2);
    Bytes png = MakePng(spec, rows, {0});
    Bytes archive = PackArchive({{"face.png", png}});
    WriteBytes(folder / "graphic", std::string(archive.begin(), archive.end()));
    TGraphicSource source(folder.Path().string() + "/");
    ASSERT_EQ(source.ArchiveCount(), 1);
    auto face = source.GetGraphic("FACE.PNG", 0, 0);
    EXPECT_TRUE(SamePixels(*face, rows, 3));
    EXPECT_TRUE(source.GetGraphic("missing.png", 0, 0)->Empty());
    EXPECT_TRUE(source.LoadGraphic("face.png", 5)->Empty());   // no such archive
    EXPECT_TRUE(source.LoadGraphic("face.png", -1)->Empty());  // no resources natively
    source.SetSearchFolder(folder.Path().string() + "/");
    WriteBytes(folder / "loose.png", std::string(png.begin(), png.end()));
    EXPECT_TRUE(SamePixels(*source.GetGraphic("loose.png", 2, 0), rows, 3));
}
