#include <gtest/gtest.h>

#include "TestFolder.h"
#include "background/kvneColors.h"

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
    EXPECT_EQ(colors.GetColor("a\\b"), -16777201);
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
