#include <gtest/gtest.h>

#include "ImageFiles.h"
#include "background/ArchiveStream.h"

namespace {

using Files = std::vector<std::pair<std::string, Bytes>>;

std::unique_ptr<TArchiveStream> Open(const Bytes& bytes) {
    return std::make_unique<TArchiveStream>(std::make_unique<TMemoryStream>(bytes));
}

std::string ErrorOf(const Bytes& bytes) {
    try {
        Open(bytes);
    } catch (const EarcSTreamError& e) {
        return e.what();
    }
    return "no error";
}

void Patch64(Bytes& b, std::size_t at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Patch32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(Archive, ReadsEntriesByNameAndIndex) {
    Bytes hundred(100);
    for (int i = 0; i < 100; ++i) hundred[i] = static_cast<std::uint8_t>(i);
    for (std::int64_t reserved : {56, 0, 13}) {
        auto archive = Open(PackArchive({{"btn_face.bmp", Bytes{1, 2, 3}}, {"Data.bin", hundred}}, reserved));
        ASSERT_EQ(archive->Index().Count(), 2);
        EXPECT_EQ(archive->Index().Records(0).Id + 1, archive->Index().Records(1).Id);
        ASSERT_TRUE(archive->SelectName("DATA.BIN"));
        EXPECT_EQ(archive->Size(), 100);
        EXPECT_EQ(archive->Position(), 0);
        std::uint8_t buf[4];
        archive->Seek(10, soBeginning);
        ASSERT_EQ(archive->Read(buf, std::size_t{4}), 4u);
        EXPECT_EQ(buf[0], 10);
        EXPECT_EQ(archive->Seek32(150, soBeginning), 100);
        EXPECT_THROW(archive->Seek(150, soBeginning), EarcSTreamError);
        EXPECT_EQ(archive->Seek32(-5, soBeginning), 0);
        EXPECT_FALSE(archive->SelectIndex(-1));
        EXPECT_FALSE(archive->SelectIndex(2));
        EXPECT_EQ(archive->SelectedIndex(), 1);
        EXPECT_FALSE(archive->SelectName("missing"));
    }
}

TEST(Archive, ErrorsCarryTheirTexts) {
    EXPECT_EQ(ErrorOf({'J', 'U', 'N', 'K', 0, 0}), "TArchiveStream:\r\n[Reload]ファイルが不正[JUNK]です");
    Bytes good = PackArchive({{"a", Bytes{1}}});
    Bytes noHeader = good;
    noHeader[12 + 56] = 'X';
    EXPECT_EQ(ErrorOf(noHeader), "TArchiveStream:\r\n[Reload]ファイルヘッダが不正[XHDR]です");
    Bytes noData = good;
    noData[12 + 56 + 16] = 'Z';
    EXPECT_EQ(ErrorOf(noData), "TArchiveStream:\r\n[Reload]ファイルデータが不正[ZDAT]です");

    auto archive = Open(good);
    std::uint8_t buf[1];
    try {
        archive->Read(buf, std::size_t{1});
        FAIL();
    } catch (const EarcSTreamError& e) {
        EXPECT_STREQ(e.what(), "TArchiveStream:\r\n[Read]読み込みINDEXが指定されていません");
    }
    EXPECT_THROW(archive->Seek(0, soBeginning), EarcSTreamError);
    archive->SelectIndex(0);
    try {
        archive->Read(buf, std::int64_t{-3});
        FAIL();
    } catch (const EarcSTreamError& e) {
        EXPECT_STREQ(e.what(), "TArchiveStream:\r\n[Read]Countが負です(-3)");
    }
    try {
        archive->Write(buf, 1);
    } catch (const EarcSTreamError& e) {
        EXPECT_STREQ(e.what(), "TArchiveStream:\r\n[Write]対応していません");
    }
}

TEST(Archive, EmptyFileHasNoEntries) { EXPECT_EQ(Open({})->Index().Count(), 0); }

TEST(Archive, AbsurdCountsLengthsAndSizesRaise) {
    const Bytes good = PackArchive({{"a", Bytes{1, 2}}, {"b", Bytes{3}}});
    const std::size_t count = 12 + 56 + 4 + 8, first = count + 4 + 4;
    Bytes hugeReserved = good;
    Patch64(hugeReserved, 4, 0x7FFFFFFFFFFFFFFFull);
    Bytes negativeCount = good;
    Patch32(negativeCount, count, 0xFFFFFFFF);
    Bytes bigCount = good;
    Patch32(bigCount, count, 0x7FFFFFFF);
    Bytes badName = good;
    Patch32(badName, first + 4, 0x80000000);
    Bytes badSize = good;
    Patch64(badSize, first + 17, 0xFFFFFFFFFFFFFFF0ull);
    Bytes badOffset = good;
    Patch64(badOffset, first + 8, 0x7000000000000000ull);
    Bytes hugeHeader = good;
    Patch64(hugeHeader, 12 + 56 + 4, 0xFFFFFFFFFFFFull);
    for (const Bytes* b : {&hugeReserved, &negativeCount, &bigCount, &badName, &badSize, &badOffset, &hugeHeader})
        EXPECT_THROW(Open(*b), EarcSTreamError);
    for (std::size_t cut = 1; cut < good.size(); ++cut) {
        try {
            Open(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)));
        } catch (const EarcSTreamError&) {
        }
    }
}

TEST(FilesList, PacksAndRebuildsItself) {
    TfilesList list;
    list.Add("one");
    list.Add("two");
    list.Insert(0, "zero");
    list.SetName(2, "TWO!");
    EXPECT_EQ(list.Records(2).NameLength, 4);
    EXPECT_EQ(list.Records(0).Id, 3);
    TfilesList back;
    back.Unpack(list.Pack());
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Names(0), "zero");
    EXPECT_EQ(back.IndexOf("two!"), 2);
    EXPECT_EQ(back.Records(1).Flag, 1);
}
