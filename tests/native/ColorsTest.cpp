#include <gtest/gtest.h>

#include "TestFolder.h"
#include "background/kvneColors.h"
#include "support/Errors.h"

TEST(Colors, BuiltInSchemeRoundTripsByteForByte) {
    TColorsList colors;
    colors.LoadDefaults();
    EXPECT_EQ(colors.GetText(), kBuiltInColorScheme);
    EXPECT_EQ(colors.GetColor(kColorWindowBackground), 0xFFFFFF);
    EXPECT_EQ(colors.GetColor(kColorActiveTitle), 0x0000FF);
    EXPECT_EQ(colors.GetColor(kColorTextShadow), 0xF0F0F0);
    EXPECT_EQ(colors.GetText(), kBuiltInColorScheme);  // reading existing keys adds nothing
}

TEST(Colors, SingleLineAndIndentedFormsLoadTheSameTree) {
    TColorsList flat;
    std::string oneLine = kBuiltInColorScheme;
    std::erase_if(oneLine, [](char c) { return c == '\r' || c == '\n' || c == '\t'; });
    flat.LoadFromText(oneLine);
    EXPECT_EQ(flat.GetText(), kBuiltInColorScheme);
}

TEST(Colors, BlanksInsideValuesAreRemoved) {
    TColorsList colors;
    colors.LoadFromText("<ウィンドウ>\r\n  <背景> $12 34\t56 </背景>\r\n</ウィンドウ>\r\n");
    EXPECT_EQ(colors.GetValue("\\ウィンドウ\\背景"), "$123456");
    EXPECT_EQ(colors.GetColor("ウィンドウ\\背景"), 0x123456);
}

TEST(Colors, MissingKeyReadsBlackAndIsWrittenInsideItsBranch) {
    TColorsList colors;
    colors.LoadFromText("<ウィンドウ><背景>$FFFFFF</背景></ウィンドウ>");
    EXPECT_EQ(colors.GetColor(kColorActiveTitle), 0);
    EXPECT_EQ(colors.GetColor(kColorUnderline), 0);
    EXPECT_EQ(colors.GetText(),
              "<ウィンドウ>\r\n\t<背景>$FFFFFF</背景>\r\n\t<アクティブタイトル></アクティブタイトル>\r\n</ウィンドウ>\r\n"
              "<テキスト>\r\n\t<アンダーライン></アンダーライン>\r\n</テキスト>\r\n");
}

TEST(Colors, SetColorAndNumberForms) {
    TColorsList colors;
    colors.SetColor("a\\b", 255);
    EXPECT_EQ(colors.GetValue("a\\b"), "$0000FF");
    colors.SetColor("a\\b", -16777201);
    EXPECT_EQ(colors.GetValue("A\\B"), "$FF00000F");  // letters match in any case
    EXPECT_EQ(colors.GetValue("a\\b"), "$FF00000F");
    colors.SetValue("a\\c", "1234");
    EXPECT_EQ(colors.GetColor("a\\c"), 1234);
    colors.SetValue("a\\d", "red");
    EXPECT_EQ(colors.GetColor("a\\d"), 0);
}

TEST(Colors, NamesWithSecondByteBackslashOrLetters) {
    TColorsList colors;
    colors.SetValue("表\\ア", "1");  // 表 ends in 0x5C, ア in 0x41
    colors.SetValue("表\\ア", "2");
    EXPECT_EQ(colors.Count(), 1);
    EXPECT_EQ(colors.Child(0).Count(), 1);
    EXPECT_EQ(colors.GetValue("表\\ア"), "2");
    EXPECT_EQ(colors.GetValue("表\\a"), "");  // "ア" is not "a" in another case
}

TEST(Colors, MalformedTextLoadsAsFarAsItParses) {
    TColorsList colors;
    colors.LoadFromText("junk<a>1</a><b>2<c>3</c>");
    EXPECT_EQ(colors.GetValue("a"), "1");
    EXPECT_EQ(colors.Count(), 1);
}

TEST(Colors, LoadFallsBackToTheBuiltInScheme) {
    TestFolder folder;
    TColorsList colors;
    colors.SetFileName(folder / "colors.clr");
    colors.Load();
    EXPECT_EQ(colors.GetText(), kBuiltInColorScheme);
    colors.SetColor(kColorWindowBackground, 0x102030);
    colors.Save();
    TColorsList again;
    again.LoadFrom(folder / "colors.clr");
    EXPECT_EQ(again.GetColor(kColorWindowBackground), 0x102030);
}

