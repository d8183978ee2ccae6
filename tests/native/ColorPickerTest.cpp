#include <gtest/gtest.h>

#include <string>

#include "background/ColorPicker.h"

namespace {

struct EntryCase {
    const char* name;
    bool hsv;  // the three numbers are H, S, V; else R, G, B
    int a, b, c;
    TPickerValues shown;
};

class PickerEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(PickerEntry, ClampsOrWraps) {
    const EntryCase& e = GetParam();
    EXPECT_EQ(e.hsv ? PickerFromHSV(e.a, e.b, e.c) : PickerFromRGB(e.a, e.b, e.c), e.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, PickerEntry,
    ::testing::Values(EntryCase{"red_300_shows_255", false, 300, 0, 0, {255, 0, 0, 0, 100, 100, 0x0000FF}},
                      EntryCase{"negative_and_over", false, -5, 128, 256, {0, 128, 255, 209, 100, 100, 0xFF8000}},
                      EntryCase{"grey", false, 128, 128, 128, {128, 128, 128, 0, 0, 50, 0x808080}},
                      EntryCase{"hue_360_shows_0", true, 360, 50, 100, {255, 127, 127, 0, 51, 100, 0x7F7FFF}},
                      EntryCase{"negative_hue_wraps", true, -120, 100, 100, {2, 0, 255, 240, 100, 100, 0xFF0002}},
                      EntryCase{"saturation_101_wraps_to_0", true, 0, 101, 100, {255, 255, 255, 0, 0, 100, 0xFFFFFF}},
                      EntryCase{"value_minus_1_wraps_to_100", true, 0, 100, -1, {255, 0, 0, 0, 100, 100, 0x0000FF}}),
    [](const auto& info) { return std::string(info.param.name); });

struct HexCase {
    const char* text;
    std::int32_t color;
};

class PickerHex : public ::testing::TestWithParam<HexCase> {};

TEST_P(PickerHex, ReadsRRGGBB) { EXPECT_EQ(ParseRRGGBB(GetParam().text), GetParam().color) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(Texts, PickerHex,
                         ::testing::Values(HexCase{"FF0000", 0x0000FF}, HexCase{"0000ff", 0xFF0000},
                                           HexCase{"123456", 0x563412}, HexCase{"1234567", 0x674523},
                                           HexCase{"xyz", 0xFFFFFF}, HexCase{"", 0xFFFFFF}, HexCase{"-1", 0xFFFFFF}));

TEST(PickerHex, WritesRRGGBB) {
    EXPECT_EQ(FormatRRGGBB(0x0000FF), "FF0000");
    EXPECT_EQ(FormatRRGGBB(0x563412), "123456");
    EXPECT_EQ(FormatRRGGBB(0), "000000");
}

TEST(PickerNumbers, NonNumbersCountAsZero) {
    EXPECT_EQ(EditNumber("42"), 42);
    EXPECT_EQ(EditNumber("-7"), -7);
    EXPECT_EQ(EditNumber("4x"), 0);
    EXPECT_EQ(EditNumber(""), 0);
}

struct PixelCase {
    int x, y, v;
    std::int32_t color;
};

class FieldPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(FieldPixels, HueAcrossSaturationDown) {
    const PixelCase& p = GetParam();
    EXPECT_EQ(FieldPixelColor(p.x, p.y, p.v), p.color) << p.x << "," << p.y << " v" << p.v;
}

INSTANTIATE_TEST_SUITE_P(Corners, FieldPixels,
                         ::testing::Values(PixelCase{0, 0, 100, 0x0000FF}, PixelCase{199, 0, 100, 0x0000FF},
                                           PixelCase{0, 195, 100, 0xFFFFFF}, PixelCase{199, 195, 100, 0xFFFFFF},
                                           PixelCase{0, 0, 50, 0x00007F}, PixelCase{199, 195, 0, 0x000000},
                                           PixelCase{100, 0, 100, 0xFFFE00}));

struct MarkerCase {
    int h, s;
    TFieldPoint at;
};

class FieldMarkers : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(FieldMarkers, PlacedForHueAndSaturation) {
    const MarkerCase& m = GetParam();
    const TFieldPoint p = FieldMarker(m.h, m.s);
    EXPECT_EQ(p.x, m.at.x) << m.h << "/" << m.s;
    EXPECT_EQ(p.y, m.at.y) << m.h << "/" << m.s;
}

INSTANTIATE_TEST_SUITE_P(Places, FieldMarkers,
                         ::testing::Values(MarkerCase{0, 100, {0, 1}}, MarkerCase{359, 0, {199, 196}},
                                           MarkerCase{180, 50, {99, 99}}, MarkerCase{120, 75, {66, 50}}));

TEST(Field, PickingTheCornersGivesTheEnds) {
    int h = -1, s = -1;
    FieldPick(0, 0, h, s);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 100);
    FieldPick(199, 195, h, s);
    EXPECT_EQ(h, 359);
    EXPECT_EQ(s, 0);
}

TEST(Field, BitmapHoldsBlueGreenRed) {
    TBitmap field(kFieldWidth, kFieldHeight, 24);
    DrawHueSaturationField(field, 100);
    const std::uint8_t* red = field.ScanLine(0);
    EXPECT_EQ(red[0], 0);
    EXPECT_EQ(red[2], 255);
    const std::uint8_t* cyan = field.ScanLine(0) + 100 * 3;
    EXPECT_EQ(cyan[0], 255);
    EXPECT_EQ(cyan[1], 254);
    EXPECT_EQ(cyan[2], 0);
}

TEST(Swatches, FiveRowsOfSixBelowTheField) {
    const TRect first = SwatchRect(0, 0, 259, 374, 96, 196);
    EXPECT_EQ(first.Left, 8);
    EXPECT_EQ(first.Top, 300);
    EXPECT_EQ(first.Width(), 40);
    EXPECT_EQ(first.Height(), 12);
    const TRect last = SwatchRect(4, 5, 259, 374, 96, 196);
    EXPECT_EQ(last.Left, 213);
    EXPECT_EQ(last.Top, 352);
    EXPECT_EQ(kPresetColors[12], 0x0000FF);
    EXPECT_EQ(kPresetColors[29], 0xFFFFFF);
}

}  // namespace
