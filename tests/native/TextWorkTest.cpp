#include <gtest/gtest.h>

#include "support/TextWork.h"

TEST(EscapeText, ReplacesControlCharactersQuotesAndBackslashes) {
    EXPECT_EQ(EscapeText("a\\b"), "a\\\\b");
    EXPECT_EQ(EscapeText("Call\r\nBob"), "Call\\nBob");
    EXPECT_EQ(EscapeText("a\rb"), "a\\db");
    EXPECT_EQ(EscapeText("a\r\r\nb"), "a\\d\\nb");
    EXPECT_EQ(EscapeText("a\nb\tc"), "a\\ab\\tc");
    EXPECT_EQ(EscapeText("say \"hi\""), "say \\\"hi\\\"");
    EXPECT_EQ(EscapeText("C:\\new"), "C:\\\\new");
}

TEST(EscapeText, LeavesTwoByteCharactersWhole) {
    // The second bytes of 表, 能 and ソ are 0x5C, the value of a backslash.
    for (const char* text : {"表", "能", "ソ", "表\\", "ソ表能"}) EXPECT_EQ(UnescapeText(EscapeText(text)), text);
    EXPECT_EQ(EscapeText("表"), "表");
    EXPECT_EQ(EscapeText("表\\"), "表\\\\");
}

TEST(UnescapeText, ReadsEverySequence) {
    EXPECT_EQ(UnescapeText("plain"), "plain");
    EXPECT_EQ(UnescapeText("a\\nb"), "a\r\nb");
    EXPECT_EQ(UnescapeText("a\\ab"), "a\nb");
    EXPECT_EQ(UnescapeText("a\\db\\rc"), "a\rb\rc");
    EXPECT_EQ(UnescapeText("a\\tb"), "a\tb");
    EXPECT_EQ(UnescapeText("\\\"q\\\""), "\"q\"");
    EXPECT_EQ(UnescapeText("\\\\"), "\\");
    EXPECT_EQ(UnescapeText("\\z"), "z");
    EXPECT_EQ(UnescapeText("end\\"), "end\\");
    EXPECT_EQ(UnescapeText("\\x41\\x7e"), "A~");
    EXPECT_EQ(UnescapeText("\\x8a\\xbf"), "\x8a\xbf");
    EXPECT_EQ(UnescapeText("\\表"), "表");
}

TEST(UnescapeText, NeverProducesNulOrReadsPastTheEnd) {
    EXPECT_EQ(UnescapeText("a\\x00b"), "a\\x00b");  // kept as written
    EXPECT_EQ(UnescapeText("a\\x"), "ax");
    EXPECT_EQ(UnescapeText("a\\x4"), "ax4");
    EXPECT_EQ(UnescapeText("a\\xg1"), "axg1");
    for (const char* text : {"\\x00", "\\x0", "\\x", "\\", "\\x\\", "\x81", "\\\x81"}) {
        std::string out = UnescapeText(text);
        EXPECT_EQ(out.find('\0'), std::string::npos) << text;
    }
}

TEST(UnescapeText, ReversesEscapeTextOnAnyBytes) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(UnescapeText(EscapeText(all)), all);
    EXPECT_EQ(UnescapeText(EscapeText("\\x41")), "\\x41");
}

TEST(StripTrailingBackslashes, KeepsTwoByteCharacters) {
    EXPECT_EQ(StripTrailingBackslashes("C:\\"), "C:");
    EXPECT_EQ(StripTrailingBackslashes("C:\\data\\\\"), "C:\\data");
    EXPECT_EQ(StripTrailingBackslashes("C:\\表"), "C:\\表");
    EXPECT_EQ(StripTrailingBackslashes("C:\\表\\"), "C:\\表");
    EXPECT_EQ(StripTrailingBackslashes("\\\\"), "");
    EXPECT_EQ(StripTrailingBackslashes(""), "");
}

namespace {

// Every byte is 5 pixels wide: a two-byte character measures 10.
class FixedWidth : public TTextMeasurer {
public:
    int TextWidth(const std::string& text) const override { return static_cast<int>(text.size()) * 5; }
};

}  // namespace

TEST(FitTextWithDots, NeverCutsATwoByteCharacter) {
    FixedWidth canvas;
    EXPECT_EQ(FitTextWithDots("abc", canvas, 15), "abc");
    EXPECT_EQ(FitTextWithDots("abcdef", canvas, 20), "ab..");
    EXPECT_EQ(FitTextWithDots("表ソ能", canvas, 25), "表..");
    EXPECT_EQ(FitTextWithDots("表ソ能", canvas, 29), "表..");
    EXPECT_EQ(FitTextWithDots("表ソ能", canvas, 30), "表ソ能");
    EXPECT_EQ(FitTextWithDots("表ソ能", canvas, 5), "..");
    EXPECT_EQ(FitTextWithDots("", canvas, -1), "..");
    for (int width = 0; width < 60; ++width) {
        std::string fitted = FitTextWithDots("aア表bソ", canvas, width);
        std::string kept = fitted.substr(0, fitted.size() - (fitted.size() >= 2 && fitted.ends_with("..") ? 2 : 0));
        EXPECT_EQ(std::string("aア表bソ").rfind(kept, 0), 0u);
        EXPECT_TRUE(kept.empty() || kept.size() == 1 || kept.size() == 3 || kept.size() == 5 || kept.size() == 6 ||
                    kept.size() == 8)
            << width << ": " << fitted;
    }
}

TEST(TextHelpers, CaseFoldingStepsOverTwoByteCharacters) {
    EXPECT_EQ(UpperCaseSjis("sort"), "SORT");
    EXPECT_EQ(LowerCaseSjis("アAbC"), "アabc");  // ア is 83 41
    EXPECT_EQ(UpperCaseSjis("アa"), "アA");
    EXPECT_TRUE(SameTextSjis("Option", "OPTION"));
    EXPECT_FALSE(SameTextSjis("ア", "\x83" "a"));
}

TEST(TextHelpers, IndentLinesAndTextFrom) {
    EXPECT_EQ(IndentLines("a\r\nb\nc"), "\ta\r\n\tb\r\n\tc\r\n");
    EXPECT_EQ(IndentLines("a\r\n\r\nb\r\n"), "\ta\r\n\t\r\n\tb\r\n");
    EXPECT_EQ(IndentLines(""), "");
    EXPECT_EQ(TextFrom("abcdef", 3), "cdef");
    EXPECT_EQ(TextFrom("abc", 4), "");
    EXPECT_EQ(OpenTag("背景") + CloseTag("背景"), "<背景></背景>");
}

TEST(CutToWholeCharacters, NeverCutsATwoByteCharacter) {
    const std::string kanji = "表";  // 95 5C: a trail byte that is a backslash
    EXPECT_EQ(CutToWholeCharacters(std::string(1022, 'a') + kanji, 1023), std::string(1022, 'a'));
    EXPECT_EQ(CutToWholeCharacters(std::string(1021, 'a') + kanji + "b", 1023), std::string(1021, 'a') + kanji);
    EXPECT_EQ(CutToWholeCharacters(std::string(1024, 'a'), 1023), std::string(1023, 'a'));
    EXPECT_EQ(CutToWholeCharacters("abc", 1023), "abc");
    EXPECT_EQ(CutToWholeCharacters("", 1023), "");
    EXPECT_EQ(CutToWholeCharacters("a\x81", 1), "a");  // a lone lead byte at the end is one character
}