// An editor may save a scheme as UTF-16: it shows the built-in colours rather than black ones,
// and a save says the file is not Shift-JIS instead of writing those colours over it.
TEST(Colors, AUtf16SchemeIsNeitherReadAsBlackNorWrittenOver) {
    TestFolder folder;
    const std::string utf16("\xFF\xFE<\0a\0>\0" "1\0<\0/\0a\0>\0", 18);
    WriteBytes(folder / "x.clr", utf16);
    TColorsList colors;
    colors.SetFileName(folder / "x.clr");
    colors.Load();
    EXPECT_EQ(colors.GetColor(kColorWindowBackground), 0xFFFFFF);
    colors.LoadFromFile(folder / "x.clr");
    EXPECT_EQ(colors.GetColor(kColorActiveTitle), 0x0000FF);
    EXPECT_THROW(colors.Save(), EFileError);
    EXPECT_EQ(ReadBytes(folder / "x.clr"), utf16);
}

// A scheme saved as UTF-8 (Notepad's way, with its mark or without) keeps its colours.
TEST(Colors, AUtf8SchemeGivesItsColours) {
    TestFolder folder;
    const std::u8string text =
        u8"<ウィンドウ>\r\n\t<背景>$123456</背景>\r\n</ウィンドウ>\r\n"
        u8"<テキスト>\r\n\t<今日>$00FF00</今日>\r\n</テキスト>\r\n";
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        WriteBytes(folder / "x.clr", mark + std::string(text.begin(), text.end()));
        TColorsList colors;
        colors.LoadFromFile(folder / "x.clr");
        EXPECT_EQ(colors.GetColor(kColorWindowBackground), 0x123456) << mark.size();
        EXPECT_EQ(colors.GetColor(kColorDueToday), 0x00FF00) << mark.size();
    }
}

// Hostile files: each loads quickly, never runs out of stack, and keeps the keys that matter.
namespace {

int Depth(TDirStringList& node) {
    int depth = 0;
    for (TDirStringList* n = &node; n->Count() > 0; n = &n->Child(0)) ++depth;
    return depth;
}

// Levels named n0, n1, ...: an inner element of the same name would end its parent early.
std::string Nested(int levels, const std::string& value) {
    std::string text;
    for (int i = 0; i < levels; ++i) text += "<n" + std::to_string(i) + ">";
    text += value;
    for (int i = levels - 1; i >= 0; --i) text += "</n" + std::to_string(i) + ">";
    return text;
}

}  // namespace

TEST(Colors, DeepNestingIsCutAtTheDepthLimit) {
    TColorsList colors;
    colors.LoadFromText(Nested(20000, "$123456") + "\r\n" + kBuiltInColorScheme);
    EXPECT_EQ(colors.GetColor(kColorWindowBackground), 0xFFFFFF);
    EXPECT_EQ(colors.GetColor(kColorHighlight), 0x0000FF);
    ASSERT_EQ(colors.Names(0), "n0");
    EXPECT_EQ(Depth(colors), kMaxSchemeDepth);

    // The deepest level kept still holds its value.
    colors.LoadFromText(Nested(kMaxSchemeDepth, "$0000FF"));
    std::string path = "n0";
    for (int i = 1; i < kMaxSchemeDepth; ++i) path += "\\n" + std::to_string(i);
    EXPECT_EQ(colors.GetColor(path), 0xFF);
}

TEST(Colors, WideSchemeKeepsEveryKey) {
    const int keys = 60000;
    std::string wide = kBuiltInColorScheme;
    wide += "<多>\r\n";
    for (int i = 0; i < keys; ++i) {
        const std::string name = "k" + std::to_string(i);
        wide += "\t<" + name + ">" + ColorToText(i) + "</" + name + ">\r\n";
    }
    wide += "\t<K7>$ABCDEF</K7>\r\n</多>\r\n";  // a later element of the same name updates it
    TColorsList colors;
    colors.LoadFromText(wide);
    EXPECT_EQ(colors.GetColor(kColorWindowBackground), 0xFFFFFF);
    EXPECT_EQ(colors.GetColor(kColorUnderline), 0xC0C0C0);
    ASSERT_EQ(colors.Count(), 3);
    EXPECT_EQ(colors.Child(2).Count(), keys);
    EXPECT_EQ(colors.GetColor("多\\k0"), 0);
    EXPECT_EQ(colors.GetColor("多\\k31337"), 31337);
    EXPECT_EQ(colors.GetColor("多\\k7"), 0xABCDEF);
    EXPECT_EQ(colors.Child(2).Count(), keys);
    std::string expected = wide.substr(0, wide.find("\t<K7>")) + "</多>\r\n";
    expected.replace(expected.find("<k7>$000007"), 11, "<k7>$ABCDEF");
    EXPECT_EQ(colors.GetText(), expected);
}

// A scheme edited by hand may name system colours (0xFF000000 or 0x80000000 with the system's
// colour index): they show in the system's colour, never near-black; an index the system does
// not have shows the entry's built-in colour. The file keeps what it says.
TEST(Colors, SystemColoursShowAsTheSystemHasThem) {
    TColorsList colors;
    colors.LoadDefaults();
    colors.SetValue(kColorWindowBackground, "-16777201");  // the button face
    colors.SetValue(kColorActiveTitle, "$80000005");       // the window colour, written the older way
    colors.SetValue(kColorUnderline, "$FF0000FF");
    std::int32_t face = 0, window = 0, none = 0;
    ASSERT_TRUE(ReadSystemColor(15, face));
    ASSERT_TRUE(ReadSystemColor(5, window));
    EXPECT_FALSE(ReadSystemColor(255, none));
    EXPECT_EQ(colors.GetColor(kColorWindowBackground), face);
    EXPECT_EQ(colors.GetColor(kColorActiveTitle), window);
    EXPECT_EQ(colors.GetColor(kColorUnderline), 0xC0C0C0);
    EXPECT_EQ(colors.GetValue(kColorWindowBackground), "-16777201");
}

// A positive value above 24 bits (a hand-written alpha byte, a decimal too large): GDI takes
// such a high byte as a palette index and draws black, while the set-up dialog shows the low
// 24 bits. Both use the low 24 bits; the file keeps what it says.
TEST(Colors, PositiveValuesAbove24BitsDrawInTheirLow24Bits) {
    TColorsList colors;
    colors.LoadDefaults();
    const struct {
        const char* value;
        std::int32_t color;
    } rows[] = {{"$01123456", 0x123456}, {"$7F0000FF", 0x0000FF}, {"33554431", 0xFFFFFF}};
    for (const auto& row : rows) {
        colors.SetValue(kColorWindowBackground, row.value);
        EXPECT_EQ(colors.GetColor(kColorWindowBackground), row.color) << row.value;
        EXPECT_EQ(colors.GetValue(kColorWindowBackground), row.value);
    }
}

// A value on a line of its own (as an editor may lay a scheme out) or followed by NUL bytes is
// still the number it says, not black; the text stays as it is.
TEST(Colors, LineBreaksAndNulsAroundAValueAreNotPartOfIt) {
    TColorsList colors;
    colors.LoadFromText(
        "<ウィンドウ>\r\n\t<背景>\r\n\t\t$123456\r\n\t</背景>\r\n\t<内フレーム>\n255\n</内フレーム>\r\n"
        "\t<外フレーム>$0000FF" +
        std::string(3, '\0') + "</外フレーム>\r\n</ウィンドウ>\r\n");
    EXPECT_EQ(colors.GetColor(kColorWindowBackground), 0x123456);
    EXPECT_EQ(colors.GetColor(kColorInnerFrame), 255);
    EXPECT_EQ(colors.GetColor(kColorOuterFrame), 255);
    EXPECT_EQ(colors.GetValue(kColorInnerFrame), "\n255\n");
    std::int32_t value = 0;
    EXPECT_TRUE(ColorValue("\r\n-16777201\r\n", value));
    EXPECT_EQ(value, -16777201);
    EXPECT_FALSE(ColorValue("\r\n", value));

    // Nothing but line breaks is an empty value: the built-in colour where a key has one.
    colors.LoadFromText("<テキスト>\r\n\t<期限切れ>\r\n\t</期限切れ>\r\n</テキスト>\r\n");
    EXPECT_EQ(colors.GetColorOrDefault(kColorOverdue), 0x0000E0);
}
